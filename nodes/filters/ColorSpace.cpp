#include "nodes/filters/ColorSpace.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>

#include "platform/Numeric.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#define SWATCHER_AVX2 __attribute__((target("avx2,fma")))
#endif

using platform::single;
using platform::TruncToInt;

void RGBToHSV(float r, float g, float b, float& h, float& s, float& v) {
    const float max = std::max({r, g, b});
    const float min = std::min({r, g, b});
    v = max;
    s = 0;
    if (max != 0) s = single((static_cast<long double>(max) - min) / max);
    if (s == 0) {
        h = colorspace::kNoHue;
        return;
    }
    const long double d = static_cast<long double>(max) - min;
    // Red wins a tie over green, green over blue.
    if (r == max)
        h = single((static_cast<long double>(g) - b) / d);
    else if (g == max)
        h = single(2 + (static_cast<long double>(b) - r) / d);
    else
        h = single(4 + (static_cast<long double>(r) - g) / d);
    h = single(static_cast<long double>(h) * 60);
    while (h < 0) h = single(static_cast<long double>(h) + 360);
    while (h >= 360) h = single(static_cast<long double>(h) - 360);
}

namespace colorspace {

void plain::HSVBytes(int r, int g, int b, uint8_t hsv[3]) {
    float h, s, v;
    // Levels below 256: exact in float.
    RGBToHSV(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), h, s, v);
    // A grey's hue of -1 truncates to an H byte of 0.
    hsv[0] = static_cast<uint8_t>(TruncToInt(single(h * static_cast<long double>(k255Over360))));
    hsv[1] = static_cast<uint8_t>(TruncToInt(single(s * 255.0L)));
    hsv[2] = static_cast<uint8_t>(v);
}

namespace {

// RGBToHSV's hue depends only on the channel that wins the maximum (red over
// green over blue on ties), that case's numerator (g - b, b - r or r - g, in
// -255 .. 255) and max - min; its saturation only on max - min and max. So
// the tables, filled from the plain path, give the same bytes for every colour.
struct HSVTables {
    uint8_t hue[3][511][256];
    uint8_t saturation[256][256];  // [max][max - min]
};

struct HueKey {
    int channel, numerator, range;
};

HueKey HueKeyOf(int r, int g, int b, int max, int min) {
    const int channel = r == max ? 0 : g == max ? 1 : 2;
    const int numerator = channel == 0 ? g - b : channel == 1 ? b - r : r - g;
    return {channel, numerator + 255, max - min};
}

// Colours whose maximum is 255 reach every hue key.
template <class F>
void ForEveryHueKey(F visit) {
    for (int channel = 0; channel < 3; ++channel)
        for (int x = 0; x < 256; ++x)
            for (int y = 0; y < 256; ++y) {
                int rgb[3];
                rgb[channel] = 255;
                rgb[(channel + 1) % 3] = x;
                rgb[(channel + 2) % 3] = y;
                const auto [r, g, b] = rgb;
                visit(r, g, b, HueKeyOf(r, g, b, 255, std::min({r, g, b})));
            }
}

// (max, max - d, max - d) reaches every saturation key.
std::unique_ptr<HSVTables> BuildHSVTables() {
    auto tables = std::make_unique<HSVTables>();
    uint8_t hsv[3];
    ForEveryHueKey([&](int r, int g, int b, HueKey key) {
        plain::HSVBytes(r, g, b, hsv);
        tables->hue[key.channel][key.numerator][key.range] = hsv[0];
    });
    for (int max = 0; max < 256; ++max)
        for (int range = 0; range <= max; ++range) {
            plain::HSVBytes(max, max - range, max - range, hsv);
            tables->saturation[max][range] = hsv[1];
        }
    return tables;
}

// The same keys for the hue and saturation RGBToHSV holds as floats, packed
// into triangles: numerator -range .. range under each range, range 0 .. max
// under each max.
struct HSVFloatTables {
    float hue[3][256 * 256];
    float saturation[256 * 257 / 2];
};

int HueIndex(HueKey key) {
    return key.range * key.range + key.numerator - 255 + key.range;
}

int SaturationIndex(int max, int range) {
    return max * (max + 1) / 2 + range;
}

std::unique_ptr<HSVFloatTables> BuildHSVFloatTables() {
    auto tables = std::make_unique<HSVFloatTables>();
    float h, s, v;
    ForEveryHueKey([&](int r, int g, int b, HueKey key) {
        RGBToHSV(static_cast<float>(r), static_cast<float>(g), static_cast<float>(b), h, s, v);
        tables->hue[key.channel][HueIndex(key)] = h;
    });
    for (int max = 0; max < 256; ++max)
        for (int range = 0; range <= max; ++range) {
            RGBToHSV(static_cast<float>(max), static_cast<float>(max - range),
                     static_cast<float>(max - range), h, s, v);
            tables->saturation[SaturationIndex(max, range)] = s;
        }
    return tables;
}

}  // namespace

