#include "nodes/filters/BrightnessContrast.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "platform/Numeric.h"

namespace {

constexpr double kPerLevel = 0.00392156862745098;  // the double nearest 1/255
constexpr int kMaxSquareSum = 4 * 128 * 128;       // four deviations of at most 128

// The deviation vector's length L and L^e, both doubles. They depend only on
// the integer sum of squares, so each sum is worked out once per render.
struct Scale {
    double length = 0;
    double power = -1;  // negative: not yet computed (a power is never negative)
};

int SquareSum(const uint8_t* pixel) {
    int sum = 0;
    for (int k = 0; k < 4; ++k) sum += (pixel[k] - 127) * (pixel[k] - 127);
    return sum;
}

// L and L^e for every sum the source holds. Filled before the bands run, so
// they only read it.
std::vector<Scale> ScalesFor(const Image& source, double exponent) {
    std::vector<Scale> scales(kMaxSquareSum + 1);
    const uint8_t* pixel = source.bytes();
    for (int i = 0; i < source.pixelCount; ++i, pixel += 4) {
        const int sum = SquareSum(pixel);
        Scale& scale = scales[sum];
        if (scale.power >= 0) continue;
        scale.length = std::sqrt(static_cast<double>(sum));
        scale.power = std::pow(scale.length, exponent);
    }
    return scales;
}

// One byte of the result. Plain double arithmetic: the division by L and the
// multiplication by L^e are each rounded to double before truncation. At mid
// grey L is 0 and 0 / 0 has no value, which truncates to 0.
int ScaledLevel(int deviation, const Scale& scale, int brightness) {
    const double scaled = (deviation / scale.length) * scale.power;
    return std::clamp(platform::TruncToInt(scaled) + brightness + 127, 0, 255);
}

enum Slot { kBrightness, kContrast, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Brightness", -255, 255, 0),
    param::Int("Contrast", -255, 255, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

BrightnessContrast::BrightnessContrast(int width, int height)
    : Node("Brightness, Contrast", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

void BrightnessContrast::Compute() {
    const int brightness = value(kBrightness);
    const double exponent = (value(kContrast) + 255) * kPerLevel;
    const Image& src = *inputImages[0];
    const std::vector<Scale> scales = ScalesFor(src, exponent);
    // Each pixel depends on the same pixel of the source only.
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        const uint8_t* source = src.pixel(0, y0);
        uint8_t* target = image->pixel(0, y0);
        for (const uint8_t* end = image->pixel(0, y1); target != end; source += 4, target += 4) {
            const Scale& scale = scales[SquareSum(source)];
            int deviation[4];
            for (int k = 0; k < 4; ++k) deviation[k] = source[k] - 127;
            // All four bytes are read before any is written (the source may be this image).
            for (int k = 0; k < 4; ++k) target[k] = ScaledLevel(deviation[k], scale, brightness);
        }
    });
}
