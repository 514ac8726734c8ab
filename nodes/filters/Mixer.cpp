#include "nodes/filters/Mixer.h"

#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "nodes/filters/ColorSpace.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

using platform::single;

namespace {

enum Mode { kAdd = 0, kHue = 1, kSaturation = 2, kMultiply = 3 };

}  // namespace

namespace mixer {

// "Add" and "Mul" work on the raw bytes, fourth byte included; the amplitudes
// act as fractions of 256.
void plain::AddBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
                     uint32_t ampB) {
    for (size_t j = 0; j < count; ++j) {
        const uint32_t sum = ((a[j] * ampA) >> 8) + ((b[j] * ampB) >> 8);
        d[j] = static_cast<uint8_t>(std::min(sum, 255u));
    }
}

void plain::MultiplyBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count,
                          uint32_t ampA, uint32_t ampB) {
    for (size_t j = 0; j < count; ++j) {
        const uint32_t product = (((a[j] * ampA) >> 8) * ((b[j] * ampB) >> 8)) >> 8;
        d[j] = static_cast<uint8_t>(std::min(product, 255u));
    }
}

namespace {

#if defined(__SSE2__)
// (x * y) >> 8 in 16-bit lanes for x * y < 2^24: the high and low halves of
// the 32-bit product put together, exactly.
__m128i ScaledDown(__m128i x, __m128i y) {
    return _mm_or_si128(_mm_slli_epi16(_mm_mulhi_epu16(x, y), 8),
                        _mm_srli_epi16(_mm_mullo_epi16(x, y), 8));
}

// Sixteen bytes at a time, the rest as the plain loop does them. Exact: a
// level times an amplitude (at most 255 * 555) and the product of two scaled
// levels (at most 552 * 552) stay below 2^24, their shifted results (at most
// 1190) and sums (at most 1104) fit 16 bits, and the saturating pack is the
// limit to 255. Reading a byte before writing the same byte keeps in-place
// mixing as the plain loop has it.
template <bool kMultiply>
void MixBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
              uint32_t ampB) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i scaleA = _mm_set1_epi16(static_cast<int16_t>(ampA));
    const __m128i scaleB = _mm_set1_epi16(static_cast<int16_t>(ampB));
    const auto mix = [&](__m128i x, __m128i y) {
        const __m128i sa = ScaledDown(x, scaleA), sb = ScaledDown(y, scaleB);
        return kMultiply ? ScaledDown(sa, sb) : _mm_add_epi16(sa, sb);
    };
    size_t j = 0;
    for (; j + 16 <= count; j += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(a + j));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + j));
        const __m128i low = mix(_mm_unpacklo_epi8(x, zero), _mm_unpacklo_epi8(y, zero));
        const __m128i high = mix(_mm_unpackhi_epi8(x, zero), _mm_unpackhi_epi8(y, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + j), _mm_packus_epi16(low, high));
    }
    (kMultiply ? plain::MultiplyBytes : plain::AddBytes)(a + j, b + j, d + j, count - j, ampA,
                                                         ampB);
}

// The same in 32-byte vectors, whose unpacking and packing work within each
// 16-byte half alike, so every byte keeps its place.
__attribute__((target("avx2"))) __m256i ScaledDown(__m256i x, __m256i y) {
    return _mm256_or_si256(_mm256_slli_epi16(_mm256_mulhi_epu16(x, y), 8),
                           _mm256_srli_epi16(_mm256_mullo_epi16(x, y), 8));
}

