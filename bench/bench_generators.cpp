// The generator node types at their default parameters.
#include "BenchSupport.h"
#include "nodes/generators/ND_Perlin.h"
#include "nodes/generators/RawNoise.h"
#include "nodes/generators/SinePlasma.h"
#include "nodes/generators/SubPlasma.h"

template <class T>
static void BM_Generator(benchmark::State& state) {
    RenderGraphBenchmark(state, [](NodeGraph& graph, const NodeRegistry& registry) {
        return AddNodeOfType(graph, registry, T::kTypeId);
    });
}
SWATCHER_NODE_BENCHMARK(BM_Generator<ND_Perlin>);
SWATCHER_NODE_BENCHMARK(BM_Generator<SubPlasma>);
SWATCHER_NODE_BENCHMARK(BM_Generator<SinePlasma>);
SWATCHER_NODE_BENCHMARK(BM_Generator<RawNoise>);
