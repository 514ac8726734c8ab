// What the golden renders leave open in the filter nodes: the blur's
// multipliers, the plain Brightness, Contrast formula, the Mixer's colour
// steps, the colour-space conversions and every component order of the HSV pair.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "nodes/filters/Blur.h"
#include "nodes/filters/BrightnessContrast.h"
#include "nodes/filters/Bump.h"
#include "nodes/filters/ColorSpace.h"
#include "nodes/filters/DisplacementMap.h"
#include "nodes/filters/Emboss.h"
#include "nodes/filters/FromHSV.h"
#include "nodes/filters/Mixer.h"
#include "nodes/filters/ToHSV.h"
#include "platform/Numeric.h"
#include "support/FilterRig.h"

namespace {

// The hue and saturation steps sit on exact boundaries the golden renders miss.
TEST(Mixer, HueAndSaturationStepsAreRoundedToSingle) {
    auto mix = [](int mode, int ampB, const Pixels& a, const Pixels& b) {
        return Filtered(Mixer::kTypeId, 1, 1, {a, b}, {255, ampB, mode}, 0x5A);
    };
    const Pixels red = Px({{255, 0, 0, 9}}), pink = Px({{200, 100, 100, 9}});
    // 255 x single(85 / 255 x 360 / 255) is 120 degrees.
    EXPECT_EQ(mix(1, 85, red, red), Px({{0, 255, 0, 0}}));
    // s = 0.5 + 51 x single(255 / 255 / 255) = 0.7.
    EXPECT_EQ(mix(2, 255, pink, Px({{0, 0, 51, 9}})), Px({{200, 60, 60, 0}}));
}

// A wrapped row of black, white and 180 lit from the left: at the white
// pixel f = (1 - 180/255) x 255 is 75 on paper; the normal lands just below
// it with a 64-bit significand and on it with 113 bits.
TEST(Bump, TheLightingTieFollowsTheExtendedPrecision) {
    const Pixels out =
        Filtered(Bump::kTypeId, 3, 1, {Px({{0, 0, 0, 0}, {255, 255, 255, 0}, {180, 180, 180, 0}})},
                 {-255, 0, 0, 1});
    const uint8_t level = platform::kReferencePrecision ? 74 : 75;
    EXPECT_EQ(Pixels(out.begin() + 4, out.begin() + 8), Px({{level, level, level, 0}}));
}

// Both passes multiply instead of looking up. The vertical multiplier agrees
// with its table on every sum of every radius. The horizontal table is
// trunc(sum × the double nearest 1/n); rounding keeps it at floor(sum / n)
// except for 21 radii, where some multiples of n get one less, and the
// multiplier corrected at those multiples reproduces it.
TEST(Blur, MultipliersMatchTheTablesWhereverTheyServe) {
    int tableRadii = 0;
    for (int r = 1; r <= 255; ++r) {
        const uint64_t n = 2 * r + 1;
        const float factor = platform::single(1.0L / n);
        const std::vector<uint8_t> vertical = blur::ScaleTable(r, factor);
        const uint64_t m = blur::VerticalMultiplier(factor);
        int mismatches = 0;
        for (uint64_t sum = 0; sum < vertical.size(); ++sum)
            mismatches += (sum * m) >> 32 != vertical[sum];
        EXPECT_EQ(mismatches, 0) << "radius " << r;

        const std::vector<uint8_t> horizontal = blur::ScaleTable(r, platform::dbl(1.0L / n));
        bool quotient = true;
        for (uint64_t sum = 0; sum < horizontal.size(); ++sum)
            quotient &= horizontal[sum] == sum / n;
        EXPECT_EQ(blur::MultipliesLikeTable(horizontal, blur::HorizontalMultiplier(r)), quotient)
            << "radius " << r;
        tableRadii += !quotient;
        const auto roundedDown = blur::QuotientsRoundedDown(horizontal, r);
        ASSERT_TRUE(roundedDown) << "radius " << r;
        int multiples = 0;
        for (uint32_t word : *roundedDown) multiples += __builtin_popcount(word);
        EXPECT_EQ(multiples == 0, quotient) << "radius " << r;
    }
    EXPECT_EQ(tableRadii, 21);
}

// Brightness, Contrast as written down, per pixel in double, no tables.
Pixels PlainBrightnessContrast(const Pixels& s, int brightness, int contrast) {
    Pixels d(s.size());
    const double e = (contrast + 255) * 0.00392156862745098;
    for (size_t i = 0; i < s.size(); i += 4) {
        int sum = 0;
        for (int k = 0; k < 4; ++k) sum += (s[i + k] - 127) * (s[i + k] - 127);
        const double length = std::sqrt(static_cast<double>(sum));
        const double power = std::pow(length, e);
        for (int k = 0; k < 4; ++k) {
            const double scaled = ((s[i + k] - 127) / length) * power;
            d[i + k] = static_cast<uint8_t>(
                std::clamp(platform::TruncToInt(scaled) + brightness + 127, 0, 255));
        }
    }
    return d;
}

// The vector path against the plain loop; 257 x 256 holds more pixels than
// there are sums of squares, so its table covers every sum.
TEST(BrightnessContrast, VectorPathMatchesThePlainLoop) {
    unsigned seed = 0;
    for (auto [w, h] : {std::pair{1, 1}, {3, 3}, {64, 64}, {257, 256}}) {
        const Pixels source = RandomBytes(w * h, ++seed);
        for (auto [b, c] :
             {std::pair{0, 0}, {0, -255}, {0, 255}, {37, -100}, {-80, 143}, {255, 7}, {3, 60}})
            EXPECT_EQ(Filtered(BrightnessContrast::kTypeId, w, h, {source}, {b, c}),
                      PlainBrightnessContrast(source, b, c))
                << w << "x" << h << " " << b << " " << c;
    }
}

// One node kept across renders at a size whose table covers every sum: each
// Contrast takes its own table, also when it comes back.
TEST(BrightnessContrast, EachContrastRendersWithItsOwnTable) {
    const int w = 257, h = 256;
    const Pixels source = RandomBytes(w * h, 5);
    NodeRegistry registry;
    NodeGraph graph(w, h);
    Node* filter = graph.AddNode(registry.CreateNode(BrightnessContrast::kTypeId));
    Node* input = graph.AddNode(std::make_unique<StoreNode>(w, h));
    std::ranges::copy(source, input->image->bytes());
    graph.Connect(input->outputPin.get(), filter->inputPins[0].get());
    for (int contrast : {60, -100, 60}) {
        filter->param(1).SetValue(static_cast<int16_t>(contrast));
        input->visited = 1, filter->visited = 0;
        filter->Update();
        EXPECT_EQ(Bytes(*filter->image), PlainBrightnessContrast(source, 0, contrast)) << contrast;
    }
}

// The AVX2 path divides a deviation by L = sqrt(sum) as deviation * (1 / L)
// corrected by its fused residual: the correctly rounded quotient for every
// deviation and every sum.
TEST(BrightnessContrast, CorrectedReciprocalDividesExactlyForEverySum) {
    int wrong = 0;
    for (int sum = 1; sum <= 4 * 128 * 128; ++sum) {
        const double length = std::sqrt(static_cast<double>(sum)), reciprocal = 1 / length;
        for (int d = -127; d <= 128; ++d) {
            const double guess = d * reciprocal;
            wrong += std::fma(std::fma(-guess, length, d), reciprocal, guess) != d / length;
        }
    }
    EXPECT_EQ(wrong, 0);
}

// The shading's quotients by 127, taken in float for every numerator it meets.
TEST(Emboss, FloatReciprocalOf127TruncatesToTheIntegerQuotient) {
    int wrong = 0;
    for (int x = 0; x < 300 * 255; ++x)
        wrong += platform::TruncSingleToInt(static_cast<float>(x) * emboss::kOneOver127) != x / 127;
    EXPECT_EQ(wrong, 0);
}

TEST(DisplacementMap, ProductAndShiftDivideEveryOffsetNumeratorBy255) {
    using namespace displacement;
    int wrong = 0;
    for (int x = 0; x <= 255 * 255; ++x) wrong += (x * kBy255Multiplier) >> kBy255Shift != x / 255;
    EXPECT_EQ(wrong, 0);
}

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
