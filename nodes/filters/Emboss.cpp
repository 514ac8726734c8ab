#include "nodes/filters/Emboss.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "platform/Numeric.h"

namespace {

constexpr double kInverseRootOfThree = 0.5773502717125849;  // flat relief (128,128,128) -> 128

// Right column minus left column of the 3 x 3 neighbourhood, around mid grey.
int Relief(const uint8_t* const left[3], const uint8_t* const right[3], int c) {
    const int sum =
        128 - left[0][c] - left[1][c] - left[2][c] + right[0][c] + right[1][c] + right[2][c];
    return std::clamp(sum, 0, 255);
}

// The relief's strength n for every sum of squares of three levels: 128 for
// a flat area, at most 255. It depends on nothing else, so it is built once.
const std::vector<uint8_t>& StrengthTable() {
    static const std::vector<uint8_t> table = [] {
        std::vector<uint8_t> strengths(3 * 255 * 255 + 1);
        for (size_t sum = 0; sum < strengths.size(); ++sum) {
            const long double scaled = sqrtl(sum) * static_cast<long double>(kInverseRootOfThree);
            strengths[sum] = static_cast<uint8_t>(std::min(platform::TruncToInt(scaled), 255));
        }
        return strengths;
    }();
    return table;
}

// Darkens (v < 128) or lightens (v >= 128) the source level a.
int Shaded(int a, int v) {
    if (v < 128) return std::max(a - ((127 - v) * a) / 127, 0);
    return std::min(a + ((255 - a) * (v - 128)) / 127, 255);
}

enum Slot { kShade, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Shade", 0, 555, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

Emboss::Emboss(int width, int height) : Node("Emboss + Shade", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

// A source that is this node's own image is read while writing, pixel by
// pixel in row order, and gives what that order gives.
void Emboss::Compute() {
    const int shade = value(kShade);
    const std::vector<uint8_t>* strengths = shade > 0 ? &StrengthTable() : nullptr;
    const uint8_t* source = inputImages[0]->bytes();
    uint8_t* target = image->bytes();
    const int w = image->width;
    const int h = image->height;
    const size_t stride = 4 * static_cast<size_t>(w);
    ForEachRow(h, NeighbourhoodRowOrder(), [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const uint8_t* rows[3] = {source + stride * (y == 0 ? h - 1 : y - 1),
                                      source + stride * y,
                                      source + stride * (y + 1 == h ? 0 : y + 1)};
            for (int x = 0; x < w; ++x) {
                const int xl = 4 * (x == 0 ? w - 1 : x - 1);
                const int xr = 4 * (x + 1 == w ? 0 : x + 1);
                const uint8_t* left[3] = {rows[0] + xl, rows[1] + xl, rows[2] + xl};
                const uint8_t* right[3] = {rows[0] + xr, rows[1] + xr, rows[2] + xr};
                int result[3];
                for (int c = 0; c < 3; ++c) result[c] = Relief(left, right, c);
                const uint8_t* centre = rows[1] + 4 * x;
                if (strengths) {
                    const int sum =
                        result[0] * result[0] + result[1] * result[1] + result[2] * result[2];
                    const int d = ((shade / 2) * ((*strengths)[sum] - 128)) / 128;
                    for (int c = 0; c < 3; ++c) result[c] = Shaded(centre[c], 128 + d);
                }
                uint8_t* out = target + stride * y + 4 * x;
                for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>(result[c]);
                out[3] = centre[0];  // read after the colour bytes are written
            }
        }
    });
}
