#include "nodes/filters/SineFilter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <iterator>

#include "engine/RowBands.h"
#include "platform/Numeric.h"

namespace {

constexpr double kRadiansPerHundredthDegree = 0.0001745329210988851;
constexpr double kRadiansPerDegree = 0.0174532925;

using LevelTable = std::array<uint8_t, 256>;

// The output level of every input level for one channel: the result depends on
// nothing else, so the sine runs 256 times per channel instead of per pixel.
LevelTable SineLevels(float step, float phase, float amp, float luminance) {
    LevelTable table;
    for (int level = 0; level < 256; ++level) {
        const double angle = platform::dbl(static_cast<long double>(level) * step + phase);
        const float y = platform::single(sinl(angle) * amp + luminance);
        table[level] = static_cast<uint8_t>(platform::TruncToInt(std::clamp(y, 0.0f, 255.0f)));
    }
    return table;
}

enum Slot { kLuminance, kAmp, kRange, kPhaseR, kPhaseG, kPhaseB, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Luminance", 0, 255, 127), param::Int("Amp", 0, 255, 127),
    param::Int("Range", 0, 255, 127),     param::Int("Phase R", 0, 360, 0),
    param::Int("Phase G", 0, 360, 0),     param::Int("Phase B", 0, 360, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

SineFilter::SineFilter(int width, int height)
    : Node("Sine filter", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

void SineFilter::Compute() {
    const float luminance = platform::single(value(kLuminance));
    const float amp = platform::single(value(kAmp));
    const float step =
        platform::single(static_cast<long double>(value(kRange)) * kRadiansPerHundredthDegree);
    LevelTable levels[3];
    for (int k = 0; k < 3; ++k) {
        const float phase =
            platform::single(static_cast<long double>(value(kPhaseR + k)) * kRadiansPerDegree);
        levels[k] = SineLevels(step, phase, amp, luminance);
    }
    const Image& src = *inputImages[0];
    // Each pixel depends on the same pixel of the source only. Byte 3 is left as it is.
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const uint8_t* source = src.pixel(0, y0);
        uint8_t* target = image->pixel(0, y0);
        const uint8_t* end = image->pixel(0, y1);
        for (; target != end; source += 4, target += 4)
            for (int k = 0; k < 3; ++k) target[k] = levels[k][source[k]];
    });
}
