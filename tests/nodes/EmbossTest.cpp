#include <gtest/gtest.h>

#include "nodes/filters/Emboss.h"
#include "support/FilterRig.h"

namespace {

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

}  // namespace
