#include "nodes/generators/SubPlasma.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "nodes/generators/ChannelMask.h"
#include "platform/CRand.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

// The powers of the interpolation parameter t (extended) and tf = single(t) that
// the cubic uses; they depend on the position only, so they are formed once per t.
struct CubicWeights {
    long double t3, t2, t1;  // (t*t)*tf, tf*tf, tf

    explicit CubicWeights(long double t) {
        const long double tf = platform::single(t);
        t3 = (t * t) * tf;
        t2 = tf * tf;
        t1 = tf;
    }
};

// Rounds a level already clamped to 0..255, ties to even, as the direct
// conversion does but without its slow library call; the shift that makes the
// addition round follows the width of long double.
uint8_t RoundLevel(long double r) {
    return static_cast<uint8_t>(static_cast<int>(platform::RoundHalfEvenSmall(r)));
}

// Cubic between b (t = 0) and c (t = 1); a lies one spacing before b, d one after c.
// Clamped to 0..255 and rounded half to even.
uint8_t Cubic(float a, float b, float c, float d, const CubicWeights& w) {
    const float a3 = ((d - c) - a) + b;
    const float a2 = (a - b) - a3;
    const float a1 = c - a;
    long double r = w.t3 * a3 + w.t2 * a2;
    r = r + w.t1 * a1;
    r = r + b;
    r = 0 < r ? r : 0;
    r = r < 255 ? r : 255;
    return RoundLevel(r);
}

// The weights of every offset along a seed row as double lanes.
struct WeightPlanes {
    std::vector<double> t3, t2, t1;
};

#if defined(__x86_64__)
// Cubic for four pixels from x on, in double lanes, for the rows a .. d; lanes
// whose result could differ are worked out again by Cubic. Why they agree
// otherwise: the coefficients a3, a2, a1 are the same small integers in double
// as in float; t2 = tf² (48 bits) and t1 = tf are exact doubles, t3 is rounded
// to double; the products and sums (all below 2^11) then lose less than 2^-40
// in all, the extended chain less than 2^-50. A double result more
// than 2^-38 from every k + 1/2 thus rounds to the extended result's integer;
// and clamping to 0 .. 255 commutes with rounding, the ends being integers.
struct CubicLanes {
    __m128i levels;  // 32-bit lanes
    int near;        // lanes left to Cubic
};

__attribute__((target("avx2"))) CubicLanes CubicsOf4(__m256d A, __m256d B, __m256d C, __m256d D,
                                                     __m256d t3, __m256d t2, __m256d t1) {
    const __m256d a3 = _mm256_add_pd(_mm256_sub_pd(_mm256_sub_pd(D, C), A), B);
    const __m256d a2 = _mm256_sub_pd(_mm256_sub_pd(A, B), a3);
    const __m256d a1 = _mm256_sub_pd(C, A);
    __m256d r = _mm256_add_pd(_mm256_mul_pd(t3, a3), _mm256_mul_pd(t2, a2));
    r = _mm256_add_pd(_mm256_add_pd(r, _mm256_mul_pd(t1, a1)), B);
    const __m256d fraction = _mm256_sub_pd(r, _mm256_floor_pd(r));
    const __m256d offHalf = _mm256_sub_pd(fraction, _mm256_set1_pd(0.5));
    const __m256d distance = _mm256_andnot_pd(_mm256_set1_pd(-0.0), offHalf);
    const int near =
        _mm256_movemask_pd(_mm256_cmp_pd(distance, _mm256_set1_pd(0x1p-38), _CMP_LE_OQ));
    const __m256d rounded = _mm256_round_pd(r, _MM_FROUND_TO_NEAREST_INT | _MM_FROUND_NO_EXC);
    const __m256d clamped =
        _mm256_min_pd(_mm256_max_pd(rounded, _mm256_setzero_pd()), _mm256_set1_pd(255));
    return {_mm256_cvtpd_epi32(clamped), near};
}

__attribute__((target("avx2"))) void StoreLevels4(__m128i levels, uint8_t* out) {
    const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(levels, levels), levels));
    std::memcpy(out, &packed, 4);
}

__attribute__((target("avx2"))) __m256d LoadFour(const uint8_t* p) {
    int32_t bytes;
    std::memcpy(&bytes, p, 4);
    return _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(bytes)));
}

