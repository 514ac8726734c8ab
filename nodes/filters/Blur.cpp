#include "nodes/filters/Blur.h"

#include <algorithm>
#include <cstring>
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

// Looking the output byte up keeps the per-pixel cost at one subtraction, one
// addition and one load whatever the radius.
std::vector<uint8_t> blur::ScaleTable(int radius, double factor) {
    const int maxSum = 255 * (2 * radius + 1);
    std::vector<uint8_t> table(maxSum + 1);
    // Wide radii have over 10^5 entries, each its own: filled in bands of 1024.
    constexpr int kChunk = 1024;
    ForEachRow((maxSum + kChunk) / kChunk, RowOrder::kAnyOrder, [&](int c0, int c1) {
        for (int sum = c0 * kChunk; sum <= std::min(maxSum, c1 * kChunk - 1); ++sum) {
            const double product = platform::dbl(static_cast<long double>(sum) * factor);
            table[sum] = static_cast<uint8_t>(platform::TruncToInt(product));
        }
    });
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

std::optional<std::array<uint32_t, 8>> blur::QuotientsRoundedDown(const std::vector<uint8_t>& table,
                                                                  int radius) {
    const uint64_t n = 2 * static_cast<uint64_t>(radius) + 1;
    std::array<uint32_t, 8> bits{};
    for (uint64_t sum = 0; sum < table.size(); ++sum) {
        const uint64_t k = sum / n;
        if (table[sum] == k) continue;
        if (sum % n != 0 || table[sum] + uint64_t{1} != k) return std::nullopt;
        bits[k / 32] |= 1u << (k % 32);
    }
    return bits;
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

#if defined(__x86_64__)
// Eight bytes widened to 32-bit lanes.
__attribute__((target("avx2"))) __m256i WidenEight(const uint8_t* p) {
    return _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)));
}

// BlurSixteen for 32 bytes in AVX2: the same integer steps in wider registers
// (sums below 2^17, unsigned 32 x 32 -> 64 products, high halves kept), so the
// same bytes; the packs work within 128-bit halves and the permute restores
// the byte order.
__attribute__((target("avx2"))) void BlurThirtyTwo(const uint8_t* entering, const uint8_t* leaving,
                                                   int32_t* sum, uint8_t* out, __m256i multiplier) {
    __m256i scaled[4];
    for (int q = 0; q < 4; ++q) {
        __m256i* lanes = reinterpret_cast<__m256i*>(sum + 8 * q);
        const __m256i sums = _mm256_add_epi32(
            _mm256_loadu_si256(lanes),
            _mm256_sub_epi32(WidenEight(entering + 8 * q), WidenEight(leaving + 8 * q)));
        _mm256_storeu_si256(lanes, sums);
        const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(sums, multiplier), 32);
        const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(sums, 32), multiplier);
        scaled[q] = _mm256_blend_epi32(even, odd, 0xAA);
    }
    const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(scaled[0], scaled[1]),
                                               _mm256_packs_epi32(scaled[2], scaled[3]));
    _mm256_storeu_si256(
        reinterpret_cast<__m256i*>(out),
        _mm256_permutevar8x32_epi32(packed, _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7)));
}

// The vertical pass's inner loop over bytes [0, count) of one row in AVX2;
// returns how many it did.
__attribute__((target("avx2"))) size_t BlurRowBytesAvx2(const uint8_t* entering,
                                                        const uint8_t* leaving, int32_t* sum,
                                                        uint8_t* out, size_t count, uint32_t m) {
    const __m256i multiplier = _mm256_set1_epi64x(m);
    size_t i = 0;
    for (; i + 32 <= count; i += 32)
        BlurThirtyTwo(entering + i, leaving + i, sum + i, out + i, multiplier);
    return i;
}

