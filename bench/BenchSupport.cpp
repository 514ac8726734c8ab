#include "BenchSupport.h"

#include "engine/RowBands.h"

void RenderGraphBenchmark(benchmark::State& state,
                          const std::function<Node*(NodeGraph&, const NodeRegistry&)>& build) {
    const int side = static_cast<int>(state.range(0));
    SetRowThreads(static_cast<int>(state.range(1)));
    NodeRegistry registry;
    NodeGraph graph(side, side);
    Node* last = build(graph, registry);
    if (last) Feed(graph, last, graph.nodes.front().get());
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
