// Every node type renders the same bytes on any number of threads, fed from
// other nodes or from its own image through a self-loop.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/RowBands.h"
#include "platform/CRand.h"
#include "support/TestSupport.h"

namespace {

constexpr uint8_t kStoreType = 1;
constexpr uint8_t kSinePlasma = 7, kRawNoise = 2, kPerlin = 15;

// Parameter settings worth comparing: the defaults, every option of every
// choice, and every number at its top and its middle.
std::vector<std::vector<int16_t>> Settings(const Node& node) {
    const size_t n = node.params.size();
    std::vector<int16_t> defaults(n), top(n), middle(n);
    for (size_t i = 0; i < n; ++i) {
        const Param& p = *node.params[i];
        defaults[i] = p.GetValue();
        top[i] = p.GetMax();
        middle[i] = static_cast<int16_t>((p.GetMin() + p.GetMax()) / 2);
    }
    std::vector<std::vector<int16_t>> settings = {defaults, top, middle};
    for (size_t i = 0; i < n; ++i) {
        if (!dynamic_cast<const ChoiceParam*>(node.params[i].get())) continue;
        for (int16_t option = 1; option <= node.params[i]->GetMax(); ++option) {
            settings.push_back(defaults);
            settings.back()[i] = option;
        }
    }
    return settings;
}

// Renders a side x side graph of the node under test feeding the Store, its
// inputs from three generators or, in place, from its own output.
std::vector<uint8_t> Render(uint8_t type, const std::vector<int16_t>& setting, int side,
                            bool inPlace, int threads) {
    SetRowThreads(threads);
    NodeRegistry registry;
    NodeGraph graph(side, side);
    Node* node = graph.AddNode(registry.CreateNode(type));
    for (size_t i = 0; i < setting.size(); ++i) node->param(i).SetValue(setting[i]);
    const uint8_t sources[] = {kSinePlasma, kRawNoise, kPerlin};
    for (size_t pin = 0; pin < node->inputPins.size(); ++pin) {
        Node* source = inPlace ? node : graph.AddNode(registry.CreateNode(sources[pin % 3]));
        graph.Connect(source->outputPin.get(), node->inputPins[pin].get());
    }
    graph.Connect(node->outputPin.get(), graph.store()->inputPins[0].get());
    graph.Render();
    if (inPlace) graph.Render();  // the second render reads the first one's bytes
    return Bytes(graph.texture());
}

TEST(ThreadInvariance, EveryNodeTypeEverySizeAndSelfLoop) {
    const NodeRegistry registry;
    for (const auto& prototype : registry.prototypes()) {
        const uint8_t type = prototype->typeId;
        if (type == kStoreType) continue;
        const auto settings = Settings(*prototype);
        for (int side : {1, 3, 17, 64, 257}) {
            // All settings on the middle sizes; the extremes take the first two.
            const size_t count = (side == 17 || side == 64) ? settings.size() : 2;
            for (size_t s = 0; s < count; ++s) {
                for (bool inPlace : {false, true}) {
                    if (inPlace && prototype->inputPins.empty()) continue;
                    const auto serial = Render(type, settings[s], side, inPlace, 1);
                    for (int threads : {2, 7})
                        ASSERT_EQ(Render(type, settings[s], side, inPlace, threads), serial)
                            << prototype->name << " " << side << "x" << side << " setting " << s
                            << (inPlace ? " in place" : "") << " on " << threads << " threads";
                }
            }
        }
    }
    SetRowThreads(0);
}

TEST(RandStream, SkippingAheadMatchesDrawing) {
    for (uint32_t seed : {1u, 77u, 0xFFFFFFFFu}) {
        for (uint64_t skip : {0ull, 1ull, 2ull, 3ull, 1000ull, 4ull * 257 * 200}) {
            platform::srand(seed);
            for (uint64_t i = 0; i < skip; ++i) platform::rand();
            platform::RandStream jumped = platform::RandStream(seed).Skipped(skip);
            EXPECT_EQ(jumped.state(), platform::RandState()) << seed << " " << skip;
            for (int i = 0; i < 3; ++i) EXPECT_EQ(jumped.Next(), platform::rand());
        }
        // The sequence repeats after 2^32 draws.
        EXPECT_EQ(platform::RandStream(seed).Skipped(1ull << 32).state(), seed);
    }
}

}  // namespace
