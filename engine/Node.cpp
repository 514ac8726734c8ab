#include "engine/Node.h"

#include <cstring>

#include "engine/Diagnostics.h"
#include "engine/RenderListener.h"
#include "engine/RenderRollback.h"

Image* NullImage = nullptr;

namespace {
NullRenderListener g_nullListener;
RenderListener* g_listener = &g_nullListener;
}  // namespace

void SetRenderListener(RenderListener* listener) {
    g_listener = listener ? listener : &g_nullListener;
}

RenderListener& GetRenderListener() {
    return *g_listener;
}

Pin::Pin(Node* o, const std::string& n) : owner(o), name(n.substr(0, Param::kMaxNameLength)) {}

bool Pin::IsOutputPin() const {
    return owner->outputPin.get() == this;
}

Node::Node(const std::string& n, uint8_t type, int width, int height, NodeTiming timing)
    : name(n.substr(0, kMaxNameLength)), typeId(type), timing_(timing) {
    outputPin = std::make_unique<Pin>(this, "Output");
    image = Image::Create(width, height);
    // Nodes are built at 1 x 1 or at the size of an existing image; keep an
    // image even if that one could not be had.
    if (!image) image = Image::Create(1, 1);
}

Node::~Node() = default;

RowOrder Node::NeighbourhoodRowOrder() const {
    for (const Image* input : inputImages)
        if (input == image.get()) return RowOrder::kInOrder;
    return RowOrder::kAnyOrder;
}

void Node::AddInput(const std::string& pinName) {
    inputPins.push_back(std::make_unique<Pin>(this, pinName));
}

void Node::AddParams(std::span<const ParamDef> table) {
    for (const ParamDef& def : table) {
        switch (def.kind) {
            case ParamDef::Kind::kInt:
                params.push_back(std::make_unique<IntParam>(def.name, def.min, def.max, def.value));
                break;
            case ParamDef::Kind::kChoice:
                params.push_back(std::make_unique<ChoiceParam>(def.name, def.options));
                break;
            case ParamDef::Kind::kText:
                params.push_back(std::make_unique<TextParam>(def.name, def.text));
                break;
        }
    }
}

void Node::CopyParamsFrom(const Node& source) {
    for (size_t i = 0; i < params.size() && i < source.params.size(); ++i) {
        if (source.params[i]->isNumeric)
            params[i]->SetValue(source.params[i]->GetValue());
        else
            params[i]->SetText(source.params[i]->GetText());
    }
}

bool Node::ResizeImage(int width, int height) {
    auto fresh = Image::Create(width, height);
    if (!fresh) return false;
    image = std::move(fresh);
    return true;
}

void Node::GatherInputs() {
    visited = 1;
    inputImages.clear();
    for (const auto& pin : inputPins) {
        if (pin->cables.empty()) {
            inputImages.push_back(NullImage);
            continue;
        }
        Node* upstream = pin->cables.front()->OtherEnd(pin.get())->owner;
        if (!upstream->visited) upstream->Update();
        inputImages.push_back(upstream->image.get());
    }
}

namespace {
thread_local uint64_t t_currentRender = 0;
}

uint64_t Node::CurrentRender() {
    return t_currentRender;
}

void Node::SetCurrentRender(uint64_t render) {
    t_currentRender = render;
}

// A generator reads only its parameters, which a render never changes (the
// Text node also keeps its own pixels outside its rectangle), and reseeds the
// random generator itself; so a second pull in the same render would write
// the same bytes over its first result and leave the generator state as the
// first did. Only the work is skipped: the log line and NodeDone stay.
void Node::ComputeUnlessDone() {
    const uint64_t render = CurrentRender();
    if (inputPins.empty() && render != 0 && computedInRender_ == render) return;
    Compute();
    computedInRender_ = render;
}

void Node::Update() {
    rowbands::Checkpoint(rowbands::ActiveCancel());
    if (!inputPins.empty()) GatherInputs();
    if (RenderRollback* rollback = RenderRollback::Active()) rollback->Keep(*this);
    if (!timing_.label) {
        ComputeUnlessDone();
        NodeDone();
        return;
    }
    StartTimer();
    ComputeUnlessDone();
    if (timing_.doneBeforeLog) NodeDone();
    StopTimer(TimerLabel().c_str());
    if (!timing_.doneBeforeLog) NodeDone();
}

void Node::NodeDone() {
    GetRenderListener().NodeDone();
}

StoreNode::StoreNode(int width, int height) : Node("Store", kTypeId, width, height) {
    AddInput("Source");
}

std::unique_ptr<Node> StoreNode::Clone() const {
    return CloneAs<StoreNode>();
}

void StoreNode::Compute() {
    const Image* source = inputImages[0];
    // Sizes always agree inside a graph; the guard keeps a stray image harmless.
    if (source && source->pixelCount == image->pixelCount)
        std::memcpy(image->pixels, source->pixels, image->byteCount());
}
