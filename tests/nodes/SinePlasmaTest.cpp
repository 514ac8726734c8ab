#include <tuple>

#include "nodes/GeneratorTesting.h"
#include "nodes/generators/SinePlasma.h"

namespace {
struct Params {
    int ampX = 63, ampY = 63, freqX = 63, freqY = 63, phaseX = 0, phaseY = 0, type = 0;
};

std::unique_ptr<SinePlasma> Rendered(int w, int h, const Params& p) {
    return Generated<SinePlasma>(w, h,
                                 {p.ampX, p.ampY, p.freqX, p.freqY, p.phaseX, p.phaseY, p.type});
}

// The plasma computed pixel by pixel exactly as written, without hoisting.
std::vector<uint8_t> Reference(int W, int H, const Params& p) {
    using L = long double;
    using platform::dbl;
    auto round = [](L v) { return platform::RoundHalfEvenToInt(v); };
    auto clamp = [](int v) { return std::clamp(v, 0, 255); };
    const L K = 0.0174532925;
    const double FX = dbl(p.freqX * 0.5L * K), FY = dbl(p.freqY * 0.5L * K);
    const double PX = dbl(p.phaseX * K), PY = dbl(p.phaseY * K);
    const double PX2 = dbl(PX - W * static_cast<L>(FX)), PY2 = dbl(PY - H * static_cast<L>(FY));
    const double WH = static_cast<double>(W) * H;
    std::vector<uint8_t> out;
    for (int y = 0; y < H; ++y)
        for (int x = 0; x < W; ++x) {
            const double wx = W - x, hy = H - y;
            const L xf = x * static_cast<L>(FX), yf = y * static_cast<L>(FY);
            const int s1 = round(p.ampX * std::sin(xf + PX)),
                      s2 = round(p.ampY * std::sin(yf + PY));
            const int s3 = round(p.ampX * std::sin(xf + PX2)),
                      s4 = round(p.ampY * std::sin(yf + PY2));
            const int c1 = clamp(s1 + s2 + 127), c2 = clamp(s3 + s2 + 127);
            const int c3 = clamp(s3 + s4 + 127), c4 = clamp(s1 + s4 + 127);
            const L sum = static_cast<L>(c1) * wx * hy + static_cast<L>(c2) * x * hy +
                          static_cast<L>(c3) * x * y + static_cast<L>(c4) * wx * y;
            PutLevel(out, round(sum / WH), p.type);
        }
    return out;
}
}  // namespace

TEST(SinePlasma, MatchesThePlainComputation) {
    for (const Params& p : {Params{},
                            {255, 255, 255, 255, 360, 360, 3},
                            {200, 17, 1, 254, 45, 300, 1},
                            {3, 130, 90, 7, 91, 1, 2},
                            {0, 255, 0, 128, 180, 270, 0}})
        for (auto [w, h] : {std::pair{1, 1}, {2, 2}, {4, 4}, {64, 64}, {256, 256}, {5, 3}})
            EXPECT_EQ(Bytes(*Rendered(w, h, p)->image), Reference(w, h, p));
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

TEST(SinePlasma, Tiles) {
    ExpectTiles(*Rendered(64, 64, {})->image);
    ExpectTiles(*Rendered(128, 128, {.freqX = 5, .freqY = 200, .phaseX = 33})->image);
}

TEST(SinePlasma, LogsItsTimeThenReportsDone) {
    ExpectTimedAndDone<SinePlasma>("SinePlasma::Update");
}
