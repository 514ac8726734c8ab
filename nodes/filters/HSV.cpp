#include "nodes/filters/HSV.h"

#include <algorithm>
#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "nodes/filters/ColorSpace.h"
#include "platform/Numeric.h"

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

void HSV::Compute() {
    const float dh = single(value(kHue));
    const float ds = single(value(kSaturation) * static_cast<long double>(colorspace::kOneOver255));
    const float dv = single(value(kLightness));
    const Image& source = *inputImages[0];
    // Each pixel depends on the same pixel of the source only.
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const uint8_t* src = source.pixel(0, y0);
        uint8_t* dst = image->pixel(0, y0);
        for (const uint8_t* end = image->pixel(0, y1); dst != end; src += 4, dst += 4) {
            float h, s, v;
            RGBToHSV(src[0], src[1], src[2], h, s, v);
            // A grey's hue of -1 is shifted too: with Saturation it turns reddish.
            h = single(static_cast<long double>(h) + dh);
            s = std::clamp(single(static_cast<long double>(s) + ds), 0.0f, 1.0f);
            v = std::clamp(single(static_cast<long double>(v) + dv), 0.0f, 255.0f);
            int32_t r, g, b;
            HSVToRGB(h, s, v, r, g, b);
            // The fourth byte keeps what the image held.
            dst[0] = static_cast<uint8_t>(r);
            dst[1] = static_cast<uint8_t>(g);
            dst[2] = static_cast<uint8_t>(b);
        }
    });
}
