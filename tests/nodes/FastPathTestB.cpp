// Every wider path of the filters and generators against the plain one, byte
// for byte, on odd sizes, at one thread and at every thread.
#include <gtest/gtest.h>

#include "engine/RowBands.h"
#include "nodes/filters/Blur.h"
#include "nodes/filters/BrightnessContrast.h"
#include "nodes/filters/Emboss.h"
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

// Every fifth colour 0xRRGGBB, the fourth byte varying with it (a prime
// stride varies every byte); fewer under the sanitizers.
constexpr int kColourSide = SWATCHER_SANITIZED ? 256 : 2048;
const Pixels& ManyColours() {
    static const Pixels pixels = Draw(kColourSide, kColourSide, [](int x, int y) {
        const uint32_t rgb = uint32_t(y * kColourSide + x) * (SWATCHER_SANITIZED ? 257 : 5);
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
    {BrightnessContrast::kTypeId, kColourSide, kColourSide, -1, {-40, -170}},
    {BrightnessContrast::kTypeId, 257, 255, 1, {0, 0}},
    {BrightnessContrast::kTypeId, 257, 255, 1, {-40, -170}},
    {BrightnessContrast::kTypeId, 19, 7, 1, {90, 200}},
    {Emboss::kTypeId, 67, 33, 1, {0}},
    {Emboss::kTypeId, 67, 33, 1, {555}},
    {Emboss::kTypeId, 7, 4, 1, {77}},
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

}  // namespace
