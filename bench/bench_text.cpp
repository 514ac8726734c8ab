// The Text node: font choice, surface rebuild and copy at every render.
#include "BenchSupport.h"
#include "nodes/generators/ND_TEXT.h"

static void BM_Text(benchmark::State& state) {
    RenderGraphBenchmark(state, [](NodeGraph& graph, const NodeRegistry& registry) {
        return AddNodeOfType(graph, registry, ND_TEXT::kTypeId);
    });
}
SWATCHER_NODE_BENCHMARK(BM_Text);

// The largest cell with a long line from the corner: mostly glyph rendering.
static void BM_TextLargest(benchmark::State& state) {
    RenderGraphBenchmark(state, [](NodeGraph& graph, const NodeRegistry& registry) {
        Node* text = AddNodeOfType(graph, registry, ND_TEXT::kTypeId);
        text->param(0).SetValue(0);    // "Pos X"
        text->param(1).SetValue(0);    // "Pos Y"
        text->param(2).SetValue(255);  // "Height"
        text->param(4).SetText("The quick brown fox jumps over the lazy dog");
        return text;
    });
}
SWATCHER_NODE_BENCHMARK(BM_TextLargest);
