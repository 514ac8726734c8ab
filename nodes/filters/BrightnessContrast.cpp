#include "nodes/filters/BrightnessContrast.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/Diagnostics.h"
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
    std::vector<Scale> scales(kMaxSquareSum + 1);
    const uint8_t* source = inputImages[0]->bytes();
    uint8_t* target = image->bytes();
    for (int i = 0; i < image->pixelCount; ++i, source += 4, target += 4) {
        int deviation[4];
        int sum = 0;
        for (int k = 0; k < 4; ++k) {
            deviation[k] = source[k] - 127;
            sum += deviation[k] * deviation[k];
        }
        Scale& scale = scales[sum];
        if (scale.power < 0) {
            scale.length = std::sqrt(static_cast<double>(sum));
            scale.power = std::pow(scale.length, exponent);
        }
        // All four bytes are read before any is written (the source may be this image).
        for (int k = 0; k < 4; ++k) target[k] = ScaledLevel(deviation[k], scale, brightness);
    }
}
