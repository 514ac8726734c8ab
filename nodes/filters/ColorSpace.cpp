#include "nodes/filters/ColorSpace.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "platform/Numeric.h"

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

}  // namespace

void RGBBytes(int h, int s, int v, uint8_t rgb[3]) {
    static const RGBTables tables = BuildRGBTables();
    // Only the S byte 0 gives a saturation of 0: a grey of level V.
    if (s == 0) {
        rgb[0] = rgb[1] = rgb[2] = static_cast<uint8_t>(v);
        return;
    }
    ShadeSector(tables.hue[h], tables.saturation[s], static_cast<float>(v), rgb);
}

}  // namespace colorspace