void HSVBytes(int r, int g, int b, uint8_t hsv[3]) {
    // Built on first use; a function-local static is initialised once, safely
    // across threads.
    static const std::unique_ptr<HSVTables> tables = BuildHSVTables();
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    const HueKey key = HueKeyOf(r, g, b, max, min);
    hsv[0] = tables->hue[key.channel][key.numerator][key.range];
    hsv[1] = tables->saturation[max][key.range];
    hsv[2] = static_cast<uint8_t>(max);
}

void HSVOfBytes(int r, int g, int b, float& h, float& s, float& v) {
    static const std::unique_ptr<HSVFloatTables> tables = BuildHSVFloatTables();
    const int max = std::max({r, g, b});
    const int min = std::min({r, g, b});
    v = static_cast<float>(max);
    // Only greys have no range, and only they a saturation of 0.
    if (max == min) {
        s = 0;
        h = kNoHue;
        return;
    }
    const HueKey key = HueKeyOf(r, g, b, max, min);
    h = tables->hue[key.channel][HueIndex(key)];
    s = tables->saturation[SaturationIndex(max, key.range)];
}

HueSector SectorOf(float h) {
    double hue = h;
    while (hue < 0) hue += 360;
    while (hue >= 360) hue -= 360;
    const long double hh = static_cast<long double>(hue) * 0.016666666666666666;
    // floor takes its argument as a double.
    const double sectorStart = std::floor(platform::dbl(hh));
    return {platform::TruncSingleToInt(single(sectorStart)),
            single(static_cast<long double>(single(hh)) - sectorStart)};
}

}  // namespace colorspace

void HSVToRGB(float h, float s, float v, int32_t& r, int32_t& g, int32_t& b) {
    if (s == 0) {
        r = g = b = TruncToInt(v);
    } else {
        const auto [sector, f] = colorspace::SectorOf(h);
        const long double p = (1 - static_cast<long double>(s)) * v;
        const float q = single((1 - static_cast<long double>(f) * s) * v);
        const float t = single((1 - (1 - static_cast<long double>(f)) * s) * v);
        const float pSingle = single(p);
        long double red, green, blue;
        switch (sector) {
            case 0:
                red = v, green = t, blue = p;
                break;
            case 1:
                red = q, green = v, blue = p;
                break;
            case 2:
                red = pSingle, green = v, blue = t;
                break;
            case 3:
                red = pSingle, green = q, blue = v;
                break;
            case 4:
                red = t, green = pSingle, blue = v;
                break;
            // The reduction keeps the sector start below 6, so no other sector occurs.
            default:
                red = v, green = pSingle, blue = q;
                break;
        }
        r = TruncToInt(red);
        g = TruncToInt(green);
        b = TruncToInt(blue);
    }
    r = std::min(r, 255);
    g = std::min(g, 255);
    b = std::min(b, 255);
}

