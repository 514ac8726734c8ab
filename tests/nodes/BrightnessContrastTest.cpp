#include <gtest/gtest.h>

#include <cmath>

#include "nodes/filters/BrightnessContrast.h"
#include "platform/Numeric.h"
#include "support/FilterRig.h"

namespace {

// The pixel loop as written down: no tables, everything per pixel.
void Reference(const Inputs& in, uint8_t* d, int w, int h, const Params& p) {
    const uint8_t* s = in[0];
    const double e = (p[1] + 255) * 0.00392156862745098;
    for (int i = 0; i < 4 * w * h; i += 4) {
        int sum = 0;
        for (int k = 0; k < 4; ++k) sum += (s[i + k] - 127) * (s[i + k] - 127);
        const double length = std::sqrt(static_cast<double>(sum));
        const double power = std::pow(length, e);
        for (int k = 0; k < 4; ++k) {
            const double scaled = ((s[i + k] - 127) / length) * power;
            d[i + k] = std::clamp(platform::TruncToInt(scaled) + p[0] + 127, 0, 255);
        }
    }
}

Pixels Adjusted(Pixel in, int brightness, int contrast) {
    return Filtered(BrightnessContrast::kTypeId, 1, 1, {Px({in})}, {brightness, contrast});
}

TEST(BrightnessContrast, ListedPixels) {
    // One level lost toward mid grey at neutral settings.
    EXPECT_EQ(Adjusted({113, 224, 253, 119}, 0, 0), Px({{113, 223, 253, 119}}));
    // Mid grey only shifts by Brightness, whatever the contrast.
    for (int contrast : {-255, 0, 255})
        EXPECT_EQ(Adjusted({127, 127, 127, 127}, 40, contrast), Px({{167, 167, 167, 167}}));
    EXPECT_EQ(Adjusted({127, 127, 127, 127}, -255, 0), Px({{0, 0, 0, 0}}));
    // Exponent 0: only the unit vector's truncated components remain.
    EXPECT_EQ(Adjusted({200, 127, 127, 127}, 0, -255), Px({{128, 127, 127, 127}}));
    // Exponent 2: deviations grow and are limited.
    EXPECT_EQ(Adjusted({255, 0, 127, 127}, 0, 255), Px({{255, 0, 127, 127}}));
    EXPECT_EQ(Adjusted({255, 255, 255, 255}, 255, 0), Px({{255, 255, 255, 255}}));
    // The fourth byte is part of the vector: a longer one is pulled harder.
    EXPECT_EQ(Adjusted({150, 140, 130, 127}, 0, -100), Px({{133, 130, 127, 127}}));
    EXPECT_EQ(Adjusted({150, 140, 130, 255}, 0, -100), Px({{130, 128, 127, 145}}));
    // Unconnected, every byte is 0: at contrast -255 the unit vector (-0.5, ...)
    // truncates to 0; at contrast 0 the length 254 gives back 0.
    EXPECT_EQ(Filtered(BrightnessContrast::kTypeId, 2, 2, {}, {0, -255}), Pixels(16, 127));
    EXPECT_EQ(Filtered(BrightnessContrast::kTypeId, 2, 2, {}, {0, 0}, 0x5A), Pixels(16, 0));
}

// The vector path against the scalar loop; 257x256 holds more pixels than there
// are sums of squares, so its table covers every sum.
TEST(BrightnessContrast, MatchesThePlainPixelLoop) {
    ExpectMatches(BrightnessContrast::kTypeId, 1, Reference, {{1, 1}, {3, 3}, {64, 64}, {257, 256}},
                  {{0, 0}, {0, -255}, {0, 255}, {37, -100}, {-80, 143}, {255, 7}, {3, 60}},
                  "BrightnessContrast");
}

}  // namespace
