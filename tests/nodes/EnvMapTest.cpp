#include <gtest/gtest.h>

#include "support/FilterRig.h"
#include "nodes/filters/EnvMap.h"

namespace {

struct Spot {
    Spot(int w, int h, int radius, int attenuation, int channel) : rig(EnvMap::kTypeId, w, h) {
        rig.Set(0, radius);
        rig.Set(1, attenuation);
        rig.Set(2, channel);
        rig.Render();
    }
    Pixel At(int x, int y) const { return rig.At(x, y); }
    FilterRig rig;
};

Pixel Grey(uint8_t v) { return {v, v, v, 255}; }

}  // namespace

TEST(EnvMap, DefaultsGiveBlackWithFullFourthByte) {
    LogCapture log;
    FilterRig rig(EnvMap::kTypeId, 16, 16);
    EXPECT_EQ(rig.Render(), Uniform(256, {0, 0, 0, 255}));
    EXPECT_EQ(log.Matching("EnvMap::Update took ").size(), 1u);
}

TEST(EnvMap, SinglePixelHasNoDistanceScale) {
    for (int attenuation : {0, 612, 1023}) {
        Spot spot(1, 1, 255, attenuation, 3);
        EXPECT_EQ(spot.At(0, 0), (Pixel{0, 0, 0, 255}));
    }
    Spot tall(1, 2, 255, 1023, 3);  // rmax 1: centre (0, 1) lit, (0, 0) one radius away
    EXPECT_EQ(tall.At(0, 1), Grey(255));
    EXPECT_EQ(tall.At(0, 0), Grey(0));
}

TEST(EnvMap, StrongestAttenuationGivesAFlatToppedCone) {
    Spot spot(64, 64, 255, 1023, 3);  // a = 5.11, rmax = 32
    EXPECT_EQ(spot.At(32, 32), Grey(255));
    EXPECT_EQ(spot.At(48, 32), Grey(255));  // 5.11 * (255 - 0.5 * 260.085...) is limited
    EXPECT_EQ(spot.At(32, 2), Grey(57));    // distance 30: 5.11 * 11.17...
    EXPECT_EQ(spot.At(0, 32), Grey(0));     // beyond 0.98 rmax
    EXPECT_EQ(spot.At(0, 0), Grey(0));
}

TEST(EnvMap, NegativeAttenuationDarkensTheInscribedDisc) {
    Spot spot(64, 64, 255, 0, 3);  // a = -5.12
    EXPECT_EQ(spot.At(32, 32), Grey(0));
    EXPECT_EQ(spot.At(0, 32), Grey(0));
    EXPECT_EQ(spot.At(0, 0), Grey(255));
    EXPECT_EQ(spot.At(63, 63), Grey(255));
}

TEST(EnvMap, ChannelAndLinearFall) {
    Spot spot(64, 64, 255, 612, 1);  // a = 1: 255 - u * 255.97...
    EXPECT_EQ(spot.At(32, 32), (Pixel{0, 255, 0, 255}));
    EXPECT_EQ(spot.At(48, 32), (Pixel{0, 127, 0, 255}));
    EXPECT_EQ(spot.At(32, 0), (Pixel{0, 0, 0, 255}));
}

TEST(EnvMap, ZeroRadiusLightsOnlyTheCentre) {
    Spot spot(16, 16, 0, 1023, 2);
    const auto bytes = Bytes(*spot.rig.filter->image);
    for (int i = 0; i < 256; ++i) {
        const uint8_t blue = i == 8 * 16 + 8 ? 255 : 0;
        EXPECT_EQ(std::vector<uint8_t>(&bytes[4 * i], &bytes[4 * i + 4]),
                  (std::vector<uint8_t>{0, 0, blue, 255}))
            << i;
    }
}