template <bool kMultiply>
__attribute__((target("avx2"))) void MixBytesAvx2(const uint8_t* a, const uint8_t* b, uint8_t* d,
                                                  size_t count, uint32_t ampA, uint32_t ampB) {
    const __m256i zero = _mm256_setzero_si256();
    const __m256i scaleA = _mm256_set1_epi16(static_cast<int16_t>(ampA));
    const __m256i scaleB = _mm256_set1_epi16(static_cast<int16_t>(ampB));
    size_t j = 0;
    for (; j + 32 <= count; j += 32) {
        const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a + j));
        const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + j));
        __m256i half[2];
        for (int k = 0; k < 2; ++k) {
            const __m256i xs = k ? _mm256_unpackhi_epi8(x, zero) : _mm256_unpacklo_epi8(x, zero);
            const __m256i ys = k ? _mm256_unpackhi_epi8(y, zero) : _mm256_unpacklo_epi8(y, zero);
            const __m256i sa = ScaledDown(xs, scaleA), sb = ScaledDown(ys, scaleB);
            half[k] = kMultiply ? ScaledDown(sa, sb) : _mm256_add_epi16(sa, sb);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + j),
                            _mm256_packus_epi16(half[0], half[1]));
    }
    MixBytes<kMultiply>(a + j, b + j, d + j, count - j, ampA, ampB);
}
#endif

template <bool kMultiply>
void MixAtActiveLevel(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
                      uint32_t ampB) {
#if defined(__SSE2__)
    const platform::SimdLevel level = platform::ActiveSimd();
    if (level >= platform::SimdLevel::Avx2)
        return MixBytesAvx2<kMultiply>(a, b, d, count, ampA, ampB);
    if (level == platform::SimdLevel::Sse2) return MixBytes<kMultiply>(a, b, d, count, ampA, ampB);
#endif
    (kMultiply ? plain::MultiplyBytes : plain::AddBytes)(a, b, d, count, ampA, ampB);
}

}  // namespace

void AddBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
              uint32_t ampB) {
    MixAtActiveLevel<false>(a, b, d, count, ampA, ampB);
}

void MultiplyBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
                   uint32_t ampB) {
    MixAtActiveLevel<true>(a, b, d, count, ampA, ampB);
}

namespace {

// The mode's gain per unit of m: degrees of hue or saturation.
float GainOf(bool rotate, uint32_t ampB) {
    const float scale = rotate ? colorspace::k360Over255 : colorspace::kOneOver255;
    return single(static_cast<double>(ampB) * colorspace::kOneOver255 * scale);
}

// A's colour scaled by ampA / 255, and m, the length of B's colour vector.
struct Inputs {
    uint32_t red, green, blue;
    float m;
};

Inputs InputsOf(uint32_t ampA, const uint8_t* a, const uint8_t* b) {
    const uint32_t squares = b[0] * b[0] + b[1] * b[1] + b[2] * b[2];
    return {a[0] * ampA / 255, a[1] * ampA / 255, a[2] * ampA / 255,
            single(std::sqrt(static_cast<long double>(squares)))};
}

// Hue rotation in degrees per unit of m, or saturation gain per unit of m;
// greys have no hue to saturate and stay grey.
void AdjustByLength(bool rotate, float k, float m, float& h, float& s) {
    if (rotate) {
        double hue = h + static_cast<double>(m) * k;
        while (hue >= 360) hue -= 360;
        h = single(hue);
    } else if (h != colorspace::kNoHue) {
        s = single(std::clamp(s + static_cast<double>(m) * k, 0.0, 1.0));
    }
}

}  // namespace

HSVMode::HSVMode(bool rotate, uint32_t ampA, uint32_t ampB)
    : rotate_(rotate), ampA_(ampA), k_(GainOf(rotate, ampB)) {}

// For amplitudes up to 255 the scaled levels stay bytes and HSVOfBytes gives
// RGBToHSV's floats; HSVToRGBBytes gives HSVToRGB's bytes.
void HSVMode::operator()(const uint8_t* a, const uint8_t* b, uint8_t* d) const {
    const Inputs in = InputsOf(ampA_, a, b);
    float h, s, v;
    if (ampA_ <= 255)
        colorspace::HSVOfBytes(in.red, in.green, in.blue, h, s, v);
    else
        RGBToHSV(static_cast<float>(in.red), static_cast<float>(in.green),
                 static_cast<float>(in.blue), h, s, v);
    AdjustByLength(rotate_, k_, in.m, h, s);
    colorspace::HSVToRGBBytes(h, s, v, d);
    d[3] = 0;
}

