#include "app/DocumentController.h"

#include <algorithm>

#include "app/DocumentRules.h"
#include "app/EditorSelection.h"
#include "engine/Image.h"
#include "engine/NodeGraph.h"
#include "engine/Stream.h"
#include "engine/TextureFile.h"
#include "view/ViewModel.h"

// Nodes to add: checked records and their box corners.
struct Clip {
    GraphRecords records;
    std::vector<BoxPos> corners;
};

namespace {

constexpr size_t kMaxFileRecords = 255;  // counts are one byte in a texture file
constexpr int kPasteOffset = 20;         // from the originals, when no place is given

std::vector<Cable*> CablesOf(const Node& node) {
    std::vector<Cable*> cables;
    if (node.outputPin) cables = node.outputPin->cables;
    for (const auto& pin : node.inputPins)
        cables.insert(cables.end(), pin->cables.begin(), pin->cables.end());
    return cables;
}

bool ReadClip(const std::vector<uint8_t>& bytes, const NodeRegistry& registry, uint8_t storeType,
              Clip& clip, std::string* error) {
    MemoryStream stream(bytes);
    ReadI16(stream);  // the texture size of the document copied from
    ReadI16(stream);
    const size_t nodeCount = ReadU8(stream);
    const size_t cableCount = ReadU8(stream);
    if (stream.failed() || nodeCount == 0) {
        *error = "there are no nodes";
        return false;
    }
    if (!ReadGraphRecords(stream, registry, nodeCount, cableCount, nullptr, clip.records, error))
        return false;
    for (const auto& node : clip.records.nodes) {
        if (node->typeId != storeType) continue;
        *error = "one is a Store node";
        return false;
    }
    clip.corners = ReadLayoutSection(stream, nodeCount);
    return true;
}

// A command that makes the document as after it (forward) or before it.
class DocumentCommand : public Command {
public:
    DocumentCommand(DocumentController& document, std::string text)
        : Command(std::move(text)), document_(document) {}
    void Redo() final { Run(true); }
    void Undo() final { Run(false); }

protected:
    // What the change may have touched; refusals mark the command obsolete.
    virtual DocumentChange Apply(bool forward) = 0;
    NodeGraph& graph() { return document_.graph(); }
    DocumentController& document_;

private:
    void Run(bool forward) {
        document_.BeforeChange();
        document_.Changed(Apply(forward));
    }
};

// Add, clone or delete node; the box corners of every node come back too.
class NodeCommand : public DocumentCommand {
public:
    // Adds `held`'s node at its index with its box at `corner`, or deletes
    // the node at that index.
    NodeCommand(DocumentController& document, std::string text, HeldNode held, bool adds,
                view::Point corner = {view::kDefaultBoxLeft, view::kDefaultBoxTop})
        : DocumentCommand(document, std::move(text)),
          held_(std::move(held)),
          adds_(adds),
          before_(document.layout().Corners()),
          after_(before_) {
        if (adds_)
            after_.insert(after_.begin() + held_.index, corner);
        else
            after_.erase(after_.begin() + held_.index);
    }

protected:
    DocumentChange Apply(bool forward) override {
        if (forward != adds_) {
            held_ = graph().TakeNode(held_.index);
            document_.selection().Forget(held_.node.get());
        } else if (!graph().PutNode(held_)) {
            document_.Refuse(document_.NoMemoryForNode());
            SetObsolete(true);
            return {};
        }
        document_.layout().SetCorners(forward ? after_ : before_);
        return {};  // a node without cables renders nothing
    }

private:
    HeldNode held_;
    bool adds_;
    std::vector<view::Point> before_;
    std::vector<view::Point> after_;
};

// Draw or delete cable.
class CableCommand : public DocumentCommand {
public:
    // Draws a new cable between `first` and `second`.
    CableCommand(DocumentController& document, Pin* first, Pin* second)
        : DocumentCommand(document, "Draw cable"),
          held_{std::make_unique<Cable>(first, second)},
          cable_(held_.cable.get()),
          draws_(true) {}
    // Deletes `cable`.
    CableCommand(DocumentController& document, Cable* cable)
        : DocumentCommand(document, "Delete cable"), cable_(cable), draws_(false) {}

