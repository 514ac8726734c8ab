// The generator nodes: their worked levels and how they draw from the
// shared random sequence.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/Node.h"
#include "nodes/generators/ND_Perlin.h"
#include "nodes/generators/RawNoise.h"
#include "nodes/generators/SinePlasma.h"
#include "nodes/generators/SubPlasma.h"
#include "platform/CRand.h"
#include "support/TestSupport.h"

namespace {
// A node of type T of the given size, its first parameters set to `values` in slot order,
// updated once.
template <class T>
std::unique_ptr<T> Generated(int width, int height, std::initializer_list<int> values) {
    auto node = std::make_unique<T>(width, height);
    int slot = 0;
    for (int v : values) node->param(slot++).SetValue(static_cast<int16_t>(v));
    node->Update();
    return node;
}

inline void ExpectUniform(const Image& image, std::array<int, 4> pixel) {
    for (int i = 0; i < image.pixelCount; ++i)
        for (int b = 0; b < 4; ++b) ASSERT_EQ(image.bytes()[4 * i + b], pixel[b]) << i;
}

// The draw that follows the first `n` draws after seeding.
inline int DrawAfter(int seed, size_t n) {
    platform::srand(seed);
    for (size_t i = 0; i < n; ++i) platform::rand();
    return platform::rand();
}
}  // namespace

namespace raw_noise {
std::vector<uint8_t> Rendered(int side, int amount, int gate, int seed = 1) {
    return Bytes(*Generated<RawNoise>(side, side, {amount, gate, seed})->image);
}

TEST(RawNoise, AmountAndGateCasesAndFourDrawsPerPixel) {
    auto max = [](const std::vector<uint8_t>& b) { return *std::max_element(b.begin(), b.end()); };
    EXPECT_EQ(max(Rendered(16, 0, 0)), 0);
    EXPECT_EQ(max(Rendered(16, 255, 255)), 0);
    EXPECT_EQ(max(Rendered(64, 255, 0)), 254);  // a low byte of 255 gives 254
    const int next = DrawAfter(5, 4 * 8 * 8);
    Rendered(8, 100, 0, 5);
    EXPECT_EQ(platform::rand(), next);
}
}  // namespace raw_noise

namespace sine_plasma {
struct Params {
    int ampX = 63, ampY = 63, freqX = 63, freqY = 63, phaseX = 0, phaseY = 0, type = 0;
};

std::unique_ptr<SinePlasma> Rendered(int w, int h, const Params& p) {
    return Generated<SinePlasma>(w, h,
                                 {p.ampX, p.ampY, p.freqX, p.freqY, p.phaseX, p.phaseY, p.type});
}

TEST(SinePlasma, ExactLevels) {
    ExpectUniform(*Rendered(16, 16, {.ampX = 0, .ampY = 0})->image, {127, 0, 0, 0});
    // Every corner is 127 + 63 + 63.
    ExpectUniform(*Rendered(16, 16, {.freqX = 0, .freqY = 0, .phaseX = 90, .phaseY = 90})->image,
                  {253, 0, 0, 0});
    // {w, x, parameters, level of pixel x of a w x 1 image}
    const std::tuple<int, int, Params, int> cases[] = {
        // (0, 0) is the pattern at (x, y) alone: 127 + round(200 sin 30°) + round(100 sin 45°)
        // = 127 + 100 + 71, clamped; 127 + 10 + 7 with a tenth of the amplitudes.
        {8, 0, {.ampX = 200, .ampY = 100, .phaseX = 30, .phaseY = 45}, 255},
        {8, 0, {.ampX = 20, .ampY = 10, .phaseX = 30, .phaseY = 45}, 144},
        // 1·sin(89°) is just below 1: rounding gives 1 where truncation would give 0.
        {1, 0, {.ampX = 1, .ampY = 0, .phaseX = 89}, 128},
        // Pixel 1 of 2 blends the pattern at x = 1 (127 + A·sin 90°) and at x - W
        // (127 + A·sin 0°) half and half: ties 127.5 and 128.5 round to even.
        {2, 1, {.ampX = 1, .ampY = 0, .freqX = 90, .phaseX = 45}, 128},
        {2, 1, {.ampX = 3, .ampY = 0, .freqX = 90, .phaseX = 45}, 128},
    };
    for (auto [w, x, p, level] : cases)
        EXPECT_EQ(Rendered(w, 1, p)->image->pixel(x, 0)[0], level) << p.ampX;
}
}  // namespace sine_plasma

