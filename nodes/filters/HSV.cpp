#include "nodes/filters/HSV.h"

#include <algorithm>
#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "nodes/filters/ColorSpace.h"
#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

using platform::single;

namespace {

enum Slot { kHue, kSaturation, kLightness, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Hue", -180, 180, 0),
    param::Int("Saturation", -255, 255, 0),
    param::Int("Lightness", -255, 255, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

HSV::HSV(int width, int height) : Node("Adjust HSV", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

namespace adjust_hsv {

Shift ShiftOf(int hue, int saturation, int lightness) {
    return {single(hue), single(saturation * static_cast<long double>(colorspace::kOneOver255)),
            single(lightness)};
}

// The adjusted hue, saturation and value of one colour.
void Adjust(Shift shift, float& h, float& s, float& v) {
    // A grey's hue of -1 is shifted too: with Saturation it turns reddish.
    h = single(static_cast<long double>(h) + shift.dh);
    s = std::clamp(single(static_cast<long double>(s) + shift.ds), 0.0f, 1.0f);
    v = std::clamp(single(static_cast<long double>(v) + shift.dv), 0.0f, 255.0f);
}

// HSVOfBytes and HSVToRGBBytes give the floats and bytes of RGBToHSV and
// HSVToRGB, so this matches the plain path.
void Pixel(Shift shift, const uint8_t* src, uint8_t* dst) {
    float h, s, v;
    colorspace::HSVOfBytes(src[0], src[1], src[2], h, s, v);
    Adjust(shift, h, s, v);
    colorspace::HSVToRGBBytes(h, s, v, dst);
}

#if defined(__x86_64__)
namespace {

// Adjust in eight float lanes. Exact: h is 0, -1 or at least 60/255 in size, s
// is 0 or at least 1/255 and the shifts are whole numbers or multiples of a
// float 1/255, so each exact sum fits the extended significand and rounding
// it once gives the float sum.
__attribute__((target("avx2"))) void AdjustAvx2(Shift shift, colorspace::HSVPlanes& hsv,
                                                int count) {
    const __m256 dh = _mm256_set1_ps(shift.dh), ds = _mm256_set1_ps(shift.ds),
                 dv = _mm256_set1_ps(shift.dv), zero = _mm256_setzero_ps();
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256 s = _mm256_add_ps(_mm256_loadu_ps(hsv.s + i), ds);
        const __m256 v = _mm256_add_ps(_mm256_loadu_ps(hsv.v + i), dv);
        _mm256_storeu_ps(hsv.h + i, _mm256_add_ps(_mm256_loadu_ps(hsv.h + i), dh));
        _mm256_storeu_ps(hsv.s + i, _mm256_min_ps(_mm256_max_ps(s, zero), _mm256_set1_ps(1)));
        _mm256_storeu_ps(hsv.v + i, _mm256_min_ps(_mm256_max_ps(v, zero), _mm256_set1_ps(255)));
    }
    for (; i < count; ++i) Adjust(shift, hsv.h[i], hsv.s[i], hsv.v[i]);
}

// Whole colours at a time: the conversions give RGBToHSV's floats and
// HSVToRGBBytes's bytes.
void RowAvx2(Shift shift, const uint8_t* src, uint8_t* dst, size_t count) {
    float levels[3][colorspace::kBatch];
    colorspace::HSVPlanes hsv;
    for (size_t i = 0; i < count; i += colorspace::kBatch) {
        const int n = static_cast<int>(std::min<size_t>(colorspace::kBatch, count - i));
        const uint8_t* in = src + 4 * i;
        for (int j = 0; j < n; ++j)
            for (int k = 0; k < 3; ++k) levels[k][j] = in[4 * j + k];
        colorspace::RGBToHSVBatch(levels[0], levels[1], levels[2], n, hsv);
        AdjustAvx2(shift, hsv, n);
        colorspace::HSVToRGBBatch(hsv, n, dst + 4 * i);
    }
}

}  // namespace
#endif

void Row(Shift shift, const uint8_t* src, uint8_t* dst, size_t count) {
#if defined(__x86_64__)
    if (platform::ActiveSimd() >= platform::SimdLevel::Avx2) return RowAvx2(shift, src, dst, count);
#endif
    for (size_t i = 0; i < count; ++i) Pixel(shift, src + 4 * i, dst + 4 * i);
}

void plain::Pixel(Shift shift, const uint8_t* src, uint8_t* dst) {
    float h, s, v;
    RGBToHSV(src[0], src[1], src[2], h, s, v);
    Adjust(shift, h, s, v);
    int32_t r, g, b;
    HSVToRGB(h, s, v, r, g, b);
    dst[0] = static_cast<uint8_t>(r);
    dst[1] = static_cast<uint8_t>(g);
    dst[2] = static_cast<uint8_t>(b);
}

}  // namespace adjust_hsv

void HSV::Compute() {
    const adjust_hsv::Shift shift =
        adjust_hsv::ShiftOf(value(kHue), value(kSaturation), value(kLightness));
    const Image& source = *inputImages[0];
    // Each pixel depends on the same pixel of the source only. The fourth byte
    // keeps what the image held.
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const size_t count = static_cast<size_t>(y1 - y0) * image->width;
        adjust_hsv::Row(shift, source.pixel(0, y0), image->pixel(0, y0), count);
    });
}
