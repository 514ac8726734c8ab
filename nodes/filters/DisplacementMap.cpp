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

// What one update reads and writes.
struct Displacement {
    const uint32_t* source;
    const uint8_t *mapX, *mapY;
    int xChannel, yChannel, amountX, amountY;
    const int *xOffsets, *yOffsets;  // by map level
    int w, h;
    uint32_t* target;
};

// Row y's pixels from x on, through the offset tables, in order.
void DisplaceRow(const Displacement& d, int y, int x) {
    for (int i = y * d.w + x; x < d.w; ++x, ++i) {
        const int sy = Wrap(d.yOffsets[d.mapY[4 * i + d.yChannel]] + y, d.h);
        const int sx = Wrap(d.xOffsets[d.mapX[4 * i + d.xChannel]] + x, d.w);
        d.target[i] = d.source[sy * d.w + sx];
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
__attribute__((target("avx2"))) void DisplaceRowAvx2(const Displacement& d, int y) {
    const __m256i w = _mm256_set1_epi32(d.w);
    const __m256i lanes = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
    const uint8_t* mapX = d.mapX + 4 * static_cast<size_t>(y) * d.w;
    const uint8_t* mapY = d.mapY + 4 * static_cast<size_t>(y) * d.w;
    uint32_t* target = d.target + static_cast<size_t>(y) * d.w;
    int x = 0;
    for (; x + 8 <= d.w; x += 8) {
        const __m256i ox = Offsets8(mapX, x, d.xChannel, d.amountX);
        const __m256i oy = Offsets8(mapY, x, d.yChannel, d.amountY);
        const __m256i sx =
            WrapOnce(_mm256_add_epi32(ox, _mm256_add_epi32(lanes, _mm256_set1_epi32(x))), w);
        const __m256i sy =
            WrapOnce(_mm256_add_epi32(oy, _mm256_set1_epi32(y)), _mm256_set1_epi32(d.h));
        const __m256i index = _mm256_add_epi32(_mm256_mullo_epi32(sy, w), sx);
        const __m256i pixels =
            _mm256_i32gather_epi32(reinterpret_cast<const int*>(d.source), index, 4);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + x), pixels);
    }
    DisplaceRow(d, y, x);
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
    const int amountX = value(kAmountX), amountY = value(kAmountY);
    const OffsetTable xOffsets = Offsets(amountX);
    const OffsetTable yOffsets = Offsets(amountY);
    const Displacement d{inputImages[0]->pixels,
                         inputImages[1]->bytes(),
                         inputImages[2]->bytes(),
                         value(kXChannel),
                         value(kYChannel),
                         amountX,
                         amountY,
                         xOffsets.data(),
                         yOffsets.data(),
                         image->width,
                         image->height,
                         image->pixels};
    [[maybe_unused]] const bool vector = platform::ActiveSimd() >= platform::SimdLevel::Avx2 &&
                                         d.w >= 256 && d.h >= 256 && d.source != d.target;
    ForEachRow(d.h, NeighbourhoodRowOrder(), [&](int y0, int y1) {
        for (int y = y0; y < y1; ++y) {
#if defined(__x86_64__)
            if (vector) {
                DisplaceRowAvx2(d, y);
                continue;
            }
#endif
            DisplaceRow(d, y, 0);
        }
    });
}
