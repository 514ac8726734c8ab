#include <gtest/gtest.h>

#include "nodes/filters/SineFilter.h"
#include "support/FilterRig.h"

namespace {

const Params kDefaults = {127, 127, 127, 0, 0, 0};

TEST(SineFilter, DefaultsAndFlatSettings) {
    // The defaults start at mid grey and stay below 254.
    const Pixels ramp = Draw(256, 1, [](int x, int) {
        return Pixel{uint8_t(x), uint8_t(x), uint8_t(x), 9};
    });
    const Pixels out = Filtered(SineFilter::kTypeId, 256, 1, {ramp}, kDefaults, 0x5A);
    // Level 0 gives 127; byte 3 keeps what the image held.
    EXPECT_EQ(At(out, 256, 0, 0), (Pixel{127, 127, 127, 0x5A}));
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 253);
    const Pixels noise = RandomBytes(16, 1);
    // No amplitude: Luminance everywhere.
    EXPECT_EQ(Filtered(SineFilter::kTypeId, 4, 4, {noise}, {90, 0}), Uniform(16, {90, 90, 90, 0}));
    // No range: sin(phase) per channel, limited both ways.
    EXPECT_EQ(Filtered(SineFilter::kTypeId, 4, 4, {noise}, {127, 127, 0, 90, 270, 30}),
              Uniform(16, {254, 0, 190, 0}));
    EXPECT_EQ(Filtered(SineFilter::kTypeId, 4, 4, {noise}, {255, 255, 0, 90, 270, 30}),
              Uniform(16, {255, 0, 255, 0}));
}

}  // namespace
