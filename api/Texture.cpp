#include "swatcher/Texture.h"

#include <strings.h>

#include <mutex>

#include "api/GraphJson.h"
#include "api/ParamSetting.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/RowBands.h"
#include "engine/TextureFile.h"

namespace swatcher {

struct Texture::Graph {
    NodeGraph graph{64, 64};
    std::vector<BoxPos> layout;
};

namespace {

// Graphs point the engine's all-zero input image at their own when they are
// made, resized, loaded, rendered or destroyed, so all of that is serialised.
std::mutex& EngineMutex() {
    static std::mutex mutex;
    return mutex;
}

const NodeRegistry& Registry() {
    static const NodeRegistry registry;
    return registry;
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

std::string Numbered(const std::string& label, int index, const std::string& name) {
    return label + " " + std::to_string(index) + " " + Quoted(name);
}

Node& NodeAt(const NodeGraph& graph, int index) {
    if (index < 0 || index >= static_cast<int>(graph.nodes.size()))
        throw UsageError("no node " + std::to_string(index) +
                         " (nodes: " + IndexedNames(graph.nodes) + ")");
    return *graph.nodes[index];
}

ParamInfo Describe(const Param& param) {
    ParamInfo info{param.name, ParamInfo::Kind::kText, 0, 0, 0, param.GetText(), {}};
    if (!param.isNumeric) return info;
    info.value = param.GetValue();
    info.min = param.GetMin();
    info.max = param.GetMax();
    auto* choice = dynamic_cast<const ChoiceParam*>(&param);
    info.kind = choice ? ParamInfo::Kind::kChoice : ParamInfo::Kind::kInt;
    if (choice) info.options = choice->options();
    return info;
}

void CheckSize(int size) {
    if (size < 1 || size > kMaxSide)
        throw UsageError("size " + std::to_string(size) + " is not in range [1 - " +
                         std::to_string(kMaxSide) + "]");
}

void Resize(NodeGraph& graph, int size) {
    CheckSize(size);
    if (!graph.SetTextureSize(size, size))
        throw UsageError("cannot make a " + std::to_string(size) + " x " + std::to_string(size) +
                         " texture");
}

// The render thread count is process-wide; a render's own count ends with it.
class RenderThreads {
public:
    explicit RenderThreads(std::optional<int> threads) {
        if (!threads) return;
        if (*threads < 1 || *threads > 1024)
            throw UsageError("threads " + std::to_string(*threads) + " is not in range [1 - 1024]");
        SetRowThreads(*threads);
        set_ = true;
    }
    ~RenderThreads() {
        if (set_) SetRowThreads(0);
    }

private:
    bool set_ = false;
};

}  // namespace

std::vector<std::string> NodeTypes() {
    std::lock_guard lock(EngineMutex());
    std::vector<std::string> names;
    for (const auto& prototype : Registry().prototypes()) names.push_back(prototype->name);
    return names;
}

Texture::Texture(int size) {
    CheckSize(size);
    std::lock_guard lock(EngineMutex());
    graph_ = std::make_unique<Graph>();
    if (size != graph_->graph.width) Resize(graph_->graph, size);
}

Texture::Texture(std::unique_ptr<Graph> graph) : graph_(std::move(graph)) {}

Texture Texture::Load(const std::string& path) {
    std::lock_guard lock(EngineMutex());
    auto graph = std::make_unique<Graph>();
    std::string error;
    if (!LoadTextureFile(path, graph->graph, Registry(), &graph->layout, &error))
        throw FileError(error);
    return Texture(std::move(graph));
}

Texture::~Texture() {
    std::lock_guard lock(EngineMutex());
    graph_.reset();
}

Texture::Texture(Texture&&) noexcept = default;

Texture& Texture::operator=(Texture&& other) noexcept {
    std::lock_guard lock(EngineMutex());
    graph_ = std::move(other.graph_);
    return *this;
}

int Texture::width() const {
    return graph_->graph.width;
}

int Texture::height() const {
    return graph_->graph.height;
}

std::vector<NodeInfo> Texture::Nodes() const {
    std::lock_guard lock(EngineMutex());
    std::vector<NodeInfo> nodes;
    for (const auto& node : graph_->graph.nodes) {
        NodeInfo info{node->typeId, node->name, {}, {}};
        for (const auto& pin : node->inputPins) info.inputs.push_back(pin->name);
        for (const auto& param : node->params) info.params.push_back(Describe(*param));
        nodes.push_back(std::move(info));
    }
    return nodes;
}

std::string Texture::InfoJson() const {
    std::lock_guard lock(EngineMutex());
    return GraphJson(graph_->graph);
}

void Texture::Set(const std::string& key, const std::string& value) {
    ParamSetting setting;
    std::string error;
    if (!ParseParamSetting(key + "=" + value, &setting, &error)) throw UsageError(error);
    std::lock_guard lock(EngineMutex());
    if (!ApplyParamSetting(graph_->graph, setting, &error)) throw UsageError(error);
}

int Texture::AddNode(const std::string& typeName) {
    std::lock_guard lock(EngineMutex());
    NodeGraph& graph = graph_->graph;
    std::string types;
    for (const auto& prototype : Registry().prototypes()) {
        if (strcasecmp(prototype->name.c_str(), typeName.c_str()) != 0) {
            types += (types.empty() ? "" : ", ") + Quoted(prototype->name);
            continue;
        }
        if (!graph.AddNode(Registry().CreateNode(prototype->typeId)))
            throw UsageError("cannot add a " + Quoted(prototype->name) + " node of " +
                             std::to_string(graph.width) + " x " + std::to_string(graph.height));
        graph_->layout.resize(graph.nodes.size());
        return static_cast<int>(graph.nodes.size()) - 1;
    }
    throw UsageError("no node type " + Quoted(typeName) + " (types: " + types + ")");
}

void Texture::Connect(int fromNode, int toNode, int toPin) {
    std::lock_guard lock(EngineMutex());
    NodeGraph& graph = graph_->graph;
    Node& from = NodeAt(graph, fromNode);
    Node& to = NodeAt(graph, toNode);
    if (toPin < 0 || toPin >= static_cast<int>(to.inputPins.size()))
        throw UsageError(Numbered("node", toNode, to.name) + " has no input pin " +
                         std::to_string(toPin) + " (inputs: " + IndexedNames(to.inputPins) + ")");
    Pin* input = to.inputPins[toPin].get();
    if (!input->cables.empty())
        throw UsageError(Numbered("input", toPin, input->name) + " of " +
                         Numbered("node", toNode, to.name) + " already holds a cable");
    graph.Connect(from.outputPin.get(), input);
}

void Texture::SetSize(int size) {
    std::lock_guard lock(EngineMutex());
    Resize(graph_->graph, size);
}

Pixels Texture::Render(std::optional<int> size, std::optional<int> threads) {
    std::lock_guard lock(EngineMutex());
    RenderThreads renderThreads(threads);
    NodeGraph& graph = graph_->graph;
    if (size) Resize(graph, *size);
    graph.Render();
    const Image& texture = graph.texture();
    return {texture.width, texture.height,
            std::vector<uint8_t>(texture.bytes(), texture.bytes() + texture.byteCount())};
}

void Texture::Save(const std::string& path) const {
    std::lock_guard lock(EngineMutex());
    std::string error;
    if (!SaveTextureFile(path, graph_->graph, graph_->layout, &error)) throw FileError(error);
}

}  // namespace swatcher
