// Every wider path against the plain one, byte for byte. The colour nodes'
// rows at every SIMD level, per colour where a pixel is a function of its own
// colour; and the filters and generators whole, on odd sizes, at every level
// on one thread and on all, against the plain level on one thread.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/RowBands.h"
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
#include "nodes/filters/ToHSV.h"
#include "nodes/generators/ND_Perlin.h"
#include "nodes/generators/RawNoise.h"
#include "nodes/generators/SinePlasma.h"
#include "nodes/generators/SubPlasma.h"
#include "platform/Simd.h"
#include "support/FilterRig.h"

namespace {

using platform::ScopedSimdLevel;
using platform::SimdLevel;

constexpr SimdLevel kLevels[] = {SimdLevel::Plain, SimdLevel::Sse2, SimdLevel::Avx2,
                                 SimdLevel::Avx512};

// A row of pixels of A and B, written to d; and one pixel of each, the plain way.
using Row = std::function<void(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count)>;
using PlainPixel = std::function<void(const uint8_t* a, const uint8_t* b, uint8_t* d)>;

struct RowCase {
    std::string name;
    uint32_t stride;  // every stride-th colour 0xRRGGBB as A
    Row fast;
    PlainPixel plain;
};

// B's colour (the Mixer's vector) varies from pixel to pixel.
uint32_t ColourOfB(uint32_t a) {
    return a * 2654435761u;
}

void ExpectRowsMatch(const RowCase& c) {
    constexpr uint32_t kChunk = 4099;  // odd, so every vector loop leaves a tail
    int mismatches = 0;
    for (uint32_t first = 0; first < 1u << 24; first += kChunk * c.stride) {
        Pixels a, b;
        for (uint32_t k = 0; k < kChunk && first + k * c.stride < 1u << 24; ++k) {
            const uint32_t rgb = first + k * c.stride, other = ColourOfB(rgb);
            a.insert(a.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), uint8_t(k)});
            b.insert(b.end(), {uint8_t(other >> 24), uint8_t(other >> 16), uint8_t(other >> 8),
                               uint8_t(other)});
        }
        const size_t count = a.size() / 4;
        Pixels expected(a.size(), 0x5A);
        for (size_t i = 0; i < count; ++i) c.plain(&a[4 * i], &b[4 * i], &expected[4 * i]);
        for (SimdLevel level : kLevels) {
            const ScopedSimdLevel scoped(level);
            Pixels got(a.size(), 0x5A);
            c.fast(a.data(), b.data(), got.data(), count);
            for (size_t i = 0; i < count; ++i)
                if (!std::equal(&got[4 * i], &got[4 * i + 4], &expected[4 * i]) &&
                    ++mismatches <= 5)
                    ADD_FAILURE() << c.name << " at " << platform::SimdName(level) << ": colour "
                                  << first + i * c.stride;
        }
    }
    EXPECT_EQ(mismatches, 0) << c.name;
}

std::vector<RowCase> RowCases() {
    std::vector<RowCase> cases;
    const uint32_t coarse = 13 * kColourStride;  // a prime stride that varies every byte
    for (int order : {0, 5}) {
        const int* o = colorspace::kComponentOrder[order];
        const uint32_t stride = order == 0 ? kColourStride : coarse;
        const std::string suffix = " " + std::to_string(order);
        cases.push_back(
            {"RGB -> HSV" + suffix, stride,
             [o](auto a, auto, auto d, size_t n) { colorspace::HSVBytesRow(a, d, n, o); },
             [o](auto a, auto, auto d) {
                 uint8_t hsv[3];
                 colorspace::plain::HSVBytes(a[0], a[1], a[2], hsv);
                 for (int k = 0; k < 3; ++k) d[k] = hsv[o[k]];
                 d[3] = 0;
             }});
        cases.push_back(
            {"HSV -> RGB" + suffix, stride,
             [o](auto a, auto, auto d, size_t n) { colorspace::RGBBytesRow(a, d, n, o); },
             [o](auto a, auto, auto d) {
                 uint8_t c[3];
                 for (int k = 0; k < 3; ++k) c[o[k]] = a[k];
                 colorspace::plain::RGBBytes(c[0], c[1], c[2], d);
                 d[3] = 0;
             }});
    }
    // Shifts that raise and limit each component; greys turn reddish.
    for (auto [dh, ds, dv] :
         {std::array{0, 0, 0}, {30, 40, 20}, {-180, -255, 255}, {179, 255, -77}, {-1, 1, 0}}) {
        const adjust_hsv::Shift shift = adjust_hsv::ShiftOf(dh, ds, dv);
        cases.push_back(
            {"Adjust HSV " + testing::PrintToString(std::array{dh, ds, dv}),
             dh == 0 && ds == 0 ? kColourStride : coarse,
             [shift](auto a, auto, auto d, size_t n) { adjust_hsv::Row(shift, a, d, n); },
             [shift](auto a, auto, auto d) { adjust_hsv::plain::Pixel(shift, a, d); }});
    }
    // Amplitudes that keep A's levels bytes and that do not; B varies with A, so
    // no sweep is exhaustive and a coarse one does.
    for (bool rotate : {true, false})
        for (const auto& amps : {std::pair{100u, 100u}, {255u, 555u}, {555u, 37u}}) {
            const uint32_t ampA = amps.first, ampB = amps.second;  // lambdas capture these
            const mixer::HSVMode mode(rotate, ampA, ampB);
            cases.push_back({(rotate ? "Hue " : "Satur. ") + testing::PrintToString(amps), coarse,
                             [mode](auto a, auto b, auto d, size_t n) { mode.Row(a, b, d, n); },
                             [rotate, ampA, ampB](auto a, auto b, auto d) {
                                 mixer::plain::HSVModePixel(rotate, ampA, ampB, a, b, d);
                             }});
        }
    return cases;
}

