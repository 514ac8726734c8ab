#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "nodes/filters/ColorSpace.h"

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

TEST(ColorSpace, ByteScalingsAreTheSinglePrecisionValues) {
    EXPECT_EQ(double{colorspace::kOneOver255}, 0.003921568859368563);
    EXPECT_EQ(double{colorspace::k360Over255}, 1.4117647409439087);
    EXPECT_EQ(double{colorspace::k255Over360}, 0.7083333134651184);
}

TEST(ColorSpace, RGBToHSVOfGreysAndPrimaries) {
    EXPECT_EQ(ToHsv(0, 0, 0), (Hsv{-1, 0, 0}));
    EXPECT_EQ(ToHsv(77, 77, 77), (Hsv{-1, 0, 77}));
    EXPECT_EQ(ToHsv(255, 0, 0), (Hsv{0, 1, 255}));
    EXPECT_EQ(ToHsv(0, 255, 0), (Hsv{120, 1, 255}));
    EXPECT_EQ(ToHsv(0, 0, 255), (Hsv{240, 1, 255}));
    // Hues below 0 are brought into [0, 360).
    EXPECT_EQ(ToHsv(255, 0, 255)[0], 300);
    // Red wins a tie with green: yellow is computed from red's formula.
    EXPECT_EQ(ToHsv(255, 255, 0), (Hsv{60, 1, 255}));
}

TEST(ColorSpace, HSVToRGBReducesHueAndLimits) {
    EXPECT_EQ(ToRgb(-1, 0, 200), (Rgb{200, 200, 200}));
    EXPECT_EQ(ToRgb(420, 1, 255), (Rgb{255, 255, 0}));
    EXPECT_EQ(ToRgb(60, 1, 255), (Rgb{255, 255, 0}));
    EXPECT_EQ(ToRgb(-120, 1, 255), (Rgb{0, 0, 255}));
    EXPECT_EQ(ToRgb(0, 1, 300), (Rgb{255, 0, 0}));
    EXPECT_EQ(ToRgb(-1, 0, 300.5f), (Rgb{255, 255, 255}));
    // 120 x 0.016666666666666666 lies half a double step below 2 and rounds
    // to 2 where floor takes it: sector 2, whose p is rounded to single
    // (253.99999994 becomes 254) rather than sector 1 with p truncated to 253.
    EXPECT_EQ(ToRgb(120, colorspace::kOneOver255, 255), (Rgb{254, 255, 254}));
}

}  // namespace

namespace {

// Exhaustive checks of the table paths walk every colour; under the sanitizers
// a prime stride keeps them to a few seconds and still varies every byte.
constexpr int kColourStride = SWATCHER_SANITIZED ? 97 : 1;

TEST(ColorSpace, HSVByteTablesMatchThePlainPathForEveryColour) {
    int mismatches = 0;
    for (int rgb = 0; rgb < 1 << 24; rgb += kColourStride) {
        const int r = rgb >> 16, g = (rgb >> 8) & 255, b = rgb & 255;
        uint8_t fast[3], plain[3];
        colorspace::HSVBytes(r, g, b, fast);
        colorspace::plain::HSVBytes(r, g, b, plain);
        if (!std::equal(fast, fast + 3, plain) && ++mismatches <= 5)
            ADD_FAILURE() << r << " " << g << " " << b << ": " << +fast[0] << " " << +fast[1]
                          << " vs " << +plain[0] << " " << +plain[1];
    }
    EXPECT_EQ(mismatches, 0);
}

}  // namespace