__attribute__((target("avx2"))) void FourCubics(const uint8_t* a, const uint8_t* b,
                                                const uint8_t* c, const uint8_t* d,
                                                const CubicWeights& w, __m256d t3, __m256d t2,
                                                __m256d t1, uint8_t* out) {
    const CubicLanes lanes =
        CubicsOf4(LoadFour(a), LoadFour(b), LoadFour(c), LoadFour(d), t3, t2, t1);
    StoreLevels4(lanes.levels, out);
    for (int i = 0; i < 4; ++i)
        if (lanes.near & (1 << i)) out[i] = Cubic(a[i], b[i], c[i], d[i], w);
}

// Offsets [o, end) of one span of a seed row between the seeds a .. d, four at
// a time with each lane's own weights, on the same argument as FourCubics;
// returns where it stopped.
__attribute__((target("avx2"))) int SpanAvx2(uint8_t a, uint8_t b, uint8_t c, uint8_t d,
                                             const std::vector<CubicWeights>& weights,
                                             const WeightPlanes& planes, int o, int end,
                                             uint8_t* out) {
    const __m256d A = _mm256_set1_pd(a), B = _mm256_set1_pd(b);
    const __m256d C = _mm256_set1_pd(c), D = _mm256_set1_pd(d);
    for (; o + 4 <= end; o += 4) {
        const CubicLanes lanes =
            CubicsOf4(A, B, C, D, _mm256_loadu_pd(&planes.t3[o]), _mm256_loadu_pd(&planes.t2[o]),
                      _mm256_loadu_pd(&planes.t1[o]));
        StoreLevels4(lanes.levels, out + o);
        for (int i = 0; i < 4; ++i)
            if (lanes.near & (1 << i)) out[o + i] = Cubic(a, b, c, d, weights[o + i]);
    }
    return o;
}

// One row's levels from the rows a .. d, four at a time; returns how many it did.
__attribute__((target("avx2"))) int CubicRowAvx2(const uint8_t* a, const uint8_t* b,
                                                 const uint8_t* c, const uint8_t* d,
                                                 const CubicWeights& w, int width, uint8_t* out) {
    const __m256d t3 = _mm256_set1_pd(platform::dbl(w.t3));
    const __m256d t2 = _mm256_set1_pd(platform::dbl(w.t2));
    const __m256d t1 = _mm256_set1_pd(platform::dbl(w.t1));
    int x = 0;
    for (; x + 4 <= width; x += 4) FourCubics(a + x, b + x, c + x, d + x, w, t3, t2, t1, out + x);
    return x;
}
#endif

// The positions one spacing before p0 (a multiple of step), p0 itself, and one and
// two spacings after it, each wrapped into 0 .. size - 1.
struct Neighbours {
    int before, here, next, after;
};

Neighbours NeighboursOf(int p0, int step, int size) {
    const int before = static_cast<int>((static_cast<int64_t>(p0) - step) % size);
    return {before < 0 ? before + size : before, p0,
            static_cast<int>((static_cast<int64_t>(p0) + step) % size),
            static_cast<int>((static_cast<int64_t>(p0) + 2 * static_cast<int64_t>(step)) % size)};
}

// Draws the seeds of one seed row from `stream` and interpolates between them
// along the row. Lookups that land on columns without a seed (sides not a
// multiple of the spacing) read 0.
void SeedRow(int step, const std::vector<CubicWeights>& weights,
             [[maybe_unused]] const WeightPlanes* planes, platform::RandStream& stream,
             std::vector<uint8_t>& seeds, uint8_t* out) {
    const int W = static_cast<int>(seeds.size());
    std::fill(seeds.begin(), seeds.end(), 0);
    for (int x = 0; x < W; x += step) seeds[x] = static_cast<uint8_t>(stream.Next() % 255);
    const int span = static_cast<int>(weights.size());
    for (int x0 = 0; x0 < W; x0 += step) {
        const Neighbours n = NeighboursOf(x0, step, W);
        out[x0] = seeds[x0];
        const uint8_t a = seeds[n.before], b = seeds[n.here], c = seeds[n.next], d = seeds[n.after];
        const int end = std::min(span, W - x0);
        int o = 1;
#if defined(__x86_64__)
        if (planes) o = SpanAvx2(a, b, c, d, weights, *planes, o, end, out + x0);
#endif
        for (; o < end; ++o) out[x0 + o] = Cubic(a, b, c, d, weights[o]);
    }
}

