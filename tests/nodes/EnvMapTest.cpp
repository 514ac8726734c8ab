#include <gtest/gtest.h>

#include "nodes/filters/EnvMap.h"
#include "support/FilterRig.h"

namespace {

// Pixel (x, y) of a w x h map.
Pixel Lit(int w, int h, int radius, int attenuation, int channel, int x, int y) {
    return At(Filtered(EnvMap::kTypeId, w, h, {}, {radius, attenuation, channel}), w, x, y);
}

Pixel Grey(uint8_t v) {
    return {v, v, v, 255};
}

TEST(EnvMap, DefaultsGiveBlackWithFullFourthByte) {
    EXPECT_EQ(Filtered(EnvMap::kTypeId, 16, 16, {}, {}, 0x5A), Uniform(256, {0, 0, 0, 255}));
}

TEST(EnvMap, SinglePixelAndZeroRadius) {
    // One pixel has no distance scale.
    for (int attenuation : {0, 612, 1023}) EXPECT_EQ(Lit(1, 1, 255, attenuation, 3, 0, 0), Grey(0));
    // rmax 1: centre (0, 1) lit, (0, 0) one radius away.
    EXPECT_EQ(Lit(1, 2, 255, 1023, 3, 0, 1), Grey(255));
    EXPECT_EQ(Lit(1, 2, 255, 1023, 3, 0, 0), Grey(0));
    // Radius 0 lights only the centre.
    Pixels centre = Uniform(256, {0, 0, 0, 255});
    centre[4 * (8 * 16 + 8) + 2] = 255;
    EXPECT_EQ(Filtered(EnvMap::kTypeId, 16, 16, {}, {0, 1023, 2}), centre);
}

TEST(EnvMap, AttenuationExtremesAndLinearFall) {
    // a = 5.11, rmax = 32: a flat-topped cone, 0 beyond 0.98 rmax.
    EXPECT_EQ(Lit(64, 64, 255, 1023, 3, 32, 32), Grey(255));
    EXPECT_EQ(Lit(64, 64, 255, 1023, 3, 48, 32), Grey(255));  // 5.11 * (255 - 0.5 * 260.085...)
    EXPECT_EQ(Lit(64, 64, 255, 1023, 3, 32, 2), Grey(57));    // distance 30: 5.11 * 11.17...
    EXPECT_EQ(Lit(64, 64, 255, 1023, 3, 0, 32), Grey(0));
    // a = -5.12 darkens the inscribed disc.
    EXPECT_EQ(Lit(64, 64, 255, 0, 3, 32, 32), Grey(0));
    EXPECT_EQ(Lit(64, 64, 255, 0, 3, 0, 32), Grey(0));
    EXPECT_EQ(Lit(64, 64, 255, 0, 3, 0, 0), Grey(255));
    EXPECT_EQ(Lit(64, 64, 255, 0, 3, 63, 63), Grey(255));
    // a = 1 in green only: 255 - u * 255.97...
    EXPECT_EQ(Lit(64, 64, 255, 612, 1, 32, 32), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(Lit(64, 64, 255, 612, 1, 48, 32), (Pixel{0, 127, 0, 255}));
    EXPECT_EQ(Lit(64, 64, 255, 612, 1, 32, 0), (Pixel{0, 0, 0, 255}));
}

}  // namespace