// Adds bytes [0, count) of a row to their sums in AVX2; returns how many it did.
__attribute__((target("avx2"))) size_t AddRowAvx2(const uint8_t* row, int32_t* sum, size_t count) {
    size_t i = 0;
    for (; i + 8 <= count; i += 8) {
        __m256i* lanes = reinterpret_cast<__m256i*>(sum + i);
        _mm256_storeu_si256(lanes,
                            _mm256_add_epi32(_mm256_loadu_si256(lanes), WidenEight(row + i)));
    }
    return i;
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

#if defined(__x86_64__)
// Pixel x of two rows, widened: the first row's bytes in lanes 0 .. 3.
__attribute__((target("avx2"))) __m256i WidenTwo(const uint8_t* first, const uint8_t* second,
                                                 int x) {
    int32_t a, b;
    std::memcpy(&a, first + 4 * x, 4);
    std::memcpy(&b, second + 4 * x, 4);
    return _mm256_cvtepu8_epi32(_mm_unpacklo_epi32(_mm_cvtsi32_si128(a), _mm_cvtsi32_si128(b)));
}

// Sums scaled by (sum × m) >> 32, as ScaleSixteen.
__attribute__((target("avx2"))) __m256i ScaleEight(__m256i sums, __m256i multiplier) {
    const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(sums, multiplier), 32);
    const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(sums, 32), multiplier);
    return _mm256_blend_epi32(even, odd, 0xAA);
}

// Four pixels' scaled sums of two rows packed: the first row's sixteen bytes
// to dst0, the second's to dst1, `pixels` of them.
__attribute__((target("avx2"))) void StoreTwoRows(const __m256i scaled[4], uint8_t* dst0,
                                                  uint8_t* dst1, int pixels) {
    const __m256i packed = _mm256_packus_epi16(_mm256_packs_epi32(scaled[0], scaled[1]),
                                               _mm256_packs_epi32(scaled[2], scaled[3]));
    alignas(32) uint8_t bytes[32];
    _mm256_store_si256(reinterpret_cast<__m256i*>(bytes), packed);
    std::memcpy(dst0, bytes, 4 * pixels);
    std::memcpy(dst1, bytes + 16, 4 * pixels);
}

// BlurRowMultiplying for two rows at once, one in each half of the register:
// the same integer sums and products per row, so the same bytes. The packs
// work within halves, which leaves four pixels of the first row in the low
// half and of the second in the high half.
// ScaleEight's quotients of a radius that QuotientsRoundedDown corrects: one
// less where the sum is the multiple k n and bit k is set. The quotients are
// floor(sum / n) <= 255 (HorizontalMultiplier), so k n == sum tells the
// multiples and k / 32 picks one of the eight words.
__attribute__((target("avx2"))) __m256i RoundedDown(__m256i quotients, __m256i sums, __m256i n,
                                                    __m256i bits) {
    const __m256i multiple = _mm256_cmpeq_epi32(_mm256_mullo_epi32(quotients, n), sums);
    const __m256i word = _mm256_permutevar8x32_epi32(bits, _mm256_srli_epi32(quotients, 5));
    const __m256i bit = _mm256_srlv_epi32(word, _mm256_and_si256(quotients, _mm256_set1_epi32(31)));
    const __m256i one = _mm256_and_si256(_mm256_and_si256(bit, multiple), _mm256_set1_epi32(1));
    return _mm256_sub_epi32(quotients, one);
}

