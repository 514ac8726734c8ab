#include "nodes/GeneratorTesting.h"
#include "nodes/generators/ND_Perlin.h"

namespace {
using L = long double;
using platform::single;

struct Params {
    int grid = 4, persistence = 127, octaves = 4, color = 0, seed = 0;
};

std::unique_ptr<ND_Perlin> Rendered(int w, int h, const Params& p) {
    return Generated<ND_Perlin>(w, h, {p.grid, p.persistence, p.octaves, p.color, p.seed});
}

// The noise computed pixel by pixel as written (square sides that are multiples
// of every cell size only).
std::vector<uint8_t> Reference(int W, int H, const Params& p) {
    auto smooth = [](L f) { return 3 * (f * f) - 2 * ((f * f) * f); };
    std::vector<float> acc(W * H, 0.0f);
    platform::srand(p.seed);
    const float persistence = single(p.persistence * static_cast<L>(0.0039215689f));
    float amp = persistence;
    for (int cell = std::min({platform::TruncToInt(std::pow(2.0, p.grid)), W, H}), k = 0;
         k < p.octaves && cell >= 1; ++k, cell /= 2) {
        const int n = W / cell + 1, last = n - 1;
        std::vector<perlin::Gradient> g(n * n);
        for (int i = 0; i < n * n; ++i) {
            const int r = i / n, c = i % n;
            if (r == last || c == last) {  // copies of the first row and column draw nothing
                g[i] = g[(r == last ? 0 : r) * n + (c == last ? 0 : c)];
                continue;
            }
            const float a = platform::rand() % 10000 - 5000, b = platform::rand() % 10000 - 5000;
            const double len =
                std::sqrt(static_cast<double>(b * static_cast<L>(b) + a * static_cast<L>(a)));
            if (len != 0) g[i] = {single(a / static_cast<L>(len)), single(b / static_cast<L>(len))};
        }
        auto G = [&](int r, int c) { return g[r * n + c]; };
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int gy = y / cell, gx = x / cell;
                const L fy = static_cast<L>(y) / cell - gy, fx = static_cast<L>(x) / cell - gx;
                const L fx1 = single(fx - 1);
                const float d00 = single(fy * G(gy, gx).y + fx * G(gy, gx).x);
                const float d01 = single((fy - 1) * G(gy + 1, gx).y + fx * G(gy + 1, gx).x);
                const L d10 = fx1 * G(gy, gx + 1).x + fy * G(gy, gx + 1).y;
                const L d11 = fx1 * G(gy + 1, gx + 1).x + (fy - 1) * G(gy + 1, gx + 1).y;
                const L a = d00 + (d10 - d00) * smooth(fx), b = d01 + (d11 - d01) * smooth(fx);
                const L v = a + (b - a) * smooth(fy);
                acc[y * W + x] = single(acc[y * W + x] + ((v + 1) * 0.5L) * amp);
            }
        amp = single(static_cast<L>(amp) * persistence);
    }
    std::vector<uint8_t> out;
    for (float sum : acc) PutLevel(out, platform::TruncToInt(sum * 255.0L) & 255, p.color);
    return out;
}
}  // namespace

TEST(ND_Perlin, MatchesThePlainComputation) {
    for (const Params& p : {Params{},
                            {0, 200, 1, 1, 3},
                            {1, 255, 16, 3, 255},
                            {3, 90, 2, 2, 17},
                            {6, 255, 7, 0, 1},
                            {16, 180, 16, 3, 8}})
        for (int side : {1, 2, 4, 16, 64, 256})
            EXPECT_EQ(Bytes(*Rendered(side, side, p)->image), Reference(side, side, p))
                << side << " grid " << p.grid;
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

TEST(ND_Perlin, ReportsDoneThenLogsItsTime) {
    ExpectTimedAndDone<ND_Perlin>("ND_Perlin");
}
