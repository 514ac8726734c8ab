#include "nodes/filters/Emboss.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>
#include <memory>
#include <vector>

#include "engine/RowBands.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr double kInverseRootOfThree = 0.5773502717125849;  // flat relief (128,128,128) -> 128

// Right column minus left column of the 3 x 3 neighbourhood, around mid grey.
int Relief(const uint8_t* const left[3], const uint8_t* const right[3], int c) {
    const int sum =
        128 - left[0][c] - left[1][c] - left[2][c] + right[0][c] + right[1][c] + right[2][c];
    return std::clamp(sum, 0, 255);
}

// The relief's strength n for every sum of squares of three levels: 128 for
// a flat area, at most 255. It depends on nothing else, so it is built once.
const std::vector<uint8_t>& StrengthTable() {
    static const std::vector<uint8_t> table = [] {
        // Three bytes more than the sums, so that a 32-bit load reads the last.
        std::vector<uint8_t> strengths(3 * 255 * 255 + 1 + 3);
        for (size_t sum = 0; sum <= 3 * 255 * 255; ++sum) {
            const long double scaled = sqrtl(sum) * static_cast<long double>(kInverseRootOfThree);
            strengths[sum] = static_cast<uint8_t>(std::min(platform::TruncToInt(scaled), 255));
        }
        return strengths;
    }();
    return table;
}

// Darkens (v < 128) or lightens (v >= 128) the source level a.
int Shaded(int a, int v) {
    if (v < 128) return std::max(a - ((127 - v) * a) / 127, 0);
    return std::min(a + ((255 - a) * (v - 128)) / 127, 255);
}

