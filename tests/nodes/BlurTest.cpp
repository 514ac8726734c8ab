#include <gtest/gtest.h>

#include "nodes/filters/Blur.h"
#include "support/FilterRig.h"

namespace {

Pixels RenderBlur(int w, int h, const Pixels& src, int rh, int rv) {
    return Filtered(Blur::kTypeId, w, h, {src}, {rh, rv}, 0x77);
}

Pixel Grey(int v) {
    return {uint8_t(v), uint8_t(v), uint8_t(v), uint8_t(v)};
}

TEST(Blur, RadiusZeroCopiesAndUnconnectedGivesZeros) {
    const Pixels src = RandomBytes(5 * 3, 1);
    EXPECT_EQ(RenderBlur(5, 3, src, 0, 0), src);
    EXPECT_EQ(RenderBlur(4, 4, {}, 2, 3), Pixels(64, 0));
}

TEST(Blur, RoundedFactorsLoseALevelOnUniformImages) {
    // The double nearest 1/49 is below it: 49 x 1 x (1/49) truncates to 0.
    EXPECT_EQ(RenderBlur(64, 1, Uniform(64, Grey(1)), 24, 0), Pixels(256, 0));
    // Column x holds level x; the single-precision 1/25 lowers every nonzero level by one.
    EXPECT_EQ(RenderBlur(256, 16, Draw(256, 16, [](int x, int) { return Grey(x); }), 0, 12),
              Draw(256, 16, [](int x, int) { return Grey(std::max(x - 1, 0)); }));
}

TEST(Blur, WindowsWrapAroundAndRadiiAreClippedToSizeMinusOne) {
    const Pixel o = Grey(0), w = Grey(255), t = Grey(85);
    EXPECT_EQ(RenderBlur(6, 1, Px({w, o, o, o, o, o}), 1, 0), Px({t, t, o, o, o, t}));
    // Radius 3 on a 4-wide row: a 7-column window counts every column twice
    // except its centre: (2 x 91 - 7) / 7 = 25 (the product, rounded to
    // double, reaches 25 although the double 1/7 is below 1/7).
    const Pixels row = Px({{7, 0, 0, 0}, {14, 0, 0, 0}, {0, 0, 0, 0}, {70, 0, 0, 0}});
    EXPECT_EQ(RenderBlur(4, 1, row, 255, 200),
              Px({{25, 0, 0, 0}, {24, 0, 0, 0}, {26, 0, 0, 0}, {16, 0, 0, 0}}));
    // A one-pixel-wide image: the horizontal pass copies, the vertical still blurs.
    const Pixels column = Px({{30, 60, 90, 120}, {0, 0, 0, 0}, {0, 0, 0, 0}});
    EXPECT_EQ(RenderBlur(1, 3, column, 9, 0), column);
    EXPECT_EQ(RenderBlur(1, 3, column, 9, 1), Uniform(3, {10, 20, 30, 40}));
}

}  // namespace
