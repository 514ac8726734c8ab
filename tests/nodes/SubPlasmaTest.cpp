#include <cstring>

#include "nodes/GeneratorTesting.h"
#include "nodes/generators/SubPlasma.h"

namespace {
using L = long double;

std::unique_ptr<SubPlasma> Rendered(int w, int h, int grid, int type = 0, int seed = 1) {
    return Generated<SubPlasma>(w, h, {grid, type, seed});
}

int Cubic(float A, float B, float C, float D, L t) {
    const float a3 = ((D - C) - A) + B, a2 = (A - B) - a3, a1 = C - A;
    const L tf = platform::single(t);
    const L r = ((t * t) * tf) * a3 + (tf * tf) * a2 + tf * a1 + B;
    return platform::RoundHalfEvenToInt(std::clamp(r, 0.0L, 255.0L));
}

// The plasma step by step as written, on a fresh (all-zero) image: seeds in P,
// the horizontal pass along the seed rows into T, the vertical pass from T.
std::vector<uint8_t> Reference(int W, int H, int grid, int type, int seed) {
    std::vector<uint8_t> P(W * H), T(W * H), out;
    auto wrap = [](int v, int side) { return (v % side + side) % side; };  // v mod side, >= 0
    const int step = platform::TruncToInt(std::pow(2.0, grid));
    platform::srand(seed);
    for (int y = 0; y < H; y += step)
        for (int x = 0; x < W; x += step) P[y * W + x] = platform::rand() % 255;
    for (int y = 0; y < H; y += step)
        for (int x = 0; x < W; ++x) {
            auto p = [&](int c) { return P[y * W + wrap(c, W)]; };
            const int x0 = x - x % step;
            T[y * W + x] = x % step == 0 ? p(x)
                                         : Cubic(p(x0 - step), p(x0), p(x0 + step),
                                                 p(x0 + 2 * step), static_cast<L>(x - x0) / step);
        }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            auto t = [&](int r) { return T[wrap(r, H) * W + x]; };
            const int y0 = y - y % step;
            const int level = y % step == 0
                                  ? t(y)
                                  : Cubic(t(y0 - step), t(y0), t(y0 + step), t(y0 + 2 * step),
                                          static_cast<L>(y - y0 - 1) / (step - 1));
            PutLevel(out, level, type);
        }
    return out;
}
}  // namespace

TEST(SubPlasma, MatchesThePlainComputation) {
    // Sides that are not multiples of the spacing read 0 where a lookup misses a
    // seed, as on a fresh image, at every Update.
    for (auto [w, h] :
         {std::pair{1, 1}, {2, 2}, {4, 4}, {32, 32}, {256, 256}, {6, 5}, {5, 12}, {3, 3}, {1, 7}})
        for (int grid : {0, 1, 2, 3, 4, 7, 9, 16}) {
            SCOPED_TRACE(testing::Message() << w << "x" << h << " grid " << grid);
            auto node = Rendered(w, h, grid, grid % 4, 9);
            EXPECT_EQ(Bytes(*node->image), Reference(w, h, grid, grid % 4, 9));
            node->Update();
            EXPECT_EQ(Bytes(*node->image), Reference(w, h, grid, grid % 4, 9));
        }
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
}

TEST(SubPlasma, Tiles) {
    ExpectTiles(*Rendered(64, 64, 4)->image);
    ExpectTiles(*Rendered(128, 128, 5, 0, 77)->image);
}

TEST(SubPlasma, LogsItsTimeThenReportsDone) {
    ExpectTimedAndDone<SubPlasma>("SubPlasma::Update");
}