template <bool kRoundedDown>
__attribute__((target("avx2"))) void BlurTwoRowsMultiplying(const uint8_t* src0,
                                                            const uint8_t* src1, uint8_t* dst0,
                                                            uint8_t* dst1, int width, int r,
                                                            uint32_t m,
                                                            const uint32_t* roundedDown) {
    __m256i sum = _mm256_setzero_si256();
    for (int j = width - 1 - r; j < width; ++j)
        sum = _mm256_add_epi32(sum, WidenTwo(src0, src1, j));
    for (int j = 0; j < r; ++j) sum = _mm256_add_epi32(sum, WidenTwo(src0, src1, j));
    const __m256i multiplier = _mm256_set1_epi64x(m);
    const __m256i n = _mm256_set1_epi32(2 * r + 1);
    const __m256i bits = kRoundedDown
                             ? _mm256_loadu_si256(reinterpret_cast<const __m256i*>(roundedDown))
                             : _mm256_setzero_si256();
    __m256i scaled[4];
    for (int x = 0; x < width; ++x) {
        const int leaving = x <= r ? x - r - 1 + width : x - r - 1;
        const int entering = x + r >= width ? x + r - width : x + r;
        sum = _mm256_add_epi32(
            sum, _mm256_sub_epi32(WidenTwo(src0, src1, entering), WidenTwo(src0, src1, leaving)));
        scaled[x % 4] = ScaleEight(sum, multiplier);
        if constexpr (kRoundedDown) scaled[x % 4] = RoundedDown(scaled[x % 4], sum, n, bits);
        if (x % 4 == 3) StoreTwoRows(scaled, dst0 + 4 * (x - 3), dst1 + 4 * (x - 3), 4);
    }
    // The last pixels short of four, in the first lanes of the packed rows.
    const int rest = width % 4;
    if (rest > 0) StoreTwoRows(scaled, dst0 + 4 * (width - rest), dst1 + 4 * (width - rest), rest);
}
#endif

// Row y wrapped into 0 .. height - 1, for y >= -2 * height.
int WrapRow(int y, int height) {
    return (y + 2 * height) % height;
}

// The horizontal pass's settings for one image.
struct HorizontalPass {
    int width, r;
    const uint8_t* scale;
    uint32_t m;
    bool multiply;  // (sum × m) >> 32 gives every entry of the table
    platform::SimdLevel level;
    // Where the multiplier needs QuotientsRoundedDown's correction instead.
    std::optional<std::array<uint32_t, 8>> roundedDown;

    // Row src to dst, another row.
    void Row(const uint8_t* src, uint8_t* dst) const {
        // A radius of 0 has a factor of 1: each byte its own sum.
        if (r == 0) {
            std::memcpy(dst, src, 4 * static_cast<size_t>(width));
            return;
        }
#if defined(__SSE2__)
        if (multiply) return BlurRowMultiplying(src, dst, width, r, m);
#endif
        BlurRow(src, dst, width, r, scale);
    }

    // Two rows at once where AVX2 runs, the same bytes as one at a time.
    void TwoRows(const uint8_t* src0, const uint8_t* src1, uint8_t* dst0, uint8_t* dst1) const {
#if defined(__x86_64__)
        if (level >= platform::SimdLevel::Avx2) {
            if (multiply)
                return BlurTwoRowsMultiplying<false>(src0, src1, dst0, dst1, width, r, m, nullptr);
            if (roundedDown)
                return BlurTwoRowsMultiplying<true>(src0, src1, dst0, dst1, width, r, m,
                                                    roundedDown->data());
        }
#endif
        Row(src0, dst0);
        Row(src1, dst1);
    }
};

// The horizontal pass over the whole image, each row from the same row of the
// source, so the rows are independent; a source that is the image itself is
// read through a copy of the rows at hand, and with a radius of 0 it already
// holds the pass's bytes.
void HorizontalPassOver(const Image& source, Image& image, const HorizontalPass& h) {
    const bool ownImage = &source == &image;
    if (ownImage && h.r == 0) return;
    const size_t rowBytes = 4 * static_cast<size_t>(image.width);
    ForEachRow(image.height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        std::vector<uint8_t> copies(ownImage ? 2 * rowBytes : 0);
        const auto sourceRow = [&](int y, int k) -> const uint8_t* {
            if (!ownImage) return source.pixel(0, y);
            std::memcpy(&copies[k * rowBytes], source.pixel(0, y), rowBytes);
            return &copies[k * rowBytes];
        };
        int y = y0;
        for (; y + 2 <= y1; y += 2)
            h.TwoRows(sourceRow(y, 0), sourceRow(y + 1, 1), image.pixel(0, y),
                      image.pixel(0, y + 1));
        if (y < y1) h.Row(sourceRow(y, 0), image.pixel(0, y));
    });
}

