#include <gtest/gtest.h>

#include <cmath>

#include "nodes/filters/Emboss.h"
#include "platform/Numeric.h"
#include "support/FilterRig.h"

namespace {

// The pixel loop as written down (wrapped neighbours), reading s and writing
// d, which may be the same buffer.
void Reference(const Inputs& in, uint8_t* d, int w, int h, const Params& p) {
    auto s = [&](int x, int y) { return in[0] + 4 * (((y + h) % h) * w + (x + w) % w); };
    const int shade = p[0];
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int e[3];
            for (int c = 0; c < 3; ++c)
                e[c] = std::clamp(128 - s(x - 1, y - 1)[c] - s(x - 1, y)[c] - s(x - 1, y + 1)[c] +
                                      s(x + 1, y - 1)[c] + s(x + 1, y)[c] + s(x + 1, y + 1)[c],
                                  0, 255);
            if (shade > 0) {
                int n = platform::TruncToInt(sqrtl(e[0] * e[0] + e[1] * e[1] + e[2] * e[2]) *
                                             0.5773502717125849);
                n = std::min(n, 255);
                const int v = 128 + ((shade / 2) * (n - 128)) / 128;
                for (int c = 0; c < 3; ++c) {
                    const int a = s(x, y)[c];
                    e[c] = v < 128 ? std::max(a - ((127 - v) * a) / 127, 0)
                                   : std::min(a + ((255 - a) * (v - 128)) / 127, 255);
                }
            }
            uint8_t* out = d + 4 * (y * w + x);
            for (int c = 0; c < 3; ++c) out[c] = e[c];
            out[3] = s(x, y)[0];
        }
    }
}

// Black in the left half, white in the right half: 8 x 3 pixels.
const Pixels kStep = Draw(8, 3, [](int x, int) {
    return x < 4 ? Pixel{} : Pixel{255, 255, 255, 255};
});

Pixels Embossed(const Pixels& src, int w, int h, int shade) {
    return Filtered(Emboss::kTypeId, w, h, {src}, {shade});
}

TEST(Emboss, UniformAndStepImages) {
    // Mid grey with the source's red byte in byte 3.
    const Pixels src = Uniform(6, {40, 90, 200, 33});
    EXPECT_EQ(Embossed(src, 3, 2, 0), Uniform(6, {128, 128, 128, 40}));
    // With shading, flat areas keep the source colour.
    EXPECT_EQ(Embossed(src, 3, 2, 555), Uniform(6, {40, 90, 200, 40}));
    // 255 either side of the rising step, 0 at the wrapped falling one.
    const uint8_t relief[8] = {0, 128, 128, 255, 255, 128, 128, 0};
    EXPECT_EQ(Embossed(kStep, 8, 3, 0), Draw(8, 3, [&](int x, int) {
                  return Pixel{relief[x], relief[x], relief[x], uint8_t(x < 4 ? 0 : 255)};
              }));
    EXPECT_EQ(Embossed(kStep, 8, 3, 1), kStep);  // shade / 2 is 0: the source is copied
    // Strong edges reach white (rising step) or black (wrapped falling step).
    const uint8_t shaded[8] = {0, 0, 0, 255, 255, 255, 255, 0};
    const Pixels strong = Embossed(kStep, 8, 3, 555);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(strong, 8, x, 1)[1], shaded[x]) << x;
    // Milder: (50 * 127) / 128 = 49 lifts black to 255 * 49 / 127 = 98.
    EXPECT_EQ(At(Embossed(kStep, 8, 3, 100), 8, 3, 0), (Pixel{98, 98, 98, 0}));
}

TEST(Emboss, MatchesThePlainPixelLoop) {
    ExpectMatches(Emboss::kTypeId, 1, Reference, {{1, 1}, {2, 1}, {1, 2}, {2, 2}, {5, 3}, {16, 16}},
                  {{0}, {1}, {300}, {555}}, "Emboss");
}

}  // namespace
