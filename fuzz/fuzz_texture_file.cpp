// Feeds arbitrary bytes to the texture-file loader. A good load is saved,
// loaded again and must give the same bytes; a bad one must leave the
// document exactly as it was.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"
#include "engine/TextureFile.h"

namespace {

std::vector<uint8_t> Saved(const NodeGraph& graph) {
    MemoryStream out;
    std::string error;
    if (!graph.Save(out, &error)) std::abort();
    return out.data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NodeRegistry registry;
    NodeGraph graph(4, 4);
    const std::vector<uint8_t> before = Saved(graph);

    MemoryStream in(data, size);
    std::string error;
    if (!graph.Load(in, registry, &error)) {
        if (error.empty() || Saved(graph) != before) std::abort();
        return 0;
    }
    ReadLayoutSection(in, graph.nodes.size());

    // Keep renders cheap: the loader accepts sizes the fuzzer should not render.
    if (graph.width * graph.height <= 64 * 64) graph.Render();

    MemoryStream first;
    if (!graph.Save(first, &error)) return 0;  // e.g. a text longer than a file can hold
    NodeGraph again(1, 1);
    MemoryStream reread(first.data());
    if (!again.Load(reread, registry, &error)) std::abort();
    if (Saved(again) != first.data()) std::abort();
    return 0;
}