// Adds a row's bytes to the vertical sums, priming the window.
void AddRow(const uint8_t* row, int32_t* sum, size_t count,
            [[maybe_unused]] platform::SimdLevel level) {
    size_t i = 0;
#if defined(__x86_64__)
    if (level >= platform::SimdLevel::Avx2) i = AddRowAvx2(row, sum, count);
#endif
    for (; i < count; ++i) sum[i] += row[i];
}

// One row of the vertical pass over `count` bytes: every running sum takes its
// byte of `entering` in and of `leaving` out, and out gets the scaled sums.
// Above the plain level, 32 or 16 bytes at a time run in vector registers (see
// BlurThirtyTwo and BlurSixteen), reading each byte before writing it.
void VerticalRow(const uint8_t* entering, const uint8_t* leaving, int32_t* sum, uint8_t* out,
                 size_t count, [[maybe_unused]] uint32_t m, const uint8_t* scale,
                 [[maybe_unused]] platform::SimdLevel level) {
    size_t i = 0;
#if defined(__x86_64__)
    if (level >= platform::SimdLevel::Avx2)
        i = BlurRowBytesAvx2(entering, leaving, sum, out, count, m);
#endif
#if defined(__SSE2__)
    if (level != platform::SimdLevel::Plain) {
        const __m128i multiplier = _mm_set1_epi64x(m);
        for (; i + 16 <= count; i += 16)
            BlurSixteen(entering + i, leaving + i, &sum[i], out + i, multiplier);
    }
#endif
    for (; i < count; ++i) {
        sum[i] += entering[i] - leaving[i];
        out[i] = scale[sum[i]];
    }
}

// The vertical pass over bytes [i0, i1) of every row, all rows, in place. It
// keeps one running sum per byte column and walks the rows in memory order,
// which gives the same sums as walking each column; each column's sum is its
// own, so a slab of columns needs only its own window primed once.
void BlurColumns(Image& image, int r, float factor, const uint8_t* scale, size_t i0, size_t i1,
                 platform::SimdLevel level) {
    // A radius of 0 has a factor of 1: each byte its own sum.
    if (r == 0) return;
    const int height = image.height;
    const size_t count = i1 - i0;
    const auto row = [&](int y) { return image.pixel(0, y) + i0; };
    std::vector<int32_t> sum(count, 0);
    for (int j = -1 - r; j < r; ++j) AddRow(row(WrapRow(j, height)), sum.data(), count, level);
    // Rows are rewritten top to bottom, but the window still takes each row's
    // old bytes out r + 1 rows later, and the first r rows' in again past the
    // bottom: those are kept, the last r + 2 rows in a ring, the first r apart.
    // Rows that leave before any row is rewritten (r <= height - 1) and rows
    // that enter below the current one are still as they were.
    const int ringRows = r + 2;
    std::vector<uint8_t> first(count * r), ring(count * ringRows);
    for (int y = 0; y < r; ++y) std::memcpy(&first[count * y], row(y), count);
    const uint32_t m = blur::VerticalMultiplier(factor);
    for (int y = 0; y < height; ++y) {
        const int leavingRow = y - r - 1, enteringRow = y + r;
        const uint8_t* leaving =
            leavingRow < 0 ? row(leavingRow + height) : &ring[count * (leavingRow % ringRows)];
        const uint8_t* entering =
            enteringRow < height ? row(enteringRow) : &first[count * (enteringRow - height)];
        uint8_t* out = row(y);
        std::memcpy(&ring[count * (y % ringRows)], out, count);
        VerticalRow(entering, leaving, sum.data(), out, count, m, scale, level);
    }
}

