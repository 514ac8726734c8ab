#include "nodes/generators/ND_Perlin.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <type_traits>
#include <vector>

#include "engine/RowBands.h"
#include "nodes/generators/ChannelMask.h"
#include "platform/CRand.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

using perlin::Gradient;

namespace {

constexpr float kF255 = 1.0f / 255.0f;

// The gradients of one octave: n x n entries whose last row and column repeat the
// first ones, so each octave has period n - 1 cells.
class Lattice {
public:
    // Every entry that is not a copy draws twice, in memory order, and its
    // gradient depends on its own draws alone; so each band of rows, on any
    // core, starts its own stretch of the sequence where the rows above it
    // leave off. The copies of the first row and column follow.
    explicit Lattice(int n) : n_(n), entries_(static_cast<size_t>(n) * n) {
        const int last = n - 1;
        const platform::RandStream start(platform::RandState());
        const uint64_t rowDraws = 2 * static_cast<uint64_t>(last);
        ForEachRow(last, RowOrder::kAnyOrder, [&](int r0, int r1) {
            platform::RandStream stream = start.Skipped(rowDraws * static_cast<uint64_t>(r0));
            for (int r = r0; r < r1; ++r)
                for (int c = 0; c < last; ++c) {
                    const float a = Drawn(stream), b = Drawn(stream);
                    entries_[Index(r, c)] = perlin::GradientOf(a, b);
                }
        });
        platform::SetRandState(start.Skipped(rowDraws * static_cast<uint64_t>(last)).state());
        for (int r = 0; r <= last; ++r) entries_[Index(r, last)] = Copied(r, last);
        for (int c = 0; c < last; ++c) entries_[Index(last, c)] = Copied(last, c);
    }

    // Lattice row r and the index of column c within it, for any r, c >= 0: indices
    // past the last row or column wrap, which reads the same as the stored copies
    // where those exist and keeps other image sizes inside the lattice.
    const Gradient* Row(int r) const { return &entries_[Index(r % (n_ - 1), 0)]; }
    int Column(int c) const { return c % (n_ - 1); }

private:
    size_t Index(int r, int c) const { return static_cast<size_t>(r) * n_ + c; }

    // One of an entry's two draws.
    static float Drawn(platform::RandStream& stream) {
        return static_cast<float>(stream.Next() % 10000 - 5000);
    }

    // An entry of the last row or column: a copy of the first column or row.
    Gradient Copied(int r, int c) const {
        const int last = n_ - 1;
        if (c == last) return entries_[Index(r == last ? 0 : r, 0)];
        return entries_[Index(0, c)];
    }

