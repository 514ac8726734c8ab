// The one owner of the editor's selection. It keeps two in step: the shown
// selection, which the selection panel describes and the Edit commands act
// on, and the view's (NodesViewModel's fields), which is drawn highlighted
// and read by the Delete key. They agree except after Delete cable, which
// clears the view's alone.
#pragma once

#include <algorithm>
#include <vector>

#include "view/ViewModel.h"

// Some nodes, a cable or nothing; never nodes and a cable.
struct Selection {
    std::vector<Node*> nodes;
    Cable* cable = nullptr;

    static Selection Of(Node* node) { return {node ? std::vector{node} : std::vector<Node*>{}}; }
    static Selection Of(std::vector<Node*> nodes) { return {std::move(nodes)}; }
    static Selection Of(Cable* cable) { return {{}, cable}; }
    bool operator==(const Selection&) const = default;
};

class EditorSelection {
public:
    // The view whose selection this keeps; until then only the shown one exists.
    void Bind(NodesViewModel* view) { view_ = view; }

    // The selected node when it is the only one, else null.
    Node* node() const { return shown_.nodes.size() == 1 ? shown_.nodes.front() : nullptr; }
    const std::vector<Node*>& nodes() const { return shown_.nodes; }
    Cable* cable() const { return shown_.cable; }
    const Selection& shown() const { return shown_; }
    Selection highlighted() const {
        return view_ ? Selection{view_->selectedNodes, view_->selectedCable} : Selection{};
    }

    // What the view draws highlighted, set before it is redrawn.
    void Highlight(Selection selection) {
        if (!view_) return;
        view_->selectedNodes = std::move(selection.nodes);
        view_->selectedCable = selection.cable;
    }
    void ClearHighlight() { Highlight({}); }
    // What the panel describes, set whenever the panel is rebuilt.
    void Show(Selection selection) { shown_ = std::move(selection); }

    // Drops every reference to something about to leave the document.
    void Forget(const Node* node) {
        std::erase(shown_.nodes, node);
        if (view_) std::erase(view_->selectedNodes, node);
    }
    void Forget(const Cable* cable) {
        if (shown_.cable == cable) shown_.cable = nullptr;
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