namespace colorspace {

// HSVToRGB's components for s != 0: the same values worked out by the same
// operations, each sector picking three of them. Picking from a table instead
// of branching keeps the speed on images whose hues jump from pixel to pixel.
void ShadeSector(HueSector hue, float s, float v, uint8_t rgb[3]) {
    enum { kV, kP, kPSingle, kQ, kT };
    static constexpr uint8_t kPicks[6][3] = {{kV, kT, kP},       {kQ, kV, kP},
                                             {kPSingle, kV, kT}, {kPSingle, kQ, kV},
                                             {kT, kPSingle, kV}, {kV, kPSingle, kQ}};
    const long double p = (1 - static_cast<long double>(s)) * v;
    const float q = single((1 - static_cast<long double>(hue.f) * s) * v);
    const float t = single((1 - (1 - static_cast<long double>(hue.f)) * s) * v);
    // Limited to 255 as HSVToRGB limits them; a float truncates in one conversion.
    const auto byte = [](int32_t x) { return static_cast<uint8_t>(std::min(x, 255)); };
    const auto floatByte = [&](float x) { return byte(platform::TruncSingleToInt(x)); };
    const uint8_t components[5] = {floatByte(v), byte(TruncToInt(p)), floatByte(single(p)),
                                   floatByte(q), floatByte(t)};
    // The reduction keeps the sector start below 6.
    const uint8_t* picks = kPicks[hue.sector];
    for (int k = 0; k < 3; ++k) rgb[k] = components[picks[k]];
}

void HSVToRGBBytes(float h, float s, float v, uint8_t rgb[3]) {
    if (s == 0)
        rgb[0] = rgb[1] = rgb[2] = static_cast<uint8_t>(std::min(TruncToInt(v), 255));
    else
        ShadeSector(SectorOf(h), s, v, rgb);
}

void plain::RGBBytes(int h, int s, int v, uint8_t rgb[3]) {
    const float hue = single(h * static_cast<long double>(k360Over255));
    const float saturation = single(s * static_cast<long double>(kOneOver255));
    int32_t r, g, b;
    HSVToRGB(hue, saturation, static_cast<float>(v), r, g, b);
    rgb[0] = static_cast<uint8_t>(r);
    rgb[1] = static_cast<uint8_t>(g);
    rgb[2] = static_cast<uint8_t>(b);
}

namespace {

// The hue's sector and fraction come from the H byte alone and the saturation
// from the S byte alone, computed as plain::RGBBytes does.
struct RGBTables {
    HueSector hue[256];
    float saturation[256];
};

RGBTables BuildRGBTables() {
    RGBTables tables;
    for (int level = 0; level < 256; ++level) {
        tables.hue[level] = SectorOf(single(level * static_cast<long double>(k360Over255)));
        tables.saturation[level] = single(level * static_cast<long double>(kOneOver255));
    }
    return tables;
}

const RGBTables& Tables() {
    static const RGBTables tables = BuildRGBTables();
    return tables;
}

}  // namespace

void RGBBytes(int h, int s, int v, uint8_t rgb[3]) {
    const RGBTables& tables = Tables();
    // Only the S byte 0 gives a saturation of 0: a grey of level V.
    if (s == 0) {
        rgb[0] = rgb[1] = rgb[2] = static_cast<uint8_t>(v);
        return;
    }
    ShadeSector(tables.hue[h], tables.saturation[s], static_cast<float>(v), rgb);
}

}  // namespace colorspace