// Both passes for rows [y0, y1) of the image from another image. The
// horizontal rows that the vertical window needs, r above the band to r
// below, go through a ring of 2 r + 3 rows rather than the image, so each
// byte crosses the memory bus once each way. The window sums are sums of
// the same integers as in the two whole passes, primed over the same 2 r + 1
// wrapped rows before the band's first, so the bytes are theirs.
void BlurBand(const Image& source, Image& image, const HorizontalPass& h, int r, float factor,
              const uint8_t* scale, int y0, int y1) {
    const int height = image.height;
    const size_t rowBytes = 4 * static_cast<size_t>(image.width);
    const int ringRows = 2 * r + 3;  // rows y - r - 1 .. y + r + 1, two computed at a time
    // Left unset: every slot is written before it is read.
    const std::unique_ptr<uint8_t[]> ring(new uint8_t[ringRows * rowBytes]);
    const int first = y0 - r - 1, last = y1 + r - 1;
    const auto slot = [&](int j) { return &ring[(j - first) % ringRows * rowBytes]; };
    const auto sourceRow = [&](int j) { return source.pixel(0, WrapRow(j, height)); };
    int next = first;  // the next horizontal row to compute
    const auto computeThrough = [&](int j) {
        for (; next <= j; ++next) {
            if (next < last) {
                h.TwoRows(sourceRow(next), sourceRow(next + 1), slot(next), slot(next + 1));
                ++next;
            } else {
                h.Row(sourceRow(next), slot(next));
            }
        }
    };
    std::vector<int32_t> sum(rowBytes, 0);
    computeThrough(y0 + r - 1);
    for (int j = first; j < y0 + r; ++j) AddRow(slot(j), sum.data(), rowBytes, h.level);
    const uint32_t m = blur::VerticalMultiplier(factor);
    for (int y = y0; y < y1; ++y) {
        computeThrough(y + r);
        VerticalRow(slot(y + r), slot(y - r - 1), sum.data(), image.pixel(0, y), rowBytes, m, scale,
                    h.level);
    }
}

// Vertical radii up to this take the one-pass bands; a wider window would
// cost more in horizontal rows computed twice than the pass saves.
constexpr int kMaxBandRadius = 32;

// Rows per band of the one-pass blur: bands of at least 16 (r + 1) and 64
// rows keep the horizontal rows computed twice to an eighth, and a count of
// bands that the threads divide gives each thread the same share.
int BandRows(int height, int r) {
    const int threads = RowThreads();
    int bands = std::max(1, height / std::max(64, 16 * (r + 1)));
    bands = std::min(height, (bands + threads - 1) / threads * threads);
    return (height + bands - 1) / bands;
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
    const Image& source = *inputImages[0];
    const std::vector<uint8_t> scaleH = blur::ScaleTable(rh, fh);
    const std::vector<uint8_t> scaleV = blur::ScaleTable(rv, fv);
    const platform::SimdLevel level = platform::ActiveSimd();
    const uint32_t mh = rh > 0 ? blur::HorizontalMultiplier(rh) : 0;
    const bool vector = level != platform::SimdLevel::Plain;
    HorizontalPass h{
        width, rh, scaleH.data(), mh, vector && rh > 0 && blur::MultipliesLikeTable(scaleH, mh),
        level, {}};
    if (level >= platform::SimdLevel::Avx2 && rh > 0 && !h.multiply)
        h.roundedDown = blur::QuotientsRoundedDown(scaleH, rh);
    const bool ownImage = &source == image.get();
    if (vector && !ownImage && rv >= 1 && rv <= kMaxBandRadius) {
        const int blockRows = BandRows(height, rv);
        const int blocks = (height + blockRows - 1) / blockRows;
        ForEachRow(blocks, RowOrder::kAnyOrder, [&](int b0, int b1) {
            BlurBand(source, *image, h, rv, fv, scaleV.data(), b0 * blockRows,
                     std::min(height, b1 * blockRows));
        });
        return;
    }
    HorizontalPassOver(source, *image, h);
    const size_t rowBytes = 4 * static_cast<size_t>(width);
    // The vertical pass goes by slabs of columns rather than bands of rows,
    // so that a wide window is not primed again for every band.
    const int slabs = static_cast<int>((rowBytes + kSlabBytes - 1) / kSlabBytes);
    ForEachRow(slabs, RowOrder::kAnyOrder, [&](int s0, int s1) {
        BlurColumns(*image, rv, fv, scaleV.data(), s0 * kSlabBytes,
                    std::min(rowBytes, s1 * kSlabBytes), level);
    });
}
