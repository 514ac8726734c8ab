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
}  // namespace

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