enum Slot { kGrid, kType, kRandom, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Grid", 0, 16, 4),
    param::Choice("Type", kChannelOptions),
    param::Int("Random", 1, 127, 1),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

SubPlasma::SubPlasma(int width, int height) : Node("Subplasma", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

void SubPlasma::Compute() {
    const int W = image->width;
    const int H = image->height;
    const int step = platform::TruncToInt(std::pow(2.0, value(kGrid)));
    const ChannelMask mask = ChannelMask::FromChoice(value(kType));
    platform::srand(value(kRandom));

    // Horizontal pass: the seed rows (every step-th row), drawn in row-major order.
    const int seedRows = static_cast<int>((H + static_cast<int64_t>(step) - 1) / step);
    std::vector<uint8_t> levels(static_cast<size_t>(seedRows) * W);
    std::vector<CubicWeights> weights;  // by offset from the seed to the left
    for (int o = 0; o < std::min(step, W); ++o)
        weights.emplace_back(static_cast<long double>(o) / step);
    const bool avx2 = platform::ActiveSimd() >= platform::SimdLevel::Avx2;
    WeightPlanes planes;
    for (const CubicWeights& w : weights) {
        planes.t3.push_back(platform::dbl(w.t3));
        planes.t2.push_back(platform::dbl(w.t2));
        planes.t1.push_back(platform::dbl(w.t1));
    }
    // Every seed row draws the same number of seeds, so each band starts its
    // own stretch of the sequence where the rows above it leave off.
    const platform::RandStream start(platform::RandState());
    const uint64_t rowDraws = (static_cast<uint64_t>(W) + step - 1) / step;
    ForEachRow(seedRows, RowOrder::kAnyOrder, [&](int j0, int j1) {
        platform::RandStream stream = start.Skipped(rowDraws * static_cast<uint64_t>(j0));
        std::vector<uint8_t> seeds(W);
        for (int j = j0; j < j1; ++j)
            SeedRow(step, weights, avx2 ? &planes : nullptr, stream, seeds,
                    &levels[static_cast<size_t>(j) * W]);
    });
    platform::SetRandState(start.Skipped(rowDraws * static_cast<uint64_t>(seedRows)).state());

    // Vertical pass. Rows between seed rows read 0 wherever a lookup misses a seed row.
    const std::vector<uint8_t> zeros(W);
    auto levelRow = [&](int y) {
        return y % step == 0 ? &levels[static_cast<size_t>(y / step) * W] : zeros.data();
    };
    // Each row depends on the seed rows only.
    ForEachRow(H, RowOrder::kAnyOrder, [&](int yBegin, int yEnd) {
        std::vector<uint8_t> cubics(W);
        for (int y = yBegin; y < yEnd; ++y) {
            uint8_t* row = image->pixel(0, y);
            const int y0 = y - y % step;
            if (y == y0) {
                mask.PutRow(levelRow(y), W, row, avx2);
                continue;
            }
            const Neighbours n = NeighboursOf(y0, step, H);
            const uint8_t* a = levelRow(n.before);
            const uint8_t* b = levelRow(n.here);
            const uint8_t* c = levelRow(n.next);
            const uint8_t* d = levelRow(n.after);
            subplasma::CubicRow(a, b, c, d, static_cast<long double>(y - y0 - 1) / (step - 1), W,
                                cubics.data());
            mask.PutRow(cubics.data(), W, row, avx2);
        }
    });
}

void subplasma::CubicRow(const uint8_t* a, const uint8_t* b, const uint8_t* c, const uint8_t* d,
                         long double t, int width, uint8_t* out) {
    const CubicWeights w(t);
    int x = 0;
#if defined(__x86_64__)
    if (platform::ActiveSimd() >= platform::SimdLevel::Avx2)
        x = CubicRowAvx2(a, b, c, d, w, width, out);
#endif
    for (; x < width; ++x) out[x] = Cubic(a[x], b[x], c[x], d[x], w);
}
