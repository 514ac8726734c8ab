#include <gtest/gtest.h>

#include "nodes/filters/Blur.h"
#include "platform/Numeric.h"
#include "support/FilterRig.h"

namespace {

// The box blur written the plain way: every byte of each pass sums its own
// wrapped window of 2r + 1 pixels, (dx, dy) apart.
void Reference(const Inputs& in, uint8_t* d, int w, int h, const Params& p) {
    const int rh = std::min(p[0], w - 1), rv = std::min(p[1], h - 1);
    auto pass = [&](const uint8_t* s, uint8_t* out, int r, int dx, int dy, double factor) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                for (int c = 0; c < 4; ++c) {
                    int sum = 0;
                    for (int j = -r; j <= r; ++j)
                        sum += s[4 * ((y + j * dy + h) % h * w + (x + j * dx + w) % w) + c];
                    out[4 * (y * w + x) + c] = static_cast<uint8_t>(static_cast<int>(sum * factor));
                }
    };
    Pixels t(4 * w * h);
    pass(in[0], t.data(), rh, 1, 0, 1.0 / (2 * rh + 1));
    pass(t.data(), d, rv, 0, 1, 1.0f / static_cast<float>(2 * rv + 1));
}

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

TEST(Blur, RunningSumsMatchThePlainWindows) {
    std::vector<std::pair<int, int>> sizes;
    for (int w : {1, 2, 3, 5, 16, 37})
        for (int h : {1, 2, 3, 5, 16, 37}) sizes.push_back({w, h});
    ExpectMatches(Blur::kTypeId, 1, Reference, sizes,
                  {{0, 1}, {1, 0}, {2, 3}, {7, 1}, {24, 12}, {100, 255}, {255, 255}}, "Blur");
}

// The vertical pass's vector path multiplies instead of looking up: the two
// agree on every sum of every radius it serves.
TEST(Blur, VerticalMultiplierMatchesTheTableForEverySum) {
    for (int r = 1; r <= 255; ++r) {
        const float factor = platform::single(1.0L / (2 * r + 1));
        const std::vector<uint8_t> table = blur::ScaleTable(r, factor);
        const uint64_t m = blur::VerticalMultiplier(factor);
        int mismatches = 0;
        for (uint64_t sum = 0; sum < table.size(); ++sum)
            mismatches += (sum * m) >> 32 != table[sum];
        EXPECT_EQ(mismatches, 0) << "radius " << r;
    }
}

}  // namespace
