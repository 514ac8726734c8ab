// Every node type renders the same bytes on any number of threads, fed from
// other nodes or from its own image through a self-loop.
#include <gtest/gtest.h>

#include <vector>

#include "engine/NodeRegistry.h"
#include "engine/RowBands.h"
#include "support/TestSupport.h"

namespace {

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

TEST(ThreadInvariance, EveryNodeTypeEverySizeAndSelfLoop) {
    const NodeRegistry registry;
    for (const auto& prototype : registry.prototypes()) {
        const auto settings = Settings(*prototype);
        for (int side : {1, 3, 17, 64, 257}) {
            // All settings on the middle sizes; the extremes take the first two.
            const size_t count = (side == 17 || side == 64) ? settings.size() : 2;
            for (size_t s = 0; s < count; ++s) {
                for (bool inPlace : {false, true}) {
                    if (inPlace && prototype->inputPins.empty()) continue;
                    auto render = [&](int threads) {
                        SetRowThreads(threads);
                        return RenderFed(prototype->typeId, settings[s], side, side, inPlace);
                    };
                    const auto serial = render(1);
                    for (int threads : {2, 7})
                        ASSERT_EQ(render(threads), serial)
                            << prototype->name << " " << side << "x" << side << " setting " << s
                            << (inPlace ? " in place" : "") << " on " << threads << " threads";
                }
            }
        }
    }
    SetRowThreads(0);
}

}  // namespace
