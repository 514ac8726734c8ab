// Blur, the HSV nodes and the mixer, each fed by fixed random pixels so that
// the figures are the filter's alone (plus the Store copy, see BM_StoreOnly).
#include <random>

#include "BenchSupport.h"
#include "nodes/filters/Blur.h"
#include "nodes/filters/FromHSV.h"
#include "nodes/filters/HSV.h"
#include "nodes/filters/Mixer.h"
#include "nodes/filters/ToHSV.h"

namespace {

// Random bytes made once when the graph is built; rendering costs nothing.
class FixedNoise : public Node {
public:
    FixedNoise(int width, int height) : Node("Fixed noise", 250, width, height) {}
    std::unique_ptr<Node> Clone() const override { return nullptr; }
    void Compute() override {}
};

Node* AddNoise(NodeGraph& graph, unsigned seed) {
    Node* node = graph.AddNode(std::make_unique<FixedNoise>(graph.width, graph.height));
    std::mt19937 rng(seed);
    for (size_t i = 0; i < node->image->byteCount(); ++i)
        node->image->bytes()[i] = static_cast<uint8_t>(rng());
    return node;
}

// noise -> filter (and a second noise into pin 1 for the mixer).
void FilterBenchmark(benchmark::State& state, uint8_t typeId,
                     std::initializer_list<std::pair<int, int16_t>> params) {
    RenderGraphBenchmark(state, [&](NodeGraph& graph, const NodeRegistry& registry) {
        Node* filter = AddNodeOfType(graph, registry, typeId);
        for (size_t pin = 0; pin < filter->inputPins.size(); ++pin)
            Feed(graph, AddNoise(graph, 1 + pin), filter, static_cast<int>(pin));
        for (const auto& [index, value] : params) filter->param(index).SetValue(value);
        return filter;
    });
}

void BM_BlurDefault(benchmark::State& s) {
    FilterBenchmark(s, Blur::kTypeId, {});
}
void BM_BlurRadius1(benchmark::State& s) {
    FilterBenchmark(s, Blur::kTypeId, {{0, 1}, {1, 1}});
}
// 8 and 32 compare with the peer box blurs; 24 is a radius whose table rounds
// some multiples down, which the multiplier corrects.
void BM_BlurRadius8(benchmark::State& s) {
    FilterBenchmark(s, Blur::kTypeId, {{0, 8}, {1, 8}});
}
void BM_BlurRadius24(benchmark::State& s) {
    FilterBenchmark(s, Blur::kTypeId, {{0, 24}, {1, 24}});
}
void BM_BlurRadius32(benchmark::State& s) {
    FilterBenchmark(s, Blur::kTypeId, {{0, 32}, {1, 32}});
}
void BM_BlurRadius255(benchmark::State& s) {
    FilterBenchmark(s, Blur::kTypeId, {{0, 255}, {1, 255}});
}
void BM_HSVDefault(benchmark::State& s) {
    FilterBenchmark(s, HSV::kTypeId, {});
}
void BM_HSVShifted(benchmark::State& s) {
    FilterBenchmark(s, HSV::kTypeId, {{0, 40}, {1, 30}, {2, -20}});
}
void BM_ToHSV(benchmark::State& s) {
    FilterBenchmark(s, ToHSV::kTypeId, {});
}
void BM_FromHSV(benchmark::State& s) {
    FilterBenchmark(s, FromHSV::kTypeId, {});
}
void BM_MixerAdd(benchmark::State& s) {
    FilterBenchmark(s, Mixer::kTypeId, {});
}
void BM_MixerHue(benchmark::State& s) {
    FilterBenchmark(s, Mixer::kTypeId, {{2, 1}});
}
void BM_MixerSatur(benchmark::State& s) {
    FilterBenchmark(s, Mixer::kTypeId, {{2, 2}});
}
void BM_MixerMul(benchmark::State& s) {
    FilterBenchmark(s, Mixer::kTypeId, {{2, 3}});
}

}  // namespace

SWATCHER_NODE_BENCHMARK(BM_BlurDefault);
SWATCHER_NODE_BENCHMARK(BM_BlurRadius1);
SWATCHER_NODE_BENCHMARK(BM_BlurRadius8);
SWATCHER_NODE_BENCHMARK(BM_BlurRadius24);
SWATCHER_NODE_BENCHMARK(BM_BlurRadius32);
SWATCHER_NODE_BENCHMARK(BM_BlurRadius255);
SWATCHER_NODE_BENCHMARK(BM_HSVDefault);
SWATCHER_NODE_BENCHMARK(BM_HSVShifted);
SWATCHER_NODE_BENCHMARK(BM_ToHSV);
SWATCHER_NODE_BENCHMARK(BM_FromHSV);
SWATCHER_NODE_BENCHMARK(BM_MixerAdd);
SWATCHER_NODE_BENCHMARK(BM_MixerHue);
SWATCHER_NODE_BENCHMARK(BM_MixerSatur);
SWATCHER_NODE_BENCHMARK(BM_MixerMul);