namespace colorspace {
namespace {

// The rows pixel by pixel through the tables: the SSE2 and plain levels.
void HSVBytesPixels(const uint8_t* src, uint8_t* dst, size_t count, const int order[3]) {
    for (size_t i = 0; i < count; ++i, src += 4, dst += 4) {
        uint8_t hsv[3];
        HSVBytes(src[0], src[1], src[2], hsv);
        for (int k = 0; k < 3; ++k) dst[k] = hsv[order[k]];
        dst[3] = 0;
    }
}

void RGBBytesPixels(const uint8_t* src, uint8_t* dst, size_t count, const int order[3]) {
    for (size_t i = 0; i < count; ++i, src += 4, dst += 4) {
        uint8_t components[3];
        for (int k = 0; k < 3; ++k) components[order[k]] = src[k];
        RGBBytes(components[0], components[1], components[2], dst);
        dst[3] = 0;
    }
}

#if defined(__x86_64__)

struct HSV8 {
    __m256 h, s, v;
};

// RGBToHSV in eight float lanes, for whole-number levels below 1024. Exact:
// the hue before * 60 is one quotient (numerator + offset * range) / range and
// the saturation (max - min) / max, of whole numbers below 2^13. Such a
// quotient lies on a float rounding midpoint or at least 2^-34 of its size away
// from one, while the extended quotient is within 2^-64 of it, so rounding
// that to float gives the correctly rounded float quotient. * 60 and + 360 act
// on floats whose exact result fits the extended significand, so each is one
// correctly rounded float operation too. A hue of at least -60 needs one turn.
SWATCHER_AVX2 HSV8 HSVOf8(__m256 r, __m256 g, __m256 b) {
    const __m256 max = _mm256_max_ps(r, _mm256_max_ps(g, b));
    const __m256 min = _mm256_min_ps(r, _mm256_min_ps(g, b));
    const __m256 one = _mm256_set1_ps(1);
    const __m256 grey = _mm256_cmp_ps(max, min, _CMP_EQ_OQ);
    // Greys divide by 1 instead of 0 and take their own hue and saturation.
    const __m256 range = _mm256_blendv_ps(_mm256_sub_ps(max, min), one, grey);
    const __m256 redWins = _mm256_cmp_ps(r, max, _CMP_EQ_OQ);
    const __m256 greenWins = _mm256_andnot_ps(redWins, _mm256_cmp_ps(g, max, _CMP_EQ_OQ));
    __m256 numerator = _mm256_blendv_ps(_mm256_sub_ps(r, g), _mm256_sub_ps(b, r), greenWins);
    numerator = _mm256_blendv_ps(numerator, _mm256_sub_ps(g, b), redWins);
    __m256 offset = _mm256_blendv_ps(_mm256_set1_ps(4), _mm256_set1_ps(2), greenWins);
    offset = _mm256_andnot_ps(redWins, offset);
    __m256 h = _mm256_div_ps(_mm256_add_ps(numerator, _mm256_mul_ps(offset, range)), range);
    h = _mm256_mul_ps(h, _mm256_set1_ps(60));
    const __m256 negative = _mm256_cmp_ps(h, _mm256_setzero_ps(), _CMP_LT_OQ);
    h = _mm256_add_ps(h, _mm256_and_ps(negative, _mm256_set1_ps(360)));
    const __m256 s = _mm256_div_ps(_mm256_sub_ps(max, min), _mm256_blendv_ps(max, one, grey));
    return {_mm256_blendv_ps(h, _mm256_set1_ps(kNoHue), grey), _mm256_andnot_ps(grey, s), max};
}

SWATCHER_AVX2 __m256 LevelOf8(__m256i pixels, int shift) {
    return _mm256_cvtepi32_ps(
        _mm256_and_si256(_mm256_srli_epi32(pixels, shift), _mm256_set1_epi32(255)));
}

// The H and S bytes: the product of two floats is exact in extended precision,
// so rounding it once gives the float product, which truncates exactly.
SWATCHER_AVX2 void HSVBytes8(const uint8_t* src, uint8_t* dst, const int order[3]) {
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    const HSV8 c = HSVOf8(LevelOf8(pixels, 0), LevelOf8(pixels, 8), LevelOf8(pixels, 16));
    const __m256i parts[3] = {_mm256_cvttps_epi32(_mm256_mul_ps(c.h, _mm256_set1_ps(k255Over360))),
                              _mm256_cvttps_epi32(_mm256_mul_ps(c.s, _mm256_set1_ps(255))),
                              _mm256_cvttps_epi32(c.v)};
    const __m256i out =
        _mm256_or_si256(parts[order[0]], _mm256_or_si256(_mm256_slli_epi32(parts[order[1]], 8),
                                                         _mm256_slli_epi32(parts[order[2]], 16)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst), out);
}

SWATCHER_AVX2 void HSVBytesRowAvx2(const uint8_t* src, uint8_t* dst, size_t count,
                                   const int order[3]) {
    size_t i = 0;
    for (; i + 8 <= count; i += 8) HSVBytes8(src + 4 * i, dst + 4 * i, order);
    HSVBytesPixels(src + 4 * i, dst + 4 * i, count - i, order);
}

struct Sectors4 {
    __m128i sector;
    __m256d f;
    int unsure;  // lanes left to the plain code
};

// SectorOf in four double lanes for hues in [-360, 720), reduced by the same
// double arithmetic. Where the plain code rounds the extended product
// hh = hue * (1/60) to double, the fused residual gives the exact product
// d + e: while d + e * (1 + 2^-8) still rounds to d, the product is more than
// 2^-60 of its size inside d's rounding interval, where the extended rounding
// (within 2^-63) cannot take it out, so hh rounds to d and the sector start
// floor(d) is exact. single(hh) is rounded from within 2^-50 of d: when d moved
// 2^-45 either way rounds to one float, so does hh, and its fraction f is that
// float less the start, exactly.
SWATCHER_AVX2 Sectors4 SectorsOf4(__m128 h) {
    const __m256d turn = _mm256_set1_pd(360);
    __m256d hue = _mm256_cvtps_pd(h);
    const __m256d inRange = _mm256_and_pd(_mm256_cmp_pd(hue, _mm256_set1_pd(-360), _CMP_GE_OQ),
                                          _mm256_cmp_pd(hue, _mm256_set1_pd(720), _CMP_LT_OQ));
    hue = _mm256_add_pd(hue,
                        _mm256_and_pd(_mm256_cmp_pd(hue, _mm256_setzero_pd(), _CMP_LT_OQ), turn));
    hue = _mm256_sub_pd(hue, _mm256_and_pd(_mm256_cmp_pd(hue, turn, _CMP_GE_OQ), turn));
    const __m256d sixtieth = _mm256_set1_pd(0.016666666666666666);
    const __m256d d = _mm256_mul_pd(hue, sixtieth);
    const __m256d e = _mm256_fmsub_pd(hue, sixtieth, d);
    const __m256d widened = _mm256_mul_pd(e, _mm256_set1_pd(1 + 0x1p-8));
    const __m256d rounded = _mm256_cmp_pd(_mm256_add_pd(d, widened), d, _CMP_EQ_OQ);
    const __m256d start = _mm256_floor_pd(d);
    const __m256d margin = _mm256_set1_pd(0x1p-45);
    const __m128 hh = _mm256_cvtpd_ps(d);
    const __m128 oneFloat = _mm_cmpeq_ps(_mm256_cvtpd_ps(_mm256_sub_pd(d, margin)),
                                         _mm256_cvtpd_ps(_mm256_add_pd(d, margin)));
    const __m128i sector = _mm256_cvttpd_epi32(start);
    const int sure = _mm256_movemask_pd(_mm256_and_pd(inRange, rounded)) &
                     _mm_movemask_ps(oneFloat) &
                     ~_mm_movemask_ps(_mm_castsi128_ps(_mm_cmpgt_epi32(sector, _mm_set1_epi32(5))));
    return {sector, _mm256_sub_pd(_mm256_cvtps_pd(hh), start), ~sure & 15};
}

struct Shades4 {
    __m128i rgb;  // bytes 0 .. 2 of four pixels, byte 3 zero
    int unsure;
};

// A component's byte from its double value x, and whether x moved by the
// margin either way gives the same byte.
struct SureByte {
    __m128i byte, differs;
};

SWATCHER_AVX2 __m128i TruncatedByte(__m256d x) {
    return _mm_min_epi32(_mm256_cvttpd_epi32(x), _mm_set1_epi32(255));
}

SWATCHER_AVX2 __m128i FloatByte(__m256d x) {
    return _mm_min_epi32(_mm_cvttps_epi32(_mm256_cvtpd_ps(x)), _mm_set1_epi32(255));
}

SWATCHER_AVX2 SureByte SureByteOf(__m256d x) {
    const __m256d margin = _mm256_set1_pd(0x1p-34);
    const __m128i low = FloatByte(_mm256_sub_pd(x, margin));
    return {low, _mm_xor_si128(low, FloatByte(_mm256_add_pd(x, margin)))};
}

// SureByteOf in fewer steps for x in [0, 1024), leaving more lanes unsure:
// every lane within 2^-14 below a whole number, which are rare where v is a
// whole number. With k = floor(x + 2^-30), the extended value lies above
// k - 2^-29, so it rounds to the float k at least (floats are at least 2^-24
// apart below a whole k >= 1, and nothing lies below 0). While x + 2^-30 is not
// within 2^-14 below k + 1, the value lies more than 2^-15 below k + 1, where
// floats below 1024 are at most 2^-14 apart, so it rounds below k + 1.
struct CoarseByte {
    __m128i byte;
    __m256d unsure;  // a lane mask
};

SWATCHER_AVX2 CoarseByte CoarseSureByteOf(__m256d x) {
    const __m256d y = _mm256_add_pd(x, _mm256_set1_pd(0x1p-30));
    const __m256d k = _mm256_floor_pd(y);
    const __m256d close =
        _mm256_cmp_pd(_mm256_sub_pd(y, k), _mm256_set1_pd(1 - 0x1p-14), _CMP_GT_OQ);
    return {TruncatedByte(k), close};
}

// The components of four lanes, byte k of each lane from component
// picks[sector][k] (0 v, 1 p, 2 q, 3 t) as ShadeSector picks them.
SWATCHER_AVX2 __m128i Pick(__m128i sector, __m128i v, __m128i p, __m128i q, __m128i t) {
    const __m128i components =
        _mm_or_si128(_mm_or_si128(v, _mm_slli_epi32(p, 8)),
                     _mm_or_si128(_mm_slli_epi32(q, 16), _mm_slli_epi32(t, 24)));
    // Per sector the component indices of red, green and blue; 0x80 zeroes byte 3.
    const __m256i picks = _mm256_setr_epi32(0x80010300, 0x80010002, 0x80030001, 0x80000201,
                                            0x80000103, 0x80020100, 0, 0);
    const __m128i lane = _mm_setr_epi32(0, 0x040404, 0x080808, 0x0C0C0C);
    const __m128i control = _mm_add_epi32(
        _mm256_castsi256_si128(_mm256_permutevar8x32_epi32(picks, _mm256_castsi128_si256(sector))),
        lane);
    return _mm_shuffle_epi8(components, control);
}

// The truncated extended product of 1 - s (exact in double for s = 0 or s of
// at least 2^-29) and v. The fused residual gives the exact product x = p + e.
// Where p is no whole number, x is at least 2^-53 from one, beyond the
// extended rounding (2^-55 below 1024): x truncates to floor(p). Where p is a
// whole number, x truncates to p or, 2^-50 or more below it, to p - 1; closer
// than that below is left to the plain code. Greys (s = 0) are picked apart.
SWATCHER_AVX2 SureByte TruncatedProduct(__m256d a, __m256d v, __m128 s) {
    const __m256d p = _mm256_mul_pd(a, v), e = _mm256_fmsub_pd(a, v, p);
    const __m256d start = _mm256_floor_pd(p), zero = _mm256_setzero_pd();
    const __m256d below =
        _mm256_and_pd(_mm256_cmp_pd(p, start, _CMP_EQ_OQ), _mm256_cmp_pd(e, zero, _CMP_LT_OQ));
    const __m256d close =
        _mm256_and_pd(below, _mm256_cmp_pd(e, _mm256_set1_pd(-0x1p-50), _CMP_GT_OQ));
    const __m128 tiny =
        _mm_and_ps(_mm_cmpgt_ps(s, _mm_setzero_ps()), _mm_cmplt_ps(s, _mm_set1_ps(0x1p-29f)));
    const __m128i unsure = _mm_or_si128(
        _mm_castps_si128(tiny), _mm256_cvtpd_epi32(_mm256_and_pd(close, _mm256_set1_pd(1))));
    return {TruncatedByte(_mm256_sub_pd(start, _mm256_and_pd(below, _mm256_set1_pd(1)))), unsure};
}

// ShadeSector in four double lanes, for s in [0, 1] and v in [0, 1023], greys
// (s = 0) included. q, t and p are each within 2^-41 of their exact value in
// double, as they are in extended precision (so within 2^-40 of each other),
// and reach their float bytes through monotonic steps (rounding to float,
// truncating, limiting to 255): when x moved 2^-34 either way gives one byte,
// the extended value gives it too. p truncated straight has its edges on whole
// numbers, where p often lands; it takes the exact product above. Other lanes
// are left to the plain code.
//
// With kFromBytes, s is an S byte over 255 rounded to float and v a whole V
// byte, as the HSV -> RGB node has them. Then 1 - s is a multiple of 2^-32
// below 1 and p = (1 - s) v one below 256: exact in double as in extended
// precision, so p truncates and rounds to float as the plain code's does, with
// no guard; every lane is in range; and q and t take the coarse check.
template <bool kFromBytes>
SWATCHER_AVX2 inline __attribute__((always_inline)) Shades4 ShadesOf4(__m128i sector, __m256d f,
                                                                      __m128 s, __m128 v) {
    const __m256d one = _mm256_set1_pd(1), sd = _mm256_cvtps_pd(s), vd = _mm256_cvtps_pd(v);
    const __m256d p = _mm256_mul_pd(_mm256_sub_pd(one, sd), vd);
    const __m256d q = _mm256_mul_pd(_mm256_sub_pd(one, _mm256_mul_pd(f, sd)), vd);
    const __m256d t =
        _mm256_mul_pd(_mm256_sub_pd(one, _mm256_mul_pd(_mm256_sub_pd(one, f), sd)), vd);
    __m128i pt, ps, qb, tb;
    int sure;
    if constexpr (kFromBytes) {
        pt = _mm256_cvttpd_epi32(p);
        ps = _mm_cvttps_epi32(_mm256_cvtpd_ps(p));
        const CoarseByte qc = CoarseSureByteOf(q), tc = CoarseSureByteOf(t);
        qb = qc.byte, tb = tc.byte;
        sure = ~_mm256_movemask_pd(_mm256_or_pd(qc.unsure, tc.unsure));
    } else {
        const SureByte pts = TruncatedProduct(_mm256_sub_pd(one, sd), vd, s);
        const SureByte pss = SureByteOf(p), qs = SureByteOf(q), ts = SureByteOf(t);
        pt = pts.byte, ps = pss.byte, qb = qs.byte, tb = ts.byte;
        const __m128 inRange = _mm_and_ps(
            _mm_and_ps(_mm_cmpge_ps(s, _mm_setzero_ps()), _mm_cmple_ps(s, _mm_set1_ps(1))),
            _mm_and_ps(_mm_cmpge_ps(v, _mm_setzero_ps()), _mm_cmple_ps(v, _mm_set1_ps(1023))));
        const __m128i differs = _mm_or_si128(_mm_or_si128(pts.differs, pss.differs),
                                             _mm_or_si128(qs.differs, ts.differs));
        sure = _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(differs, _mm_setzero_si128()))) &
               _mm_movemask_ps(inRange);
    }
    const __m128i vb = _mm_min_epi32(_mm_cvttps_epi32(v), _mm_set1_epi32(255));
    const __m128 grey = _mm_cmpeq_ps(s, _mm_setzero_ps());
    // p is truncated straight in sectors 0 and 1, through a float in the others;
    // greys are v throughout.
    const __m128i pByte = _mm_blendv_epi8(ps, pt, _mm_cmplt_epi32(sector, _mm_set1_epi32(2)));
    const __m128i shaded = Pick(sector, vb, pByte, qb, tb);
    const __m128i grey3 = _mm_mullo_epi32(vb, _mm_set1_epi32(0x010101));
    return {_mm_blendv_epi8(shaded, grey3, _mm_castps_si128(grey)),
            ~(sure | _mm_movemask_ps(grey)) & 15};
}

