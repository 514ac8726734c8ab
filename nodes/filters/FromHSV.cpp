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
        const size_t count = static_cast<size_t>(y1 - y0) * image->width;
        colorspace::RGBBytesRow(source.pixel(0, y0), image->pixel(0, y0), count, order);
    });
}
