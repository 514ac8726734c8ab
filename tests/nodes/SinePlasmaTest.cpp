#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "nodes/GeneratorTesting.h"
#include "nodes/generators/SinePlasma.h"
#include "platform/Numeric.h"
#include "support/TestSupport.h"

namespace {
enum { kAmpX, kAmpY, kFreqX, kFreqY, kPhaseX, kPhaseY, kType };

struct Params {
    int ampX = 63, ampY = 63, freqX = 63, freqY = 63, phaseX = 0, phaseY = 0, type = 0;
};

std::unique_ptr<SinePlasma> Rendered(int w, int h, const Params& p) {
    auto node = MakeGenerator<SinePlasma>(w, h,
                                          {{kAmpX, p.ampX},
                                           {kAmpY, p.ampY},
                                           {kFreqX, p.freqX},
                                           {kFreqY, p.freqY},
                                           {kPhaseX, p.phaseX},
                                           {kPhaseY, p.phaseY},
                                           {kType, p.type}});
    node->Update();
    return node;
}

// The plasma computed pixel by pixel exactly as written, without hoisting.
std::vector<uint8_t> Reference(int W, int H, const Params& p) {
    using platform::dbl;
    using platform::RoundHalfEvenToInt;
    const long double K = 0.0174532925;
    const double FX = dbl(p.freqX * 0.5L * K), FY = dbl(p.freqY * 0.5L * K);
    const double PX = dbl(p.phaseX * K), PY = dbl(p.phaseY * K);
    const double PX2 = dbl(PX - W * static_cast<long double>(FX));
    const double PY2 = dbl(PY - H * static_cast<long double>(FY));
    const double WH = static_cast<double>(W) * H;
    const int mask[4][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}};
    auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    std::vector<uint8_t> out;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double wx = W - x, hy = H - y;
            const long double xf = x * static_cast<long double>(FX);
            const long double yf = y * static_cast<long double>(FY);
            const int s1 = RoundHalfEvenToInt(p.ampX * std::sin(xf + PX));
            const int s2 = RoundHalfEvenToInt(p.ampY * std::sin(yf + PY));
            const int s3 = RoundHalfEvenToInt(p.ampX * std::sin(xf + PX2));
            const int s4 = RoundHalfEvenToInt(p.ampY * std::sin(yf + PY2));
            const int c1 = clamp(s1 + s2 + 127), c2 = clamp(s3 + s2 + 127);
            const int c3 = clamp(s3 + s4 + 127), c4 = clamp(s1 + s4 + 127);
            const long double sum =
                static_cast<long double>(c1) * wx * hy + static_cast<long double>(c2) * x * hy +
                static_cast<long double>(c3) * x * y + static_cast<long double>(c4) * wx * y;
            const int level = RoundHalfEvenToInt(sum / WH);
            for (int m : mask[p.type]) out.push_back(static_cast<uint8_t>(level & m));
            out.push_back(0);
        }
    return out;
}

std::vector<uint8_t> Channel(const Image& image, int b) {
    std::vector<uint8_t> out;
    for (int i = 0; i < image.pixelCount; ++i) out.push_back(image.bytes()[4 * i + b]);
    return out;
}
}  // namespace

TEST(SinePlasma, MatchesThePlainComputation) {
    const Params cases[] = {
        {},
        {255, 255, 255, 255, 360, 360, 3},
        {200, 17, 1, 254, 45, 300, 1},
        {3, 130, 90, 7, 91, 1, 2},
        {0, 255, 0, 128, 180, 270, 0},
    };
    const std::pair<int, int> sizes[] = {{1, 1}, {2, 2}, {4, 4}, {64, 64}, {256, 256}, {5, 3}};
    for (const Params& p : cases)
        for (auto [w, h] : sizes) EXPECT_EQ(Bytes(*Rendered(w, h, p)->image), Reference(w, h, p));
}

TEST(SinePlasma, FlatLevels) {
    // No amplitude: the level is 127 everywhere.
    for (uint8_t v : Channel(*Rendered(16, 16, {.ampX = 0, .ampY = 0})->image, 0))
        EXPECT_EQ(v, 127);
    // No frequency, phase 90: every corner is 127 + 63 + 63.
    const Params still{.freqX = 0, .freqY = 0, .phaseX = 90, .phaseY = 90};
    for (uint8_t v : Channel(*Rendered(16, 16, still)->image, 0)) EXPECT_EQ(v, 253);
}

TEST(SinePlasma, FirstPixelIsTheCornerPattern) {
    // (0, 0) carries all weight on the pattern at (x, y): 127 + round(200 sin 30°)
    // + round(100 sin 45°) = 127 + 100 + 71, clamped to 255.
    auto node = Rendered(8, 8, {.ampX = 200, .ampY = 100, .phaseX = 30, .phaseY = 45});
    EXPECT_EQ(node->image->pixel(0, 0)[0], 255);
    node = Rendered(8, 8, {.ampX = 20, .ampY = 10, .phaseX = 30, .phaseY = 45});
    EXPECT_EQ(node->image->pixel(0, 0)[0], 127 + 10 + 7);
}

TEST(SinePlasma, WaveTermsRoundToNearest) {
    // 1·sin(89°) is just below 1: rounding gives 1 where truncation would give 0.
    auto node = Rendered(1, 1, {.ampX = 1, .ampY = 0, .phaseX = 89});
    EXPECT_EQ(node->image->pixel(0, 0)[0], 128);
}

TEST(SinePlasma, BlendTiesRoundToEven) {
    // 2 x 1, phase 45°, 45° per pixel: pixel 1 is the mean of the pattern at x = 1
    // (127 + A·sin 90°) and at x - W (127 + A·sin 0°), a tie for odd A.
    auto blend = [](int amp) {
        return Rendered(2, 1, {.ampX = amp, .ampY = 0, .freqX = 90, .phaseX = 45})
            ->image->pixel(1, 0)[0];
    };
    EXPECT_EQ(blend(1), 128);  // 127.5
    EXPECT_EQ(blend(3), 128);  // 128.5
}

TEST(SinePlasma, ChannelsAndFourthByte) {
    auto grey = Rendered(8, 8, {.type = 3});
    auto blue = Rendered(8, 8, {.type = 2});
    for (int i = 0; i < 64; ++i) {
        const uint8_t* g = grey->image->bytes() + 4 * i;
        const uint8_t* b = blue->image->bytes() + 4 * i;
        EXPECT_EQ(g[0], g[1]);
        EXPECT_EQ(g[1], g[2]);
        EXPECT_EQ(g[3], 0);
        EXPECT_EQ(b[0] | b[1] | b[3], 0);
        EXPECT_EQ(b[2], g[0]);
    }
}

TEST(SinePlasma, Tiles) {
    ExpectTiles(*Rendered(64, 64, {})->image);
    ExpectTiles(*Rendered(128, 128, {.freqX = 5, .freqY = 200, .phaseX = 33})->image);
}

TEST(SinePlasma, LogsItsTimeThenReportsDone) {
    LogCapture log;
    CountingListener listener;
    Rendered(2, 2, {});
    EXPECT_EQ(log.Matching("SinePlasma::Update took ").size(), 1u);
    EXPECT_EQ(listener.done, 1);
}