#if defined(__x86_64__)
namespace {

// A's levels scaled by ampA / 255 and m for eight pixels. The scaled level is
// a whole number or at least 1/255 from one, beyond the float quotient's
// rounding (2^-15 below 556), so truncating that quotient is exact. m is the
// float root of a whole number below 2^24: rounding the extended root to float
// gives the correctly rounded float root, the significand being more than
// twice as wide.
__attribute__((target("avx2"))) void LevelsAndLength8(const uint8_t* a, const uint8_t* b,
                                                      uint32_t ampA, float* levels[3], float* m) {
    const __m256i pa = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(a));
    const __m256i pb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b));
    const __m256i byte = _mm256_set1_epi32(255);
    __m256i squares = _mm256_setzero_si256();
    for (int k = 0; k < 3; ++k) {
        const __m256i x = _mm256_and_si256(_mm256_srli_epi32(pa, 8 * k), byte);
        const __m256 scaled = _mm256_cvtepi32_ps(
            _mm256_mullo_epi32(x, _mm256_set1_epi32(static_cast<int32_t>(ampA))));
        const __m256i level = _mm256_cvttps_epi32(_mm256_div_ps(scaled, _mm256_set1_ps(255)));
        _mm256_storeu_ps(levels[k], _mm256_cvtepi32_ps(level));
        const __m256i y = _mm256_and_si256(_mm256_srli_epi32(pb, 8 * k), byte);
        squares = _mm256_add_epi32(squares, _mm256_mullo_epi32(y, y));
    }
    _mm256_storeu_ps(m, _mm256_sqrt_ps(_mm256_cvtepi32_ps(squares)));
}

// AdjustByLength in four double lanes: the same double operations, the hue
// turned back while any lane is still at 360 or more.
__attribute__((target("avx2"))) void AdjustByLength4(bool rotate, float k, const float* m, float* h,
                                                     float* s) {
    const __m256d mk = _mm256_mul_pd(_mm256_cvtps_pd(_mm_loadu_ps(m)), _mm256_set1_pd(k));
    const __m128 hue = _mm_loadu_ps(h);
    if (rotate) {
        const __m256d turn = _mm256_set1_pd(360);
        __m256d x = _mm256_add_pd(_mm256_cvtps_pd(hue), mk);
        for (__m256d over; _mm256_movemask_pd(over = _mm256_cmp_pd(x, turn, _CMP_GE_OQ));)
            x = _mm256_sub_pd(x, _mm256_and_pd(over, turn));
        _mm_storeu_ps(h, _mm256_cvtpd_ps(x));
    } else {
        const __m256d x = _mm256_add_pd(_mm256_cvtps_pd(_mm_loadu_ps(s)), mk);
        const __m128 clamped = _mm256_cvtpd_ps(
            _mm256_min_pd(_mm256_max_pd(x, _mm256_setzero_pd()), _mm256_set1_pd(1)));
        const __m128 grey = _mm_cmpeq_ps(hue, _mm_set1_ps(colorspace::kNoHue));
        _mm_storeu_ps(s, _mm_blendv_ps(clamped, _mm_loadu_ps(s), grey));
    }
}

}  // namespace
#endif

// Whole colours at a time; the scaled levels stay below 556, where
// RGBToHSVBatch gives RGBToHSV's floats.
void HSVMode::Row(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count) const {
#if defined(__x86_64__)
    if (platform::ActiveSimd() >= platform::SimdLevel::Avx2) return RowAvx2(a, b, d, count);
#endif
    for (size_t i = 0; i < count; ++i) (*this)(a + 4 * i, b + 4 * i, d + 4 * i);
}

