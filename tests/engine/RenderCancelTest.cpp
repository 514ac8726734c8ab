// A render cancelled at any checkpoint leaves the document and the rand state
// exactly as they were, and the next render gives the bytes it would have
// given without the cancel: through a diamond, a cycle and a self-loop, with
// generators that draw rand, on one thread and on all.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/RowBands.h"
#include "platform/CRand.h"
#include "support/TestSupport.h"

namespace {

constexpr uint8_t kRawNoise = 2, kMixer = 3, kBlur = 4, kBrightness = 5, kEmboss = 6,
                  kSubPlasma = 9, kPerlin = 15, kBump = 18;
constexpr int kSide = 70;  // several bands per pass on any thread count

// One cable: node `from`'s output into input `pin` of node `to`, by index
// (0 is the Store). A pin already fed loses its cable first.
struct Feed {
    int from, to, pin;
};

void Wire(NodeGraph& graph, const std::vector<Feed>& feeds) {
    for (auto [from, to, pin] : feeds) {
        Pin* input = graph.nodes[to]->inputPins[pin].get();
        if (!input->cables.empty()) graph.RemoveCable(input->cables.front());
        graph.Connect(graph.nodes[from]->outputPin.get(), input);
    }
}

struct State {
    std::vector<std::vector<uint8_t>> images;
    uint32_t rand;
    bool operator==(const State&) const = default;
};

State Snapshot(const NodeGraph& graph) {
    State state{{}, platform::RandState()};
    for (const auto& node : graph.nodes) state.images.push_back(Bytes(*node->image));
    return state;
}

// The graph after two plain renders, so that cycles and self-loops carry
// earlier results into the next render, and then with every number moved by
// one, so that the next render changes every image it writes.
struct Case {
    const char* name;
    std::vector<uint8_t> types;  // nodes 1, 2, ...
    std::vector<Feed> feeds, afterFirstRender;
};

std::unique_ptr<NodeGraph> Prepared(const Case& c, const NodeRegistry& registry) {
    auto graph = std::make_unique<NodeGraph>(kSide, kSide);
    for (uint8_t type : c.types) graph->AddNode(registry.CreateNode(type));
    Wire(*graph, c.feeds);
    platform::srand(4242);
    graph->Render();
    Wire(*graph, c.afterFirstRender);
    graph->Render();
    for (const auto& node : graph->nodes)
        for (const auto& param : node->params)
            if (param->isNumeric) param->SetValue(static_cast<int16_t>(param->GetValue() + 1));
    return graph;
}

TEST(RenderCancel, AtEveryCheckpointLeavesNoTraceAndTheNextRenderIsUnchanged) {
    const NodeRegistry registry;
    const Case cases[] = {
        // noise -> blur, noise -> brightness; both -> mixer -> Store. The noise runs twice.
        {"diamond",
         {kRawNoise, kMixer, kBlur, kBrightness},
         {{1, 3, 0}, {1, 4, 0}, {3, 2, 0}, {4, 2, 1}, {2, 0, 0}},
         {}},
        // subplasma -> mixer <-> blur, mixer -> Store: the blur reads the mixer's previous image.
        {"cycle", {kSubPlasma, kMixer, kBlur}, {{1, 2, 0}, {3, 2, 1}, {2, 3, 0}, {2, 0, 0}}, {}},
        // Perlin noise -> emboss -> mixer <- Perlin noise, mixer -> bump -> Store, until
        // the first render has given the emboss an image; then the emboss feeds itself
        // (its rows in order). An unreached noise node keeps its image.
        {"self-loop",
         {kPerlin, kEmboss, kMixer, kBump, kRawNoise},
         {{1, 2, 0}, {1, 3, 0}, {2, 3, 1}, {3, 4, 0}, {4, 0, 0}},
         {{2, 2, 0}}},
    };
    for (int threads : {1, 0}) {
        SetRowThreads(threads);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " on " << RowThreads() << " threads");
            // The plain renders after the cancels compare with this one.
            auto reference = Prepared(c, registry);
            const State before = Snapshot(*reference);
            CancelAt never(LONG_MAX);
            ASSERT_TRUE(reference->Render(&never));
            const State after = Snapshot(*reference);
            ASSERT_NE(after, before);
            ASSERT_GT(never.asked(), static_cast<long>(2 * reference->nodes.size()));

            for (long at = 0; at < never.asked(); ++at) {
                auto graph = Prepared(c, registry);
                CancelAt cancel(at);
                ASSERT_FALSE(graph->Render(&cancel)) << "checkpoint " << at;
                ASSERT_EQ(Snapshot(*graph), before) << "checkpoint " << at;
                graph->Render();
                ASSERT_EQ(Snapshot(*graph), after) << "checkpoint " << at;
            }
        }
    }
    SetRowThreads(0);
}

}  // namespace
