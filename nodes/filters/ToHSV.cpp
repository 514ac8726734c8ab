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
        const size_t count = static_cast<size_t>(y1 - y0) * image->width;
        colorspace::HSVBytesRow(source.pixel(0, y0), image->pixel(0, y0), count, order);
    });
}
