#include "nodes/filters/BrightnessContrast.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
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

constexpr double kPerLevel = 0.00392156862745098;  // the double nearest 1/255
constexpr int kMaxSquareSum = 4 * 128 * 128;       // four deviations of at most 128
constexpr int kSums = kMaxSquareSum + 1;

// The deviation vector's length L and L^e, both doubles, for one integer sum of
// squares; adjacent, so one load fetches both.
struct Scale {
    double length;
    double power;
};

int SquareSum(const uint8_t* pixel) {
    int sum = 0;
    for (int k = 0; k < 4; ++k) sum += (pixel[k] - 127) * (pixel[k] - 127);
    return sum;
}

// At mid grey (sum 0) the plain loop divides 0 by 0, and the NaN truncates to
// 0; L = 1 with L^e = 0 gives that 0 without a NaN, which the vector
// conversion below would turn into INT_MIN instead.
Scale ScaleOf(int sum, double exponent) {
    if (sum == 0) return {1, 0};
    const double length = std::sqrt(static_cast<double>(sum));
    return {length, std::pow(length, exponent)};
}

}  // namespace

struct BrightnessContrast::ScaleTable {
    explicit ScaleTable(double e) : exponent(e), values(2 * kSums) {}
    void Set(int sum) {
        const Scale scale = ScaleOf(sum, exponent);
        values[sum] = scale.length, values[kSums + sum] = scale.power;
    }
    Scale operator[](int sum) const { return {values[sum], values[kSums + sum]}; }
    const double* powers() const { return &values[kSums]; }

    double exponent;
    std::vector<double> values;  // L by sum of squares, then L^e by sum: one block
};

namespace {

using ScaleTable = BrightnessContrast::ScaleTable;

// L and L^e for every sum of squares, each entry its own: filled on every
// core, as the pixels are.
std::shared_ptr<const ScaleTable> CompleteTable(double exponent) {
    auto table = std::make_shared<ScaleTable>(exponent);
    ForEachRow(kSums, RowOrder::kAnyOrder, [&](int s0, int s1) {
        for (int sum = s0; sum < s1; ++sum) table->Set(sum);
    });
    return table;
}

// A source with fewer pixels than sums only needs its own.
std::shared_ptr<const ScaleTable> TableFor(const Image& source, double exponent) {
    auto table = std::make_shared<ScaleTable>(exponent);
    const uint8_t* pixel = source.bytes();
    for (int i = 0; i < source.pixelCount; ++i, pixel += 4) table->Set(SquareSum(pixel));
    return table;
}

// One pixel in the double chain: (deviation / L) * L^e, truncated, plus
// brightness + 127, limited to a byte. Every operation is a double one, not
// extended: the node's reference results follow the double chain, which an
// extended one would change in 0.31% of pixels ((134, 134, 134, 141) at
// Contrast -170 gives 128 in double, 127 in extended precision).
void AdjustPixelPlain(const uint8_t* source, uint8_t* target, const Scale& scale, int bias) {
    for (int k = 0; k < 4; ++k) {
        const double scaled = ((source[k] - 127) / scale.length) * scale.power;
        target[k] = static_cast<uint8_t>(std::clamp(platform::TruncToInt(scaled) + bias, 0, 255));
    }
}

#if defined(__SSE2__)
// One pixel, all four bytes at once, as AdjustPixelPlain: the same steps as the plain double loop
// ((deviation / L) * L^e, truncated, plus brightness + 127, limited to a byte),
// and as exact. Each lane of divpd and mulpd is one correctly rounded double
// operation, as divsd and mulsd are; deviations convert to double exactly; the
// product is at most 256^2 in magnitude, so cvttpd2dq truncates it as
// TruncToInt does; the sum with the bias stays far inside int32, and the two
// saturating packs limit it to 0 .. 255 as the clamp does.
void AdjustPixel(const uint8_t* source, uint8_t* target, const Scale& scale, __m128i bias) {
    uint32_t bytes;
    std::memcpy(&bytes, source, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(bytes)), zero);
    const __m128i deviations = _mm_sub_epi32(_mm_unpacklo_epi16(words, zero), _mm_set1_epi32(127));
    const __m128d both = _mm_loadu_pd(&scale.length);
    const __m128d length = _mm_unpacklo_pd(both, both);
    const __m128d power = _mm_unpackhi_pd(both, both);
    const auto scaled = [&](__m128i pair) {
        return _mm_cvttpd_epi32(_mm_mul_pd(_mm_div_pd(_mm_cvtepi32_pd(pair), length), power));
    };
    const __m128i low = scaled(deviations);
    const __m128i high = scaled(_mm_srli_si128(deviations, 8));
    const __m128i levels = _mm_add_epi32(_mm_unpacklo_epi64(low, high), bias);
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(levels, levels), zero);
    bytes = static_cast<uint32_t>(_mm_cvtsi128_si32(packed));
    std::memcpy(target, &bytes, 4);
}
#endif