    Cable* cable() const { return cable_; }

protected:
    DocumentChange Apply(bool forward) override {
        // The render changes when the node whose input the cable feeds is rendered.
        const Pin* input = cable_->first->IsOutputPin() ? cable_->second : cable_->first;
        if (forward == draws_) {
            graph().PutCable(held_);
            return {graph().ReachesStore(input->owner)};
        }
        const bool reached = graph().ReachesStore(input->owner);
        document_.selection().Forget(cable_);
        held_ = graph().TakeCable(cable_);
        return {reached};
    }

private:
    HeldCable held_;
    Cable* cable_;
    bool draws_;
};

// One drag of the boxes.
class MoveCommand : public DocumentCommand {
public:
    MoveCommand(DocumentController& document, std::vector<view::Point> before)
        : DocumentCommand(document, "Move node"),
          before_(std::move(before)),
          after_(document.layout().Corners()) {}

protected:
    DocumentChange Apply(bool forward) override {
        document_.layout().SetCorners(forward ? after_ : before_);
        return {};
    }

private:
    std::vector<view::Point> before_;
    std::vector<view::Point> after_;
};

// A parameter's value or text.
class ParamCommand : public DocumentCommand {
public:
    ParamCommand(DocumentController& document, Node& node, int param, ParamValue value,
                 long long run)
        : DocumentCommand(document, "Change " + node.param(param).name),
          node_(node),
          param_(param),
          before_(Read()),
          after_(std::move(value)),
          run_(run) {}

    bool MergeWith(const Command& other) override {
        const auto* next = dynamic_cast<const ParamCommand*>(&other);
        if (!next || &next->node_ != &node_ || next->param_ != param_ || next->run_ != run_)
            return false;
        after_ = next->after_;
        SetObsolete(after_ == before_);  // the run came back to where it began
        return true;
    }

protected:
    DocumentChange Apply(bool forward) override {
        Param& param = node_.param(param_);
        const ParamValue& value = forward ? after_ : before_;
        if (param.isNumeric)
            param.SetValue(value.number);
        else
            param.SetText(value.text);
        // What the parameter keeps (clamped, cut short) is what redo restores.
        if (forward) after_ = Read();
        SetObsolete(after_ == before_);
        return {graph().ReachesStore(&node_)};
    }

private:
    ParamValue Read() const {
        const Param& param = node_.param(param_);
        return param.isNumeric ? ParamValue{param.GetValue(), {}} : ParamValue{0, param.GetText()};
    }

    Node& node_;
    int param_;
    ParamValue before_;
    ParamValue after_;
    long long run_;
};

// Larger or Smaller.
class TextureCommand : public DocumentCommand {
public:
    TextureCommand(DocumentController& document, int before, int after)
        : DocumentCommand(document, after > before ? "Larger texture" : "Smaller texture"),
          before_(before),
          after_(after) {}

protected:
    DocumentChange Apply(bool forward) override {
        // Refused for want of memory: the step leaves the history.
        if (!document_.ApplyTextureSize(forward ? after_ : before_)) {
            SetObsolete(true);
            return {};
        }
        return {true, true};
    }

private:
    int before_;
    int after_;
};

}  // namespace

DocumentController::DocumentController(NodeGraph& graph, NodesViewModel& layout,
                                       EditorSelection& selection, const NodeRegistry& registry)
    : graph_(graph), layout_(layout), selection_(selection), registry_(registry) {
    history_.changed = [this] {
        if (historyChanged) historyChanged();
    };
}

// Commands may hold nodes and cables, which go before the graph does.
DocumentController::~DocumentController() = default;

void DocumentController::BeforeChange() {
    if (beforeChange) beforeChange();
}

void DocumentController::Changed(DocumentChange change) {
    change.replayed = replaying_;
    if (changed) changed(change);
}

void DocumentController::Refuse(const std::string& text) {
    if (refused) refused(text);
}

void DocumentController::Replay(void (CommandStack::*step)()) {
    replaying_ = true;
    (history_.*step)();
    replaying_ = false;
}

bool DocumentController::Open(const std::string& path, std::string* warning) {
    std::vector<BoxPos> layout;
    std::string error;
    BeforeChange();
    if (!LoadTextureFile(path, graph_, registry_, &layout, &error, warning)) {
        Refuse(error);
        return false;
    }
    path_ = path;
    selection_.ForgetAll();
    layout_.SetLayout(layout);
    // The old nodes and cables are gone, and with them every step.
    history_.Clear();
    return true;
}

void DocumentController::MarkRecovered(const std::string& originalPath) {
    path_ = originalPath;
    history_.DropClean();
}

bool DocumentController::Save(const std::string& path) {
    std::string error;
    if (!SaveTextureFile(path, graph_, layout_.Layout(), &error)) {
        Refuse(error);
        return false;
    }
    path_ = path;
    history_.SetClean();
    return true;
}

Node* DocumentController::InsertNode(const char* text, std::unique_ptr<Node> node,
                                     view::Point corner) {
    if (!node) return nullptr;
    Node* added = node.get();
    HeldNode held{std::move(node), static_cast<int>(graph_.nodes.size())};
    if (!history_.Push(std::make_unique<NodeCommand>(*this, text, std::move(held), true, corner)))
        return nullptr;
    return added;
}

