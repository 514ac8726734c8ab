#include "nodes/filters/DisplacementMap.h"

#include <array>
#include <iterator>

#include "engine/RowBands.h"

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
    const OffsetTable xOffsets = Offsets(value(kAmountX));
    const OffsetTable yOffsets = Offsets(value(kAmountY));
    const uint32_t* source = inputImages[0]->pixels;
    const uint8_t* mapX = inputImages[1]->bytes();
    const uint8_t* mapY = inputImages[2]->bytes();
    const int w = image->width;
    const int h = image->height;
    ForEachRow(h, NeighbourhoodRowOrder(), [&](int y0, int y1) {
        for (int y = y0, i = y0 * w; y < y1; ++y) {
            for (int x = 0; x < w; ++x, ++i) {
                const int sy = Wrap(yOffsets[mapY[4 * i + yChannel]] + y, h);
                const int sx = Wrap(xOffsets[mapX[4 * i + xChannel]] + x, w);
                image->pixels[i] = source[sy * w + sx];
            }
        }
    });
}