    int n_;
    std::vector<Gradient> entries_;
};

// Where a pixel row or column lies in its cell: lattice index, fraction f (extended),
// the smoothstep 3f^2 - 2f^3, and f - 1.
struct CellPosition {
    int cell;
    long double f, s, fMinus1;
};

CellPosition PositionOf(int p, int cell) {
    CellPosition pos;
    pos.cell = p / cell;
    pos.f = static_cast<long double>(p) / cell - pos.cell;
    const long double f2 = pos.f * pos.f;
    pos.s = 3 * f2 - 2 * (f2 * pos.f);
    pos.fMinus1 = pos.f - 1;
    return pos;
}

// A pixel column's place in its cell, held as Real; the x side stores f - 1
// as a float.
template <class Real>
struct Column {
    Real f, s;
    float fMinus1;
    int c0, c1;  // lattice columns of the cell's sides
};

// One octave's term added to one accumulator value. Whatever Real holds the
// column terms, each product widens them to the same extended values.
template <class Real>
float OctavePixel(const CellPosition& py, const Gradient* top, const Gradient* bottom,
                  const Column<Real>& px, float amp, float out) {
    const Gradient g00 = top[px.c0], g01 = bottom[px.c0];
    const Gradient g10 = top[px.c1], g11 = bottom[px.c1];
    const long double f = px.f, s = px.s;
    const float d00 = platform::single(py.f * g00.y + f * g00.x);
    const float d01 = platform::single(py.fMinus1 * g01.y + f * g01.x);
    const long double d10 = px.fMinus1 * static_cast<long double>(g10.x) + py.f * g10.y;
    const long double d11 = px.fMinus1 * static_cast<long double>(g11.x) + py.fMinus1 * g11.y;
    const long double a = d00 + (d10 - d00) * s;
    const long double b = d01 + (d11 - d01) * s;
    const long double v = a + (b - a) * py.s;
    return platform::single(out + ((v + 1) * 0.5L) * amp);
}

// The column terms of a row component by component, for the vector path.
struct ColumnPlanes {
    std::vector<double> f, s, fMinus1;
    std::vector<int32_t> c0, c1;
};

ColumnPlanes PlanesOf(const std::vector<Column<double>>& columns) {
    ColumnPlanes planes;
    for (const Column<double>& c : columns) {
        planes.f.push_back(c.f);
        planes.s.push_back(c.s);
        planes.fMinus1.push_back(c.fMinus1);
        planes.c0.push_back(c.c0);
        planes.c1.push_back(c.c1);
    }
    return planes;
}

#if defined(__x86_64__)
#define SWATCHER_AVX2 __attribute__((target("avx2,fma")))

bool RowIsDouble(const CellPosition& py) {
    return platform::dbl(py.f) == py.f && platform::dbl(py.s) == py.s &&
           platform::dbl(py.fMinus1) == py.fMinus1;
}

struct Gradients4 {
    __m256d x, y;
};

// The gradients at four lattice columns of one row, widened to double exactly.
SWATCHER_AVX2 Gradients4 Gather4(const Gradient* row, __m128i columns) {
    const __m256i pairs =
        _mm256_i32gather_epi64(reinterpret_cast<const long long*>(row), columns, 8);
    const __m256 split = _mm256_permutevar8x32_ps(_mm256_castsi256_ps(pairs),
                                                  _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
    return {_mm256_cvtps_pd(_mm256_castps256_ps128(split)),
            _mm256_cvtps_pd(_mm256_extractf128_ps(split, 1))};
}

SWATCHER_AVX2 Gradients4 Broadcast(Gradient g) {
    return {_mm256_set1_pd(g.x), _mm256_set1_pd(g.y)};
}

// Lanes where a + b, rounded to sum, was exact: TwoSum's error is zero.
SWATCHER_AVX2 __m256d SumExact(__m256d a, __m256d b, __m256d sum) {
    const __m256d bb = _mm256_sub_pd(sum, a);
    const __m256d error =
        _mm256_add_pd(_mm256_sub_pd(a, _mm256_sub_pd(sum, bb)), _mm256_sub_pd(b, bb));
    return _mm256_cmp_pd(error, _mm256_setzero_pd(), _CMP_EQ_OQ);
}

SWATCHER_AVX2 __m256d DifferenceExact(__m256d a, __m256d b, __m256d difference) {
    return SumExact(a, _mm256_xor_pd(b, _mm256_set1_pd(-0.0)), difference);
}

SWATCHER_AVX2 __m256d ProductExact(__m256d a, __m256d b, __m256d product) {
    return _mm256_cmp_pd(_mm256_fmsub_pd(a, b, product), _mm256_setzero_pd(), _CMP_EQ_OQ);
}

// x rounded to float, and the lanes where a value within margin of x may round
// to another float, unless x is known exact.
struct SureFloats {
    __m128 value;
    int unsure;
};

SWATCHER_AVX2 SureFloats SureFloatsOf(__m256d x, __m256d margin, __m256d exact) {
    const __m128 low = _mm256_cvtpd_ps(_mm256_sub_pd(x, margin));
    const __m128 high = _mm256_cvtpd_ps(_mm256_add_pd(x, margin));
    const int sure = _mm_movemask_ps(_mm_cmpeq_ps(low, high)) | _mm256_movemask_pd(exact);
    return {_mm256_cvtpd_ps(x), ~sure & 15};
}

SWATCHER_AVX2 __m256d Abs(__m256d x) {
    return _mm256_andnot_pd(_mm256_set1_pd(-0.0), x);
}

// One octave's chain in double lanes, every step kept so that its exactness
// can be checked.
struct Chain4 {
    __m256d d10a, d10b, d10, d11a, d11b, d11, m1, m2, a, n1, n2, b, k1, k2, v, w1, w2, w3, sum;
};

// The products of a fraction and a gradient component are exact.
SWATCHER_AVX2 Chain4 ChainOf4(const Gradients4& g10, const Gradients4& g11, __m256d d00,
                              __m256d d01, __m256d fx1, __m256d fy, __m256d fy1, __m256d s,
                              __m256d sy, __m256d amp, __m256d out) {
    Chain4 c;
    c.d10a = _mm256_mul_pd(fx1, g10.x), c.d10b = _mm256_mul_pd(fy, g10.y);
    c.d10 = _mm256_add_pd(c.d10a, c.d10b);
    c.d11a = _mm256_mul_pd(fx1, g11.x), c.d11b = _mm256_mul_pd(fy1, g11.y);
    c.d11 = _mm256_add_pd(c.d11a, c.d11b);
    c.m1 = _mm256_sub_pd(c.d10, d00), c.m2 = _mm256_mul_pd(c.m1, s), c.a = _mm256_add_pd(d00, c.m2);
    c.n1 = _mm256_sub_pd(c.d11, d01), c.n2 = _mm256_mul_pd(c.n1, s), c.b = _mm256_add_pd(d01, c.n2);
    c.k1 = _mm256_sub_pd(c.b, c.a), c.k2 = _mm256_mul_pd(c.k1, sy), c.v = _mm256_add_pd(c.a, c.k2);
    c.w1 = _mm256_add_pd(c.v, _mm256_set1_pd(1)), c.w2 = _mm256_mul_pd(c.w1, _mm256_set1_pd(0.5));
    c.w3 = _mm256_mul_pd(c.w2, amp), c.sum = _mm256_add_pd(out, c.w3);
    return c;
}

// Lanes where every step of the chain was exact, so that the extended chain,
// doing the same steps wider, has the same values. The chain is worked out
// again rather than kept, which keeps the common path in registers.
SWATCHER_AVX2 __m256d ChainExact(const Gradients4& g10, const Gradients4& g11, __m256d d00,
                                 __m256d d01, __m256d fx1, __m256d fy, __m256d fy1, __m256d s,
                                 __m256d sy, __m256d amp, __m256d out) {
    const Chain4 c = ChainOf4(g10, g11, d00, d01, fx1, fy, fy1, s, sy, amp, out);
    const __m256d sums[] = {SumExact(c.d10a, c.d10b, c.d10),
                            SumExact(c.d11a, c.d11b, c.d11),
                            DifferenceExact(c.d10, d00, c.m1),
                            ProductExact(c.m1, s, c.m2),
                            SumExact(d00, c.m2, c.a),
                            DifferenceExact(c.d11, d01, c.n1),
                            ProductExact(c.n1, s, c.n2),
                            SumExact(d01, c.n2, c.b),
                            DifferenceExact(c.b, c.a, c.k1),
                            ProductExact(c.k1, sy, c.k2),
                            SumExact(c.a, c.k2, c.v),
                            SumExact(c.v, _mm256_set1_pd(1), c.w1),
                            ProductExact(c.w1, _mm256_set1_pd(0.5), c.w2),
                            ProductExact(c.w2, amp, c.w3),
                            SumExact(out, c.w3, c.sum)};
    __m256d exact = sums[0];
    for (const __m256d& e : sums) exact = _mm256_and_pd(exact, e);
    return exact;
}

// OctavePixel for four columns at a time in double lanes; returns the columns
// done. The fractions are multiples of 1/cell with cell a power of two at most
// 8192 (the only cells whose fractions are doubles), so every product of a
// fraction and a float gradient is an exact double, and the sum of two rounds
// once, within 2^-53 of its size as against 2^-64 for the extended sum: where
// the sum was exact, or everything within |x|·2^-51 of it rounds to one float,
// d00 and d01 are the plain code's. The rest of the chain works on values of
// size at most 4 (|f|, |g|, s <= 1), so it stays within (32 + |out|)·2^-53 of
// the extended chain: where everything within (|out| + 4)·2^-46 of the double
// sum rounds to one float, the extended sum rounds to it too. Lanes that fail
// this are mostly sums exactly halfway between floats; where every step was
// exact they are the extended values too. Others take the plain code.
SWATCHER_AVX2 int AddRowAvx2(const CellPosition& py, const Gradient* top, const Gradient* bottom,
                             const ColumnPlanes& planes, const std::vector<Column<double>>& columns,
                             float amp, int W, float* out) {
    const __m256d fy = _mm256_set1_pd(platform::dbl(py.f));
    const __m256d fy1 = _mm256_set1_pd(platform::dbl(py.fMinus1));
    const __m256d sy = _mm256_set1_pd(platform::dbl(py.s));
    const __m256d ampd = _mm256_set1_pd(amp), relative = _mm256_set1_pd(0x1p-51);
    int x = 0;
    for (; x + 4 <= W; x += 4) {
        const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&planes.c0[x]));
        const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&planes.c1[x]));
        // Cells of four columns or more hold all four lanes (x is a multiple
        // of four): their gradients are the same for every lane.
        const int first = planes.c0[x];
        const bool oneCell = first == planes.c0[x + 3];
        const Gradients4 g00 = oneCell ? Broadcast(top[first]) : Gather4(top, c0);
        const Gradients4 g01 = oneCell ? Broadcast(bottom[first]) : Gather4(bottom, c0);
        const Gradients4 g10 = oneCell ? Broadcast(top[planes.c1[x]]) : Gather4(top, c1);
        const Gradients4 g11 = oneCell ? Broadcast(bottom[planes.c1[x]]) : Gather4(bottom, c1);
        const __m256d f = _mm256_loadu_pd(&planes.f[x]), s = _mm256_loadu_pd(&planes.s[x]);
        const __m256d fx1 = _mm256_loadu_pd(&planes.fMinus1[x]);
        const __m256d p00 = _mm256_mul_pd(fy, g00.y), q00 = _mm256_mul_pd(f, g00.x);
        const __m256d p01 = _mm256_mul_pd(fy1, g01.y), q01 = _mm256_mul_pd(f, g01.x);
        const __m256d e00 = _mm256_add_pd(p00, q00), e01 = _mm256_add_pd(p01, q01);
        const SureFloats d00 =
            SureFloatsOf(e00, _mm256_mul_pd(Abs(e00), relative), SumExact(p00, q00, e00));
        const SureFloats d01 =
            SureFloatsOf(e01, _mm256_mul_pd(Abs(e01), relative), SumExact(p01, q01, e01));
        const __m256d d00d = _mm256_cvtps_pd(d00.value), d01d = _mm256_cvtps_pd(d01.value);
        const __m128 before = _mm_loadu_ps(out + x);
        const __m256d o = _mm256_cvtps_pd(before);
        const __m256d sum = ChainOf4(g10, g11, d00d, d01d, fx1, fy, fy1, s, sy, ampd, o).sum;
        const __m256d margin =
            _mm256_mul_pd(_mm256_add_pd(Abs(o), _mm256_set1_pd(4)), _mm256_set1_pd(0x1p-46));
        SureFloats result = SureFloatsOf(sum, margin, _mm256_setzero_pd());
        if (result.unsure)
            result = SureFloatsOf(sum, margin,
                                  ChainExact(g10, g11, d00d, d01d, fx1, fy, fy1, s, sy, ampd, o));
        _mm_storeu_ps(out + x, result.value);
        alignas(16) float original[4];
        _mm_store_ps(original, before);
        for (int unsure = d00.unsure | d01.unsure | result.unsure; unsure; unsure &= unsure - 1) {
            const int k = __builtin_ctz(unsure);
            out[x + k] = OctavePixel(py, top, bottom, columns[x + k], amp, original[k]);
        }
    }
    return x;
}
#endif

