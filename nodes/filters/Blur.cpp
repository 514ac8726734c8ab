#include "nodes/filters/Blur.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// Looking the output byte up keeps the per-pixel cost at one subtraction, one
// addition and one load whatever the radius.
std::vector<uint8_t> blur::ScaleTable(int radius, double factor) {
    const int maxSum = 255 * (2 * radius + 1);
    std::vector<uint8_t> table(maxSum + 1);
    for (int sum = 0; sum <= maxSum; ++sum) {
        const double product = platform::dbl(static_cast<long double>(sum) * factor);
        table[sum] = static_cast<uint8_t>(platform::TruncToInt(product));
    }
    return table;
}

// A float below 1 is F × 2^-k with F < 2^24 and k <= 32, so this is exact.
uint32_t blur::VerticalMultiplier(float factor) {
    return static_cast<uint32_t>(static_cast<double>(factor) * 4294967296.0);
}

uint32_t blur::HorizontalMultiplier(int radius) {
    const uint64_t n = 2 * radius + 1;
    return static_cast<uint32_t>(((uint64_t{1} << 32) + n - 1) / n);
}

bool blur::MultipliesLikeTable(const std::vector<uint8_t>& table, uint32_t m) {
    for (uint64_t sum = 0; sum < table.size(); ++sum)
        if ((sum * m) >> 32 != table[sum]) return false;
    return true;
}

namespace {

#if defined(__SSE2__)
// Sixteen running sums scaled by (sum × m) >> 32 and packed to bytes.
__m128i ScaleSixteen(const __m128i sums[4], __m128i multiplier) {
    const __m128i highHalves = _mm_set_epi32(-1, 0, -1, 0);
    __m128i scaled[4];
    for (int q = 0; q < 4; ++q) {
        // Sums are non-negative, so the unsigned 32 x 32 -> 64 products are exact.
        const __m128i even = _mm_srli_epi64(_mm_mul_epu32(sums[q], multiplier), 32);
        const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(sums[q], 32), multiplier);
        scaled[q] = _mm_or_si128(even, _mm_and_si128(odd, highHalves));
    }
    return _mm_packus_epi16(_mm_packs_epi32(scaled[0], scaled[1]),
                            _mm_packs_epi32(scaled[2], scaled[3]));
}

// Sixteen bytes of the vertical pass: running sums updated and scaled.
// sum × float factor is exact as a double (17 + 24 bits), so the table holds
// floor(sum × F × 2^-k) = (sum × m) >> 32 with m = VerticalMultiplier.
void BlurSixteen(const uint8_t* entering, const uint8_t* leaving, int32_t* sum, uint8_t* out,
                 __m128i multiplier) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(entering));
    const __m128i off = _mm_loadu_si128(reinterpret_cast<const __m128i*>(leaving));
    const __m128i in16[2] = {_mm_unpacklo_epi8(in, zero), _mm_unpackhi_epi8(in, zero)};
    const __m128i off16[2] = {_mm_unpacklo_epi8(off, zero), _mm_unpackhi_epi8(off, zero)};
    __m128i sums[4];
    for (int q = 0; q < 4; ++q) {
        const __m128i in32 =
            q % 2 ? _mm_unpackhi_epi16(in16[q / 2], zero) : _mm_unpacklo_epi16(in16[q / 2], zero);
        const __m128i off32 =
            q % 2 ? _mm_unpackhi_epi16(off16[q / 2], zero) : _mm_unpacklo_epi16(off16[q / 2], zero);
        __m128i* lanes = reinterpret_cast<__m128i*>(sum + 4 * q);
        sums[q] = _mm_add_epi32(_mm_loadu_si128(lanes), _mm_sub_epi32(in32, off32));
        _mm_storeu_si128(lanes, sums[q]);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), ScaleSixteen(sums, multiplier));
}

#endif

// One row of the horizontal pass: a running sum over 2·r + 1 columns that
// wraps around the row's ends, all four bytes of a pixel alike.
void BlurRow(const uint8_t* src, uint8_t* dst, int width, int r, const uint8_t* scale) {
    int32_t sum[4] = {0, 0, 0, 0};
    auto addColumn = [&](int col) {
        for (int c = 0; c < 4; ++c) sum[c] += src[4 * col + c];
    };
    for (int j = width - 1 - r; j < width; ++j) addColumn(j);
    for (int j = 0; j < r; ++j) addColumn(j);
    for (int x = 0; x < width; ++x) {
        const int leaving = x <= r ? x - r - 1 + width : x - r - 1;
        const int entering = x + r >= width ? x + r - width : x + r;
        for (int c = 0; c < 4; ++c) {
            sum[c] += src[4 * entering + c] - src[4 * leaving + c];
            dst[4 * x + c] = scale[sum[c]];
        }
    }
}

#if defined(__SSE2__)
// A pixel's four bytes widened to 32-bit lanes.
__m128i Widen(const uint8_t* pixel) {
    int32_t bytes;
    std::memcpy(&bytes, pixel, 4);
    const __m128i zero = _mm_setzero_si128();
    return _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero);
}

