#include <gtest/gtest.h>

#include "nodes/filters/FromHSV.h"
#include "nodes/filters/ToHSV.h"
#include "support/FilterRig.h"

namespace {

enum Order { kHSV, kHVS, kSVH, kSHV, kVSH, kVHS };

Pixels Convert(uint8_t typeId, const Pixels& src, int order) {
    return Filtered(typeId, static_cast<int>(src.size() / 4), 1, {src}, {order}, 0x5A);
}

TEST(ToHSV, StoresComponentsInTheChosenOrder) {
    // Yellow (H, S, V = 42, 255, 255) places the hue, grey 100 (0, 0, 100) the value.
    const Pixels src = Px({{255, 255, 0, 9}, {100, 100, 100, 9}});
    const std::pair<int, Pixels> cases[] = {
        {kHSV, Px({{42, 255, 255, 0}, {0, 0, 100, 0}})},
        {kHVS, Px({{42, 255, 255, 0}, {0, 100, 0, 0}})},
        {kSVH, Px({{255, 255, 42, 0}, {0, 100, 0, 0}})},
        {kSHV, Px({{255, 42, 255, 0}, {0, 0, 100, 0}})},
        {kVSH, Px({{255, 255, 42, 0}, {100, 0, 0, 0}})},
        {kVHS, Px({{255, 42, 255, 0}, {100, 0, 0, 0}})},
    };
    for (const auto& [order, stored] : cases)
        EXPECT_EQ(Convert(ToHSV::kTypeId, src, order), stored) << order;
    // The hue byte stays below 255.
    EXPECT_EQ(Convert(ToHSV::kTypeId, Px({{255, 0, 1, 0}}), kHSV), Px({{254, 255, 255, 0}}));
}

TEST(FromHSV, RoundTripRestoresPrimariesAndGreysButNotYellow) {
    const Pixels src = Px({{255, 0, 0, 0},
                           {0, 255, 0, 0},
                           {0, 0, 255, 0},
                           {0, 0, 0, 0},
                           {255, 255, 255, 0},
                           {31, 31, 31, 0}});
    for (int order = kHSV; order <= kVHS; ++order)
        EXPECT_EQ(Convert(FromHSV::kTypeId, Convert(ToHSV::kTypeId, src, order), order), src)
            << order;
    EXPECT_EQ(Convert(FromHSV::kTypeId, Px({{42, 255, 255, 9}}), kHSV), Px({{255, 252, 0, 0}}));
}

}  // namespace