// Adds one octave to the accumulator rows; planes, when given, send whole rows
// of double terms to the vector path.
template <class Real>
void AddRows(const Lattice& lattice, const std::vector<Column<Real>>& columns,
             [[maybe_unused]] const ColumnPlanes* planes, int cell, float amp, int W, int H,
             float* acc) {
    // Each accumulator row depends on its own position and the lattice only.
    ForEachRow(H, RowOrder::kAnyOrder, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const CellPosition py = PositionOf(y, cell);
            const Gradient* top = lattice.Row(py.cell);
            const Gradient* bottom = lattice.Row(py.cell + 1);
            float* out = acc + static_cast<size_t>(y) * W;
            int x = 0;
#if defined(__x86_64__)
            if constexpr (std::is_same_v<Real, double>)
                if (planes && RowIsDouble(py))
                    x = AddRowAvx2(py, top, bottom, *planes, columns, amp, W, out);
#endif
            for (; x < W; ++x) out[x] = OctavePixel(py, top, bottom, columns[x], amp, out[x]);
        }
    });
}

// Adds one octave of the given cell size and weight to the accumulator.
void AddOctave(const Lattice& lattice, int cell, float amp, int W, int H, float* acc) {
    std::vector<Column<long double>> columns(W);
    bool doubles = true;
    for (int x = 0; x < W; ++x) {
        const CellPosition pos = PositionOf(x, cell);
        columns[x] = {pos.f, pos.s, platform::single(pos.fMinus1), lattice.Column(pos.cell),
                      lattice.Column(pos.cell + 1)};
        doubles = doubles && platform::dbl(pos.f) == pos.f && platform::dbl(pos.s) == pos.s;
    }
    if (!doubles) return AddRows(lattice, columns, nullptr, cell, amp, W, H, acc);
    // With a power-of-two cell, f and the smoothstep have few bits and are
    // doubles exactly, which load faster than extended values.
    std::vector<Column<double>> narrow(W);
    for (int x = 0; x < W; ++x) {
        const Column<long double>& c = columns[x];
        narrow[x] = {platform::dbl(c.f), platform::dbl(c.s), c.fMinus1, c.c0, c.c1};
    }
    if (platform::ActiveSimd() < platform::SimdLevel::Avx2)
        return AddRows(lattice, narrow, nullptr, cell, amp, W, H, acc);
    const ColumnPlanes planes = PlanesOf(narrow);
    AddRows(lattice, narrow, &planes, cell, amp, W, H, acc);
}