#if defined(__x86_64__)
// Four pixels at a time, channel by channel in four double lanes (a lane a
// pixel), reading only L^e per pixel from the table: half of it, so a random
// image's sums miss the cache less. Exact as AdjustPixelPlain, lane by lane:
// - L is vsqrtpd, correctly rounded as std::sqrt is; a sum of 0 takes L = 1, as
//   the table does (its L^e is 0, and so are its deviations).
// - deviation / L costs one division per four pixels: with R = 1 / L correctly
//   rounded, the product q = deviation * R is within an ulp of the quotient, the
//   fused residual deviation - q * L is exact, and q + residual * R rounded once
//   is the correctly rounded quotient (Markstein's correction). A test checks
//   this for every deviation and every sum.
// - then vmulpd by L^e and vcvttpd2dq, as AdjustPixel does. The products
//   are at most 2^16 in magnitude; packing them to words saturates beyond
//   +-32767, and adding the bias (-128 .. 382) to those with saturation and
//   packing to bytes limits every sum to 0 .. 255 as the clamp does.
#define SWATCHER_AVX2_INLINE __attribute__((target("avx2,fma"), always_inline)) inline

// One channel of four pixels: its levels to (deviation / L) * L^e, truncated.
SWATCHER_AVX2_INLINE __m128i Scaled4(__m128i level, __m256d length, __m256d reciprocal,
                                     __m256d power) {
    const __m256d deviation = _mm256_cvtepi32_pd(_mm_sub_epi32(level, _mm_set1_epi32(127)));
    const __m256d guess = _mm256_mul_pd(deviation, reciprocal);
    const __m256d residual = _mm256_fnmadd_pd(guess, length, deviation);
    const __m256d quotient = _mm256_fmadd_pd(residual, reciprocal, guess);
    return _mm256_cvttpd_epi32(_mm256_mul_pd(quotient, power));
}

SWATCHER_AVX2_INLINE __m128i AdjustPixels4(__m128i pixels, const double* powers, __m128i bias) {
    const __m128i zero = _mm_setzero_si128(), mid = _mm_set1_epi16(127);
    const __m128i low = _mm_sub_epi16(_mm_unpacklo_epi8(pixels, zero), mid);
    const __m128i high = _mm_sub_epi16(_mm_unpackhi_epi8(pixels, zero), mid);
    const __m128i sums = _mm_hadd_epi32(_mm_madd_epi16(low, low), _mm_madd_epi16(high, high));
    const __m256d one = _mm256_set1_pd(1);
    const __m256d length = _mm256_sqrt_pd(_mm256_max_pd(_mm256_cvtepi32_pd(sums), one));
    const __m256d reciprocal = _mm256_div_pd(one, length);
    const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    const __m256d power = _mm256_mask_i32gather_pd(_mm256_setzero_pd(), powers, sums, all, 8);
    const __m128i byte = _mm_set1_epi32(255);
    const __m128i c0 = Scaled4(_mm_and_si128(pixels, byte), length, reciprocal, power);
    const __m128i c1 =
        Scaled4(_mm_and_si128(_mm_srli_epi32(pixels, 8), byte), length, reciprocal, power);
    const __m128i c2 =
        Scaled4(_mm_and_si128(_mm_srli_epi32(pixels, 16), byte), length, reciprocal, power);
    const __m128i c3 = Scaled4(_mm_srli_epi32(pixels, 24), length, reciprocal, power);
    // Channel by channel, then back to four bytes a pixel.
    const __m128i packed = _mm_packus_epi16(_mm_adds_epi16(_mm_packs_epi32(c0, c1), bias),
                                            _mm_adds_epi16(_mm_packs_epi32(c2, c3), bias));
    return _mm_shuffle_epi8(packed,
                            _mm_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15));
}

// Rows of pixels from source to target, four at a time; the last few through
// the same kernel from a padded copy.
__attribute__((target("avx2,fma"))) void AdjustAvx2(const uint8_t* source, uint8_t* target,
                                                    const uint8_t* end, const double* powers,
                                                    int bias) {
    const __m128i biases = _mm_set1_epi16(static_cast<int16_t>(bias));
#pragma GCC unroll 2
    for (; end - target >= 16; source += 16, target += 16) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(target), AdjustPixels4(pixels, powers, biases));
    }
    if (target == end) return;
    alignas(16) uint8_t tail[16] = {127, 127, 127, 127, 127, 127, 127, 127,
                                    127, 127, 127, 127, 127, 127, 127, 127};
    const size_t count = static_cast<size_t>(end - target);
    std::memcpy(tail, source, count);
    _mm_store_si128(
        reinterpret_cast<__m128i*>(tail),
        AdjustPixels4(_mm_load_si128(reinterpret_cast<const __m128i*>(tail)), powers, biases));
    std::memcpy(target, tail, count);
}

