#include <gtest/gtest.h>

#include "nodes/filters/HSV.h"
#include "support/FilterRig.h"

namespace {

enum { kHue, kSaturation, kLightness };

// Renders one row of pixels through "Adjust HSV" whose image held 0x5A in
// every byte beforehand.
Pixels Adjust(const Pixels& src, int16_t hue, int16_t saturation, int16_t lightness) {
    const int count = static_cast<int>(src.size() / 4);
    FilterRig rig(HSV::kTypeId, count, 1);
    std::fill_n(rig.filter->image->bytes(), src.size(), 0x5A);
    rig.Feed(src, 0);
    return rig.Set(kHue, hue).Set(kSaturation, saturation).Set(kLightness, lightness).Render();
}

TEST(HSV, NeutralSettingsLoseAtMostOneLevel) {
    const Pixels src = Px({{0, 3, 9, 1},
                           {255, 0, 0, 2},
                           {0, 255, 0, 3},
                           {0, 0, 255, 4},
                           {0, 0, 0, 5},
                           {255, 255, 255, 6},
                           {128, 128, 128, 7}});
    // The fourth byte keeps what the node's image held.
    EXPECT_EQ(Adjust(src, 0, 0, 0), Px({{0, 2, 9, 0x5A},
                                        {255, 0, 0, 0x5A},
                                        {0, 255, 0, 0x5A},
                                        {0, 0, 255, 0x5A},
                                        {0, 0, 0, 0x5A},
                                        {255, 255, 255, 0x5A},
                                        {128, 128, 128, 0x5A}}));
}

TEST(HSV, GreyTakesHue359WhenSaturated) {
    EXPECT_EQ(Adjust(Px({{200, 200, 200, 0}}), 0, 26, 0), Px({{200, 179, 179, 0x5A}}));
}

TEST(HSV, ShiftsHue) {
    EXPECT_EQ(Adjust(Px({{255, 0, 0, 0}, {0, 0, 255, 0}}), 120, 0, 0),
              Px({{0, 255, 0, 0x5A}, {255, 0, 0, 0x5A}}));
    EXPECT_EQ(Adjust(Px({{255, 0, 0, 0}}), -180, 0, 0), Px({{0, 255, 255, 0x5A}}));
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
