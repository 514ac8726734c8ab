#include "nodes/filters/Blur.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "engine/Diagnostics.h"
#include "platform/Numeric.h"

namespace {

// The output byte for every window sum a radius can produce: trunc(sum × factor)
// with the product held as a double. Looking it up keeps the per-pixel cost at
// one subtraction, one addition and one load whatever the radius.
std::vector<uint8_t> ScaleTable(int radius, double factor) {
    const int maxSum = 255 * (2 * radius + 1);
    std::vector<uint8_t> table(maxSum + 1);
    for (int sum = 0; sum <= maxSum; ++sum) {
        const double product = platform::dbl(static_cast<long double>(sum) * factor);
        table[sum] = static_cast<uint8_t>(platform::TruncToInt(product));
    }
    return table;
}

// One row of the horizontal pass: a running sum over 2·r + 1 columns that
// wraps around the row's ends, all four bytes of a pixel alike.
void BlurRow(const uint8_t* src, uint8_t* dst, int width, int r, const uint8_t* scale) {
    int32_t sum[4] = {0, 0, 0, 0};
    auto addColumn = [&](int col) {
        for (int c = 0; c < 4; ++c) sum[c] += src[4 * col + c];
    };
    for (int j = width - 1 - r; j < width; ++j) addColumn(j);
    for (int j = 0; j < r; ++j) addColumn(j);
    for (int x = 0; x < width; ++x) {
        const int leaving = x <= r ? x - r - 1 + width : x - r - 1;
        const int entering = x + r >= width ? x + r - width : x + r;
        for (int c = 0; c < 4; ++c) {
            sum[c] += src[4 * entering + c] - src[4 * leaving + c];
            dst[4 * x + c] = scale[sum[c]];
        }
    }
}

// The vertical pass keeps one running sum per column and byte and walks the
// rows in memory order, which gives the same sums as walking each column.
void BlurColumns(const Image& src, Image& dst, int r, const uint8_t* scale) {
    const int width = src.width, height = src.height;
    const int rowBytes = 4 * width;
    std::vector<int32_t> sum(rowBytes, 0);
    auto addRow = [&](int row) {
        const uint8_t* p = src.pixel(0, row);
        for (int i = 0; i < rowBytes; ++i) sum[i] += p[i];
    };
    for (int j = height - 1 - r; j < height; ++j) addRow(j);
    for (int j = 0; j < r; ++j) addRow(j);
    for (int y = 0; y < height; ++y) {
        const uint8_t* leaving = src.pixel(0, y <= r ? y - r - 1 + height : y - r - 1);
        const uint8_t* entering = src.pixel(0, y + r >= height ? y + r - height : y + r);
        uint8_t* out = dst.pixel(0, y);
        for (int i = 0; i < rowBytes; ++i) {
            sum[i] += entering[i] - leaving[i];
            out[i] = scale[sum[i]];
        }
    }
}

enum Slot { kAmountH, kAmountV, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Amount H", 0, 255, 0),
    param::Int("Amount V", 0, 255, 0),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

Blur::Blur(int width, int height) : Node("Blur", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddParams(kParams);
}

void Blur::Compute() {
    const int width = image->width, height = image->height;
    // A radius reaching the image size would wrap the window onto itself more
    // than once; clipping keeps every wrapped index inside the row or column.
    const int rh = std::min<int>(value(kAmountH), width - 1);
    const int rv = std::min<int>(value(kAmountV), height - 1);
    const double fh = platform::dbl(1.0L / (2 * rh + 1));
    const float fv = platform::single(1.0L / (2 * rv + 1));
    // Without room for the horizontal result the image keeps its old content
    // (Image::Create has logged the failure).
    if (auto temp = Image::Create(width, height)) {
        const Image& source = *inputImages[0];
        const std::vector<uint8_t> scaleH = ScaleTable(rh, fh);
        for (int y = 0; y < height; ++y)
            BlurRow(source.pixel(0, y), temp->pixel(0, y), width, rh, scaleH.data());
        BlurColumns(*temp, *image, rv, ScaleTable(rv, fv).data());
    }
}
