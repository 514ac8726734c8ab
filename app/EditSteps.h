// The undo history's steps, one per document change. Each is pushed after
// its change has been made, so its first redo does nothing; afterwards undo
// and redo restore the document exactly, node and cable identities included.
#pragma once

#include <QUndoCommand>
#include <functional>
#include <string>
#include <vector>

#include "app/DocumentEdits.h"
#include "view/Geometry.h"

struct AppState;
class Node;
class NodeGraph;
class NodesViewModel;

// What the steps act on, and what must follow each undo or redo.
struct StepContext {
    AppState& state;
    NodeGraph& graph() const;
    NodesViewModel& view() const;
    // Before the document changes: stops the running render.
    std::function<void()> beforeChange;
    // Redraws and rebuilds the panel; renders when `touchesTexture` and
    // automatic rendering is on.
    std::function<void(bool touchesTexture)> refresh;
    // Changes the texture size as the menu command does; false on failure.
    std::function<bool(int side)> resizeTexture;
};

class EditStep : public QUndoCommand {
public:
    EditStep(StepContext& context, const QString& text) : context_(context) { setText(text); }
    void undo() final { Run(false); }
    void redo() final;

protected:
    // Makes the document as after the step (forward) or before it; true when
    // what the Store node renders may have changed.
    virtual bool Apply(bool forward) = 0;
    StepContext& context_;

private:
    void Run(bool forward);
    bool done_ = true;
};

// Add, clone or delete node. The box corners of every node come back too.
class NodeStep : public EditStep {
public:
    // `held` is the node already taken out (delete) or empty (it was added at
    // `index`).
    NodeStep(StepContext& context, const QString& text, int index, HeldNode held,
             std::vector<view::Point> cornersBefore);

protected:
    bool Apply(bool forward) override;

private:
    HeldNode held_;
    bool added_;
    std::vector<view::Point> before_;
    std::vector<view::Point> after_;
};

// Draw or delete cable.
class CableStep : public EditStep {
public:
    // `held` is the deleted cable, or empty with `drawn` naming the new one.
    CableStep(StepContext& context, const QString& text, HeldCable held, const Cable* drawn);

protected:
    bool Apply(bool forward) override;

private:
    HeldCable held_;
    const Cable* cable_;
    bool drawn_;
};

// One drag of a box with the middle button.
class MoveStep : public EditStep {
public:
    MoveStep(StepContext& context, std::vector<view::Point> before);

protected:
    bool Apply(bool forward) override;

private:
    std::vector<view::Point> before_;
    std::vector<view::Point> after_;
};

// A parameter's value or text. Changes within one run (one slider gesture,
// one run of typing) merge into one step.
class ParamStep : public EditStep {
public:
    struct Value {
        int16_t number = 0;
        std::string text;
        bool operator==(const Value&) const = default;
    };
    ParamStep(StepContext& context, Node* node, int param, Value before, Value after,
              long long run);

    int id() const override { return 1; }
    bool mergeWith(const QUndoCommand* other) override;

protected:
    bool Apply(bool forward) override;

private:
    Node* node_;
    int param_;
    Value before_;
    Value after_;
    long long run_;
};

// Larger or Smaller.
class TextureStep : public EditStep {
public:
    TextureStep(StepContext& context, const QString& text, int before, int after)
        : EditStep(context, text), before_(before), after_(after) {}

protected:
    bool Apply(bool forward) override;

private:
    int before_;
    int after_;
};