// The level of accumulator value i into pixel i, which holds that value.
void PutLevel(const float* acc, size_t i, const ChannelMask& mask, uint8_t* pixels) {
    const long double s = acc[i] * 255.0L;
    mask.Put(pixels + 4 * i, static_cast<uint8_t>(platform::TruncToInt(s)));
}

#if defined(__x86_64__)
// PutLevel for values [i, end) eight at a time; returns where it stopped. A
// float times 255 is exact in double (24 + 8 bits) and well inside the int32
// range (the accumulator stays below 16 · 1.5), so truncating it gives the
// same whole number; its low byte goes to the chosen bytes, 0 to the others.
SWATCHER_AVX2 size_t PutLevelsAvx2(const float* acc, size_t i, size_t end, const ChannelMask& mask,
                                   uint8_t* pixels) {
    const __m256i chosen = _mm256_set1_epi32(mask.byte[0] | mask.byte[1] << 8 | mask.byte[2] << 16);
    const __m256d scale = _mm256_set1_pd(255);
    for (; i + 8 <= end; i += 8) {
        const __m256 x = _mm256_loadu_ps(acc + i);
        const __m128i low =
            _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_castps256_ps128(x)), scale));
        const __m128i high =
            _mm256_cvttpd_epi32(_mm256_mul_pd(_mm256_cvtps_pd(_mm256_extractf128_ps(x, 1)), scale));
        const __m256i level = _mm256_and_si256(_mm256_set_m128i(high, low), _mm256_set1_epi32(255));
        const __m256i pixel =
            _mm256_and_si256(_mm256_mullo_epi32(level, _mm256_set1_epi32(0x010101)), chosen);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels + 4 * i), pixel);
    }
    return i;
}
#endif

}  // namespace