Node* DocumentController::AddNode(std::unique_ptr<Node> node) {
    return InsertNode("Add node", std::move(node), {view::kDefaultBoxLeft, view::kDefaultBoxTop});
}

Node* DocumentController::AddNodeAt(std::unique_ptr<Node> node, view::Point corner, Pin* pin) {
    BeginMacro("Add node");
    Node* added = InsertNode("Add node", std::move(node), corner);
    if (added && pin && !pin->IsOutputPin() && added->outputPin)
        DrawCable(added->outputPin.get(), pin);
    if (added && pin && pin->IsOutputPin()) {
        const auto& inputs = added->inputPins;
        auto free = std::find_if(inputs.begin(), inputs.end(),
                                 [](const auto& input) { return input->cables.empty(); });
        if (free != inputs.end()) DrawCable(pin, free->get());
    }
    EndMacro();
    return added;
}

Node* DocumentController::CloneNode(const Node& node) {
    if (const char* refusal = CanCloneNode(graph_, node)) {
        Refuse(refusal);
        return nullptr;
    }
    return InsertNode("Clone node", node.Clone(), {view::kDefaultBoxLeft, view::kDefaultBoxTop});
}

bool DocumentController::DeleteNode(Node& node) {
    if (const char* refusal = CanDeleteNode(graph_, node)) {
        Refuse(refusal);
        return false;
    }
    HeldNode held{nullptr, graph_.NodeIndex(&node)};
    return history_.Push(
        std::make_unique<NodeCommand>(*this, "Delete node", std::move(held), false));
}

bool DocumentController::DeleteNodes(std::vector<Node*> nodes, const std::string& text) {
    std::erase(nodes, graph_.store());
    if (nodes.empty()) {
        Refuse(CanDeleteNode(graph_, *graph_.store()));
        return false;
    }
    // From the last, so that every index stays good until its node goes.
    std::sort(nodes.begin(), nodes.end(),
              [this](Node* a, Node* b) { return graph_.NodeIndex(a) > graph_.NodeIndex(b); });
    BeginMacro(text);
    for (Node* node : nodes)
        for (Cable* cable : CablesOf(*node)) DeleteCable(cable);  // one between two goes once
    for (Node* node : nodes) {
        HeldNode held{nullptr, graph_.NodeIndex(node)};
        history_.Push(std::make_unique<NodeCommand>(*this, text, std::move(held), false));
    }
    EndMacro();
    return true;
}

std::vector<uint8_t> DocumentController::CopyNodes(const std::vector<Node*>& nodes) const {
    std::vector<const Node*> copied;
    std::vector<BoxPos> corners;
    const std::vector<BoxPos> layout = layout_.Layout();
    // In document order, so a paste keeps the order of the originals.
    for (size_t i = 1; i < graph_.nodes.size(); ++i) {
        const Node* node = graph_.nodes[i].get();
        if (std::find(nodes.begin(), nodes.end(), node) == nodes.end()) continue;
        copied.push_back(node);
        corners.push_back(layout[i]);
    }
    MemoryStream stream;
    std::string error;
    if (copied.empty() || !SaveNodes(stream, graph_, copied, &error)) return {};
    WriteLayoutSection(stream, corners);
    return stream.data();
}

bool DocumentController::RefusePaste(size_t nodes, size_t cables) {
    std::string problem;
    if (graph_.nodes.size() + nodes > kMaxFileRecords)
        problem = std::to_string(graph_.nodes.size() + nodes) + " nodes";
    else if (graph_.cables.size() + cables > kMaxFileRecords)
        problem = std::to_string(graph_.cables.size() + cables) + " cables";
    else if (!NodeGraph::ImagesFitInMemory(graph_.nodes.size() + nodes + 1, graph_.width,
                                           graph_.height)) {
        Refuse(NoMemoryForNode());
        return true;
    }
    if (problem.empty()) return false;
    Refuse("A texture file holds at most 255 nodes and 255 cables;\nthe document would have " +
           problem + ".");
    return true;
}

std::vector<Node*> DocumentController::PasteNodes(const std::vector<uint8_t>& bytes,
                                                  std::optional<view::Point> at,
                                                  const std::string& text) {
    Clip clip;
    std::string error;
    if (!ReadClip(bytes, registry_, graph_.store()->typeId, clip, &error)) {
        Refuse(bytes.empty() ? "The clipboard holds no nodes."
                             : "The nodes on the clipboard cannot be pasted: " + error + ".");
        return {};
    }
    return AddClip(clip, at, text);
}