#if defined(__x86_64__)
void HSVMode::RowAvx2(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count) const {
    constexpr int kBatch = colorspace::kBatch;
    float levels[3][kBatch], m[kBatch];
    float* planes[3];
    colorspace::HSVPlanes hsv;
    for (size_t i = 0; i < count; i += kBatch) {
        const int n = static_cast<int>(std::min<size_t>(kBatch, count - i));
        const uint8_t *pa = a + 4 * i, *pb = b + 4 * i;
        int j = 0;
        for (; j + 8 <= n; j += 8) {
            for (int k = 0; k < 3; ++k) planes[k] = levels[k] + j;
            LevelsAndLength8(pa + 4 * j, pb + 4 * j, ampA_, planes, m + j);
        }
        for (; j < n; ++j) {
            const Inputs in = InputsOf(ampA_, pa + 4 * j, pb + 4 * j);
            levels[0][j] = static_cast<float>(in.red), levels[1][j] = static_cast<float>(in.green);
            levels[2][j] = static_cast<float>(in.blue), m[j] = in.m;
        }
        colorspace::RGBToHSVBatch(levels[0], levels[1], levels[2], n, hsv);
        for (j = 0; j + 4 <= n; j += 4) AdjustByLength4(rotate_, k_, m + j, hsv.h + j, hsv.s + j);
        for (; j < n; ++j) AdjustByLength(rotate_, k_, m[j], hsv.h[j], hsv.s[j]);
        uint8_t* out = d + 4 * i;
        colorspace::HSVToRGBBatch(hsv, n, out);
        for (j = 0; j < n; ++j) out[4 * j + 3] = 0;
    }
}
#endif

void plain::HSVModePixel(bool rotate, uint32_t ampA, uint32_t ampB, const uint8_t* a,
                         const uint8_t* b, uint8_t* d) {
    const Inputs in = InputsOf(ampA, a, b);
    float h, s, v;
    // Levels below 556: exact in float.
    RGBToHSV(static_cast<float>(in.red), static_cast<float>(in.green), static_cast<float>(in.blue),
             h, s, v);
    AdjustByLength(rotate, GainOf(rotate, ampB), in.m, h, s);
    int32_t r, g, bl;
    HSVToRGB(h, s, v, r, g, bl);
    d[0] = static_cast<uint8_t>(r);
    d[1] = static_cast<uint8_t>(g);
    d[2] = static_cast<uint8_t>(bl);
    d[3] = 0;
}

}  // namespace mixer

namespace {

// The HSV modes: A's colour, scaled by ampA/255, goes through RGBToHSV; h or
// s changes by an amount taken from m, the length of B's colour vector;
// HSVToRGB gives the colour bytes and the fourth byte becomes 0.
void AdjustHSV(const Image& a, const Image& b, Image& d, const mixer::HSVMode& mode) {
    ForEachRow(d.height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const size_t count = static_cast<size_t>(y1 - y0) * d.width;
        mode.Row(a.pixel(0, y0), b.pixel(0, y0), d.pixel(0, y0), count);
    });
}

constexpr const char* kMixOptions[] = {"Add", "Hue", "Satur.", "Mul"};
enum Slot { kAmpA, kAmpB, kType, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Amp A", 0, 555, 100),
    param::Int("Amp B", 0, 555, 100),
    param::Choice("Type", kMixOptions),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

Mixer::Mixer(int width, int height) : Node("Mixer", kTypeId, width, height, kTiming) {
    AddInput("Source A");
    AddInput("Source B");
    AddParams(kParams);
}

void Mixer::Compute() {
    const uint32_t ampA = static_cast<uint32_t>(value(kAmpA));
    const uint32_t ampB = static_cast<uint32_t>(value(kAmpB));
    const Image& a = *inputImages[0];
    const Image& b = *inputImages[1];
    // Every mode works pixel by pixel.
    const auto byteBands = [&](auto mix) {
        ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
            const size_t count = 4 * static_cast<size_t>(y1 - y0) * image->width;
            mix(a.pixel(0, y0), b.pixel(0, y0), image->pixel(0, y0), count, ampA, ampB);
        });
    };
    switch (value(kType)) {
        case kAdd:
            byteBands(mixer::AddBytes);
            break;
        case kMultiply:
            byteBands(mixer::MultiplyBytes);
            break;
        case kHue:
        case kSaturation:
            AdjustHSV(a, b, *image, mixer::HSVMode(value(kType) == kHue, ampA, ampB));
            break;
    }
}
