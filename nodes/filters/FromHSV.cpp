#include "nodes/filters/FromHSV.h"

#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "nodes/filters/ColorSpace.h"

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
            uint8_t components[3];
            for (int k = 0; k < 3; ++k) components[order[k]] = src[k];
            colorspace::RGBBytes(components[0], components[1], components[2], dst);
            dst[3] = 0;
        }
    });
}
