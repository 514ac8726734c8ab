#include "nodes/filters/Bump.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/RowBands.h"
#include "platform/Numeric.h"

namespace {

struct Light {
    double x, y, h, intensity;
};

// The light direction scaled to length 1 (kept as it is when it has none).
Light MakeLight(double x, double y, double h, double intensity) {
    const long double length = sqrtl((h * h + y * y) + x * x);
    if (length != 0) {
        x = platform::dbl(x / length);
        y = platform::dbl(y / length);
        h = platform::dbl(h / length);
    }
    return {x, y, h, intensity};
}

// The lighting factor f for the brightness gradient (gx, gy). A gradient too
// steep for a unit normal has no square root and gives 0.
int LightFactor(int gx, int gy, const Light& light) {
    long double nx = gx;
    long double ny = gy;
    long double nz = sqrtl(65025 - (gx * gx + gy * gy));
    const long double length = sqrtl((nz * nz + nx * nx) + ny * ny);
    if (length != 0) {
        nx /= length;
        ny /= length;
        nz /= length;
    }
    const long double dot = (nz * light.h + ny * light.y) + nx * light.x;
    return std::max(platform::TruncToInt((dot * light.intensity + 1) * 255), 0);
}

int Average(const uint8_t* p) {
    return (p[0] + p[1] + p[2]) / 3;
}

// f for every gradient, filled on first use: gradients lie in -255 ... 255.
// Bands may fill an entry at once; each writes the same value, a function of
// the gradient alone, so relaxed atomics suffice.
class FactorCache {
public:
    explicit FactorCache(const Light& light) : light_(light), factors_(511 * 511) {
        for (auto& f : factors_) f.store(-1, std::memory_order_relaxed);
    }
    int operator()(int gx, int gy) {
        std::atomic<int>& entry = factors_[(gx + 255) * 511 + gy + 255];
        int f = entry.load(std::memory_order_relaxed);
        if (f < 0) {
            f = LightFactor(gx, gy, light_);
            entry.store(f, std::memory_order_relaxed);
        }
        return f;
    }

private:
    Light light_;
    std::vector<std::atomic<int>> factors_;
};

enum Slot { kLightX, kLightY, kLightH, kIntensity, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Light X", -255, 255, 0),
    param::Int("Light Y", -255, 255, 0),
    param::Int("Light H", 0, 255, 127),
    param::Int("Intensity", 0, 255, 127),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

Bump::Bump(int width, int height) : Node("Bump", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

// Every pixel is computed, the border ones with neighbours wrapped around so
// textures stay tileable. A source that is this node's own image is read
// while writing, in row order, and gives what that order gives.
void Bump::Compute() {
    FactorCache factor(
        MakeLight(value(kLightX), value(kLightY), value(kLightH), value(kIntensity)));
    const Image& source = *inputImages[0];
    const int w = image->width;
    const int h = image->height;
    ForEachRow(h, NeighbourhoodRowOrder(), [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const int up = y == 0 ? h - 1 : y - 1;
            const int down = y + 1 == h ? 0 : y + 1;
            for (int x = 0; x < w; ++x) {
                const int xl = x == 0 ? w - 1 : x - 1;
                const int xr = x + 1 == w ? 0 : x + 1;
                const int gx = Average(source.pixel(xr, y)) - Average(source.pixel(xl, y));
                const int gy = Average(source.pixel(x, down)) - Average(source.pixel(x, up));
                const int f = factor(gx, gy);
                const uint8_t* in = source.pixel(x, y);
                uint8_t* out = image->pixel(x, y);
                // Byte 3 is never written.
                for (int c = 0; c < 3; ++c)
                    out[c] = static_cast<uint8_t>(std::min(in[c] * f / 255, 255));
            }
        }
    });
}
