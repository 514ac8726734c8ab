// A render cancelled at any checkpoint leaves the document and the rand state
// exactly as they were, and the next render gives the bytes it would have
// given without the cancel: through a diamond, a cycle and a self-loop, with
// generators that draw rand, on one thread and on all.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <memory>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/RenderCancel.h"
#include "engine/RowBands.h"
#include "platform/CRand.h"
#include "support/TestSupport.h"

namespace {

constexpr uint8_t kRawNoise = 2, kMixer = 3, kBlur = 4, kBrightness = 5, kEmboss = 6,
                  kSubPlasma = 9, kPerlin = 15, kBump = 18;
constexpr int kSide = 70;  // several bands per pass on any thread count

// Requests the cancel from the `at`-th checkpoint on, counting every question.
class CancelAt : public RenderCancel {
public:
    explicit CancelAt(long at) : at_(at) {}
    bool Requested() override { return asked_.fetch_add(1) >= at_; }
    long asked() const { return asked_.load(); }

private:
    const long at_;
    std::atomic<long> asked_{0};
};

struct Builder {
    NodeGraph& graph;
    const NodeRegistry& registry;
    Node* Add(uint8_t type) { return graph.AddNode(registry.CreateNode(type)); }
    void Feed(Node* from, Node* to, int pin = 0) {
        graph.Connect(from->outputPin.get(), to->inputPins[pin].get());
    }
};

// noise -> blur, noise -> brightness; both -> mixer -> Store. The noise runs twice.
void Diamond(Builder b) {
    Node* noise = b.Add(kRawNoise);
    Node* mixer = b.Add(kMixer);
    Node* blur = b.Add(kBlur);
    Node* brightness = b.Add(kBrightness);
    b.Feed(noise, blur);
    b.Feed(noise, brightness);
    b.Feed(blur, mixer, 0);
    b.Feed(brightness, mixer, 1);
    b.Feed(mixer, b.graph.store());
}

// subplasma -> mixer <-> blur, mixer -> Store: the blur reads the mixer's previous image.
void Cycle(Builder b) {
    Node* plasma = b.Add(kSubPlasma);
    Node* mixer = b.Add(kMixer);
    Node* blur = b.Add(kBlur);
    b.Feed(plasma, mixer, 0);
    b.Feed(blur, mixer, 1);
    b.Feed(mixer, blur);
    b.Feed(mixer, b.graph.store());
}

// Perlin noise -> emboss -> mixer <- Perlin noise, mixer -> bump -> Store,
// until the first render has given the emboss an image; then the emboss feeds
// itself (its rows in order). An unreached noise node keeps its image.
void SelfLoop(Builder b) {
    Node* perlin = b.Add(kPerlin);
    Node* emboss = b.Add(kEmboss);
    Node* mixer = b.Add(kMixer);
    Node* bump = b.Add(kBump);
    b.Add(kRawNoise);
    b.Feed(perlin, emboss);
    b.Feed(perlin, mixer, 0);
    b.Feed(emboss, mixer, 1);
    b.Feed(mixer, bump);
    b.Feed(bump, b.graph.store());
}

void CloseSelfLoop(Builder b) {
    Node* emboss = b.graph.nodes[2].get();
    b.graph.RemoveCable(emboss->inputPins[0]->cables.front());
    b.Feed(emboss, emboss);
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
    void (*build)(Builder);
    void (*afterFirstRender)(Builder);
};

std::unique_ptr<NodeGraph> Prepared(const Case& c, const NodeRegistry& registry) {
    auto graph = std::make_unique<NodeGraph>(kSide, kSide);
    c.build({*graph, registry});
    platform::srand(4242);
    graph->Render();
    if (c.afterFirstRender) c.afterFirstRender({*graph, registry});
    graph->Render();
    for (const auto& node : graph->nodes)
        for (const auto& param : node->params)
            if (param->isNumeric) param->SetValue(static_cast<int16_t>(param->GetValue() + 1));
    return graph;
}

TEST(RenderCancel, AtEveryCheckpointLeavesNoTraceAndTheNextRenderIsUnchanged) {
    const NodeRegistry registry;
    const Case cases[] = {
        {"diamond", Diamond, nullptr},
        {"cycle", Cycle, nullptr},
        {"self-loop", SelfLoop, CloseSelfLoop},
    };
    for (int threads : {1, 0}) {
        SetRowThreads(threads);
        for (const auto& c : cases) {
            SCOPED_TRACE(testing::Message() << c.name << " on " << RowThreads() << " threads");
            auto reference = Prepared(c, registry);
            const State before = Snapshot(*reference);
            reference->Render();
            const State after = Snapshot(*reference);
            ASSERT_NE(after, before);

            auto counted = Prepared(c, registry);
            CancelAt never(LONG_MAX);
            ASSERT_TRUE(counted->Render(&never));
            ASSERT_EQ(Snapshot(*counted), after);
            ASSERT_GT(never.asked(), static_cast<long>(2 * counted->nodes.size()));

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
