// The one owner of the editor's selection. It keeps two pairs in step:
// the shown pair, which the selection panel describes and Clone and Delete
// node act on, and the view's pair (NodesViewModel's fields), which is drawn
// highlighted and read by the Delete key. They agree except after Delete
// cable, which clears the view's pair alone.
#pragma once

#include "view/ViewModel.h"

// A node, a cable or nothing; never both.
struct Selection {
    Node* node = nullptr;
    Cable* cable = nullptr;

    static Selection Of(Node* node) { return {node, nullptr}; }
    static Selection Of(Cable* cable) { return {nullptr, cable}; }
    bool operator==(const Selection&) const = default;
};

class EditorSelection {
public:
    // The view whose pair this keeps; until then only the shown pair exists.
    void Bind(NodesViewModel* view) { view_ = view; }

    Node* node() const { return shown_.node; }
    Cable* cable() const { return shown_.cable; }
    const Selection& shown() const { return shown_; }
    Selection highlighted() const {
        return view_ ? Selection{view_->selectedNode, view_->selectedCable} : Selection{};
    }

    // What the view draws highlighted, set before it is redrawn.
    void Highlight(Selection selection) {
        if (!view_) return;
        view_->selectedNode = selection.node;
        view_->selectedCable = selection.cable;
    }
    void ClearHighlight() { Highlight({}); }
    // What the panel describes, set whenever the panel is rebuilt.
    void Show(Selection selection) { shown_ = selection; }

    // Drops every reference to something about to leave the document.
    void Forget(const Node* node) {
        if (shown_.node == node) shown_ = {};
        if (view_ && view_->selectedNode == node) view_->selectedNode = nullptr;
    }
    void Forget(const Cable* cable) {
        if (shown_.cable == cable) shown_ = {};
        if (view_ && view_->selectedCable == cable) view_->selectedCable = nullptr;
    }
    void ForgetAll() {
        shown_ = {};
        ClearHighlight();
    }

private:
    Selection shown_;
    NodesViewModel* view_ = nullptr;
};
