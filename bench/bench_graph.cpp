// Whole-graph renders: the empty document and the Store copy.
#include "BenchSupport.h"

static void BM_StoreOnly(benchmark::State& state) {
    RenderGraphBenchmark(state, [](NodeGraph&, const NodeRegistry&) { return nullptr; });
}
BENCHMARK(BM_StoreOnly)->SWATCHER_SIDES;