// BlurRow with the four sums of a pixel in one register and the table replaced
// by a multiplier that reproduces every entry (blur::MultipliesLikeTable), four
// pixels at a time.
void BlurRowMultiplying(const uint8_t* src, uint8_t* dst, int width, int r, uint32_t m) {
    __m128i sum = _mm_setzero_si128();
    for (int j = width - 1 - r; j < width; ++j) sum = _mm_add_epi32(sum, Widen(src + 4 * j));
    for (int j = 0; j < r; ++j) sum = _mm_add_epi32(sum, Widen(src + 4 * j));
    const __m128i multiplier = _mm_set1_epi64x(m);
    __m128i sums[4];
    int x = 0;
    const auto step = [&] {
        const int leaving = x <= r ? x - r - 1 + width : x - r - 1;
        const int entering = x + r >= width ? x + r - width : x + r;
        sum =
            _mm_add_epi32(sum, _mm_sub_epi32(Widen(src + 4 * entering), Widen(src + 4 * leaving)));
    };
    for (; x + 4 <= width;) {
        for (int q = 0; q < 4; ++q, ++x) {
            step();
            sums[q] = sum;
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 4 * (x - 4)),
                         ScaleSixteen(sums, multiplier));
    }
    for (; x < width; ++x) {
        step();
        sums[0] = sums[1] = sums[2] = sums[3] = sum;
        const int32_t bytes = _mm_cvtsi128_si32(ScaleSixteen(sums, multiplier));
        std::memcpy(dst + 4 * x, &bytes, 4);
    }
}

#endif

// Row y wrapped into 0 .. height - 1, for y >= -2 * height.
int WrapRow(int y, int height) {
    return (y + 2 * height) % height;
}

// The vertical pass over bytes [i0, i1) of every row, all rows. It keeps one
// running sum per byte column and walks the rows in memory order, which gives
// the same sums as walking each column; each column's sum is its own, so a
// slab of columns needs only its own window primed once. With `vector`,
// sixteen bytes at a time run in SSE2 (see BlurSixteen).
void BlurColumns(const Image& src, Image& dst, int r, [[maybe_unused]] float factor,
                 const uint8_t* scale, size_t i0, size_t i1, [[maybe_unused]] bool vector) {
    const int height = src.height;
    // A radius of 0 has a factor of 1: each byte its own sum.
    if (r == 0) {
        for (int y = 0; y < height; ++y)
            std::memcpy(dst.pixel(0, y) + i0, src.pixel(0, y) + i0, i1 - i0);
        return;
    }
    const size_t count = i1 - i0;
    std::vector<int32_t> sum(count, 0);
    for (int j = -1 - r; j < r; ++j) {
        const uint8_t* p = src.pixel(0, WrapRow(j, height)) + i0;
        for (size_t i = 0; i < count; ++i) sum[i] += p[i];
    }
#if defined(__SSE2__)
    const __m128i multiplier = _mm_set1_epi64x(blur::VerticalMultiplier(factor));
#endif
    for (int y = 0; y < height; ++y) {
        const uint8_t* leaving = src.pixel(0, WrapRow(y - r - 1, height)) + i0;
        const uint8_t* entering = src.pixel(0, WrapRow(y + r, height)) + i0;
        uint8_t* out = dst.pixel(0, y) + i0;
        size_t i = 0;
#if defined(__SSE2__)
        if (vector)
            for (; i + 16 <= count; i += 16)
                BlurSixteen(entering + i, leaving + i, &sum[i], out + i, multiplier);
#endif
        for (; i < count; ++i) {
            sum[i] += entering[i] - leaving[i];
            out[i] = scale[sum[i]];
        }
    }
}

// A multiple of 16, for the vector steps.
constexpr size_t kSlabBytes = 1024;

enum Slot { kAmountH, kAmountV, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Amount H", 0, 255, 0),
    param::Int("Amount V", 0, 255, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

Blur::Blur(int width, int height) : Node("Blur", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

void Blur::Compute() {
    const int width = image->width, height = image->height;
    // A radius reaching the image size would wrap the window onto itself more
    // than once; clipping keeps every wrapped index inside the row or column.
    const int rh = std::min<int>(value(kAmountH), width - 1);
    const int rv = std::min<int>(value(kAmountV), height - 1);
    const double fh = platform::dbl(1.0L / (2 * rh + 1));
    const float fv = platform::single(1.0L / (2 * rv + 1));
    // Without room for the horizontal result the image keeps its old content
    // (Image::Create has logged the failure).
    if (auto temp = Image::Create(width, height)) {
        const Image& source = *inputImages[0];
        const std::vector<uint8_t> scaleH = blur::ScaleTable(rh, fh);
        const uint32_t mh = rh > 0 ? blur::HorizontalMultiplier(rh) : 0;
        const bool vector = platform::ActiveSimd() != platform::SimdLevel::Plain;
        [[maybe_unused]] const bool multiply =
            vector && rh > 0 && blur::MultipliesLikeTable(scaleH, mh);
        // The passes write only what they do not read, even when the source is
        // this node's own image, so their rows are independent.
        ForEachRow(height, RowOrder::kAnyOrder, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y) {
                const uint8_t* src = source.pixel(0, y);
                uint8_t* dst = temp->pixel(0, y);
                // A radius of 0 has a factor of 1: each byte its own sum.
                if (rh == 0)
                    std::memcpy(dst, src, 4 * static_cast<size_t>(width));
#if defined(__SSE2__)
                else if (multiply)
                    BlurRowMultiplying(src, dst, width, rh, mh);
#endif
                else
                    BlurRow(src, dst, width, rh, scaleH.data());
            }
        });
        const std::vector<uint8_t> scaleV = blur::ScaleTable(rv, fv);
        // The vertical pass goes by slabs of columns rather than bands of
        // rows, so that a wide window is not primed again for every band.
        const size_t rowBytes = 4 * static_cast<size_t>(width);
        const int slabs = static_cast<int>((rowBytes + kSlabBytes - 1) / kSlabBytes);
        ForEachRow(slabs, RowOrder::kAnyOrder, [&](int s0, int s1) {
            BlurColumns(*temp, *image, rv, fv, scaleV.data(), s0 * kSlabBytes,
                        std::min(rowBytes, s1 * kSlabBytes), vector);
        });
    }
}
