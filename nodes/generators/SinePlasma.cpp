#include "nodes/generators/SinePlasma.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "nodes/generators/ChannelMask.h"
#include "platform/Numeric.h"

namespace {

// Degrees to radians as the program has always written it (not full-precision pi/180).
constexpr double kDegree = 0.0174532925;

// One wave's rounded terms at every position: at p and at p shifted back by one period.
struct Wave {
    std::vector<int> here;
    std::vector<int> before;
};

// round(amp * sin(p * freq + phase)) for p = 0 .. size - 1, at extended precision.
Wave WaveTerms(int size, int amp, double freq, double phase, double phaseBefore) {
    Wave wave{std::vector<int>(size), std::vector<int>(size)};
    for (int p = 0; p < size; ++p) {
        const long double pf = static_cast<long double>(p) * freq;
        wave.here[p] = platform::RoundHalfEvenToInt(amp * std::sin(pf + phase));
        wave.before[p] = platform::RoundHalfEvenToInt(amp * std::sin(pf + phaseBefore));
    }
    return wave;
}

int Level(int s, int t) {
    return std::clamp(s + t + 127, 0, 255);
}

// Rounds num / den to the nearest integer, ties to even (num >= 0, den > 0). The
// numerator and denominator are exact whole numbers, so this equals rounding their
// extended-precision quotient.
int64_t DivideRoundHalfEven(int64_t num, int64_t den) {
    int64_t q = num / den;
    const int64_t twiceRest = 2 * (num - q * den);
    if (twiceRest > den || (twiceRest == den && (q & 1))) ++q;
    return q;
}

enum Slot { kAmpX, kAmpY, kFreqX, kFreqY, kPhaseX, kPhaseY, kType, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Amp X", 0, 255, 63),        param::Int("Amp Y", 0, 255, 63),
    param::Int("Freq X", 0, 255, 63),       param::Int("Freq Y", 0, 255, 63),
    param::Int("Phase X", 0, 360, 0),       param::Int("Phase Y", 0, 360, 0),
    param::Choice("Type", kChannelOptions),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

SinePlasma::SinePlasma(int width, int height)
    : Node("Sine plasma", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

void SinePlasma::Compute() {
    const int W = image->width;
    const int H = image->height;
    const double fx = platform::dbl(value(kFreqX) * 0.5L * kDegree);
    const double fy = platform::dbl(value(kFreqY) * 0.5L * kDegree);
    const double px = platform::dbl(static_cast<long double>(value(kPhaseX)) * kDegree);
    const double py = platform::dbl(static_cast<long double>(value(kPhaseY)) * kDegree);
    const double px2 = platform::dbl(px - static_cast<long double>(W) * fx);
    const double py2 = platform::dbl(py - static_cast<long double>(H) * fy);
    const ChannelMask mask = ChannelMask::FromChoice(value(kType));

    // The horizontal terms depend on x only, the vertical ones on y only.
    const Wave wx = WaveTerms(W, value(kAmpX), fx, px, px2);
    const Wave wy = WaveTerms(H, value(kAmpY), fy, py, py2);
    const int64_t wh = static_cast<int64_t>(W) * H;
    // Each pixel depends on its position only.
    ForEachRow(H, RowOrder::kAnyOrder, [&](int yBegin, int yEnd) {
        for (int y = yBegin; y < yEnd; ++y) {
            const int64_t hy = H - y;
            uint8_t* row = image->pixel(0, y);
            for (int x = 0; x < W; ++x) {
                const int64_t wxw = W - x;
                // Blend the pattern at (x, y), (x - W, y), (x - W, y - H) and (x, y - H).
                const int c1 = Level(wx.here[x], wy.here[y]);
                const int c2 = Level(wx.before[x], wy.here[y]);
                const int c3 = Level(wx.before[x], wy.before[y]);
                const int c4 = Level(wx.here[x], wy.before[y]);
                const int64_t sum = c1 * wxw * hy + c2 * x * hy + c3 * x * y + c4 * wxw * y;
                mask.Put(row + 4 * x, static_cast<uint8_t>(DivideRoundHalfEven(sum, wh)));
            }
        }
    });
}
