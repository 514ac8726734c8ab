// The document as the editor edits it: the graph, its box layout, the undo
// history, the file it is in and whether it changed since. Every edit goes
// through a command here, refused edits say why, and every change is told to
// whoever listens. No Qt: the window wires its widgets and menus to this.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/CommandStack.h"
#include "view/Geometry.h"

class Cable;
struct Clip;
class EditorSelection;
class Node;
class NodeGraph;
class NodeRegistry;
class NodesViewModel;
class Pin;

// One change of the document, as listeners see it.
struct DocumentChange {
    bool renders = false;   // what the Store node renders may have changed
    bool resized = false;   // the texture size changed
    bool replayed = false;  // by Undo or Redo, not by the edit itself
};

// A parameter's value: the number of a numeric one, else the text.
struct ParamValue {
    int16_t number = 0;
    std::string text;
    bool operator==(const ParamValue&) const = default;
};

class DocumentController {
public:
    DocumentController(NodeGraph& graph, NodesViewModel& layout, EditorSelection& selection,
                       const NodeRegistry& registry);
    ~DocumentController();

    // Called before anything in the document changes (the running render stops).
    std::function<void()> beforeChange;
    // Called after every change: every edit, undo and redo.
    std::function<void(const DocumentChange&)> changed;
    // Called with the text of an edit's refusal.
    std::function<void(const std::string&)> refused;
    // Called when the history, the file or the modified state changed.
    std::function<void()> historyChanged;

    NodeGraph& graph() { return graph_; }
    NodesViewModel& layout() { return layout_; }
    EditorSelection& selection() { return selection_; }
    const CommandStack& history() const { return history_; }
    // The file opened or last saved; empty for none.
    const std::string& path() const { return path_; }
    bool modified() const { return !history_.IsClean(); }

    // A failure is refused and changes nothing. Opening clears the history.
    // A damaged but readable file opens with `warning` set.
    bool Open(const std::string& path, std::string* warning = nullptr);
    // The opened file was a recovery copy of `originalPath`: it is that
    // document, with changes not saved there.
    void MarkRecovered(const std::string& originalPath);
    bool Save(const std::string& path);
    void Undo() { Replay(&CommandStack::Undo); }
    void Redo() { Replay(&CommandStack::Redo); }

    // The edits. Each is one step of the history, named as the Undo item shows it.
    Node* AddNode(std::unique_ptr<Node> node);
    // Adds the node with its box's corner at `corner`, cabled to `pin` when
    // one is given (from an output to its first free input, else from its
    // output), as one step.
    Node* AddNodeAt(std::unique_ptr<Node> node, view::Point corner, Pin* pin);
    Node* CloneNode(const Node& node);
    bool DeleteNode(Node& node);
    // Deletes the nodes (never the Store) and every cable on them as one step.
    bool DeleteNodes(std::vector<Node*> nodes, const std::string& text);
    // The nodes (never the Store), with their box corners and the cables
    // among them, as texture-file bytes (graph and layout sections).
    std::vector<uint8_t> CopyNodes(const std::vector<Node*>& nodes) const;
    // Adds the nodes of CopyNodes' bytes after the others, and the cables
    // among them, as one step. Their boxes keep their places relative to each
    // other, with the top left one at `at`, else offset from where they were.
    // Returns the new nodes; none when refused.
    std::vector<Node*> PasteNodes(const std::vector<uint8_t>& bytes, std::optional<view::Point> at,
                                  const std::string& text);
    // The same for copies of the nodes (never the Store) beside them.
    std::vector<Node*> CloneNodes(const std::vector<Node*>& nodes, const std::string& text);
    bool DeleteCable(Cable* cable);  // false when it is not in the document
    Cable* DrawCable(Pin* first, Pin* second);
    // The boxes have been dragged from `before` to where they are now.
    void MoveBoxes(std::vector<view::Point> before);
    // Changes within one `run` (one slider gesture, one run of typing) merge.
    void SetParam(Node& node, int param, ParamValue value, long long run);
    bool ResizeTexture(int side);

    // Edits between these make one step named `text`.
    void BeginMacro(std::string text) { history_.BeginMacro(std::move(text)); }
    void EndMacro() { history_.EndMacro(); }

    // For the commands: each calls BeforeChange before it changes the document
    // and Changed after; Refuse marks a refusal.
    void BeforeChange();
    void Changed(DocumentChange change);
    void Refuse(const std::string& text);
    std::string NoMemoryForNode() const;
    // Gives every image the new size; false (refused) when memory runs out.
    bool ApplyTextureSize(int side);

private:
    Node* InsertNode(const char* text, std::unique_ptr<Node> node, view::Point corner);
    bool RefusePaste(size_t nodes, size_t cables);
    std::vector<Node*> AddClip(Clip& clip, std::optional<view::Point> at, const std::string& text);
    void Replay(void (CommandStack::*step)());

    NodeGraph& graph_;
    NodesViewModel& layout_;
    EditorSelection& selection_;
    const NodeRegistry& registry_;
    CommandStack history_;
    std::string path_;
    bool replaying_ = false;
};
