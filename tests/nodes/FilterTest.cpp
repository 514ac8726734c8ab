// The filter nodes on small images whose every output byte is worked out, and
// the colour-space conversions they share.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "nodes/filters/Blur.h"
#include "nodes/filters/BrightnessContrast.h"
#include "nodes/filters/Bump.h"
#include "nodes/filters/ColorSpace.h"
#include "nodes/filters/DisplacementMap.h"
#include "nodes/filters/Emboss.h"
#include "nodes/filters/EnvMap.h"
#include "nodes/filters/FromHSV.h"
#include "nodes/filters/HSV.h"
#include "nodes/filters/Mixer.h"
#include "nodes/filters/SineFilter.h"
#include "nodes/filters/ToHSV.h"
#include "platform/Numeric.h"
#include "support/FilterRig.h"

namespace {

TEST(Blur, WorkedImages) {
    const Pixels noise = RandomBytes(5 * 3, 1), column = Px({{30, 60, 90, 120}, {}, {}});
    const struct {
        int w, h;
        Pixels source;
        int rh, rv;
        Pixels blurred;
    } cases[] = {
        {5, 3, noise, 0, 0, noise},
        // The double nearest 1/49 is below it: 49 x 1 x (1/49) truncates to 0.
        {64, 1, Uniform(64, Grey(1, 1)), 24, 0, Pixels(256, 0)},
        // Column x holds level x; the single-precision 1/25 lowers every nonzero level by one.
        {256, 16, Draw(256, 16, [](int x, int) { return Grey(x, x); }), 0, 12,
         Draw(256, 16, [](int x, int) { return Grey(std::max(x - 1, 0), std::max(x - 1, 0)); })},
        // Radius 3 on a 4-wide row: a 7-column window counts every column twice
        // except its centre: (2 x 91 - 7) / 7 = 25 (the product, rounded to
        // double, reaches 25 although the double 1/7 is below 1/7).
        {4, 1, Px({{7, 0, 0, 0}, {14, 0, 0, 0}, {}, {70, 0, 0, 0}}), 255, 200,
         Px({{25, 0, 0, 0}, {24, 0, 0, 0}, {26, 0, 0, 0}, {16, 0, 0, 0}})},
        // A one-pixel-wide image: the horizontal pass copies, the vertical still blurs.
        {1, 3, column, 9, 1, Uniform(3, {10, 20, 30, 40})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Filtered(Blur::kTypeId, c.w, c.h, {c.source}, {c.rh, c.rv}, 0x77), c.blurred)
            << c.w << "x" << c.h << " radii " << c.rh << " " << c.rv;
}

TEST(BrightnessContrast, ListedPixels) {
    auto adjusted = [](Pixel in, int brightness, int contrast) {
        return Filtered(BrightnessContrast::kTypeId, 1, 1, {Px({in})}, {brightness, contrast});
    };
    // One level lost toward mid grey at neutral settings.
    EXPECT_EQ(adjusted({113, 224, 253, 119}, 0, 0), Px({{113, 223, 253, 119}}));
    // Mid grey (a zero vector) only shifts by Brightness.
    EXPECT_EQ(adjusted({127, 127, 127, 127}, 40, 255), Px({{167, 167, 167, 167}}));
    // Exponent 0: only the unit vector's truncated components remain.
    EXPECT_EQ(adjusted({200, 127, 127, 127}, 0, -255), Px({{128, 127, 127, 127}}));
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
        return Grey(x + y == 1 ? 0 : x + y == 3 ? 255 : 100, 0);
    });
    EXPECT_EQ(At(Filtered(Bump::kTypeId, 3, 3, {steep}, {}), 3, 1, 1), Grey(0, 0));

    // A wrapped row of three, black, white and 180, lit from the left, flat on the surface.
    const Pixels out = Filtered(Bump::kTypeId, 3, 1, {Px({Grey(0, 0), Grey(255, 0), Grey(180, 0)})},
                                {-255, 0, 0, 1});
    // White pixel, gx = 180: f = (1 - 180/255) * 255 is 75 exactly on paper; the
    // normal lands just below it with a 64-bit significand, on it with 113 bits.
    EXPECT_EQ(At(out, 3, 1, 0), Grey(platform::kReferencePrecision ? 74 : 75, 0));
    // gx = -255: the normal faces the light, f = 510, limited.
    EXPECT_EQ(At(out, 3, 2, 0), Grey(255, 0));
}

// The image moved dx columns left and dy rows up, wrapping around.
Pixels Shifted(const Pixels& s, int w, int h, int dx, int dy) {
    return Draw(w, h, [&](int x, int y) { return At(s, w, (x + dx) % w, (y + dy) % h); });
}

