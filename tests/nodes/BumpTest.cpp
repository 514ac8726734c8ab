#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/FilterRig.h"
#include "nodes/filters/Bump.h"
#include "platform/Numeric.h"

namespace {

// The pixel loop as written down (every pixel, wrapped neighbours), reading
// s and writing d, which may be the same buffer.
void Reference(const uint8_t* s, uint8_t* d, int w, int h, const int p[4]) {
    double lx = p[0], ly = p[1], lh = p[2];
    const double intensity = p[3];
    const long double len = sqrtl((lh * lh + ly * ly) + lx * lx);
    if (len != 0) {
        lx = platform::dbl(lx / len);
        ly = platform::dbl(ly / len);
        lh = platform::dbl(lh / len);
    }
    auto avg = [&](int x, int y) {
        const uint8_t* q = s + 4 * (((y + h) % h) * w + (x + w) % w);
        return (q[0] + q[1] + q[2]) / 3;
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int ix = avg(x + 1, y) - avg(x - 1, y);
            const int iy = avg(x, y + 1) - avg(x, y - 1);
            long double gx = ix, gy = iy;
            long double nz = sqrtl(65025 - (ix * ix + iy * iy));
            const long double nl = sqrtl((nz * nz + gx * gx) + gy * gy);
            if (nl != 0) gx /= nl, gy /= nl, nz /= nl;
            const long double dot = (nz * lh + gy * ly) + gx * lx;
            const int f = std::max(platform::TruncToInt((dot * intensity + 1) * 255), 0);
            const int i = 4 * (y * w + x);
            for (int c = 0; c < 3; ++c) d[i + c] = std::min(s[i + c] * f / 255, 255);
        }
    }
}

}  // namespace

TEST(Bump, FlatAreas) {
    FilterRig rig(Bump::kTypeId, 3, 3);
    rig.Feed(Uniform(9, {0, 1, 2, 200}));
    // Defaults: f = (127 + 1) * 255, so any level of 2 or more saturates.
    EXPECT_EQ(rig.Render(), Uniform(9, {0, 128, 255, 0}));

    FilterRig dim(Bump::kTypeId, 3, 3);
    dim.Feed(Uniform(9, {100, 127, 128, 50}));
    dim.Set(3, 1);  // f = 510
    EXPECT_EQ(dim.Render(), Uniform(9, {200, 254, 255, 0}));
}

TEST(Bump, LightWithoutLengthCopiesTheColours) {
    const auto source = RandomBytes(25, 4);
    FilterRig rig(Bump::kTypeId, 5, 5);
    rig.Feed(source);
    rig.Set(2, 0);  // light (0, 0, 0): dot 0, f 255
    const auto out = rig.Render();
    for (size_t i = 0; i < out.size(); ++i) EXPECT_EQ(out[i], i % 4 == 3 ? 0 : source[i]) << i;
}

TEST(Bump, TooSteepAGradientGivesBlack) {
    std::vector<uint8_t> source = Uniform(9, {100, 100, 100, 0});
    auto set = [&](int x, int y, uint8_t v) { std::fill_n(&source[4 * (3 * y + x)], 3, v); };
    set(2, 1, 255);  // right and below white, left and above black: gx = gy = 255
    set(1, 2, 255);
    set(0, 1, 0);
    set(1, 0, 0);
    FilterRig rig(Bump::kTypeId, 3, 3);
    rig.Feed(source);
    rig.Render();
    EXPECT_EQ(rig.At(1, 1), (Pixel{0, 0, 0, 0}));
}

TEST(Bump, SidedLight) {
    // A wrapped row of three: black, white, level 180.
    std::vector<uint8_t> source;
    for (uint8_t v : {0, 255, 180}) source.insert(source.end(), {v, v, v, 0});
    FilterRig rig(Bump::kTypeId, 3, 1);
    rig.Feed(source);
    rig.Set(0, -255);  // light from the left, flat on the surface
    rig.Set(2, 0);
    rig.Set(3, 1);
    rig.Render();
    // White pixel, gx = 180: f = (1 - 180/255) * 255 is 75 exactly on paper; the
    // normal, kept at extended precision, lands just below it.
    EXPECT_EQ(rig.At(1, 0), (Pixel{74, 74, 74, 0}));
    // gx = -255: the normal faces the light, f = 510, limited.
    EXPECT_EQ(rig.At(2, 0), (Pixel{255, 255, 255, 0}));
}

TEST(Bump, BorderPixelsUseWrappedNeighbours) {
    // The frame is computed too, even on images of width or height 1 or 2.
    for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {1, 3}, {2, 2}, {7, 4}, {32, 32}}) {
        const auto source = RandomBytes(w * h, w + 100 * h);
        const int settings[][4] = {{0, 0, 127, 127}, {-200, 90, 30, 1}, {255, -255, 0, 255}};
        FilterRig rig(Bump::kTypeId, w, h);
        rig.Feed(source);
        for (const auto& p : settings) {
            for (int i = 0; i < 4; ++i) rig.Set(i, p[i]);
            std::vector<uint8_t> expected(source.size());
            Reference(source.data(), expected.data(), w, h, p);
            EXPECT_EQ(rig.Render(), expected) << w << "x" << h;
        }
    }
}

TEST(Bump, OwnOutputAsSourceIsReadWhileWritten) {
    FilterRig rig(Bump::kTypeId, 6, 5);
    rig.FeedItself();
    const int p[4] = {50, -70, 40, 2};
    for (int i = 0; i < 4; ++i) rig.Set(i, p[i]);
    auto expected = RandomBytes(30, 9);
    std::copy(expected.begin(), expected.end(), rig.filter->image->bytes());
    Reference(expected.data(), expected.data(), 6, 5, p);
    LogCapture log;
    EXPECT_EQ(rig.Render(), expected);
    EXPECT_EQ(log.Matching("Bump::Update took ").size(), 1u);
}
