#include "nodes/filters/EnvMap.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "platform/Numeric.h"

namespace {

constexpr double kPerLevel = 0.00392156862745098;  // the double nearest 1/255
constexpr double kRadiusBias = 0.0001;
constexpr double kAttenuationStep = 0.01;

struct Spot {
    int rmax;    // half the larger side; 0 for a 1 x 1 image
    double a;    // attenuation
    double k;    // slope
    double inv;  // 1 / rmax
};

Spot MakeSpot(int width, int height, int radius, int attenuation) {
    Spot spot;
    spot.rmax = std::max(width, height) / 2;
    const double rr = platform::dbl(static_cast<long double>(radius) * kPerLevel + kRadiusBias);
    spot.a = platform::dbl(static_cast<long double>(attenuation - 512) * kAttenuationStep);
    spot.k = platform::dbl((static_cast<long double>(spot.a) * rr * rr + 255) / rr);
    spot.inv = spot.rmax == 0 ? 0 : platform::dbl(1.0L / spot.rmax);
    return spot;
}

// The level at squared distance `squares` from the centre, limited to 0 ... 255.
int SpotLevel(const Spot& spot, int squares) {
    // With rmax 0 the distance scale 1 / rmax has no value (0 x infinity at the
    // only pixel), which converts to 0.
    if (spot.rmax == 0) return 0;
    const long double dist = sqrtl(squares);
    const long double t = 255 - (dist * spot.inv) * spot.k;
    return std::clamp(platform::TruncToInt(t * spot.a), 0, 255);
}

enum Slot { kRadius, kCubAtt, kChannel, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Radius", 0, 512, 255),
    param::Int("Cub. Att.", 0, 1023, 512),
    param::Choice("Channel", kChannelOptions),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

EnvMap::EnvMap(int width, int height) : Node("Environment map", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

void EnvMap::Compute() {
    const int channel = value(kChannel);
    const Spot spot = MakeSpot(image->width, image->height, value(kRadius), value(kCubAtt));
    const int cx = image->width / 2;
    const int cy = image->height / 2;
    // Every pixel depends on its squared distance from the centre only, and
    // columns cx - d and cx + d lie at the same distance: each row computes
    // its right half and mirrors it, the same levels by construction.
    const int w = image->width;
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        std::vector<uint8_t> levels(w);
        for (int y = y0; y < y1; ++y) {
            const int dy2 = (y - cy) * (y - cy);
            for (int x = cx; x < w; ++x)
                levels[x] = static_cast<uint8_t>(SpotLevel(spot, (x - cx) * (x - cx) + dy2));
            for (int x = 0; x < cx; ++x)
                levels[x] = 2 * cx - x < w ? levels[2 * cx - x]
                                           : static_cast<uint8_t>(SpotLevel(spot, cx * cx + dy2));
            uint8_t* out = image->pixel(0, y);
            for (int x = 0; x < w; ++x, out += 4) {
                for (int c = 0; c < 3; ++c)
                    out[c] = (channel == 3 || channel == c) ? levels[x] : uint8_t{0};
                out[3] = 255;
            }
        }
    });
}
