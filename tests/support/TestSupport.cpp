#include "support/TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"

std::vector<std::string> LogCapture::Matching(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const auto& line : lines_)
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    return out;
}

std::vector<uint8_t> Bytes(const Image& image) {
    return std::vector<uint8_t>(image.bytes(), image.bytes() + image.byteCount());
}

std::vector<uint8_t> GraphBytes(const NodeGraph& graph, const std::vector<BoxPos>* layout) {
    MemoryStream out;
    if (!graph.Save(out, nullptr)) return {};  // compares unequal to any document
    if (layout) WriteLayoutSection(out, *layout);
    return out.data();
}

std::string LoadBytes(NodeGraph& graph, const std::vector<uint8_t>& bytes,
                      std::vector<BoxPos>* layout) {
    MemoryStream in(bytes);
    std::string error;
    if (!graph.Load(in, NodeRegistry(), &error)) return error.empty() ? "?" : error;
    const std::vector<BoxPos> boxes = ReadLayoutSection(in, graph.nodes.size());
    if (layout) *layout = boxes;
    return "";
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::string TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/swatcher-test-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    return mkdtemp(name.data()) ? std::string(name.data()) : std::string("/tmp");
}

std::vector<uint8_t> RenderFed(uint8_t type, const std::vector<int16_t>& params, int width,
                               int height, bool inPlace) {
    const NodeRegistry registry;
    NodeGraph graph(width, height);
    auto add = [&](uint8_t typeId, const std::vector<int16_t>& values) {
        Node* node = graph.AddNode(registry.CreateNode(typeId));
        for (size_t i = 0; i < values.size(); ++i) node->param(i).SetValue(values[i]);
        return node;
    };
    Node* node = add(type, params);
    const std::vector<Node*> sources = {add(7, {90, 40, 23, 37, 10, 200, 3}), add(2, {255, 0, 9}),
                                        add(15, {3, 200, 5, 1, 77})};
    for (size_t i = 0; i < node->inputPins.size(); ++i)
        graph.Connect(sources[inPlace ? 1 : i]->outputPin.get(), node->inputPins[i].get());
    graph.Connect(node->outputPin.get(), graph.store()->inputPins[0].get());
    graph.Render();
    if (inPlace) {
        for (const auto& pin : node->inputPins) {
            graph.RemoveCable(pin->cables.front());
            graph.Connect(node->outputPin.get(), pin.get());
        }
        graph.Render();
    }
    return Bytes(graph.texture());
}