TEST(DisplacementMap, MapsShiftByTheirChosenByte) {
    const Pixels source = RandomBytes(40, 4), mapX = Uniform(40, {255, 0, 0, 0}),
                 mapY = Uniform(40, {255, 128, 7, 0});
    auto displaced = [](const std::vector<Pixels>& sources, const Params& p) {
        return Filtered(DisplacementMap::kTypeId, 8, 5, sources, p);
    };
    // (255 * 9) / 255 = 9 columns.
    EXPECT_EQ(displaced({source, mapX}, {9}), Shifted(source, 8, 5, 1, 0));
    // Green 128: (128 * 255) / 255 = 128 rows, 3 mod 5.
    EXPECT_EQ(displaced({source, {}, mapY}, {0, 0, 255, 1}), Shifted(source, 8, 5, 0, 3));
    // Blue 7: 7 rows, 2 mod 5; with amount 100, (7 * 100) / 255 = 2 rows.
    EXPECT_EQ(displaced({source, {}, mapY}, {0, 0, 255, 2}), Shifted(source, 8, 5, 0, 2));
    EXPECT_EQ(displaced({source, {}, mapY}, {0, 0, 100, 2}), Shifted(source, 8, 5, 0, 2));
}

// Black in the left half, white in the right half: 8 x 3 pixels.
const Pixels kStep = Draw(8, 3, [](int x, int) {
    return x < 4 ? Pixel{} : Pixel{255, 255, 255, 255};
});

Pixels Embossed(const Pixels& src, int w, int h, int shade) {
    return Filtered(Emboss::kTypeId, w, h, {src}, {shade});
}

TEST(Emboss, UniformAndStepImages) {
    // Mid grey with the source's red byte in byte 3.
    const Pixels src = Uniform(6, {40, 90, 200, 33});
    EXPECT_EQ(Embossed(src, 3, 2, 0), Uniform(6, {128, 128, 128, 40}));
    // With shading, flat areas keep the source colour.
    EXPECT_EQ(Embossed(src, 3, 2, 555), Uniform(6, {40, 90, 200, 40}));
    // 255 either side of the rising step, 0 at the wrapped falling one.
    const uint8_t relief[8] = {0, 128, 128, 255, 255, 128, 128, 0};
    EXPECT_EQ(Embossed(kStep, 8, 3, 0), Draw(8, 3, [&](int x, int) {
                  return Pixel{relief[x], relief[x], relief[x], uint8_t(x < 4 ? 0 : 255)};
              }));
    EXPECT_EQ(Embossed(kStep, 8, 3, 1), kStep);  // shade / 2 is 0: the source is copied
    // Strong edges reach white (rising step) or black (wrapped falling step).
    const uint8_t shaded[8] = {0, 0, 0, 255, 255, 255, 255, 0};
    const Pixels strong = Embossed(kStep, 8, 3, 555);
    for (int x = 0; x < 8; ++x) EXPECT_EQ(At(strong, 8, x, 1)[1], shaded[x]) << x;
    // Milder: (50 * 127) / 128 = 49 lifts black to 255 * 49 / 127 = 98.
    EXPECT_EQ(At(Embossed(kStep, 8, 3, 100), 8, 3, 0), (Pixel{98, 98, 98, 0}));
}

TEST(EnvMap, WorkedPixels) {
    const struct {
        int w, h, radius, attenuation, channel, x, y;
        Pixel lit;
    } cases[] = {
        // One pixel has no distance scale.
        {1, 1, 255, 1023, 3, 0, 0, Grey(0, 255)},
        // rmax 1 from the taller side: the centre (0, 1) lit.
        {1, 2, 255, 1023, 3, 0, 1, Grey(255, 255)},
        // a = 5.11, rmax = 32: a flat-topped cone, 0 beyond 0.98 rmax.
        {64, 64, 255, 1023, 3, 48, 32, Grey(255, 255)},  // 5.11 * (255 - 0.5 * 260.085...)
        {64, 64, 255, 1023, 3, 32, 2, Grey(57, 255)},    // distance 30: 5.11 * 11.17...
        {64, 64, 255, 1023, 3, 0, 32, Grey(0, 255)},
        // a = -5.12 darkens the inscribed disc.
        {64, 64, 255, 0, 3, 32, 32, Grey(0, 255)},
        {64, 64, 255, 0, 3, 0, 0, Grey(255, 255)},
        // a = 1 in green only: 255 - u * 255.97...
        {64, 64, 255, 612, 1, 48, 32, {0, 127, 0, 255}},
    };
    for (const auto& c : cases) {
        const Params p = {c.radius, c.attenuation, c.channel};
        EXPECT_EQ(At(Filtered(EnvMap::kTypeId, c.w, c.h, {}, p), c.w, c.x, c.y), c.lit)
            << c.w << "x" << c.h << " " << c.attenuation << " at " << c.x << "," << c.y;
    }
    // Radius 0 lights only the centre.
    Pixels centre = Uniform(256, {0, 0, 0, 255});
    centre[4 * (8 * 16 + 8) + 2] = 255;
    EXPECT_EQ(Filtered(EnvMap::kTypeId, 16, 16, {}, {0, 1023, 2}, 0x5A), centre);
}