// GCC 12's AVX-512 intrinsics start from an undefined register, which it then
// warns about.
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
// AdjustPixels4 for eight pixels in eight double lanes: the same operations
// lane by lane, so the same bytes. The 256-bit unpacks, horizontal adds and
// packs work within 128-bit halves, pixels 0 .. 3 in the low half and 4 .. 7
// in the high one, as the lanes of the sums and of the packed results are.
__attribute__((target("avx512f,avx512bw,avx512dq,avx512vl"))) void AdjustAvx512(
    const uint8_t* source, uint8_t* target, const uint8_t* end, const double* powers, int bias) {
    const __m256i zero = _mm256_setzero_si256(), mid = _mm256_set1_epi16(127);
    const __m256i biases = _mm256_set1_epi16(static_cast<int16_t>(bias));
    const __m256i byte = _mm256_set1_epi32(255), deviationOffset = _mm256_set1_epi32(127);
    const __m256i transpose =
        _mm256_setr_epi8(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15, 0, 4, 8, 12, 1, 5, 9,
                         13, 2, 6, 10, 14, 3, 7, 11, 15);
    const __m512d one = _mm512_set1_pd(1);
    for (; end - target >= 32; source += 32, target += 32) {
        const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source));
        const __m256i low = _mm256_sub_epi16(_mm256_unpacklo_epi8(pixels, zero), mid);
        const __m256i high = _mm256_sub_epi16(_mm256_unpackhi_epi8(pixels, zero), mid);
        const __m256i sums =
            _mm256_hadd_epi32(_mm256_madd_epi16(low, low), _mm256_madd_epi16(high, high));
        const __m512d length = _mm512_sqrt_pd(_mm512_max_pd(_mm512_cvtepi32_pd(sums), one));
        const __m512d reciprocal = _mm512_div_pd(one, length);
        const __m512d power = _mm512_i32gather_pd(sums, powers, 8);
        __m256i scaled[4];
        for (int k = 0; k < 4; ++k) {
            const __m256i level = _mm256_and_si256(_mm256_srli_epi32(pixels, 8 * k), byte);
            const __m512d deviation = _mm512_cvtepi32_pd(_mm256_sub_epi32(level, deviationOffset));
            const __m512d guess = _mm512_mul_pd(deviation, reciprocal);
            const __m512d residual = _mm512_fnmadd_pd(guess, length, deviation);
            const __m512d quotient = _mm512_fmadd_pd(residual, reciprocal, guess);
            scaled[k] = _mm512_cvttpd_epi32(_mm512_mul_pd(quotient, power));
        }
        const __m256i packed = _mm256_packus_epi16(
            _mm256_adds_epi16(_mm256_packs_epi32(scaled[0], scaled[1]), biases),
            _mm256_adds_epi16(_mm256_packs_epi32(scaled[2], scaled[3]), biases));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target),
                            _mm256_shuffle_epi8(packed, transpose));
    }
    AdjustAvx2(source, target, end, powers, bias);
}
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#endif

enum Slot { kBrightness, kContrast, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Brightness", -255, 255, 0),
    param::Int("Contrast", -255, 255, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

BrightnessContrast::BrightnessContrast(int width, int height)
    : Node("Brightness, Contrast", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

void BrightnessContrast::Compute() {
    const int brightness = value(kBrightness);
    const double exponent = (value(kContrast) + 255) * kPerLevel;
    const Image& src = *inputImages[0];
    // The complete table depends on Contrast alone; it is worked out before
    // the bands run, so that they only read it.
    std::shared_ptr<const ScaleTable> table;
    if (src.pixelCount >= kSums) {
        if (!complete_ || complete_->exponent != exponent) complete_ = CompleteTable(exponent);
        table = complete_;
    } else {
        table = TableFor(src, exponent);
    }
    const ScaleTable& scales = *table;
    const int bias = brightness + 127;
    [[maybe_unused]] const platform::SimdLevel level = platform::ActiveSimd();
    // Each pixel depends on the same pixel of the source only, read whole before
    // it is written (the source may be this image).
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const uint8_t* source = src.pixel(0, y0);
        uint8_t* target = image->pixel(0, y0);
        const uint8_t* end = image->pixel(0, y1);
#if defined(__x86_64__)
        if (level >= platform::SimdLevel::Avx512)
            return AdjustAvx512(source, target, end, scales.powers(), bias);
        if (level >= platform::SimdLevel::Avx2)
            return AdjustAvx2(source, target, end, scales.powers(), bias);
#endif
#if defined(__SSE2__)
        if (level != platform::SimdLevel::Plain) {
            const __m128i biases = _mm_set1_epi32(bias);
            for (; target != end; source += 4, target += 4)
                AdjustPixel(source, target, scales[SquareSum(source)], biases);
        }
#endif
        for (; target != end; source += 4, target += 4)
            AdjustPixelPlain(source, target, scales[SquareSum(source)], bias);
    });
}
