#include "nodes/filters/ToHSV.h"

#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "nodes/filters/ColorSpace.h"

namespace {

enum Slot { kStoreAs, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Choice("Store as", colorspace::kOrderOptions),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

ToHSV::ToHSV(int width, int height) : Node("RGB -> HSV", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

void ToHSV::Compute() {
    const int* order = colorspace::kComponentOrder[value(kStoreAs)];
    const Image& source = *inputImages[0];
    // Each pixel depends on the same pixel of the source only.
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const uint8_t* src = source.pixel(0, y0);
        uint8_t* dst = image->pixel(0, y0);
        for (const uint8_t* end = image->pixel(0, y1); dst != end; src += 4, dst += 4) {
            uint8_t hsv[3];
            colorspace::HSVBytes(src[0], src[1], src[2], hsv);
            for (int k = 0; k < 3; ++k) dst[k] = hsv[order[k]];
            dst[3] = 0;
        }
    });
}
