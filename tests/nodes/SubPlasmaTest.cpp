#include <cstring>

#include "nodes/GeneratorTesting.h"
#include "nodes/generators/SubPlasma.h"

namespace {

std::unique_ptr<SubPlasma> Rendered(int w, int h, int grid, int type = 0, int seed = 1) {
    return Generated<SubPlasma>(w, h, {grid, type, seed});
}
}  // namespace

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

TEST(SubPlasma, Tiles) {
    ExpectTiles(*Rendered(64, 64, 4)->image);
    ExpectTiles(*Rendered(128, 128, 5, 0, 77)->image);
}
