#include "nodes/GeneratorTesting.h"
#include "nodes/generators/ND_Perlin.h"

namespace {
struct Params {
    int grid = 4, persistence = 127, octaves = 4, color = 0, seed = 0;
};

std::unique_ptr<ND_Perlin> Rendered(int w, int h, const Params& p) {
    return Generated<ND_Perlin>(w, h, {p.grid, p.persistence, p.octaves, p.color, p.seed});
}
}  // namespace

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

TEST(ND_Perlin, Tiles) {
    ExpectTiles(*Rendered(64, 64, {})->image);
    ExpectTiles(
        *Rendered(128, 128, {.grid = 5, .persistence = 200, .octaves = 6, .seed = 12})->image);
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
