#include <gtest/gtest.h>

#include "nodes/filters/Bump.h"
#include "support/FilterRig.h"

namespace {

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

}  // namespace
