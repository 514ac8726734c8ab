#include <gtest/gtest.h>

#include "nodes/filters/HSV.h"
#include "support/FilterRig.h"

namespace {

// One row through "Adjust HSV" whose image held 0x5A in every byte beforehand.
Pixels Adjust(const Pixels& src, int hue, int saturation, int lightness) {
    const int w = static_cast<int>(src.size() / 4);
    return Filtered(HSV::kTypeId, w, 1, {src}, {hue, saturation, lightness}, 0x5A);
}

TEST(HSV, NeutralSettingsLoseAtMostOneLevel) {
    // The fourth byte keeps what the node's image held.
    EXPECT_EQ(Adjust(Px({{0, 3, 9, 1}, {255, 0, 0, 2}, {0, 255, 0, 3}, {0, 0, 255, 4}}), 0, 0, 0),
              Px({{0, 2, 9, 0x5A}, {255, 0, 0, 0x5A}, {0, 255, 0, 0x5A}, {0, 0, 255, 0x5A}}));
    const Pixels greys = Px({{0, 0, 0, 0x5A}, {255, 255, 255, 0x5A}, {128, 128, 128, 0x5A}});
    EXPECT_EQ(Adjust(greys, 0, 0, 0), greys);
}

TEST(HSV, ShiftsHueAndGivesGreysHue359) {
    EXPECT_EQ(Adjust(Px({{255, 0, 0, 0}, {0, 0, 255, 0}}), 120, 0, 0),
              Px({{0, 255, 0, 0x5A}, {255, 0, 0, 0x5A}}));
    EXPECT_EQ(Adjust(Px({{255, 0, 0, 0}}), -180, 0, 0), Px({{0, 255, 255, 0x5A}}));
    EXPECT_EQ(Adjust(Px({{200, 200, 200, 0}}), 0, 26, 0), Px({{200, 179, 179, 0x5A}}));
}

TEST(HSV, LimitsValueAndSaturation) {
    const Pixels src = Px({{0, 3, 9, 0}, {200, 100, 50, 0}, {255, 255, 255, 0}});
    EXPECT_EQ(Adjust(src, 0, 0, -255), Uniform(3, {0, 0, 0, 0x5A}));
    EXPECT_EQ(Adjust(src, 0, -255, 0),
              Px({{9, 9, 9, 0x5A}, {200, 200, 200, 0x5A}, {255, 255, 255, 0x5A}}));
    // Full saturation and value: hues 220, 20 and (for white) 359; the
    // single-precision sector fraction puts 84.99998 where 85 would be.
    EXPECT_EQ(Adjust(src, 0, 255, 255),
              Px({{0, 84, 255, 0x5A}, {255, 85, 0, 0x5A}, {255, 0, 4, 0x5A}}));
}

}  // namespace