enum Slot { kShade, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Shade", 0, 555, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

Emboss::Emboss(int width, int height) : Node("Emboss + Shade", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

// A source that is this node's own image is read while writing, pixel by
// pixel in row order, and gives what that order gives: the plain loop.
void Emboss::Compute() {
    const Image& source = *inputImages[0];
    const bool inPlace = &source == image.get();
    const int shade = value(kShade);
    if (!inPlace) return emboss::Render(source, *image, shade);
    ForEachRow(image->height, RowOrder::kInOrder,
               [&](int y0, int y1) { emboss::plain::Rows(source, *image, shade, y0, y1); });
}

namespace emboss {
namespace {

// The three rows around y, wrapping at the top and bottom.
struct Neighbourhood {
    Neighbourhood(const Image& source, int y) {
        const size_t stride = 4 * static_cast<size_t>(source.width);
        const int h = source.height;
        const uint8_t* bytes = source.bytes();
        rows[0] = bytes + stride * (y == 0 ? h - 1 : y - 1);
        rows[1] = bytes + stride * y;
        rows[2] = bytes + stride * (y + 1 == h ? 0 : y + 1);
    }
    const uint8_t* rows[3];
};

void Pixel(const Neighbourhood& n, int w, int x, const std::vector<uint8_t>* strengths, int shade,
           uint8_t* out) {
    const int xl = 4 * (x == 0 ? w - 1 : x - 1);
    const int xr = 4 * (x + 1 == w ? 0 : x + 1);
    const uint8_t* left[3] = {n.rows[0] + xl, n.rows[1] + xl, n.rows[2] + xl};
    const uint8_t* right[3] = {n.rows[0] + xr, n.rows[1] + xr, n.rows[2] + xr};
    int result[3];
    for (int c = 0; c < 3; ++c) result[c] = Relief(left, right, c);
    const uint8_t* centre = n.rows[1] + 4 * x;
    if (strengths) {
        const int sum = result[0] * result[0] + result[1] * result[1] + result[2] * result[2];
        const int d = ((shade / 2) * ((*strengths)[sum] - 128)) / 128;
        for (int c = 0; c < 3; ++c) result[c] = Shaded(centre[c], 128 + d);
    }
    for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(result[c]);
    out[3] = centre[0];  // read after the colour bytes are written
}

const std::vector<uint8_t>* StrengthsFor(int shade) {
    return shade > 0 ? &StrengthTable() : nullptr;
}

uint8_t* RowOf(Image& target, int y) {
    return target.bytes() + 4 * static_cast<size_t>(target.width) * y;
}

#if defined(__SSE2__)
// Column sums of four neighbouring pixels from pixel x on, per byte, in
// 16-bit lanes: at most 3 x 255.
void ColumnSums(const Neighbourhood& n, int x, __m128i& low, __m128i& high) {
    const __m128i zero = _mm_setzero_si128();
    low = high = zero;
    for (const uint8_t* row : n.rows) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + 4 * x));
        low = _mm_add_epi16(low, _mm_unpacklo_epi8(v, zero));
        high = _mm_add_epi16(high, _mm_unpackhi_epi8(v, zero));
    }
}

// The relief of four pixels from x on, none at an edge, in the colour bytes
// (byte 3 of each pixel is 0). Exact: the relief is integer arithmetic within
// 16 bits (-637 .. 893), and the saturating pack is the clamp to 0 .. 255.
__m128i FourReliefs(const Neighbourhood& n, int x) {
    __m128i leftLow, leftHigh, rightLow, rightHigh;
    ColumnSums(n, x - 1, leftLow, leftHigh);
    ColumnSums(n, x + 1, rightLow, rightHigh);
    const __m128i grey = _mm_set1_epi16(128);
    const __m128i low = _mm_sub_epi16(_mm_add_epi16(grey, rightLow), leftLow);
    const __m128i high = _mm_sub_epi16(_mm_add_epi16(grey, rightHigh), leftHigh);
    return _mm_and_si128(_mm_packus_epi16(low, high), _mm_set1_epi32(0x00FFFFFF));
}
#endif

// The shaded level of every source level for every relief strength, for one
// Shade value: Shaded(a, 128 + d) depends on the strength and a alone.
class ShadeLevels {
public:
    explicit ShadeLevels(int shade) {
        for (int strength = 0; strength < 256; ++strength) {
            const int d = ((shade / 2) * (strength - 128)) / 128;
            for (int a = 0; a < 256; ++a)
                levels_[256 * strength + a] = static_cast<uint8_t>(Shaded(a, 128 + d));
        }
    }
    const uint8_t* operator[](int strength) const { return &levels_[256 * strength]; }

private:
    // By strength, then level; three bytes more, so that a 32-bit load reads the last.
    std::array<uint8_t, 256 * 256 + 3> levels_{};
};

#if defined(__x86_64__)
// Shaded(a, 128 + d) in eight 32-bit lanes. With dark = d < 0, Shaded takes
// a - (m * a) / 127 with m = -1 - d = ~d, or else a + (m * (255 - a)) / 127
// with m = d, and limits it to a byte. The numerators are whole numbers below
// 300 * 255; their float product with the float nearest 1/127 truncates to
// the integer quotient for each of them, which a test checks.
__attribute__((target("avx2"))) __m256i ShadedLevels(__m256i a, __m256i d) {
    const __m256i dark = _mm256_cmpgt_epi32(_mm256_setzero_si256(), d);
    const __m256i m = _mm256_xor_si256(d, dark);
    const __m256i base = _mm256_xor_si256(a, _mm256_andnot_si256(dark, _mm256_set1_epi32(255)));
    const __m256 numerator = _mm256_cvtepi32_ps(_mm256_mullo_epi32(m, base));
    const __m256i q =
        _mm256_cvttps_epi32(_mm256_mul_ps(numerator, _mm256_set1_ps(emboss::kOneOver127)));
    const __m256i level = _mm256_add_epi32(a, _mm256_sub_epi32(_mm256_xor_si256(q, dark), dark));
    return _mm256_min_epi32(_mm256_max_epi32(level, _mm256_setzero_si256()),
                            _mm256_set1_epi32(255));
}

// FourReliefs for eight pixels from x on, none at an edge: 128 plus the right
// column less the left, row by row, the same integers within 16 bits. Unpacking
// and packing both work within 128-bit halves, so the order is kept.
__attribute__((target("avx2"))) __m256i EightReliefs(const Neighbourhood& n, int x) {
    const __m256i zero = _mm256_setzero_si256();
    __m256i low = _mm256_set1_epi16(128), high = low;
    for (const uint8_t* row : n.rows) {
        const __m256i left = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * x - 4));
        const __m256i right = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row + 4 * x + 4));
        low = _mm256_sub_epi16(_mm256_add_epi16(low, _mm256_unpacklo_epi8(right, zero)),
                               _mm256_unpacklo_epi8(left, zero));
        high = _mm256_sub_epi16(_mm256_add_epi16(high, _mm256_unpackhi_epi8(right, zero)),
                                _mm256_unpackhi_epi8(left, zero));
    }
    return _mm256_and_si256(_mm256_packus_epi16(low, high), _mm256_set1_epi32(0x00FFFFFF));
}