// Node::Clone rather than the bytes, so that any node type clones.
std::vector<Node*> DocumentController::CloneNodes(const std::vector<Node*>& nodes,
                                                  const std::string& text) {
    Clip clip;
    const std::vector<BoxPos> layout = layout_.Layout();
    std::vector<const Node*> originals;
    for (size_t i = 1; i < graph_.nodes.size(); ++i) {
        const Node* node = graph_.nodes[i].get();
        if (std::find(nodes.begin(), nodes.end(), node) == nodes.end()) continue;
        originals.push_back(node);
        clip.records.nodes.push_back(node->Clone());
        clip.corners.push_back(layout[i]);
    }
    if (originals.empty()) {
        Refuse(CanCloneNode(graph_, *graph_.store()));
        return {};
    }
    // The same pin of the clone.
    auto twin = [&](const Pin* pin) -> Pin* {
        const size_t at =
            std::find(originals.begin(), originals.end(), pin->owner) - originals.begin();
        if (at == originals.size()) return nullptr;
        Node& clone = *clip.records.nodes[at];
        const int index = NodeGraph::PinIndex(pin->owner, pin);
        return pin->IsOutputPin() ? clone.outputPin.get() : clone.inputPins[index].get();
    };
    for (const auto& cable : graph_.cables) {
        Pin* first = twin(cable->first);
        Pin* second = twin(cable->second);
        if (first && second) clip.records.links.emplace_back(first, second);
    }
    return AddClip(clip, std::nullopt, text);
}

std::vector<Node*> DocumentController::AddClip(Clip& clip, std::optional<view::Point> at,
                                               const std::string& text) {
    auto& records = clip.records;
    if (RefusePaste(records.nodes.size(), records.links.size())) return {};
    view::Point shift{kPasteOffset, kPasteOffset};
    if (at) {
        int left = clip.corners.front().x;
        int top = clip.corners.front().y;
        for (const BoxPos& corner : clip.corners) {
            left = std::min<int>(left, corner.x);
            top = std::min<int>(top, corner.y);
        }
        shift = {at->x - left, at->y - top};
    }
    std::vector<Node*> added;
    BeginMacro(text);
    for (size_t i = 0; i < records.nodes.size(); ++i) {
        const view::Point corner{clip.corners[i].x + shift.x, clip.corners[i].y + shift.y};
        Node* node = InsertNode(text.c_str(), std::move(records.nodes[i]), corner);
        if (!node) break;
        added.push_back(node);
    }
    const bool complete = added.size() == records.nodes.size();
    for (size_t k = 0; complete && k < records.links.size(); ++k)
        DrawCable(records.links[k].first, records.links[k].second);
    EndMacro();
    if (complete) return added;
    Undo();  // memory ran out part way: nothing stays
    return {};
}

bool DocumentController::DeleteCable(Cable* cable) {
    const auto& cables = graph_.cables;
    if (std::none_of(cables.begin(), cables.end(),
                     [cable](const auto& c) { return c.get() == cable; }))
        return false;
    return history_.Push(std::make_unique<CableCommand>(*this, cable));
}

Cable* DocumentController::DrawCable(Pin* first, Pin* second) {
    auto command = std::make_unique<CableCommand>(*this, first, second);
    Cable* cable = command->cable();
    history_.Push(std::move(command));
    return cable;
}

void DocumentController::MoveBoxes(std::vector<view::Point> before) {
    history_.Push(std::make_unique<MoveCommand>(*this, std::move(before)));
}

void DocumentController::SetParam(Node& node, int param, ParamValue value, long long run) {
    history_.Push(std::make_unique<ParamCommand>(*this, node, param, std::move(value), run));
}

bool DocumentController::ResizeTexture(int side) {
    if (side > Image::kMaxSide) {
        const std::string max = std::to_string(Image::kMaxSide);
        Refuse("Textures larger than " + max + "x" + max + " are not supported.");
        return false;
    }
    return history_.Push(std::make_unique<TextureCommand>(*this, graph_.texture().width, side));
}

bool DocumentController::ApplyTextureSize(int side) {
    if (graph_.SetTextureSize(side, side)) return true;
    const Image& texture = graph_.texture();
    Refuse("There is not enough memory for a " + std::to_string(side) + "x" + std::to_string(side) +
           " texture.\nThe texture stays " + std::to_string(texture.width) + "x" +
           std::to_string(texture.height) + ".");
    return false;
}

std::string DocumentController::NoMemoryForNode() const {
    return "There is not enough memory for another " + std::to_string(graph_.width) + "x" +
           std::to_string(graph_.height) + " image.\nTry a smaller texture.";
}
