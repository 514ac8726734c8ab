#include "nodes/filters/Mixer.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "nodes/filters/ColorSpace.h"
#include "platform/Numeric.h"

using platform::single;

namespace {

enum Mode { kAdd = 0, kHue = 1, kSaturation = 2, kMultiply = 3 };

// "Add" and "Mul" work on the raw bytes, fourth byte included; the amplitudes
// act as fractions of 256.
void AddBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
              uint32_t ampB) {
    for (size_t j = 0; j < count; ++j) {
        const uint32_t sum = ((a[j] * ampA) >> 8) + ((b[j] * ampB) >> 8);
        d[j] = static_cast<uint8_t>(std::min(sum, 255u));
    }
}

void MultiplyBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
                   uint32_t ampB) {
    for (size_t j = 0; j < count; ++j) {
        const uint32_t product = (((a[j] * ampA) >> 8) * ((b[j] * ampB) >> 8)) >> 8;
        d[j] = static_cast<uint8_t>(std::min(product, 255u));
    }
}

// The HSV modes: A's colour, scaled by ampA/255, goes through RGBToHSV;
// `adjust` changes h or s by an amount taken from m, the length of B's colour
// vector; HSVToRGB gives the colour bytes and the fourth byte becomes 0.
template <class Adjust>
void AdjustHSV(const Image& a, const Image& b, Image& d, uint32_t ampA, Adjust adjust) {
    ForEachRow(d.height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const uint8_t* pa = a.pixel(0, y0);
        const uint8_t* pb = b.pixel(0, y0);
        uint8_t* pd = d.pixel(0, y0);
        for (const uint8_t* end = d.pixel(0, y1); pd != end; pa += 4, pb += 4, pd += 4) {
            const uint32_t red = pa[0] * ampA / 255, green = pa[1] * ampA / 255,
                           blue = pa[2] * ampA / 255;
            const uint32_t squares = pb[0] * pb[0] + pb[1] * pb[1] + pb[2] * pb[2];
            const float m = single(std::sqrt(static_cast<long double>(squares)));
            float h, s, v;
            // Levels below 256: exact in float.
            RGBToHSV(static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue),
                     h, s, v);
            adjust(h, s, m);
            int32_t r, g, bl;
            HSVToRGB(h, s, v, r, g, bl);
            pd[0] = static_cast<uint8_t>(r);
            pd[1] = static_cast<uint8_t>(g);
            pd[2] = static_cast<uint8_t>(bl);
            pd[3] = 0;
        }
    });
}

// Hue rotation in degrees per unit of m.
void RotateHue(const Image& a, const Image& b, Image& d, uint32_t ampA, uint32_t ampB) {
    const float k =
        single(static_cast<double>(ampB) * colorspace::kOneOver255 * colorspace::k360Over255);
    AdjustHSV(a, b, d, ampA, [k](float& h, float&, float m) {
        double hue = h + static_cast<double>(m) * k;
        while (hue >= 360) hue -= 360;
        h = single(hue);
    });
}

// Saturation gain per unit of m; greys have no hue to saturate and stay grey.
void Saturate(const Image& a, const Image& b, Image& d, uint32_t ampA, uint32_t ampB) {
    const float k =
        single(static_cast<double>(ampB) * colorspace::kOneOver255 * colorspace::kOneOver255);
    AdjustHSV(a, b, d, ampA, [k](float& h, float& s, float m) {
        if (h == colorspace::kNoHue) return;
        s = single(std::clamp(s + static_cast<double>(m) * k, 0.0, 1.0));
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
            byteBands(AddBytes);
            break;
        case kMultiply:
            byteBands(MultiplyBytes);
            break;
        case kHue:
            RotateHue(a, b, *image, ampA, ampB);
            break;
        case kSaturation:
            Saturate(a, b, *image, ampA, ampB);
            break;
    }
}