// Four pixels' bytes 0 .. 2 from the shades; byte 3 from keep.
SWATCHER_AVX2 void StoreShades4(const Shades4& c, __m128i keep, uint8_t* dst) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_or_si128(c.rgb, keep));
}

// HSVToRGBBytes's bytes in four lanes; greys need no sector.
SWATCHER_AVX2 Shades4 HSVShades4(__m128 h, __m128 s, __m128 v) {
    const Sectors4 hue = SectorsOf4(h);
    Shades4 c = ShadesOf4<false>(hue.sector, hue.f, s, v);
    c.unsure |= hue.unsure & ~_mm_movemask_ps(_mm_cmpeq_ps(s, _mm_setzero_ps()));
    return c;
}

// The sectors and fractions of the H bytes h[0], h[4], h[8] and h[12] from
// the table, each entry one 64-bit load: the sector in its low half, the
// fraction in its high half. Four plain loads, not a gather: some CPUs run
// gathers as microcode, which took this kernel at half speed.
SWATCHER_AVX2 Sectors4 SectorsOfBytes4(const HueSector* hues, const uint8_t* h) {
    static_assert(sizeof(HueSector) == 8 && offsetof(HueSector, f) == 4);
    const auto entry = [hues](uint8_t k) {
        long long bits;
        std::memcpy(&bits, &hues[k], 8);
        return bits;
    };
    const __m256i pairs = _mm256_set_epi64x(entry(h[12]), entry(h[8]), entry(h[4]), entry(h[0]));
    const __m256i split =
        _mm256_permutevar8x32_epi32(pairs, _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7));
    return {_mm256_castsi256_si128(split),
            _mm256_cvtps_pd(_mm_castsi128_ps(_mm256_extracti128_si256(split, 1))), 0};
}

