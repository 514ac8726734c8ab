#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "nodes/GeneratorTesting.h"
#include "nodes/generators/SubPlasma.h"
#include "platform/Numeric.h"
#include "support/TestSupport.h"

namespace {
enum { kGrid, kType, kRandom };

std::unique_ptr<SubPlasma> Rendered(int w, int h, int grid, int type = 0, int seed = 1) {
    auto node = MakeGenerator<SubPlasma>(w, h, {{kGrid, grid}, {kType, type}, {kRandom, seed}});
    node->Update();
    return node;
}

int CubicReference(float A, float B, float C, float D, long double t) {
    const float a3 = ((D - C) - A) + B, a2 = (A - B) - a3, a1 = C - A;
    const long double tf = platform::single(t);
    long double r = ((t * t) * tf) * a3 + (tf * tf) * a2;
    r = r + tf * a1;
    r = r + B;
    r = 0 < r ? r : 0;
    r = r < 255 ? r : 255;
    return platform::RoundHalfEvenToInt(r);
}

// The plasma step by step as written, on a fresh (all-zero) image: seeds in byte 0
// of the image P, the horizontal pass into the copy T, the vertical pass into P.
std::vector<uint8_t> Reference(int W, int H, int grid, int type, int seed) {
    std::vector<uint8_t> P(4 * W * H), T(P);
    auto p = [&](int x, int y) -> uint8_t& { return P[4 * (y * W + x)]; };
    auto t = [&](int x, int y) -> uint8_t& { return T[4 * (y * W + x)]; };
    const int step = platform::TruncToInt(std::pow(2.0, grid));
    const int mask[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    platform::srand(seed);
    for (int y = 0; y < H; y += step)
        for (int x = 0; x < W; x += step) p(x, y) = platform::rand() % 255;
    for (int y = 0; y < H; y += step)
        for (int x = 0; x < W; ++x) {
            const int x0 = x - x % step;
            int xm = x0 - step;
            while (xm < 0) xm += W;
            const int x1 = (x0 + step) % W, x2 = (x0 + 2 * step) % W;
            t(x, y) = x % step == 0 ? p(x, y)
                                    : CubicReference(p(xm, y), p(x0, y), p(x1, y), p(x2, y),
                                                     static_cast<long double>(x - x0) / step);
        }
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const int y0 = y - y % step;
            int ym = y0 - step;
            while (ym < 0) ym += H;
            const int y1 = (y0 + step) % H, y2 = (y0 + 2 * step) % H;
            const int level =
                y % step == 0 ? t(x, y)
                              : CubicReference(t(x, ym), t(x, y0), t(x, y1), t(x, y2),
                                               static_cast<long double>(y - y0 - 1) / (step - 1));
            for (int b = 0; b < 3; ++b) P[4 * (y * W + x) + b] = level & mask[type][b];
            P[4 * (y * W + x) + 3] = 0;
        }
    return P;
}
}  // namespace

TEST(SubPlasma, MatchesThePlainComputation) {
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {4, 4}, {32, 32}, {256, 256}};
    for (auto [w, h] : sizes)
        for (int grid : {0, 1, 2, 3, 4, 7, 9, 16})
            EXPECT_EQ(Bytes(*Rendered(w, h, grid, 3, 9)->image), Reference(w, h, grid, 3, 9))
                << w << "x" << h << " grid " << grid;
}

TEST(SubPlasma, SidesThatAreNotMultiplesOfTheSpacingReadOnlyTheImage) {
    // Lookups that miss a seed read 0, as on a fresh image, and do so every time.
    for (auto [w, h] : {std::pair{6, 5}, {5, 12}, {3, 3}, {1, 7}})
        for (int grid : {1, 2, 3}) {
            auto node = Rendered(w, h, grid, 0, 4);
            EXPECT_EQ(Bytes(*node->image), Reference(w, h, grid, 0, 4));
            node->Update();
            EXPECT_EQ(Bytes(*node->image), Reference(w, h, grid, 0, 4));
        }
}

TEST(SubPlasma, GridZeroIsWhiteNoiseOneDrawPerPixel) {
    const int next = DrawAfter(11, 8 * 8);
    auto node = Rendered(8, 8, 0, 0, 11);
    EXPECT_EQ(platform::rand(), next);
    platform::srand(11);
    for (int i = 0; i < 64; ++i) {
        const uint8_t* px = node->image->bytes() + 4 * i;
        EXPECT_EQ(px[0], platform::rand() % 255);
        EXPECT_EQ(px[1] | px[2] | px[3], 0);
    }
}

TEST(SubPlasma, StepTwoRepeatsEachSeedRowBelowIt) {
    auto node = Rendered(16, 16, 1, 1);
    for (int y = 1; y < 16; y += 2)
        for (int x = 0; x < 16; ++x) {
            EXPECT_EQ(node->image->pixel(x, y)[1], node->image->pixel(x, y - 1)[1]);
            EXPECT_EQ(node->image->pixel(x, y)[0], 0);
        }
}

TEST(SubPlasma, SpacingAtLeastTheSideGivesOneLevel) {
    for (int side : {1, 2, 64}) {
        auto node = Rendered(side, side, 16, 3, 5);
        platform::srand(5);
        const uint8_t level = platform::rand() % 255;
        for (int i = 0; i < side * side; ++i) {
            const uint8_t* px = node->image->bytes() + 4 * i;
            EXPECT_EQ(px[0], level);
            EXPECT_EQ(px[1], level);
            EXPECT_EQ(px[2], level);
            EXPECT_EQ(px[3], 0);
        }
    }
}

TEST(SubPlasma, Tiles) {
    ExpectTiles(*Rendered(64, 64, 4)->image);
    ExpectTiles(*Rendered(128, 128, 5, 0, 77)->image);
}

TEST(SubPlasma, LogsItsTimeThenReportsDone) {
    LogCapture log;
    CountingListener listener;
    Rendered(2, 2, 4);
    EXPECT_EQ(log.Matching("SubPlasma::Update took ").size(), 1u);
    EXPECT_EQ(listener.done, 1);
}
