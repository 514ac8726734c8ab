#include "nodes/filters/Blur.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
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

// Row y wrapped into 0 .. height - 1, for y >= -2 * height.
int WrapRow(int y, int height) {
    return (y + 2 * height) % height;
}

// Rows [y0, y1) of the vertical pass. It keeps one running sum per column and
// byte and walks the rows in memory order, which gives the same sums as walking
// each column; the sums start from the window above y0, so any band gives the
// integer sums the whole pass gives.
void BlurColumns(const Image& src, Image& dst, int r, const uint8_t* scale, int y0, int y1) {
    const int height = src.height;
    const int rowBytes = 4 * src.width;
    std::vector<int32_t> sum(rowBytes, 0);
    for (int j = y0 - 1 - r; j < y0 + r; ++j) {
        const uint8_t* p = src.pixel(0, WrapRow(j, height));
        for (int i = 0; i < rowBytes; ++i) sum[i] += p[i];
    }
    for (int y = y0; y < y1; ++y) {
        const uint8_t* leaving = src.pixel(0, WrapRow(y - r - 1, height));
        const uint8_t* entering = src.pixel(0, WrapRow(y + r, height));
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
        // The passes write only what they do not read, even when the source is
        // this node's own image, so their rows are independent.
        ForEachRow(height, RowOrder::kAnyOrder, [&](int y0, int y1) {
            for (int y = y0; y < y1; ++y)
                BlurRow(source.pixel(0, y), temp->pixel(0, y), width, rh, scaleH.data());
        });
        const std::vector<uint8_t> scaleV = ScaleTable(rv, fv);
        ForEachRow(height, RowOrder::kAnyOrder,
                   [&](int y0, int y1) { BlurColumns(*temp, *image, rv, scaleV.data(), y0, y1); });
    }
}
