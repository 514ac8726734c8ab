// One slider step as the editor renders it: every example texture with more
// than one node besides the Store, after a first full render, has a number of
// one node moved by one and alternately back, then renders (cancellable, as in
// the editor). The node is the one that feeds the Store, or the first node
// without inputs (a generator). The NoSkip rows recompute every node, as
// renders did before unchanged nodes were skipped.
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "engine/RenderCancel.h"
#include "engine/RenderContext.h"
#include "engine/RowBands.h"
#include "engine/TextureFile.h"

namespace {

enum class Stepped { kFeedsStore, kFirstGenerator };

Node* SteppedNode(const NodeGraph& graph, Stepped which) {
    if (which == Stepped::kFeedsStore) {
        const Pin& source = *graph.store()->inputPins[0];
        return source.cables.empty() ? nullptr : source.cables.front()->OtherEnd(&source)->owner;
    }
    for (const auto& node : graph.nodes)
        if (node->inputPins.empty()) return node.get();
    return nullptr;
}

Param* FirstNumber(Node& node) {
    for (const auto& param : node.params)
        if (dynamic_cast<IntParam*>(param.get())) return param.get();
    return nullptr;
}

void RenderAsEditor(NodeGraph& graph, bool skip) {
    CancelFlag never;
    RenderContext context(&never, skip);
    graph.Render(context);
}

void BM_Step(benchmark::State& state, const std::string& path, Stepped which, bool skip) {
    const int side = static_cast<int>(state.range(0));
    NodeGraph graph(1, 1);
    if (!LoadExample(state, path, side, graph)) return;
    Node* node = SteppedNode(graph, which);
    Param* param = node ? FirstNumber(*node) : nullptr;
    if (!param) {
        state.SkipWithError("no number to step");
        return;
    }
    const int16_t start = param->GetValue();
    const int16_t next = start < param->GetMax() ? start + 1 : start - 1;
    RenderAsEditor(graph, skip);
    bool moved = false;
    for (auto _ : state) {
        moved = !moved;
        param->SetValue(moved ? next : start);
        RenderAsEditor(graph, skip);
        benchmark::DoNotOptimize(graph.texture().pixels[0]);
    }
}

// Registered at start-up for every example with at least two nodes besides the Store.
const bool kStepsRegistered = [] {
    NodeRegistry registry;
    for (const auto& entry : std::filesystem::directory_iterator(SWATCHER_EXAMPLES_DIR)) {
        if (entry.path().extension() != ".mtf") continue;
        NodeGraph graph(1, 1);
        std::string error;
        if (!LoadTextureFile(entry.path().string(), graph, registry, nullptr, &error) ||
            graph.nodes.size() < 3)
            continue;
        const std::string stem = entry.path().stem().string();
        for (auto [name, which] : {std::pair{"BM_StepFeedingStore/", Stepped::kFeedsStore},
                                   std::pair{"BM_StepFirstGenerator/", Stepped::kFirstGenerator}})
            for (bool skip : {true, false})
                benchmark::RegisterBenchmark((name + stem + (skip ? "" : "/NoSkip")).c_str(),
                                             BM_Step, entry.path().string(), which, skip)
                    ->Arg(1024)
                    ->Arg(2048)
                    ->ArgName("side")
                    ->Unit(benchmark::kMillisecond)
                    ->UseRealTime();
    }
    return true;
}();

}  // namespace
