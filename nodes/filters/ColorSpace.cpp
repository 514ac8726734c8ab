#include "nodes/filters/ColorSpace.h"

#include <algorithm>
#include <cmath>

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
