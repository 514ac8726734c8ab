#include "nodes/filters/FromHSV.h"

#include <iterator>

#include "engine/Diagnostics.h"
#include "nodes/filters/ColorSpace.h"
#include "platform/Numeric.h"

using platform::single;

namespace {

enum Slot { kLoadAs, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Choice("Load as", colorspace::kOrderOptions),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

FromHSV::FromHSV(int width, int height) : Node("HSV -> RGB", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

void FromHSV::Compute() {
    const int* order = colorspace::kComponentOrder[value(kLoadAs)];
    const uint8_t* src = inputImages[0]->bytes();
    uint8_t* dst = image->bytes();
    for (int32_t i = 0; i < image->pixelCount; ++i, src += 4, dst += 4) {
        float components[3];
        for (int k = 0; k < 3; ++k) components[order[k]] = src[k];
        const float h = single(components[0] * static_cast<long double>(colorspace::k360Over255));
        const float s = single(components[1] * static_cast<long double>(colorspace::kOneOver255));
        int32_t r, g, b;
        HSVToRGB(h, s, components[2], r, g, b);
        dst[0] = static_cast<uint8_t>(r);
        dst[1] = static_cast<uint8_t>(g);
        dst[2] = static_cast<uint8_t>(b);
        dst[3] = 0;
    }
}
