#include "nodes/filters/FromHSV.h"

#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
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
    const Image& source = *inputImages[0];
    // Each pixel depends on the same pixel of the source only.
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const uint8_t* src = source.pixel(0, y0);
        uint8_t* dst = image->pixel(0, y0);
        for (const uint8_t* end = image->pixel(0, y1); dst != end; src += 4, dst += 4) {
            float components[3];
            for (int k = 0; k < 3; ++k) components[order[k]] = src[k];
            const float h =
                single(components[0] * static_cast<long double>(colorspace::k360Over255));
            const float s =
                single(components[1] * static_cast<long double>(colorspace::kOneOver255));
            int32_t r, g, b;
            HSVToRGB(h, s, components[2], r, g, b);
            dst[0] = static_cast<uint8_t>(r);
            dst[1] = static_cast<uint8_t>(g);
            dst[2] = static_cast<uint8_t>(b);
            dst[3] = 0;
        }
    });
}