SWATCHER_AVX2 void RGBBytesRowAvx2(const uint8_t* src, uint8_t* dst, size_t count,
                                   const int order[3]) {
    const HueSector* hues = Tables().hue;
    const int hueByte = order[0] == 0 ? 0 : order[1] == 0 ? 1 : 2;  // the byte that is H
    size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
        __m128i part[3];
        for (int k = 0; k < 3; ++k)
            part[order[k]] = _mm_and_si128(_mm_srli_epi32(pixels, 8 * k), _mm_set1_epi32(255));
        // The hue's sector and fraction from the plain code's table of the H
        // byte; the saturation the S byte stands for: a byte times a float is
        // exact in extended precision, so rounding it once is the float product.
        const Sectors4 hue = SectorsOfBytes4(hues, src + 4 * i + hueByte);
        const Shades4 c = ShadesOf4<true>(
            hue.sector, hue.f, _mm_mul_ps(_mm_cvtepi32_ps(part[1]), _mm_set1_ps(kOneOver255)),
            _mm_cvtepi32_ps(part[2]));
        // The unsure pixels come from a copy: dst may be src.
        alignas(16) uint8_t copy[16];
        _mm_store_si128(reinterpret_cast<__m128i*>(copy), pixels);
        StoreShades4(c, _mm_setzero_si128(), dst + 4 * i);
        for (int unsure = c.unsure; unsure != 0; unsure &= unsure - 1) {
            const int k = __builtin_ctz(unsure);
            RGBBytesPixels(copy + 4 * k, dst + 4 * (i + k), 1, order);
        }
    }
    RGBBytesPixels(src + 4 * i, dst + 4 * i, count - i, order);
}

