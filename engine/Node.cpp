#include "engine/Node.h"

#include <cstring>
#include <unordered_set>

#include "engine/Diagnostics.h"
#include "engine/RenderCancel.h"
#include "engine/RenderContext.h"
#include "engine/RenderListener.h"
#include "engine/RowBands.h"

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

// Whether this update must run Compute. Without skipping, only a generator
// pulled again within the same render is left out: it reads only its
// parameters, which a render never changes (the Text node also keeps its own
// pixels outside its rectangle), and reseeds the random generator itself, so
// a second pull would write the same bytes over its first result.
bool Node::NeedsCompute(const RenderContext* context, const ParamValues& values) const {
    if (!context) return true;
    if (context->skipUnchanged()) return !Unchanged(values);
    return !(inputPins.empty() && record_.render == context->number());
}

// Compute writes the same bytes again when (a) the image holds what the last
// Compute wrote (not replaced by a resize, a load, a clone or a rollback, nor
// written since), (b) the parameters are those it read, (c) every input has
// the contents it read, and (d) no input is the node's own image and the node
// is not in a cycle. Every node type's Compute is a function of its
// parameters and input bytes alone (the random generators reseed; the Text
// node redraws its rectangle the same over its own result), so then the
// image already holds its result. Versions stand for contents: each write of
// any image takes a new one.
bool Node::Unchanged(const ParamValues& values) const {
    if (record_.output == 0 || image->version() != record_.output) return false;
    if (values != record_.values || inputImages.size() != record_.inputs.size()) return false;
    for (size_t i = 0; i < inputImages.size(); ++i) {
        const Image* input = inputImages[i];
        if (!input || input == image.get() || input->version() != record_.inputs[i]) return false;
    }
    return !InCycle();
}

ParamValues Node::CurrentValues() const {
    ParamValues values;
    for (const auto& param : params) {
        values.numbers.push_back(param->GetValue());
        values.texts.push_back(param->isNumeric ? std::string() : param->GetText());
    }
    return values;
}

// Whether the pull from this node reaches it again: a node in a cycle reads
// an image from before this render, so it always computes.
bool Node::InCycle() const {
    std::vector<const Node*> todo{this};
    std::unordered_set<const Node*> seen;
    while (!todo.empty()) {
        const Node* node = todo.back();
        todo.pop_back();
        for (const auto& pin : node->inputPins) {
            if (pin->cables.empty()) continue;
            const Node* upstream = pin->cables.front()->OtherEnd(pin.get())->owner;
            if (upstream == this) return true;
            if (seen.insert(upstream).second) todo.push_back(upstream);
        }
    }
    return false;
}

void Node::ComputeAndRecord(const RenderContext* context, ParamValues values) {
    // Until Compute has finished the image matches no record: a cancel may
    // stop it half-way, and the rollback then puts back the older image.
    record_.output = 0;
    record_.inputs.clear();
    for (const Image* input : inputImages) record_.inputs.push_back(input ? input->version() : 0);
    record_.values = std::move(values);
    struct Computing {
        bool& flag;
        explicit Computing(bool& f) : flag(f) { flag = true; }
        ~Computing() { flag = false; }
    } computing(computing_);
    Compute();
    image->Written();
    record_.output = image->version();
    record_.render = context ? context->number() : 0;
}

void Node::Update() {
    RenderContext* context = RenderContext::Active();
    rowbands::Checkpoint(rowbands::ActiveCancel());
    if (!inputPins.empty()) GatherInputs();
    ParamValues values = context ? context->ValuesOf(*this) : CurrentValues();
    const bool compute = NeedsCompute(context, values);
    if (compute && context) context->Keep(*this);
    if (!timing_.label) {
        if (compute) ComputeAndRecord(context, std::move(values));
        NodeDone();
        return;
    }
    Stopwatch untimedRender;  // an update outside any render
    Stopwatch& stopwatch = context ? context->stopwatch() : untimedRender;
    stopwatch.Start();
    if (compute) ComputeAndRecord(context, std::move(values));
    if (timing_.doneBeforeLog) NodeDone();
    stopwatch.Stop(TimerLabel().c_str());
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
    if (!source || source->pixelCount != image->pixelCount) return;
    // Copied in row bands: one thread alone does not fill the memory bus.
    const size_t rowBytes = 4 * static_cast<size_t>(image->width);
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        std::memcpy(image->bytes() + y0 * rowBytes, source->bytes() + y0 * rowBytes,
                    (y1 - y0) * rowBytes);
    });
}
