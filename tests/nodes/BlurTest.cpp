#include <gtest/gtest.h>

#include <random>

#include "nodes/filters/Blur.h"
#include "support/FilterRig.h"

namespace {

// The box blur written the plain way: every output byte sums its own wrapped
// window, no running sums.
Pixels ReferenceBlur(const Pixels& src, int w, int h, int rh, int rv) {
    rh = std::min(rh, w - 1);
    rv = std::min(rv, h - 1);
    const double fh = 1.0 / (2 * rh + 1);
    const float fv = 1.0f / static_cast<float>(2 * rv + 1);
    auto at = [w](int x, int y, int c) { return 4 * (y * w + x) + c; };
    Pixels t(src.size()), d(src.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int j = -rh; j <= rh; ++j) sum += src[at((x + j + w) % w, y, c)];
                t[at(x, y, c)] = static_cast<uint8_t>(static_cast<int>(sum * fh));
            }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 4; ++c) {
                int sum = 0;
                for (int j = -rv; j <= rv; ++j) sum += t[at(x, (y + j + h) % h, c)];
                d[at(x, y, c)] = static_cast<uint8_t>(static_cast<int>(sum * double{fv}));
            }
    return d;
}

Pixels Random(int count, unsigned seed) {
    std::mt19937 rng(seed);
    Pixels bytes(4 * count);
    for (auto& b : bytes) b = static_cast<uint8_t>(rng());
    return bytes;
}

Pixels RenderBlur(int w, int h, const Pixels& src, int16_t rh, int16_t rv) {
    FilterRig rig(Blur::kTypeId, w, h);
    rig.Feed(src, 0);
    return rig.Set(0, rh).Set(1, rv).Render();
}

TEST(Blur, RadiusZeroCopiesAllFourBytes) {
    const Pixels src = Random(5 * 3, 1);
    EXPECT_EQ(RenderBlur(5, 3, src, 0, 0), src);
}

TEST(Blur, UnconnectedSourceGivesZeros) {
    FilterRig rig(Blur::kTypeId, 4, 4);
    std::fill_n(rig.filter->image->bytes(), 64, 0x77);
    rig.Set(0, 2).Set(1, 3);
    EXPECT_EQ(rig.Render(), Pixels(64, 0));
}

TEST(Blur, RoundedFactorsLoseALevelOnUniformImages) {
    // The double nearest 1/49 is below it: 49 x 1 x (1/49) truncates to 0.
    EXPECT_EQ(RenderBlur(64, 1, Uniform(64, {1, 1, 1, 1}), 24, 0), Pixels(256, 0));

    // Column x holds level x throughout; the single-precision 1/25 lowers
    // every nonzero level by one.
    Pixels columns, expected;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 256; ++x) {
            const auto v = static_cast<uint8_t>(x);
            const auto lower = static_cast<uint8_t>(x == 0 ? 0 : x - 1);
            columns.insert(columns.end(), {v, v, v, v});
            expected.insert(expected.end(), {lower, lower, lower, lower});
        }
    EXPECT_EQ(RenderBlur(256, 16, columns, 0, 12), expected);
}

TEST(Blur, RadiusOneKeepsEveryUniformLevel) {
    for (int level = 0; level < 256; ++level) {
        const auto v = static_cast<uint8_t>(level);
        const Pixels uniform = Uniform(9, {v, v, v, v});
        ASSERT_EQ(RenderBlur(3, 3, uniform, 1, 1), uniform) << level;
    }
}

TEST(Blur, WindowWrapsAroundTheRow) {
    Pixels src(4 * 6 * 2, 0), expected(4 * 6 * 2, 0);
    for (int y = 0; y < 2; ++y) {
        std::fill_n(&src[4 * 6 * y], 4, 255);
        for (int x : {5, 0, 1}) std::fill_n(&expected[4 * (6 * y + x)], 4, 85);
    }
    EXPECT_EQ(RenderBlur(6, 2, src, 1, 0), expected);
}

TEST(Blur, RadiiAreClippedToSizeMinusOne) {
    // Radius 3 on a 4-wide row: a 7-column window counts every column twice
    // except its centre: (2 x 91 - 7) / 7 = 25 (the product, rounded to
    // double, reaches 25 although the double 1/7 is below 1/7).
    const Pixels row = Px({{7, 0, 0, 0}, {14, 0, 0, 0}, {0, 0, 0, 0}, {70, 0, 0, 0}});
    const Pixels clipped = RenderBlur(4, 1, row, 255, 200);
    EXPECT_EQ(clipped, RenderBlur(4, 1, row, 3, 0));
    EXPECT_EQ(clipped, Px({{25, 0, 0, 0}, {24, 0, 0, 0}, {26, 0, 0, 0}, {16, 0, 0, 0}}));

    // A one-pixel-wide image: the horizontal pass copies, the vertical still blurs.
    const Pixels column = Px({{30, 60, 90, 120}, {0, 0, 0, 0}, {0, 0, 0, 0}});
    EXPECT_EQ(RenderBlur(1, 3, column, 9, 0), column);
    EXPECT_EQ(RenderBlur(1, 3, column, 9, 1), Uniform(3, {10, 20, 30, 40}));
}

TEST(Blur, RunningSumsMatchThePlainWindows) {
    const int sides[] = {1, 2, 3, 5, 16, 37};
    const int radii[][2] = {{0, 1}, {1, 0}, {2, 3}, {7, 1}, {24, 12}, {100, 255}, {255, 255}};
    unsigned seed = 0;
    for (int w : sides)
        for (int h : sides)
            for (const auto& r : radii) {
                const Pixels src = Random(w * h, ++seed);
                ASSERT_EQ(RenderBlur(w, h, src, r[0], r[1]), ReferenceBlur(src, w, h, r[0], r[1]))
                    << w << "x" << h << " radii " << r[0] << "," << r[1];
            }
}

}  // namespace