TEST(FastPathColour, RowsMatchThePlainPathForEveryColourAtEveryLevel) {
    for (const RowCase& c : RowCases()) ExpectRowsMatch(c);
}

// Add and Mul against the byte loop for every pair of levels (plus a tail the
// vector loops leave) at amplitudes around 256 and the ends of their range.
TEST(FastPathColour, AddAndMulMatchTheByteLoopForEveryLevelPair) {
    Pixels a(65536 + 41), b(a.size());
    for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t(i), b[i] = uint8_t(i >> 8);
    const uint32_t kAmps[] = {0, 1, 100, 255, 256, 257, 400, 555};
    for (SimdLevel level : kLevels) {
        const ScopedSimdLevel scoped(level);
        for (uint32_t ampA : kAmps)
            for (uint32_t ampB : kAmps) {
                Pixels fast(a.size()), plain(a.size());
                mixer::AddBytes(a.data(), b.data(), fast.data(), a.size(), ampA, ampB);
                mixer::plain::AddBytes(a.data(), b.data(), plain.data(), a.size(), ampA, ampB);
                EXPECT_EQ(fast, plain) << "Add " << ampA << " " << ampB;
                mixer::MultiplyBytes(a.data(), b.data(), fast.data(), a.size(), ampA, ampB);
                mixer::plain::MultiplyBytes(a.data(), b.data(), plain.data(), a.size(), ampA, ampB);
                EXPECT_EQ(fast, plain) << "Mul " << ampA << " " << ampB;
            }
    }
}

struct Case {
    uint8_t typeId;
    int w, h;
    int sources;  // random images, or with -1 one of many colours (below)
    Params params;
};

// Every 17th colour 0xRRGGBB, the fourth byte varying with it (a prime
// stride varies every byte); fewer under the sanitizers.
constexpr int kColourSide = SWATCHER_SANITIZED ? 256 : 1024;
const Pixels& ManyColours() {
    static const Pixels pixels = Draw(kColourSide, kColourSide, [](int x, int y) {
        const uint32_t rgb = uint32_t(y * kColourSide + x) * (SWATCHER_SANITIZED ? 257 : 17);
        const auto [r, g, b] = Channels(rgb);
        return Pixel{r, g, b, uint8_t(rgb * 167 >> 3)};
    });
    return pixels;
}