namespace sub_plasma {
std::unique_ptr<SubPlasma> Rendered(int w, int h, int grid, int type = 0, int seed = 1) {
    return Generated<SubPlasma>(w, h, {grid, type, seed});
}

TEST(SubPlasma, SeedsAndTheirRepetition) {
    // Step 1: white noise, one draw per pixel.
    const int next = DrawAfter(11, 8 * 8);
    auto noise = Rendered(8, 8, 0, 0, 11);
    EXPECT_EQ(platform::rand(), next);
    platform::srand(11);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(noise->image->bytes()[4 * i], platform::rand() % 255);
    // Step 2: each seed row is repeated by the row below it.
    auto rows = Rendered(16, 16, 1, 1);
    for (int y = 1; y < 16; y += 2)
        EXPECT_EQ(0, std::memcmp(rows->image->pixel(0, y), rows->image->pixel(0, y - 1), 64)) << y;
    // A spacing at least the side: one seed, one level.
    const int level = DrawAfter(5, 0) % 255;
    for (int side : {1, 2, 64})
        ExpectUniform(*Rendered(side, side, 16, 3, 5)->image, {level, level, level, 0});
    // Sides that are not multiples of the spacing read the fresh image's zeros
    // where a lookup misses a seed, at every Update, not what the last one left.
    auto odd = Rendered(6, 5, 2, 0, 9);
    const auto once = Bytes(*odd->image);
    odd->Update();
    EXPECT_EQ(Bytes(*odd->image), once);
}
}  // namespace sub_plasma

namespace perlin {
struct Params {
    int grid = 4, persistence = 127, octaves = 4, color = 0, seed = 0;
};

std::unique_ptr<ND_Perlin> Rendered(int w, int h, const Params& p) {
    return Generated<ND_Perlin>(w, h, {p.grid, p.persistence, p.octaves, p.color, p.seed});
}

TEST(ND_Perlin, FlatCasesAndDrawsTwicePerRandomLatticeEntry) {
    // "Grid" 0 puts every pixel on a lattice point: only the weight remains.
    ExpectUniform(*Rendered(16, 16, {.grid = 0})->image, {63, 0, 0, 0});
    ExpectUniform(*Rendered(16, 16, {.grid = 0, .persistence = 255, .color = 3})->image,
                  {127, 127, 127, 0});
    ExpectUniform(*Rendered(32, 32, {.persistence = 0, .color = 3})->image, {0, 0, 0, 0});
    // Grid 0 runs one octave of 16 x 16 random entries; a cell at least the side, one.
    for (auto [side, grid, draws] : {std::array{16, 0, 2 * 16 * 16}, {8, 3, 2}, {8, 16, 2}}) {
        const int next = DrawAfter(9, draws);
        Rendered(side, side, {.grid = grid, .octaves = grid ? 1 : 4, .seed = 9});
        EXPECT_EQ(platform::rand(), next) << "grid " << grid;
    }
}

TEST(ND_Perlin, OtherSizesRepeatTheLatticeInsteadOfLeavingIt) {
    // A wide image is the top of the square one; a tall one repeats with period W.
    const auto square = Bytes(*Rendered(8, 8, {.grid = 2, .seed = 6})->image);
    const auto wide = Bytes(*Rendered(8, 4, {.grid = 2, .seed = 6})->image);
    EXPECT_TRUE(std::equal(wide.begin(), wide.end(), square.begin()));
    const auto tall = Bytes(*Rendered(4, 16, {.grid = 1, .seed = 6})->image);
    for (size_t i = 64; i < tall.size(); ++i) ASSERT_EQ(tall[i], tall[i - 64]) << i;
    // Sides that are not multiples of the cell: still defined, the same at every Update.
    auto odd = Rendered(7, 5, {.grid = 2, .seed = 6});
    const auto once = Bytes(*odd->image);
    odd->Update();
    EXPECT_EQ(Bytes(*odd->image), once);
}

TEST(ND_Perlin, GradientsAreUnitVectorsOrFlat) {
    EXPECT_EQ(perlin::GradientOf(-3000, 4000).x, -0.6f);
    EXPECT_EQ(perlin::GradientOf(-3000, 4000).y, 0.8f);
    EXPECT_EQ(perlin::GradientOf(0, 0).x, 0.0f);  // two zero draws: no 0/0
    EXPECT_EQ(perlin::GradientOf(0, 0).y, 0.0f);
}
}  // namespace perlin
