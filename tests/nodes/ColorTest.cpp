// The colour-space conversions and the nodes built on them.
#include <gtest/gtest.h>

#include <array>

#include "nodes/filters/ColorSpace.h"
#include "nodes/filters/FromHSV.h"
#include "nodes/filters/HSV.h"
#include "nodes/filters/ToHSV.h"
#include "support/FilterRig.h"

namespace {

using Hsv = std::array<float, 3>;
using Rgb = std::array<int32_t, 3>;

Hsv ToHsv(float r, float g, float b) {
    Hsv hsv;
    RGBToHSV(r, g, b, hsv[0], hsv[1], hsv[2]);
    return hsv;
}

Rgb ToRgb(float h, float s, float v) {
    Rgb rgb;
    HSVToRGB(h, s, v, rgb[0], rgb[1], rgb[2]);
    return rgb;
}

TEST(ColorSpace, ConversionsOfGreysAndPrimariesReduceHueAndLimit) {
    EXPECT_EQ(ToHsv(0, 0, 0), (Hsv{-1, 0, 0}));
    EXPECT_EQ(ToHsv(77, 77, 77), (Hsv{-1, 0, 77}));
    EXPECT_EQ(ToHsv(255, 0, 0), (Hsv{0, 1, 255}));
    EXPECT_EQ(ToHsv(0, 255, 0), (Hsv{120, 1, 255}));
    EXPECT_EQ(ToHsv(0, 0, 255), (Hsv{240, 1, 255}));
    // Red wins a tie with green: yellow is computed from red's formula.
    EXPECT_EQ(ToHsv(255, 255, 0), (Hsv{60, 1, 255}));

    EXPECT_EQ(ToRgb(-1, 0, 200), (Rgb{200, 200, 200}));
    EXPECT_EQ(ToRgb(420, 1, 255), (Rgb{255, 255, 0}));
    EXPECT_EQ(ToRgb(-120, 1, 255), (Rgb{0, 0, 255}));
    EXPECT_EQ(ToRgb(0, 1, 300), (Rgb{255, 0, 0}));
    // 120 x 0.016666666666666666 lies half a double step below 2 and rounds
    // to 2 where floor takes it: sector 2, whose p is rounded to single
    // (253.99999994 becomes 254) rather than sector 1 with p truncated to 253.
    EXPECT_EQ(ToRgb(120, colorspace::kOneOver255, 255), (Rgb{254, 255, 254}));
}

// Rows through "Adjust HSV" whose image held 0x5A in every byte beforehand: the
// fourth byte keeps it.
TEST(HSV, ShiftsAndLimits) {
    const Pixels src = Px({{0, 3, 9, 0}, {200, 100, 50, 0}, {255, 255, 255, 0}});
    const struct {
        Pixels source;
        int hue, saturation, lightness;
        Pixels adjusted;
    } cases[] = {
        // Neutral settings lose at most one level.
        {Px({{0, 3, 9, 1}}), 0, 0, 0, Px({{0, 2, 9, 0x5A}})},
        {Px({{255, 0, 0, 0}, {0, 0, 255, 0}}), 120, 0, 0,
         Px({{0, 255, 0, 0x5A}, {255, 0, 0, 0x5A}})},
        {Px({{255, 0, 0, 0}}), -180, 0, 0, Px({{0, 255, 255, 0x5A}})},
        // Greys have hue 359.
        {Px({{200, 200, 200, 0}}), 0, 26, 0, Px({{200, 179, 179, 0x5A}})},
        {src, 0, 0, -255, Uniform(3, {0, 0, 0, 0x5A})},
        {src, 0, -255, 0, Px({{9, 9, 9, 0x5A}, {200, 200, 200, 0x5A}, {255, 255, 255, 0x5A}})},
        // Full saturation and value: hues 220, 20 and (for white) 359; the
        // single-precision sector fraction puts 84.99998 where 85 would be.
        {src, 0, 255, 255, Px({{0, 84, 255, 0x5A}, {255, 85, 0, 0x5A}, {255, 0, 4, 0x5A}})},
    };
    for (const auto& c : cases) {
        const int w = static_cast<int>(c.source.size() / 4);
        EXPECT_EQ(
            Filtered(HSV::kTypeId, w, 1, {c.source}, {c.hue, c.saturation, c.lightness}, 0x5A),
            c.adjusted)
            << c.hue << " " << c.saturation << " " << c.lightness;
    }
}

enum Order { kHSV, kHVS, kSVH, kSHV, kVSH, kVHS };

Pixels Convert(uint8_t typeId, const Pixels& src, int order) {
    return Filtered(typeId, static_cast<int>(src.size() / 4), 1, {src}, {order}, 0x5A);
}

// "RGB -> HSV" stores the components in the chosen order; "HSV -> RGB" reads
// them back, restoring primaries and greys but not yellow.
TEST(ToHSV, StoresComponentsInTheChosenOrderAndFromHSVReadsThemBack) {
    // Yellow (H, S, V = 42, 255, 255) places the hue, grey 100 (0, 0, 100) the value.
    const Pixels src = Px({{255, 255, 0, 9}, {100, 100, 100, 9}});
    const std::pair<int, Pixels> cases[] = {
        {kHSV, Px({{42, 255, 255, 0}, {0, 0, 100, 0}})},
        {kHVS, Px({{42, 255, 255, 0}, {0, 100, 0, 0}})},
        {kSVH, Px({{255, 255, 42, 0}, {0, 100, 0, 0}})},
        {kSHV, Px({{255, 42, 255, 0}, {0, 0, 100, 0}})},
        {kVSH, Px({{255, 255, 42, 0}, {100, 0, 0, 0}})},
        {kVHS, Px({{255, 42, 255, 0}, {100, 0, 0, 0}})},
    };
    for (const auto& [order, stored] : cases)
        EXPECT_EQ(Convert(ToHSV::kTypeId, src, order), stored) << order;
    // The hue byte stays below 255.
    EXPECT_EQ(Convert(ToHSV::kTypeId, Px({{255, 0, 1, 0}}), kHSV), Px({{254, 255, 255, 0}}));

    const Pixels rgb = Px({{255, 0, 0, 0},
                           {0, 255, 0, 0},
                           {0, 0, 255, 0},
                           {0, 0, 0, 0},
                           {255, 255, 255, 0},
                           {31, 31, 31, 0}});
    for (int order = kHSV; order <= kVHS; ++order)
        EXPECT_EQ(Convert(FromHSV::kTypeId, Convert(ToHSV::kTypeId, rgb, order), order), rgb)
            << order;
    EXPECT_EQ(Convert(FromHSV::kTypeId, Px({{42, 255, 255, 9}}), kHSV), Px({{255, 252, 0, 0}}));
}

}  // namespace
