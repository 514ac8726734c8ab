#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "nodes/GeneratorTesting.h"
#include "nodes/generators/ND_Perlin.h"
#include "platform/Numeric.h"
#include "support/TestSupport.h"

namespace {
enum { kGrid, kPersistence, kOctaves, kColor, kRandom };

struct Params {
    int grid = 4, persistence = 127, octaves = 4, color = 0, seed = 0;
};

std::unique_ptr<ND_Perlin> Rendered(int w, int h, const Params& p) {
    auto node = MakeGenerator<ND_Perlin>(w, h,
                                         {{kGrid, p.grid},
                                          {kPersistence, p.persistence},
                                          {kOctaves, p.octaves},
                                          {kColor, p.color},
                                          {kRandom, p.seed}});
    node->Update();
    return node;
}

// The noise computed pixel by pixel as written (square sides that are multiples
// of every cell size only).
std::vector<uint8_t> Reference(int W, int H, const Params& p) {
    using platform::single;
    std::vector<float> acc(W * H, 0.0f);
    platform::srand(p.seed);
    const float f255 = 0.0039215689f;
    const float persistence = single(p.persistence * static_cast<long double>(f255));
    int cell = platform::TruncToInt(std::pow(2.0, p.grid));
    cell = std::min(cell, W);
    cell = std::min(cell, H);
    float amp = persistence;
    for (int k = 0; k < p.octaves; ++k) {
        if (cell < 1) break;
        const int n = W / cell + 1;
        std::vector<float> gx(n * n), gy(n * n);
        for (int r = 0; r < n; ++r)
            for (int c = 0; c < n; ++c) {
                int from = -1;
                if (r == n - 1 && c == n - 1)
                    from = 0;
                else if (c == n - 1)
                    from = r * n;
                else if (r == n - 1)
                    from = c;
                if (from >= 0) {
                    gx[r * n + c] = gx[from];
                    gy[r * n + c] = gy[from];
                    continue;
                }
                const float a = platform::rand() % 10000 - 5000;
                const float b = platform::rand() % 10000 - 5000;
                const double len = std::sqrt(static_cast<double>(b * static_cast<long double>(b) +
                                                                 a * static_cast<long double>(a)));
                gx[r * n + c] = len == 0 ? 0 : single(a / static_cast<long double>(len));
                gy[r * n + c] = len == 0 ? 0 : single(b / static_cast<long double>(len));
            }
        auto G = [&](int r, int c) { return r * n + c; };
        for (int y = 0; y < H; ++y)
            for (int x = 0; x < W; ++x) {
                const int gyi = y / cell, gxi = x / cell;
                const long double fy = static_cast<long double>(y) / cell - gyi;
                const long double fx = static_cast<long double>(x) / cell - gxi;
                const long double fy2 = fy * fy, fx2 = fx * fx;
                const long double sy = 3 * fy2 - 2 * (fy2 * fy);
                const long double sx = 3 * fx2 - 2 * (fx2 * fx);
                const float fx1 = single(fx - 1);
                const int e00 = G(gyi, gxi), e01 = G(gyi + 1, gxi);
                const int e10 = G(gyi, gxi + 1), e11 = G(gyi + 1, gxi + 1);
                const float d00 = single(fy * gy[e00] + fx * gx[e00]);
                const float d01 = single((fy - 1) * gy[e01] + fx * gx[e01]);
                const long double d10 = static_cast<long double>(fx1) * gx[e10] + fy * gy[e10];
                const long double d11 =
                    static_cast<long double>(fx1) * gx[e11] + (fy - 1) * gy[e11];
                const long double a = d00 + (d10 - d00) * sx;
                const long double b = d01 + (d11 - d01) * sx;
                const long double v = a + (b - a) * sy;
                acc[y * W + x] = single(acc[y * W + x] + ((v + 1) * 0.5L) * amp);
            }
        amp = single(static_cast<long double>(amp) * persistence);
        cell /= 2;
    }
    const int mask[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    std::vector<uint8_t> out;
    for (float sum : acc) {
        const int level = platform::TruncToInt(sum * 255.0L) & 255;
        for (int m : mask[p.color]) out.push_back(static_cast<uint8_t>(level & m));
        out.push_back(0);
    }
    return out;
}

void ExpectFlat(const Image& image, const uint8_t expected[4]) {
    for (int i = 0; i < image.pixelCount; ++i)
        for (int b = 0; b < 4; ++b) ASSERT_EQ(image.bytes()[4 * i + b], expected[b]) << i;
}
}  // namespace

TEST(ND_Perlin, MatchesThePlainComputation) {
    const Params cases[] = {
        {},
        {0, 200, 1, 1, 3},
        {1, 255, 16, 3, 255},
        {3, 90, 2, 2, 17},
        {6, 255, 7, 0, 1},
        {16, 180, 16, 3, 8},
    };
    for (const Params& p : cases)
        for (int side : {1, 2, 4, 16, 64, 256})
            EXPECT_EQ(Bytes(*Rendered(side, side, p)->image), Reference(side, side, p))
                << side << " grid " << p.grid;
}

TEST(ND_Perlin, GridZeroIsFlatAndDrawsTwicePerPixel) {
    const uint8_t red63[4] = {63, 0, 0, 0}, grey127[4] = {127, 127, 127, 0};
    const int next = DrawAfter(0, 2 * 16 * 16);
    ExpectFlat(*Rendered(16, 16, {.grid = 0})->image, red63);
    EXPECT_EQ(platform::rand(), next);
    ExpectFlat(*Rendered(16, 16, {.grid = 0, .persistence = 255, .color = 3})->image, grey127);
}

TEST(ND_Perlin, PersistenceZeroIsBlack) {
    const uint8_t zero[4] = {0, 0, 0, 0};
    ExpectFlat(*Rendered(32, 32, {.persistence = 0, .color = 3})->image, zero);
}

TEST(ND_Perlin, CellAtLeastTheSideDrawsOneGradient) {
    const int next = DrawAfter(9, 2);
    auto node = Rendered(8, 8, {.grid = 3, .octaves = 1, .seed = 9});
    EXPECT_EQ(platform::rand(), next);
    Rendered(8, 8, {.grid = 16, .octaves = 1, .seed = 9});
    EXPECT_EQ(platform::rand(), next);
}

TEST(ND_Perlin, GreyHasEqualColourBytesAndNoFourthByte) {
    auto node = Rendered(32, 32, {.color = 3, .seed = 4});
    for (int i = 0; i < node->image->pixelCount; ++i) {
        const uint8_t* px = node->image->bytes() + 4 * i;
        EXPECT_EQ(px[0], px[1]);
        EXPECT_EQ(px[1], px[2]);
        EXPECT_EQ(px[3], 0);
    }
}

TEST(ND_Perlin, SameParametersSameImageOtherSeedOtherImage) {
    auto node = Rendered(64, 64, {.seed = 3});
    const auto first = Bytes(*node->image);
    node->Update();
    EXPECT_EQ(Bytes(*node->image), first);
    EXPECT_NE(Bytes(*Rendered(64, 64, {.seed = 4})->image), first);
}

TEST(ND_Perlin, Tiles) {
    ExpectTiles(*Rendered(64, 64, {})->image);
    ExpectTiles(
        *Rendered(128, 128, {.grid = 5, .persistence = 200, .octaves = 6, .seed = 12})->image);
}

TEST(ND_Perlin, OtherSizesRepeatTheLatticeInsteadOfLeavingIt) {
    // Lattice of the width; a taller image repeats with period W, a shorter one is
    // the top of the square image.
    const Params p{.grid = 2, .seed = 6};
    const auto square = Bytes(*Rendered(8, 8, p)->image);
    const auto wide = Bytes(*Rendered(8, 4, p)->image);
    EXPECT_TRUE(std::equal(wide.begin(), wide.end(), square.begin()));
    const auto tall = Bytes(*Rendered(4, 16, {.grid = 1, .seed = 6})->image);
    EXPECT_TRUE(std::equal(tall.begin(), tall.begin() + 64, tall.begin() + 64));
    EXPECT_TRUE(std::equal(tall.begin(), tall.begin() + 64, tall.begin() + 128));
    // Sides that are not multiples of the cell: still defined, the same every time.
    auto odd = Rendered(7, 5, {.grid = 2, .seed = 6});
    const auto once = Bytes(*odd->image);
    odd->Update();
    EXPECT_EQ(Bytes(*odd->image), once);
}

TEST(ND_Perlin, ReportsDoneThenLogsItsTime) {
    LogCapture log;
    CountingListener listener;
    Rendered(2, 2, {});
    EXPECT_EQ(log.Matching("ND_Perlin took ").size(), 1u);
    EXPECT_EQ(listener.done, 1);
}

TEST(ND_Perlin, GradientsAreUnitVectorsOrFlat) {
    const perlin::Gradient g = perlin::GradientOf(-3000, 4000);
    EXPECT_EQ(g.x, -0.6f);
    EXPECT_EQ(g.y, 0.8f);
    const perlin::Gradient flat = perlin::GradientOf(0, 0);
    EXPECT_EQ(flat.x, 0.0f);
    EXPECT_EQ(flat.y, 0.0f);
}
