#include "nodes/filters/Emboss.h"

#include <algorithm>
#include <cmath>

#include "engine/Diagnostics.h"
#include "platform/Numeric.h"

namespace {

constexpr double kInverseRootOfThree = 0.5773502717125849;  // flat relief (128,128,128) -> 128

// Right column minus left column of the 3 x 3 neighbourhood, around mid grey.
int Relief(const uint8_t* const left[3], const uint8_t* const right[3], int c) {
    const int sum =
        128 - left[0][c] - left[1][c] - left[2][c] + right[0][c] + right[1][c] + right[2][c];
    return std::clamp(sum, 0, 255);
}

// The relief's strength, 128 for a flat area, at most 255.
int Strength(const int relief[3]) {
    const int sum = relief[0] * relief[0] + relief[1] * relief[1] + relief[2] * relief[2];
    const long double scaled = sqrtl(sum) * static_cast<long double>(kInverseRootOfThree);
    return std::min(platform::TruncToInt(scaled), 255);
}

// Darkens (v < 128) or lightens (v >= 128) the source level a.
int Shaded(int a, int v) {
    if (v < 128) return std::max(a - ((127 - v) * a) / 127, 0);
    return std::min(a + ((255 - a) * (v - 128)) / 127, 255);
}

}  // namespace

Emboss::Emboss(int width, int height) : Node("Emboss + Shade", kTypeId, width, height) {
    AddInput("Source");
    AddInt("Shade", 0, 555, 0);
}

// Reads the source while writing, pixel by pixel in row order, so a source
// that is this node's own image gives what that order gives.
void Emboss::Update() {
    GatherInputs();
    StartTimer();
    const int shade = value(0);
    const Image& source = *inputImages[0];
    const int w = image->width;
    const int h = image->height;
    for (int y = 0; y < h; ++y) {
        const int rows[3] = {y == 0 ? h - 1 : y - 1, y, y + 1 == h ? 0 : y + 1};
        for (int x = 0; x < w; ++x) {
            const int xl = x == 0 ? w - 1 : x - 1;
            const int xr = x + 1 == w ? 0 : x + 1;
            const uint8_t* left[3];
            const uint8_t* right[3];
            for (int j = 0; j < 3; ++j) {
                left[j] = source.pixel(xl, rows[j]);
                right[j] = source.pixel(xr, rows[j]);
            }
            int result[3];
            for (int c = 0; c < 3; ++c) result[c] = Relief(left, right, c);
            if (shade > 0) {
                const int d = ((shade / 2) * (Strength(result) - 128)) / 128;
                const uint8_t* centre = source.pixel(x, y);
                for (int c = 0; c < 3; ++c) result[c] = Shaded(centre[c], 128 + d);
            }
            uint8_t* out = image->pixel(x, y);
            for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(result[c]);
            out[3] = source.pixel(x, y)[0];
        }
    }
    StopTimer("Emboss::Update");
    NodeDone();
}