// Eight shaded pixels from x on, none at an edge, as FourPixels shades them:
// the reliefs, their sums of squares in 32-bit lanes, the strength by one
// gather of bytes (32-bit loads, the low byte kept), then d = ((shade / 2) *
// (strength - 128)) / 128 truncated toward zero, and the three shaded levels.
// The alpha byte is the centre's first byte.
__attribute__((target("avx2"))) void EightShaded(const Neighbourhood& n, int x, int shade,
                                                 const uint8_t* strengths, uint8_t* out) {
    const __m256i relief = EightReliefs(n, x);
    const __m256i byte = _mm256_set1_epi32(255);
    __m256i sum = _mm256_setzero_si256();
    for (int c = 0; c < 3; ++c) {
        const __m256i r = _mm256_and_si256(_mm256_srli_epi32(relief, 8 * c), byte);
        sum = _mm256_add_epi32(sum, _mm256_mullo_epi32(r, r));
    }
    const __m256i strength = _mm256_and_si256(
        _mm256_i32gather_epi32(reinterpret_cast<const int*>(strengths), sum, 1), byte);
    const __m256i product = _mm256_mullo_epi32(_mm256_set1_epi32(shade / 2),
                                               _mm256_sub_epi32(strength, _mm256_set1_epi32(128)));
    const __m256i towardZero =
        _mm256_and_si256(_mm256_srai_epi32(product, 31), _mm256_set1_epi32(127));
    const __m256i d = _mm256_srai_epi32(_mm256_add_epi32(product, towardZero), 7);
    const __m256i centre = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(n.rows[1] + 4 * x));
    __m256i shaded = _mm256_slli_epi32(centre, 24);
    for (int c = 0; c < 3; ++c) {
        const __m256i a = _mm256_and_si256(_mm256_srli_epi32(centre, 8 * c), byte);
        shaded = _mm256_or_si256(shaded, _mm256_slli_epi32(ShadedLevels(a, d), 8 * c));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 4 * x), shaded);
}
#endif

#if defined(__SSE2__)
// Four pixels from x on; shaded through the tables when `levels` is given.
// The alpha byte is the centre's first byte, as the plain loop writes it when
// source and target differ.
void FourPixels(const Neighbourhood& n, int x, const ShadeLevels* levels, uint8_t* out) {
    const __m128i relief = FourReliefs(n, x);
    const uint8_t* centre = n.rows[1] + 4 * x;
    if (!levels) {
        const __m128i alpha =
            _mm_slli_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(centre)), 24);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 4 * x), _mm_or_si128(relief, alpha));
        return;
    }
    alignas(16) uint8_t r[16];
    _mm_store_si128(reinterpret_cast<__m128i*>(r), relief);
    const std::vector<uint8_t>& strengths = StrengthTable();
    for (int i = 0; i < 16; i += 4) {
        const uint8_t* shaded =
            (*levels)[strengths[r[i] * r[i] + r[i + 1] * r[i + 1] + r[i + 2] * r[i + 2]]];
        uint8_t* o = out + 4 * x + i;
        for (int c = 0; c < 3; ++c) o[c] = shaded[centre[i + c]];
        o[3] = centre[i];
    }
}
#endif

}  // namespace

void plain::Rows(const Image& source, Image& target, int shade, int y0, int y1) {
    const std::vector<uint8_t>* strengths = StrengthsFor(shade);
    const int w = target.width;
    for (int y = y0; y < y1; ++y) {
        const Neighbourhood n(source, y);
        uint8_t* out = RowOf(target, y);
        for (int x = 0; x < w; ++x) Pixel(n, w, x, strengths, shade, out + 4 * x);
    }
}

void Render(const Image& source, Image& target, int shade) {
    const std::vector<uint8_t>* strengths = StrengthsFor(shade);
    const int w = target.width;
    [[maybe_unused]] const bool vector = platform::ActiveSimd() != platform::SimdLevel::Plain;
    [[maybe_unused]] const bool avx2 = platform::ActiveSimd() >= platform::SimdLevel::Avx2;
    // The AVX2 steps shade without the tables and leave the last pixels of a
    // row to the plain loop, so only SSE2 builds the tables.
    const bool eightShaded = avx2 && shade > 0;
    const std::unique_ptr<ShadeLevels> levels =
        shade > 0 && vector && !eightShaded ? std::make_unique<ShadeLevels>(shade) : nullptr;
    [[maybe_unused]] const bool fourPixels = vector && (shade == 0 || levels);
    ForEachRow(target.height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const Neighbourhood n(source, y);
            uint8_t* out = RowOf(target, y);
            int x = 0;
            Pixel(n, w, x++, strengths, shade, out);
#if defined(__SSE2__)
#if defined(__x86_64__)
            if (eightShaded)
                for (; x + 8 < w; x += 8) EightShaded(n, x, shade, strengths->data(), out);
#endif
            if (fourPixels)
                for (; x + 4 < w; x += 4) FourPixels(n, x, levels.get(), out);  // up to pixel x + 4
#endif
            for (; x < w; ++x) Pixel(n, w, x, strengths, shade, out + 4 * x);
        }
    });
}

}  // namespace emboss
