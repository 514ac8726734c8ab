#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/FilterRig.h"
#include "nodes/filters/BrightnessContrast.h"
#include "platform/Numeric.h"

namespace {

// The pixel loop as written down: no tables, everything per pixel.
std::vector<uint8_t> Reference(const std::vector<uint8_t>& s, int brightness, int contrast) {
    std::vector<uint8_t> d(s.size());
    const double e = (contrast + 255) * 0.00392156862745098;
    for (size_t i = 0; i < s.size(); i += 4) {
        int sum = 0;
        for (int k = 0; k < 4; ++k) sum += (s[i + k] - 127) * (s[i + k] - 127);
        const double length = std::sqrt(static_cast<double>(sum));
        const double power = std::pow(length, e);
        for (int k = 0; k < 4; ++k) {
            const double scaled = ((s[i + k] - 127) / length) * power;
            d[i + k] = std::clamp(platform::TruncToInt(scaled) + brightness + 127, 0, 255);
        }
    }
    return d;
}

Pixel Filtered(Pixel in, int brightness, int contrast) {
    FilterRig rig(BrightnessContrast::kTypeId, 1, 1);
    rig.Feed(Uniform(1, in));
    rig.Set(0, brightness);
    rig.Set(1, contrast);
    rig.Render();
    return rig.At(0, 0);
}

}  // namespace

TEST(BrightnessContrast, NeutralSettingsLoseAtMostALevelTowardMidGrey) {
    EXPECT_EQ(Filtered({113, 224, 253, 119}, 0, 0), (Pixel{113, 223, 253, 119}));
}

TEST(BrightnessContrast, MidGreyOnlyShiftsByBrightness) {
    for (int contrast : {-255, 0, 255})
        EXPECT_EQ(Filtered({127, 127, 127, 127}, 40, contrast), (Pixel{167, 167, 167, 167}));
    EXPECT_EQ(Filtered({127, 127, 127, 127}, -255, 0), (Pixel{0, 0, 0, 0}));
}

TEST(BrightnessContrast, ContrastExtremes) {
    // Exponent 0: only the unit vector's truncated components remain.
    EXPECT_EQ(Filtered({200, 127, 127, 127}, 0, -255), (Pixel{128, 127, 127, 127}));
    // Exponent 2: deviations grow and are limited.
    EXPECT_EQ(Filtered({255, 0, 127, 127}, 0, 255), (Pixel{255, 0, 127, 127}));
    EXPECT_EQ(Filtered({255, 255, 255, 255}, 255, 0), (Pixel{255, 255, 255, 255}));
}

TEST(BrightnessContrast, FourthByteIsPartOfTheVector) {
    // A longer vector is pulled harder toward mid grey.
    EXPECT_EQ(Filtered({150, 140, 130, 127}, 0, -100), (Pixel{133, 130, 127, 127}));
    EXPECT_EQ(Filtered({150, 140, 130, 255}, 0, -100), (Pixel{130, 128, 127, 145}));
}

TEST(BrightnessContrast, UnconnectedSourceIsAllZero) {
    FilterRig rig(BrightnessContrast::kTypeId, 2, 2);
    rig.Set(1, -255);  // unit vector (-0.5, ...) truncates to 0
    EXPECT_EQ(rig.Render(), Uniform(4, {127, 127, 127, 127}));
    rig.Set(1, 0);  // length 254 kept: back to 0
    EXPECT_EQ(rig.Render(), Uniform(4, {0, 0, 0, 0}));
}

TEST(BrightnessContrast, MatchesThePlainPixelLoop) {
    const int settings[][2] = {{0, 0}, {0, -255}, {0, 255}, {37, -100}, {-80, 143}, {255, 7}};
    for (int side : {1, 3, 16, 64}) {
        const auto source = RandomBytes(side * side, side);
        FilterRig rig(BrightnessContrast::kTypeId, side, side);
        rig.Feed(source);
        for (const auto& [brightness, contrast] : settings) {
            rig.Set(0, brightness);
            rig.Set(1, contrast);
            EXPECT_EQ(rig.Render(), Reference(source, brightness, contrast))
                << side << " " << brightness << " " << contrast;
        }
    }
}

TEST(BrightnessContrast, OwnOutputAsSourceWorksInPlace) {
    FilterRig rig(BrightnessContrast::kTypeId, 8, 8);
    rig.FeedItself();
    rig.Set(0, 3);
    rig.Set(1, 60);
    const auto start = RandomBytes(64, 5);
    std::copy(start.begin(), start.end(), rig.filter->image->bytes());
    LogCapture log;
    EXPECT_EQ(rig.Render(), Reference(start, 3, 60));
    EXPECT_EQ(log.Matching("BrightnessContrast::Update took ").size(), 1u);
}
