#include "BenchSupport.h"

#include "engine/RowBands.h"
#include "engine/TextureFile.h"
#include "platform/Simd.h"

void RenderGraphBenchmark(benchmark::State& state,
                          const std::function<Node*(NodeGraph&, const NodeRegistry&)>& build) {
    const int side = static_cast<int>(state.range(0));
    SetRowThreads(static_cast<int>(state.range(1)));
    NodeRegistry registry;
    NodeGraph graph(side, side);
    Node* last = build(graph, registry);
    if (last) Feed(graph, last, graph.nodes.front().get());
    // The first render maps the images' memory, which costs more than the
    // work on this machine's virtual memory; the figures are for later renders.
    graph.Render();
    for (auto _ : state) {
        graph.Render();
        benchmark::DoNotOptimize(graph.texture().pixels[0]);
    }
    state.counters["pixels/s"] = benchmark::Counter(static_cast<double>(side) * side,
                                                    benchmark::Counter::kIsIterationInvariantRate);
    SetRowThreads(0);
}

Node* AddNodeOfType(NodeGraph& graph, const NodeRegistry& registry, uint8_t typeId) {
    return graph.AddNode(registry.CreateNode(typeId));
}

void Feed(NodeGraph& graph, Node* from, Node* to, int pin) {
    graph.Connect(from->outputPin.get(), to->inputPins[pin].get());
}

bool RegisterNodeBenchmark(const std::string& name, void (*fn)(benchmark::State&)) {
    using platform::SimdLevel;
    const SimdLevel top = platform::DetectedSimd();
    for (SimdLevel level :
         {SimdLevel::Plain, SimdLevel::Sse2, SimdLevel::Avx2, SimdLevel::Avx512}) {
        if (level > top || (level == SimdLevel::Plain && top != SimdLevel::Plain)) continue;
        const std::string row = name + "/" + platform::SimdName(level);
        benchmark::RegisterBenchmark(row.c_str(), [fn, level](benchmark::State& state) {
            const platform::ScopedSimdLevel scoped(level);
            fn(state);
        })->SWATCHER_SIDES;
    }
    return true;
}

bool LoadExample(benchmark::State& state, const std::string& path, int side, NodeGraph& graph) {
    const NodeRegistry registry;
    std::string error = path + ": cannot render at " + std::to_string(side);
    if (LoadTextureFile(path, graph, registry, nullptr, &error) && graph.SetTextureSize(side, side))
        return true;
    state.SkipWithError(error.c_str());
    return false;
}
