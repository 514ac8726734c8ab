#include <gtest/gtest.h>

#include "nodes/filters/Mixer.h"
#include "support/FilterRig.h"

namespace {

enum { kAdd, kHue, kSatur, kMul };

// Mixes one row of pixels; an empty B leaves "Source B" unconnected.
Pixels Mix(int type, int ampA, int ampB, const Pixels& a, const Pixels& b) {
    const int w = static_cast<int>(a.size() / 4);
    return Filtered(Mixer::kTypeId, w, 1, {a, b}, {ampA, ampB, type}, 0x5A);
}

const Pixels kWhite = Px({{255, 255, 255, 255}});

TEST(Mixer, AddAndMulWeighBytesInStepsOf256) {
    EXPECT_EQ(Mix(kAdd, 100, 100, kWhite, kWhite), Uniform(1, {198, 198, 198, 198}));
    const Pixels a = Px({{0, 1, 128, 255}, {7, 200, 13, 99}});
    EXPECT_EQ(Mix(kAdd, 256, 0, a, Px({{255, 255, 255, 255}, {1, 2, 3, 4}})), a);
    EXPECT_EQ(Mix(kAdd, 255, 0, kWhite, kWhite), Uniform(1, {254, 254, 254, 254}));
    EXPECT_EQ(Mix(kAdd, 555, 555, kWhite, kWhite), kWhite);
    EXPECT_EQ(Mix(kAdd, 128, 100, Px({{200, 100, 2, 1}}), {}), Px({{100, 50, 1, 0}}));

    EXPECT_EQ(Mix(kMul, 256, 256, kWhite, Px({{0, 255, 0, 128}})), Px({{0, 254, 0, 127}}));
    EXPECT_EQ(Mix(kMul, 555, 555, kWhite, kWhite), kWhite);
    EXPECT_EQ(Mix(kMul, 256, 256, kWhite, {}), Px({{0, 0, 0, 0}}));
}

TEST(Mixer, HueRotatesAndSaturRaisesSaturationByTheLengthOfB) {
    const Pixels red = Px({{255, 0, 0, 9}}), pink = Px({{200, 100, 100, 9}});
    // Black B: only the round trip, fourth byte 0.
    EXPECT_EQ(Mix(kHue, 255, 555, Px({{200, 100, 50, 9}}), Px({{0, 0, 0, 9}})),
              Px({{200, 100, 50, 0}}));
    // 255 x single(85 / 255 x 360 / 255) is 120 degrees.
    EXPECT_EQ(Mix(kHue, 255, 85, red, red), Px({{0, 255, 0, 0}}));
    // Scaled by ampA / 255, greys stay grey whatever B holds.
    EXPECT_EQ(Mix(kHue, 510, 300, Px({{100, 100, 100, 9}}), kWhite), Px({{200, 200, 200, 0}}));
    // Values above 255 are limited by the conversion.
    EXPECT_EQ(Mix(kHue, 555, 0, kWhite, {}), Px({{255, 255, 255, 0}}));
    EXPECT_EQ(Mix(kHue, 555, 0, red, {}), Px({{255, 0, 0, 0}}));

    EXPECT_EQ(Mix(kSatur, 255, 0, pink, kWhite), Px({{200, 100, 100, 0}}));
    // s = 0.5 + 51 x single(255 / 255 / 255) = 0.7.
    EXPECT_EQ(Mix(kSatur, 255, 255, pink, Px({{0, 0, 51, 9}})), Px({{200, 60, 60, 0}}));
    // Limited to full saturation.
    EXPECT_EQ(Mix(kSatur, 255, 255, pink, kWhite), Px({{200, 0, 0, 0}}));
    // A grey has no hue and stays grey.
    EXPECT_EQ(Mix(kSatur, 255, 555, Px({{90, 90, 90, 9}}), kWhite), Px({{90, 90, 90, 0}}));
}

}  // namespace