const Case kCases[] = {
    {Blur::kTypeId, 67, 33, 1, {1, 1}},
    {Blur::kTypeId, 61, 70, 1, {24, 8}},
    {Blur::kTypeId, 300, 5, 1, {100, 2}},
    {Blur::kTypeId, 5, 300, 1, {2, 100}},
    {Blur::kTypeId, 9, 4, 1, {30, 30}},
    {Blur::kTypeId, 40, 150, 1, {3, 5}},
    {Blur::kTypeId, 20, 600, 1, {0, 32}},
    {Blur::kTypeId, 260, 9, 1, {251, 1}},
    {BrightnessContrast::kTypeId, kColourSide, kColourSide, -1, {-40, -170}},
    {BrightnessContrast::kTypeId, 257, 255, 1, {0, 0}},
    {BrightnessContrast::kTypeId, 257, 255, 1, {-40, -170}},
    {BrightnessContrast::kTypeId, 19, 7, 1, {90, 200}},
    {Emboss::kTypeId, 67, 33, 1, {0}},
    {Emboss::kTypeId, 67, 33, 1, {555}},
    {Emboss::kTypeId, 7, 4, 1, {77}},
    {Emboss::kTypeId, 1, 1, 1, {2}},
    {Emboss::kTypeId, 6, 7, 1, {300}},
    {Emboss::kTypeId, 5, 2, 1, {1}},
    {Bump::kTypeId, 67, 33, 1, {}},
    {Bump::kTypeId, 513, 512, 1, {-200, 90, 30, 255}},  // more pixels than gradients
    {Bump::kTypeId, 1, 5, 1, {-200, 90, 30, 255}},
    {Bump::kTypeId, 9, 1, 1, {40, -255, 0, 3}},
    {DisplacementMap::kTypeId, 300, 257, 3, {255, 0, 255, 1}},  // wraps on both axes
    {DisplacementMap::kTypeId, 257, 256, 3, {17, 2, 0, 0}},
    {EnvMap::kTypeId, 301, 257, 0, {255, 700, 3}},
    {EnvMap::kTypeId, 67, 33, 0, {1, 0, 1}},
    {SinePlasma::kTypeId, 67, 33, 0, {}},
    {SinePlasma::kTypeId, 7, 1, 0, {255, 3, 200, 1, 359, 45, 3}},
    {SinePlasma::kTypeId, 130, 97, 0, {200, 17, 1, 254, 45, 300, 1}},
    {SubPlasma::kTypeId, 67, 70, 0, {}},
    {SubPlasma::kTypeId, 130, 61, 0, {1, 3, 77}},
    {SubPlasma::kTypeId, 45, 300, 0, {5, 1, 9}},
    {RawNoise::kTypeId, 1, 1, 0, {255, 0, 5}},
    {RawNoise::kTypeId, 37, 29, 0, {100, 30, 127}},
    {RawNoise::kTypeId, 64, 9, 0, {255, 255, 1}},
    {ND_Perlin::kTypeId, 67, 33, 0, {}},
    {ND_Perlin::kTypeId, 130, 64, 0, {6, 255, 16, 3, 9}},
    {ToHSV::kTypeId, 67, 41, 1, {2}},
    {FromHSV::kTypeId, 67, 41, 1, {4}},
    {HSV::kTypeId, 67, 41, 1, {30, 40, 20}},
    {Mixer::kTypeId, 67, 41, 2, {300, 200, 0}},
    {Mixer::kTypeId, 67, 41, 2, {90, 555, 1}},
    {Mixer::kTypeId, 67, 41, 2, {555, 70, 2}},
    {Mixer::kTypeId, 67, 41, 2, {256, 99, 3}},
};

Pixels Rendered(const Case& c, SimdLevel level, int threads) {
    const ScopedSimdLevel simd(level);
    SetRowThreads(threads);
    std::vector<Pixels> sources;
    if (c.sources < 0) sources.push_back(ManyColours());
    for (int s = 0; s < c.sources; ++s) sources.push_back(RandomBytes(c.w * c.h, 7 * c.w + s));
    Pixels out = Filtered(c.typeId, c.w, c.h, sources, c.params, 0x5A);
    SetRowThreads(0);
    return out;
}

TEST(FastPaths, MatchThePlainPathAtEveryLevelAndThreadCount) {
    for (const Case& c : kCases) {
        const Pixels plain = Rendered(c, SimdLevel::Plain, 1);
        for (SimdLevel level : kLevels)
            for (int threads : {1, 0})
                EXPECT_EQ(Rendered(c, level, threads), plain)
                    << "type " << int(c.typeId) << " " << c.w << "x" << c.h << " "
                    << platform::SimdName(level) << " threads " << threads << " params "
                    << testing::PrintToString(c.params);
    }
}

// The cubic at parameters whose sums land on k + 1/2 (dyadic t) and at the
// vertical pass's own, on 2^16 random rows of bytes, against the plain level.
TEST(FastPaths, SubplasmaCubicsMatchAtTiesAndBetween) {
    const Pixels rows = RandomBytes(1 << 16, 3);  // four rows a .. d of 2^16 bytes
    const uint8_t* row[4];
    for (int i = 0; i < 4; ++i) row[i] = rows.data() + i * (1 << 16);
    for (long double t : {0.0L, 0.5L, 0.25L, 0.75L, 1.0L / 3, 7.0L / 15, 30.0L / 31}) {
        Pixels fast(1 << 16), plain(1 << 16);
        subplasma::CubicRow(row[0], row[1], row[2], row[3], t, 1 << 16, fast.data());
        const ScopedSimdLevel simd(SimdLevel::Plain);
        subplasma::CubicRow(row[0], row[1], row[2], row[3], t, 1 << 16, plain.data());
        EXPECT_EQ(fast, plain) << "t " << static_cast<double>(t);
    }
}

}  // namespace
