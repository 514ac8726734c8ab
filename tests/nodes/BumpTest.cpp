#include <gtest/gtest.h>

#include <cmath>

#include "nodes/filters/Bump.h"
#include "platform/Numeric.h"
#include "support/FilterRig.h"

namespace {

// The pixel loop as written down (every pixel, wrapped neighbours), reading
// s and writing d, which may be the same buffer.
void Reference(const Inputs& in, uint8_t* d, int w, int h, const Params& p) {
    const uint8_t* s = in[0];
    double lx = p[0], ly = p[1], lh = p[2];
    const long double len = sqrtl((lh * lh + ly * ly) + lx * lx);
    if (len != 0)
        lx = platform::dbl(lx / len), ly = platform::dbl(ly / len), lh = platform::dbl(lh / len);
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
            const int f = std::max(platform::TruncToInt((dot * double(p[3]) + 1) * 255), 0);
            const int i = 4 * (y * w + x);
            for (int c = 0; c < 3; ++c) d[i + c] = std::min(s[i + c] * f / 255, 255);
        }
    }
}

Pixel Grey(uint8_t v) {
    return {v, v, v, 0};
}

TEST(Bump, FlatAreasSteepNeighboursAndSidedLight) {
    // Defaults: f = (127 + 1) * 255, so any level of 2 or more saturates.
    EXPECT_EQ(Filtered(Bump::kTypeId, 3, 3, {Uniform(9, {0, 1, 2, 200})}, {}),
              Uniform(9, {0, 128, 255, 0}));
    // Intensity 1: f = 510.
    EXPECT_EQ(Filtered(Bump::kTypeId, 3, 3, {Uniform(9, {100, 127, 128, 50})}, {0, 0, 127, 1}),
              Uniform(9, {200, 254, 255, 0}));
    // Right and below white, left and above black: gx = gy = 255 is too steep.
    const Pixels steep = Draw(3, 3, [](int x, int y) {
        return Grey(x + y == 1 ? 0 : x + y == 3 ? 255 : 100);
    });
    EXPECT_EQ(At(Filtered(Bump::kTypeId, 3, 3, {steep}, {}), 3, 1, 1), Grey(0));

    // A wrapped row of three, black, white and 180, lit from the left, flat on the surface.
    const Pixels out =
        Filtered(Bump::kTypeId, 3, 1, {Px({Grey(0), Grey(255), Grey(180)})}, {-255, 0, 0, 1});
    // White pixel, gx = 180: f = (1 - 180/255) * 255 is 75 exactly on paper; the
    // normal, kept at extended precision, lands just below it.
    EXPECT_EQ(At(out, 3, 1, 0), Grey(74));
    // gx = -255: the normal faces the light, f = 510, limited.
    EXPECT_EQ(At(out, 3, 2, 0), Grey(255));
}

TEST(Bump, MatchesThePlainPixelLoopOnEveryPixel) {
    // The frame is computed too, even on images of width or height 1 or 2;
    // a light without length copies the colours.
    ExpectMatches(Bump::kTypeId, 1, Reference, {{1, 1}, {2, 1}, {1, 3}, {2, 2}, {7, 4}, {32, 32}},
                  {{0, 0, 127, 127},
                   {-200, 90, 30, 1},
                   {255, -255, 0, 255},
                   {0, 0, 0, 127},
                   {50, -70, 40, 2}},
                  "Bump");
}

}  // namespace
