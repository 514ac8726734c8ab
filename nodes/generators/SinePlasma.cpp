#include "nodes/generators/SinePlasma.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "nodes/generators/ChannelMask.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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
    // Each term is its own; the extended sines are a tenth of the node's time,
    // too much to leave on one thread.
    ForEachRow(size, RowOrder::kAnyOrder, [&](int p0, int p1) {
        for (int p = p0; p < p1; ++p) {
            const long double pf = static_cast<long double>(p) * freq;
            wave.here[p] = platform::RoundHalfEvenToInt(amp * std::sin(pf + phase));
            wave.before[p] = platform::RoundHalfEvenToInt(amp * std::sin(pf + phaseBefore));
        }
    });
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

// The blend of the four patterns at one pixel, rounded.
uint8_t BlendedLevel(const Wave& wx, const Wave& wy, int W, int x, int y, int64_t hy, int64_t wh) {
    const int64_t wxw = W - x;
    // Blend the pattern at (x, y), (x - W, y), (x - W, y - H) and (x, y - H).
    const int c1 = Level(wx.here[x], wy.here[y]);
    const int c2 = Level(wx.before[x], wy.here[y]);
    const int c3 = Level(wx.before[x], wy.before[y]);
    const int c4 = Level(wx.here[x], wy.before[y]);
    const int64_t sum = c1 * wxw * hy + c2 * x * hy + c3 * x * y + c4 * wxw * y;
    return static_cast<uint8_t>(DivideRoundHalfEven(sum, wh));
}

// Images up to this many pixels keep every product and sum below 2^53 (an
// exact double) and leave the quotient a margin of 1 / (2 wh) >= 2^-27 from
// any half-way point.
constexpr int64_t kMaxVectorPixels = int64_t{1} << 26;

#if defined(__x86_64__)
__attribute__((target("avx2"))) __m128i Levels(__m128i s, __m128i t) {
    const __m128i level = _mm_add_epi32(_mm_add_epi32(s, t), _mm_set1_epi32(127));
    return _mm_min_epi32(_mm_max_epi32(level, _mm_setzero_si128()), _mm_set1_epi32(255));
}

// BlendedLevel for four pixels from x on, in double lanes. Exact: the levels
// are integers up to 255 and W - x, x, H - y, y at most the sides, so every
// product and partial sum is an integer below 255 wh < 2^53, held exactly
// whatever the order of the operations; the quotient sum / wh is rounded once,
// by less than 2^-45, while a quotient that is not a tie lies at least
// 1 / (2 wh) >= 2^-27 from k + 1/2, so rounding the double to nearest, ties to
// even, gives DivideRoundHalfEven's integer.
__attribute__((target("avx2"))) void FourLevels(const Wave& wx, int W, int x, __m128i yHere,
                                                __m128i yBefore, __m256d hy, __m256d y, __m256d wh,
                                                uint8_t out[4]) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&wx.here[x]));
    const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&wx.before[x]));
    const __m256d c1 = _mm256_cvtepi32_pd(Levels(here, yHere));
    const __m256d c2 = _mm256_cvtepi32_pd(Levels(before, yHere));
    const __m256d c3 = _mm256_cvtepi32_pd(Levels(before, yBefore));
    const __m256d c4 = _mm256_cvtepi32_pd(Levels(here, yBefore));
    const __m256d xs = _mm256_add_pd(_mm256_set1_pd(x), _mm256_setr_pd(0, 1, 2, 3));
    const __m256d wxw = _mm256_sub_pd(_mm256_set1_pd(W), xs);
    const __m256d sum = _mm256_add_pd(_mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(c1, wxw), hy),
                                                    _mm256_mul_pd(_mm256_mul_pd(c2, xs), hy)),
                                      _mm256_add_pd(_mm256_mul_pd(_mm256_mul_pd(c3, xs), y),
                                                    _mm256_mul_pd(_mm256_mul_pd(c4, wxw), y)));
    const __m256d rounded =
        _mm256_round_pd(_mm256_div_pd(sum, wh), _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m128i levels = _mm256_cvtpd_epi32(rounded);
    const __m128i bytes = _mm_packus_epi16(_mm_packs_epi32(levels, levels), levels);
    const int packed = _mm_cvtsi128_si32(bytes);
    std::memcpy(out, &packed, 4);
}

// One row's levels from x = 0 on, four at a time; returns how many it did.
__attribute__((target("avx2"))) int RowLevelsAvx2(const Wave& wx, const Wave& wy, int W, int H,
                                                  int y, uint8_t* levels) {
    const __m128i yHere = _mm_set1_epi32(wy.here[y]);
    const __m128i yBefore = _mm_set1_epi32(wy.before[y]);
    const __m256d hy = _mm256_set1_pd(H - y), ys = _mm256_set1_pd(y);
    const __m256d wh = _mm256_set1_pd(static_cast<double>(int64_t{W} * H));
    int x = 0;
    for (; x + 4 <= W; x += 4) FourLevels(wx, W, x, yHere, yBefore, hy, ys, wh, levels + x);
    return x;
}
#endif

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
    [[maybe_unused]] const bool avx2 =
        platform::ActiveSimd() >= platform::SimdLevel::Avx2 && wh <= kMaxVectorPixels;
    // Each pixel depends on its position only.
    ForEachRow(H, RowOrder::kAnyOrder, [&](int yBegin, int yEnd) {
        std::vector<uint8_t> levels(W);
        for (int y = yBegin; y < yEnd; ++y) {
            int x = 0;
#if defined(__x86_64__)
            if (avx2) x = RowLevelsAvx2(wx, wy, W, H, y, levels.data());
#endif
            for (; x < W; ++x) levels[x] = BlendedLevel(wx, wy, W, x, y, H - y, wh);
            uint8_t* row = image->pixel(0, y);
            mask.PutRow(levels.data(), W, row, avx2);
        }
    });
}