SWATCHER_AVX2 void RGBToHSVBatchAvx2(const float* r, const float* g, const float* b, int count,
                                     HSVPlanes& hsv) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const HSV8 c =
            HSVOf8(_mm256_loadu_ps(r + i), _mm256_loadu_ps(g + i), _mm256_loadu_ps(b + i));
        _mm256_storeu_ps(hsv.h + i, c.h);
        _mm256_storeu_ps(hsv.s + i, c.s);
        _mm256_storeu_ps(hsv.v + i, c.v);
    }
    for (; i < count; ++i) RGBToHSV(r[i], g[i], b[i], hsv.h[i], hsv.s[i], hsv.v[i]);
}

SWATCHER_AVX2 void HSVToRGBBatchAvx2(const HSVPlanes& hsv, int count, uint8_t* pixels) {
    int i = 0;
    for (; i + 4 <= count; i += 4) {
        const Shades4 c =
            HSVShades4(_mm_loadu_ps(hsv.h + i), _mm_loadu_ps(hsv.s + i), _mm_loadu_ps(hsv.v + i));
        uint8_t* dst = pixels + 4 * i;
        const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dst));
        StoreShades4(c, _mm_and_si128(old, _mm_set1_epi32(int32_t(0xFF000000u))), dst);
        for (int unsure = c.unsure; unsure != 0; unsure &= unsure - 1) {
            const int k = i + __builtin_ctz(unsure);
            HSVToRGBBytes(hsv.h[k], hsv.s[k], hsv.v[k], pixels + 4 * k);
        }
    }
    for (; i < count; ++i) HSVToRGBBytes(hsv.h[i], hsv.s[i], hsv.v[i], pixels + 4 * i);
}