enum { kAdd, kHue, kSatur, kMul };

// Mixes one row of pixels; an empty B leaves "Source B" unconnected.
Pixels Mix(int type, int ampA, int ampB, const Pixels& a, const Pixels& b) {
    const int w = static_cast<int>(a.size() / 4);
    return Filtered(Mixer::kTypeId, w, 1, {a, b}, {ampA, ampB, type}, 0x5A);
}

const Pixels kWhite = Px({{255, 255, 255, 255}});

TEST(Mixer, WorkedPixelsOfEveryMode) {
    // Add and Mul weigh bytes in steps of 256.
    EXPECT_EQ(Mix(kAdd, 100, 100, kWhite, kWhite), Uniform(1, {198, 198, 198, 198}));
    EXPECT_EQ(Mix(kAdd, 255, 0, kWhite, kWhite), Uniform(1, {254, 254, 254, 254}));
    EXPECT_EQ(Mix(kAdd, 128, 100, Px({{200, 100, 2, 1}}), {}), Px({{100, 50, 1, 0}}));

    EXPECT_EQ(Mix(kMul, 256, 256, kWhite, Px({{0, 255, 0, 128}})), Px({{0, 254, 0, 127}}));

    // Hue rotates and Satur raises the saturation by the length of B.
    const Pixels red = Px({{255, 0, 0, 9}}), pink = Px({{200, 100, 100, 9}});
    // Black B: only the round trip, fourth byte 0.
    EXPECT_EQ(Mix(kHue, 255, 555, Px({{200, 100, 50, 9}}), Px({{0, 0, 0, 9}})),
              Px({{200, 100, 50, 0}}));
    // 255 x single(85 / 255 x 360 / 255) is 120 degrees.
    EXPECT_EQ(Mix(kHue, 255, 85, red, red), Px({{0, 255, 0, 0}}));
    // Scaled by ampA / 255, greys stay grey whatever B holds.
    EXPECT_EQ(Mix(kHue, 510, 300, Px({{100, 100, 100, 9}}), kWhite), Px({{200, 200, 200, 0}}));
    // Values above 255 are limited by the conversion.
    EXPECT_EQ(Mix(kHue, 555, 0, red, {}), Px({{255, 0, 0, 0}}));

    // s = 0.5 + 51 x single(255 / 255 / 255) = 0.7.
    EXPECT_EQ(Mix(kSatur, 255, 255, pink, Px({{0, 0, 51, 9}})), Px({{200, 60, 60, 0}}));
    // Limited to full saturation.
    EXPECT_EQ(Mix(kSatur, 255, 255, pink, kWhite), Px({{200, 0, 0, 0}}));
    // A grey has no hue and stays grey.
    EXPECT_EQ(Mix(kSatur, 255, 555, Px({{90, 90, 90, 9}}), kWhite), Px({{90, 90, 90, 0}}));
}

TEST(SineFilter, DefaultsAndFlatSettings) {
    // The defaults start at mid grey and stay below 254.
    const Pixels ramp = Draw(256, 1, [](int x, int) { return Grey(x, 9); });
    const Pixels out =
        Filtered(SineFilter::kTypeId, 256, 1, {ramp}, {127, 127, 127, 0, 0, 0}, 0x5A);
    // Level 0 gives 127; byte 3 keeps what the image held.
    EXPECT_EQ(At(out, 256, 0, 0), (Pixel{127, 127, 127, 0x5A}));
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 253);
    const Pixels noise = RandomBytes(16, 1);
    // No amplitude: Luminance everywhere.
    EXPECT_EQ(Filtered(SineFilter::kTypeId, 4, 4, {noise}, {90, 0}), Uniform(16, {90, 90, 90, 0}));
    // No range: sin(phase) per channel, limited both ways.
    EXPECT_EQ(Filtered(SineFilter::kTypeId, 4, 4, {noise}, {127, 127, 0, 90, 270, 30}),
              Uniform(16, {254, 0, 190, 0}));
    EXPECT_EQ(Filtered(SineFilter::kTypeId, 4, 4, {noise}, {255, 255, 0, 90, 270, 30}),
              Uniform(16, {255, 0, 255, 0}));
}

// Both passes multiply instead of looking up. The vertical multiplier agrees
// with its table on every sum of every radius. The horizontal table is
// trunc(sum × the double nearest 1/n); rounding keeps it at floor(sum / n)
// except for 21 radii, which keep the table; everywhere else the multiplier
// reproduces it.
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
