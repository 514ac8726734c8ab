// Whole-graph renders: the empty document, the Store copy, and the example
// texture files at 1024 x 1024 and 2048 x 2048.
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "engine/RowBands.h"
#include "platform/Simd.h"

namespace {

void BM_StoreOnly(benchmark::State& state) {
    RenderGraphBenchmark(state, [](NodeGraph&, const NodeRegistry&) { return nullptr; });
}

void BM_Example(benchmark::State& state, const std::string& path) {
    const int side = static_cast<int>(state.range(0));
    SetRowThreads(static_cast<int>(state.range(1)));
    NodeGraph graph(1, 1);
    if (!LoadExample(state, path, side, graph)) return;
    // The first render maps the images' memory; the figures are for later ones.
    graph.Render();
    for (auto _ : state) {
        graph.Render();
        benchmark::DoNotOptimize(graph.texture().pixels[0]);
    }
    SetRowThreads(0);
}

// One benchmark per example file, registered at start-up, named with the SIMD
// level it runs at (lowered by SWATCHER_SIMD).
const bool kExamplesRegistered = [] {
    for (const auto& entry : std::filesystem::directory_iterator(SWATCHER_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".mtf") continue;
        const std::string name = "BM_Example/" + entry.path().stem().string() + "/" +
                                 platform::SimdName(platform::DetectedSimd());
        benchmark::RegisterBenchmark(name.c_str(), BM_Example, entry.path().string())
            ->ArgsProduct({{1024, 2048}, {1, 0}})
            ->ArgNames({"side", "threads"})
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    return true;
}();

}  // namespace

SWATCHER_NODE_BENCHMARK(BM_StoreOnly);
