// Texture file: graph section (size, node records, cable records) followed
// by the editor's layout section. Little-endian, no header.
#include "engine/TextureFile.h"

#include <algorithm>
#include <memory>
#include <string>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"

namespace {

constexpr size_t kMaxRecords = 255;
constexpr size_t kMaxTextBytes = 255;
constexpr int kMaxFileSide = 32767;

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

std::string NodeLabel(size_t index, const Node& node) {
    return "node " + std::to_string(index) + " (" + Quoted(node.name) + ")";
}

// Reads one node record's parameter values into a freshly created node.
bool ReadParams(Stream& stream, Node& node, size_t index, std::string* error) {
    for (const auto& param : node.params) {
        if (param->isNumeric) {
            param->SetValue(ReadI16(stream));
        } else {
            size_t length = ReadU8(stream);
            std::string text(length, '\0');
            if (length) stream.Read(text.data(), length);
            // The text ends at its first zero byte, as a C string would.
            text.resize(text.find('\0') == std::string::npos ? length : text.find('\0'));
            param->SetText(text);
        }
        if (stream.failed())
            return Fail(error, "the file ends inside parameter " + Quoted(param->name) + " of " +
                                   NodeLabel(index, node));
    }
    return true;
}

struct CableRecord {
    uint8_t node[2];
    uint8_t pin[2];
};

// "1 input pin", "2 input pins".
std::string Counted(size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

bool ResolvePin(const std::vector<std::unique_ptr<Node>>& nodes, uint8_t nodeIndex,
                uint8_t pinIndex, size_t cable, Pin** pin, std::string* error) {
    const std::string where = "cable " + std::to_string(cable);
    if (nodeIndex >= nodes.size())
        return Fail(error, where + " names node " + std::to_string(nodeIndex) +
                               " but the file has only " + Counted(nodes.size(), "node", "nodes"));
    Node& node = *nodes[nodeIndex];
    if (pinIndex == 255) {
        *pin = node.outputPin.get();
        return true;
    }
    if (pinIndex >= node.inputPins.size())
        return Fail(error, where + " names input pin " + std::to_string(pinIndex) + " of " +
                               NodeLabel(nodeIndex, node) + ", which has " +
                               Counted(node.inputPins.size(), "input pin", "input pins"));
    *pin = node.inputPins[pinIndex].get();
    return true;
}

// The graph section of `nodes` and of the cables with both ends among them;
// a cable names its nodes by their positions in `nodes`.
bool WriteGraphSection(Stream& stream, int width, int height, const std::vector<const Node*>& nodes,
                       const std::vector<std::unique_ptr<Cable>>& allCables, std::string* error) {
    auto position = [&nodes](const Node* node) {
        return static_cast<int>(std::find(nodes.begin(), nodes.end(), node) - nodes.begin());
    };
    const int count = static_cast<int>(nodes.size());
    std::vector<const Cable*> cables;
    for (const auto& cable : allCables)
        if (position(cable->first->owner) < count && position(cable->second->owner) < count)
            cables.push_back(cable.get());
    if (nodes.size() > kMaxRecords)
        return Fail(error, "a texture file holds at most 255 nodes; this document has " +
                               std::to_string(nodes.size()));
    if (cables.size() > kMaxRecords)
        return Fail(error, "a texture file holds at most 255 cables; this document has " +
                               std::to_string(cables.size()));
    if (width < 1 || height < 1 || width > kMaxFileSide || height > kMaxFileSide)
        return Fail(error, "the texture size does not fit a texture file");
    for (size_t i = 0; i < nodes.size(); ++i)
        for (const auto& param : nodes[i]->params)
            if (!param->isNumeric && param->GetText().size() > kMaxTextBytes)
                return Fail(error,
                            "parameter " + Quoted(param->name) + " of " + NodeLabel(i, *nodes[i]) +
                                " is longer than 255 characters, which a texture file cannot hold");

    WriteI16(stream, static_cast<int16_t>(width));
    WriteI16(stream, static_cast<int16_t>(height));
    WriteU8(stream, static_cast<uint8_t>(nodes.size()));
    WriteU8(stream, static_cast<uint8_t>(cables.size()));
    for (const Node* node : nodes) {
        WriteU8(stream, node->typeId);
        for (const auto& param : node->params) {
            if (param->isNumeric) {
                WriteI16(stream, param->GetValue());
            } else {
                std::string text = param->GetText();
                WriteU8(stream, static_cast<uint8_t>(text.size()));
                stream.Write(text.data(), text.size());
            }
        }
    }
    for (const Cable* cable : cables) {
        const Pin* ends[2] = {cable->first, cable->second};
        for (const Pin* pin : ends) {
            WriteU8(stream, static_cast<uint8_t>(position(pin->owner)));
            WriteU8(stream, static_cast<uint8_t>(NodeGraph::PinIndex(pin->owner, pin)));
        }
    }
    return !stream.failed() || Fail(error, "writing failed");
}

}  // namespace

bool ReadGraphRecords(Stream& stream, const NodeRegistry& registry, size_t nodeCount,
                      size_t cableCount, const Image* size, GraphRecords& records,
                      std::string* error) {
    std::vector<std::unique_ptr<Node>>& fresh = records.nodes;
    for (size_t i = 0; i < nodeCount; ++i) {
        const uint8_t type = ReadU8(stream);
        if (stream.failed())
            return Fail(error, "the file ends before node " + std::to_string(i) + " of " +
                                   std::to_string(nodeCount));
        auto node = registry.CreateNode(type);
        if (!node)
            return Fail(error, "node " + std::to_string(i) + " has unknown type id " +
                                   std::to_string(type));
        if (size && !node->ResizeImage(size->width, size->height))
            return Fail(error, "not enough memory for " + std::to_string(nodeCount) +
                                   " images of " + std::to_string(size->width) + " x " +
                                   std::to_string(size->height));
        if (!ReadParams(stream, *node, i, error)) return false;
        fresh.push_back(std::move(node));
    }

    for (size_t k = 0; k < cableCount; ++k) {
        CableRecord record;
        record.node[0] = ReadU8(stream);
        record.pin[0] = ReadU8(stream);
        record.node[1] = ReadU8(stream);
        record.pin[1] = ReadU8(stream);
        if (stream.failed())
            return Fail(error, "the file ends inside cable " + std::to_string(k) + " of " +
                                   std::to_string(cableCount));
        Pin* ends[2];
        for (int e = 0; e < 2; ++e)
            if (!ResolvePin(fresh, record.node[e], record.pin[e], k, &ends[e], error)) return false;
        records.links.emplace_back(ends[0], ends[1]);
    }
    return true;
}

bool NodeGraph::Save(Stream& stream, std::string* error) const {
    std::vector<const Node*> all;
    for (const auto& node : nodes) all.push_back(node.get());
    return WriteGraphSection(stream, width, height, all, cables, error);
}

bool SaveNodes(Stream& stream, const NodeGraph& graph, const std::vector<const Node*>& nodes,
               std::string* error) {
    return WriteGraphSection(stream, graph.width, graph.height, nodes, graph.cables, error);
}

bool NodeGraph::Load(Stream& stream, const NodeRegistry& registry, std::string* error) {
    const int w = ReadI16(stream);
    const int h = ReadI16(stream);
    const size_t nodeCount = ReadU8(stream);
    const size_t cableCount = ReadU8(stream);
    if (stream.failed()) return Fail(error, "the file is too short to be a texture file");
    if (w < 1 || h < 1)
        return Fail(error, "invalid texture size " + std::to_string(w) + " x " + std::to_string(h));
    if (w > Image::kMaxSide || h > Image::kMaxSide)
        return Fail(error, "texture size " + std::to_string(w) + " x " + std::to_string(h) +
                               " is too large (at most " + std::to_string(Image::kMaxSide) + " x " +
                               std::to_string(Image::kMaxSide) + ")");

    const std::string noMemory = "not enough memory for " + std::to_string(nodeCount) +
                                 " images of " + std::to_string(w) + " x " + std::to_string(h);
    if (!ImagesFitInMemory(nodeCount + 1, w, h)) return Fail(error, noMemory);
    auto freshNull = Image::Create(w, h);
    if (!freshNull) return Fail(error, noMemory);

    GraphRecords records;
    if (!ReadGraphRecords(stream, registry, nodeCount, cableCount, freshNull.get(), records, error))
        return false;
    std::vector<std::unique_ptr<Node>>& fresh = records.nodes;

    // A file without nodes is an empty document: it gets its Store node.
    if (fresh.empty()) {
        fresh.push_back(std::make_unique<StoreNode>(w, h));
        if (fresh.back()->image->width != w || fresh.back()->image->height != h)
            return Fail(error, noMemory);
    }

    // Everything is known good: replace the document.
    DestroyCables();
    nodes = std::move(fresh);
    for (const auto& [first, second] : records.links) Connect(first, second);
    nullImage_ = std::move(freshNull);
    NullImage = nullImage_.get();
    width = w;
    height = h;
    return true;
}

void WriteLayoutSection(Stream& stream, const std::vector<BoxPos>& boxes) {
    WriteU8(stream, static_cast<uint8_t>(boxes.size()));
    for (const BoxPos& box : boxes) {
        WriteI16(stream, box.x);
        WriteI16(stream, box.y);
    }
}

std::vector<BoxPos> ReadLayoutSection(Stream& stream, size_t nodeCount) {
    std::vector<BoxPos> boxes(nodeCount);
    const size_t count = ReadU8(stream);
    for (size_t i = 0; i < count && !stream.failed(); ++i) {
        BoxPos box;
        box.x = ReadI16(stream);
        box.y = ReadI16(stream);
        if (!stream.failed() && i < nodeCount) boxes[i] = box;
    }
    return boxes;
}

constexpr const char* kDamagedLayout =
    "the box positions were damaged; boxes were placed in the spawning pool";

bool LoadTextureFile(const std::string& path, NodeGraph& graph, const NodeRegistry& registry,
                     std::vector<BoxPos>* layout, std::string* error, std::string* warning) {
    FileStream stream(path, FileStream::kRead);
    if (!stream.isOpen()) return Fail(error, "Cannot open file " + path + ": " + stream.error());
    std::string problem;
    if (!graph.Load(stream, registry, &problem)) return Fail(error, path + ": " + problem);
    std::vector<BoxPos> boxes = ReadLayoutSection(stream, graph.nodes.size());
    if (layout) *layout = std::move(boxes);
    const bool shortLayout = stream.failed();
    ReadU8(stream);  // nothing follows the layout section
    const bool damaged = shortLayout || !stream.failed();
    if (warning) *warning = damaged ? path + ": " + kDamagedLayout : "";
    return true;
}

bool SaveTextureFile(const std::string& path, const NodeGraph& graph,
                     const std::vector<BoxPos>& layout, std::string* error) {
    // Validate before the file is even created.
    MemoryStream probe;
    std::string problem;
    if (!graph.Save(probe, &problem)) return Fail(error, "Cannot save " + path + ": " + problem);

    std::vector<BoxPos> boxes(graph.nodes.size());
    for (size_t i = 0; i < boxes.size() && i < layout.size(); ++i) boxes[i] = layout[i];
    WriteLayoutSection(probe, boxes);

    FileStream stream(path, FileStream::kWrite);
    if (!stream.isOpen()) return Fail(error, "Cannot open file " + path + ": " + stream.error());
    stream.Write(probe.data().data(), probe.data().size());
    if (!stream.Commit()) return Fail(error, "Cannot write file " + path + ": " + stream.error());
    return true;
}
