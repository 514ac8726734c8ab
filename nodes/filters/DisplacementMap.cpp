#include "nodes/filters/DisplacementMap.h"

#include <array>
#include <iterator>

#include "engine/RowBands.h"
#include "platform/Simd.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

using OffsetTable = std::array<int, 256>;

// The offset in pixels for every map level: (level * amount) / 255.
OffsetTable Offsets(int amount) {
    OffsetTable table;
    for (int level = 0; level < 256; ++level) table[level] = (level * amount) / 255;
    return table;
}

// (offset + position) mod size for non-negative terms, position < size.
int Wrap(int shifted, int size) {
    return shifted < size ? shifted : shifted % size;
}

// One row's pixels from x on, through the offset tables: the byte loop below,
// which the vector path finishes.
struct RowJob {
    const uint32_t* source;
    const uint8_t *mapX, *mapY;  // the row's first pixel
    int xChannel, yChannel;
    const int *xOffsets, *yOffsets;
    int amountX, amountY;
    int w, h, y;
    uint32_t* out;  // the row's first pixel
};

void DisplaceFrom(const RowJob& r, int x) {
    for (; x < r.w; ++x) {
        const int sy = Wrap(r.yOffsets[r.mapY[4 * x + r.yChannel]] + r.y, r.h);
        const int sx = Wrap(r.xOffsets[r.mapX[4 * x + r.xChannel]] + x, r.w);
        r.out[x] = r.source[sy * r.w + sx];
    }
}

#if defined(__x86_64__)
// Wrap for shifted < 2 size.
__attribute__((target("avx2"))) __m256i WrapOnce(__m256i shifted, __m256i size) {
    const __m256i below = _mm256_cmpgt_epi32(size, shifted);
    return _mm256_sub_epi32(shifted, _mm256_andnot_si256(below, size));
}

// The offsets of eight pixels from x on: (level * amount) / 255, as the table
// holds them, by a product and a shift.
__attribute__((target("avx2"))) __m256i Offsets8(const uint8_t* map, int x, int channel,
                                                 int amount) {
    using namespace displacement;
    const __m256i pixels = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(map + 4 * x));
    const __m256i level = _mm256_and_si256(_mm256_srl_epi32(pixels, _mm_cvtsi32_si128(8 * channel)),
                                           _mm256_set1_epi32(255));
    const __m256i product = _mm256_mullo_epi32(level, _mm256_set1_epi32(amount));
    return _mm256_srli_epi32(_mm256_mullo_epi32(product, _mm256_set1_epi32(kBy255Multiplier)),
                             kBy255Shift);
}

// Eight pixels at a time, for sides of at least 256: an offset (at most 255)
// plus a position then wraps at most once, so one conditional subtraction is
// Wrap. The source pixels are gathered; the source is never this node's own
// image here, so reading eight before writing eight changes nothing.
__attribute__((target("avx2"))) void DisplaceRowAvx2(const RowJob& r) {
    const __m256i w = _mm256_set1_epi32(r.w);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    int x = 0;
    for (; x + 8 <= r.w; x += 8) {
        const __m256i ox = Offsets8(r.mapX, x, r.xChannel, r.amountX);
        const __m256i oy = Offsets8(r.mapY, x, r.yChannel, r.amountY);
        const __m256i sx =
            WrapOnce(_mm256_add_epi32(ox, _mm256_add_epi32(lanes, _mm256_set1_epi32(x))), w);
        const __m256i sy =
            WrapOnce(_mm256_add_epi32(oy, _mm256_set1_epi32(r.y)), _mm256_set1_epi32(r.h));
        const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(sy, w), sx);
        const __m256i pixels =
            _mm256_i32gather_epi32(reinterpret_cast<const int*>(r.source), index, 4);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(r.out + x), pixels);
    }
    DisplaceFrom(r, x);
}
#endif

constexpr const char* kMapChannelOptions[] = {"Red", "Green", "Blue"};
enum Slot { kAmountX, kXChannel, kAmountY, kYChannel, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Amount X", 0, 255, 0),
    param::Choice("X Channel", kMapChannelOptions),
    param::Int("Amount Y", 0, 255, 0),
    param::Choice("Y Channel", kMapChannelOptions),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

DisplacementMap::DisplacementMap(int width, int height)
    : Node("Displacement map", kTypeId, width, height, kTiming) {
    AddInput("Source");
    AddInput("Map X");
    AddInput("Map Y");
    AddParams(kParams);
}

// An input that is this node's own image is read while writing, in row
// order, and gives what that order gives.
void DisplacementMap::Compute() {
    const int xChannel = value(kXChannel);
    const int yChannel = value(kYChannel);
    const int amountX = value(kAmountX), amountY = value(kAmountY);
    const OffsetTable xOffsets = Offsets(amountX);
    const OffsetTable yOffsets = Offsets(amountY);
    const uint32_t* source = inputImages[0]->pixels;
    const uint8_t* mapX = inputImages[1]->bytes();
    const uint8_t* mapY = inputImages[2]->bytes();
    const int w = image->width;
    const int h = image->height;
    [[maybe_unused]] const bool vector = platform::ActiveSimd() == platform::SimdLevel::Avx2 &&
                                         w >= 256 && h >= 256 && source != image->pixels;
    ForEachRow(h, NeighbourhoodRowOrder(), [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
            const size_t first = static_cast<size_t>(y) * w;
            const RowJob row{source,
                             mapX + 4 * first,
                             mapY + 4 * first,
                             xChannel,
                             yChannel,
                             xOffsets.data(),
                             yOffsets.data(),
                             amountX,
                             amountY,
                             w,
                             h,
                             y,
                             image->pixels + first};
#if defined(__x86_64__)
            if (vector) {
                DisplaceRowAvx2(row);
                continue;
            }
#endif
            DisplaceFrom(row, 0);
        }
    });
}