namespace perlin {

Gradient GradientOf(float a, float b) {
    // Both draws 0 would make 0/0; such a gradient is simply flat.
    if (a == 0 && b == 0) return {0, 0};
    const double len = std::sqrt(
        static_cast<double>(static_cast<long double>(b) * b + static_cast<long double>(a) * a));
    return {platform::single(a / static_cast<long double>(len)),
            platform::single(b / static_cast<long double>(len))};
}

}  // namespace perlin

namespace {

enum Slot { kGrid, kPersistence, kOctaves, kColor, kRandom, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Grid", 0, 16, 4),    param::Int("Persistence", 0, 255, 127),
    param::Int("Octaves", 1, 16, 4), param::Choice("Color", kChannelOptions),
    param::Int("Random", 0, 255, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

ND_Perlin::ND_Perlin(int width, int height)
    : Node("Perlin noise", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

void ND_Perlin::Compute() {
    const int W = image->width;
    const int H = image->height;
    // The octaves add up in the image's own pixels, a float in each, which the
    // last pass turns into the pixel in place: no buffer of the image's size
    // to map on every render. Zeroed in bands, which goes faster on every core.
    static_assert(sizeof(float) == sizeof(*image->pixels));
    float* const acc = reinterpret_cast<float*>(image->pixels);
    ForEachRow(H, RowOrder::kAnyOrder, [&](int y0, int y1) {
        std::fill(acc + static_cast<size_t>(y0) * W, acc + static_cast<size_t>(y1) * W, 0.0f);
    });
    const ChannelMask mask = ChannelMask::FromChoice(value(kColor));
    platform::srand(value(kRandom));
    const int octaves = value(kOctaves);
    const float p = platform::single(value(kPersistence) * static_cast<long double>(kF255));
    int cell = platform::TruncToInt(std::pow(2.0, value(kGrid)));
    cell = std::min({cell, W, H});

    float amp = p;
    for (int k = 0; k < octaves && cell >= 1; ++k) {
        const Lattice lattice(W / cell + 1);
        AddOctave(lattice, cell, amp, W, H, acc);
        amp = platform::single(static_cast<long double>(amp) * p);
        cell /= 2;
    }

    [[maybe_unused]] const bool avx2 = platform::ActiveSimd() >= platform::SimdLevel::Avx2;
    ForEachRow(H, RowOrder::kAnyOrder, [&](int y0, int y1) {
        size_t i = static_cast<size_t>(y0) * W;
        const size_t end = static_cast<size_t>(y1) * W;
#if defined(__x86_64__)
        if (avx2) i = PutLevelsAvx2(acc, i, end, mask, image->bytes());
#endif
        for (; i < end; ++i) PutLevel(acc, i, mask, image->bytes());
    });
}
