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

// Colours whose maximum is 255 reach every hue key, and (max, max - d, max - d)
// every saturation key.
std::unique_ptr<HSVTables> BuildHSVTables() {
    auto tables = std::make_unique<HSVTables>();
    uint8_t hsv[3];
    for (int channel = 0; channel < 3; ++channel)
        for (int x = 0; x < 256; ++x)
            for (int y = 0; y < 256; ++y) {
                int rgb[3];
                rgb[channel] = 255;
                rgb[(channel + 1) % 3] = x;
                rgb[(channel + 2) % 3] = y;
                const auto [r, g, b] = rgb;
                plain::HSVBytes(r, g, b, hsv);
                const HueKey key = HueKeyOf(r, g, b, 255, std::min({r, g, b}));
                tables->hue[key.channel][key.numerator][key.range] = hsv[0];
            }
    for (int max = 0; max < 256; ++max)
        for (int range = 0; range <= max; ++range) {
            plain::HSVBytes(max, max - range, max - range, hsv);
            tables->saturation[max][range] = hsv[1];
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

}  // namespace colorspace

void HSVToRGB(float h, float s, float v, int32_t& r, int32_t& g, int32_t& b) {
    double hue = h;
    while (hue < 0) hue += 360;
    while (hue >= 360) hue -= 360;
    if (s == 0) {
        r = g = b = TruncToInt(v);
    } else {
        const long double hh = static_cast<long double>(hue) * 0.016666666666666666;
        // floor takes its argument as a double.
        const double sectorStart = std::floor(platform::dbl(hh));
        const int32_t sector = TruncToInt(single(sectorStart));
        const float f = single(static_cast<long double>(single(hh)) - sectorStart);
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
            // The reduction above keeps hh below 6, so no other sector occurs.
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
