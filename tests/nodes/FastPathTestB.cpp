// Every wider path of the filters and generators against the plain one, byte
// for byte, on odd sizes, at one thread and at every thread.
#include <gtest/gtest.h>

#include "engine/RowBands.h"
#include "nodes/filters/Blur.h"
#include "nodes/filters/BrightnessContrast.h"
#include "nodes/filters/Bump.h"
#include "nodes/filters/Emboss.h"
#include "nodes/filters/EnvMap.h"
#include "nodes/generators/ND_Perlin.h"
#include "nodes/generators/RawNoise.h"
#include "nodes/generators/SinePlasma.h"
#include "nodes/generators/SubPlasma.h"
#include "platform/Simd.h"
#include "support/FilterRig.h"

namespace {

using platform::ScopedSimdLevel;
using platform::SimdLevel;

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
        for (SimdLevel level : {SimdLevel::Plain, SimdLevel::Sse2, SimdLevel::Avx2})
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
