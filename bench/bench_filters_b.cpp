// Tonal, relief, displacement and environment-map filters, each fed from Raw
// Noise; the Raw Noise render alone shows the source's share.
#include "BenchSupport.h"
#include "nodes/filters/BrightnessContrast.h"
#include "nodes/filters/Bump.h"
#include "nodes/filters/DisplacementMap.h"
#include "nodes/filters/Emboss.h"
#include "nodes/filters/EnvMap.h"
#include "nodes/filters/SineFilter.h"
#include "nodes/generators/RawNoise.h"

namespace {

// A filter of the given type with every input fed from one Raw Noise node.
void FilterOnNoise(benchmark::State& state, uint8_t typeId, int param = -1, int value = 0) {
    RenderGraphBenchmark(state, [&](NodeGraph& graph, const NodeRegistry& registry) {
        Node* noise = AddNodeOfType(graph, registry, RawNoise::kTypeId);
        Node* filter = AddNodeOfType(graph, registry, typeId);
        for (int pin = 0; pin < static_cast<int>(filter->inputPins.size()); ++pin)
            Feed(graph, noise, filter, pin);
        if (param >= 0) filter->param(param).SetValue(static_cast<int16_t>(value));
        return filter;
    });
}

void BM_RawNoiseAlone(benchmark::State& state) {
    FilterOnNoise(state, RawNoise::kTypeId);
}
void BM_BrightnessContrast(benchmark::State& state) {
    FilterOnNoise(state, BrightnessContrast::kTypeId);
}
void BM_SineFilter(benchmark::State& state) {
    FilterOnNoise(state, SineFilter::kTypeId);
}
void BM_Emboss(benchmark::State& state) {
    FilterOnNoise(state, Emboss::kTypeId);
}
void BM_EmbossShaded(benchmark::State& state) {
    FilterOnNoise(state, Emboss::kTypeId, 0, 300);
}
void BM_Bump(benchmark::State& state) {
    FilterOnNoise(state, Bump::kTypeId);
}
void BM_DisplacementMap(benchmark::State& state) {
    FilterOnNoise(state, DisplacementMap::kTypeId, 0, 255);
}
void BM_EnvMap(benchmark::State& state) {
    FilterOnNoise(state, EnvMap::kTypeId);
}

}  // namespace

SWATCHER_NODE_BENCHMARK(BM_RawNoiseAlone);
SWATCHER_NODE_BENCHMARK(BM_BrightnessContrast);
SWATCHER_NODE_BENCHMARK(BM_SineFilter);
SWATCHER_NODE_BENCHMARK(BM_Emboss);
SWATCHER_NODE_BENCHMARK(BM_EmbossShaded);
SWATCHER_NODE_BENCHMARK(BM_Bump);
SWATCHER_NODE_BENCHMARK(BM_DisplacementMap);
SWATCHER_NODE_BENCHMARK(BM_EnvMap);