bool Avx2() {
    return platform::ActiveSimd() >= platform::SimdLevel::Avx2;
}

#endif

}  // namespace

void HSVBytesRow(const uint8_t* src, uint8_t* dst, size_t count, const int order[3]) {
#if defined(__x86_64__)
    if (Avx2()) return HSVBytesRowAvx2(src, dst, count, order);
#endif
    HSVBytesPixels(src, dst, count, order);
}

void RGBBytesRow(const uint8_t* src, uint8_t* dst, size_t count, const int order[3]) {
#if defined(__x86_64__)
    if (Avx2()) return RGBBytesRowAvx2(src, dst, count, order);
#endif
    RGBBytesPixels(src, dst, count, order);
}

void RGBToHSVBatch(const float* r, const float* g, const float* b, int count, HSVPlanes& hsv) {
#if defined(__x86_64__)
    if (Avx2()) return RGBToHSVBatchAvx2(r, g, b, count, hsv);
#endif
    for (int i = 0; i < count; ++i) RGBToHSV(r[i], g[i], b[i], hsv.h[i], hsv.s[i], hsv.v[i]);
}

void HSVToRGBBatch(const HSVPlanes& hsv, int count, uint8_t* pixels) {
#if defined(__x86_64__)
    if (Avx2()) return HSVToRGBBatchAvx2(hsv, count, pixels);
#endif
    for (int i = 0; i < count; ++i) HSVToRGBBytes(hsv.h[i], hsv.s[i], hsv.v[i], pixels + 4 * i);
}

}  // namespace colorspace
