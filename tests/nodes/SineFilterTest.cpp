#include <gtest/gtest.h>

#include <cmath>

#include "nodes/filters/SineFilter.h"
#include "platform/Numeric.h"
#include "support/FilterRig.h"

namespace {

const Params kDefaults = {127, 127, 127, 0, 0, 0};

// The byte loop as written down: one sine per byte.
void Reference(const Inputs& in, uint8_t* d, int w, int h, const Params& p) {
    using platform::single;
    const float step = single(static_cast<long double>(p[2]) * 0.0001745329210988851);
    for (int i = 0; i < 4 * w * h; i += 4)
        for (int k = 0; k < 3; ++k) {
            const float phase = single(static_cast<long double>(p[3 + k]) * 0.0174532925);
            const double angle =
                platform::dbl(static_cast<long double>(in[0][i + k]) * step + phase);
            const float y = single(sinl(angle) * single(p[1]) + single(p[0]));
            d[i + k] = platform::TruncToInt(std::clamp(y, 0.0f, 255.0f));
        }
}

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

TEST(SineFilter, MatchesThePlainByteLoop) {
    ExpectMatches(SineFilter::kTypeId, 1, Reference, {{1, 1}, {5, 5}, {32, 32}},
                  {{0, 255, 255, 360, 180, 45},
                   {255, 200, 13, 17, 300, 90},
                   {30, 31, 1, 359, 1, 200},
                   kDefaults},
                  "SineFilter");
}

}  // namespace
