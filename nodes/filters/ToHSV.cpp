#include "nodes/filters/ToHSV.h"

#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "nodes/filters/ColorSpace.h"
#include "platform/Numeric.h"

using platform::single;

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
            float h, s, v;
            RGBToHSV(src[0], src[1], src[2], h, s, v);
            // A grey's hue of -1 truncates to an H byte of 0.
            const float components[3] = {
                single(h * static_cast<long double>(colorspace::k255Over360)), single(s * 255.0L),
                v};
            for (int k = 0; k < 3; ++k)
                dst[k] = static_cast<uint8_t>(platform::TruncToInt(components[order[k]]));
            dst[3] = 0;
        }
    });
}
