#include "nodes/filters/DisplacementMap.h"

#include <array>

#include "engine/Diagnostics.h"

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

}  // namespace

DisplacementMap::DisplacementMap(int width, int height)
    : Node("Displacement map", kTypeId, width, height) {
    AddInput("Source");
    AddInput("Map X");
    AddInput("Map Y");
    AddInt("Amount X", 0, 255, 0);
    AddChoice("X Channel", {"Red", "Green", "Blue"});
    AddInt("Amount Y", 0, 255, 0);
    AddChoice("Y Channel", {"Red", "Green", "Blue"});
}

// Reads the maps and the source while writing, in row order, so an input that
// is this node's own image gives what that order gives.
void DisplacementMap::Update() {
    GatherInputs();
    StartTimer();
    const int xChannel = value(1);
    const int yChannel = value(3);
    const OffsetTable xOffsets = Offsets(value(0));
    const OffsetTable yOffsets = Offsets(value(2));
    const uint32_t* source = inputImages[0]->pixels;
    const uint8_t* mapX = inputImages[1]->bytes();
    const uint8_t* mapY = inputImages[2]->bytes();
    const int w = image->width;
    const int h = image->height;
    for (int y = 0, i = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x, ++i) {
            const int sy = Wrap(yOffsets[mapY[4 * i + yChannel]] + y, h);
            const int sx = Wrap(xOffsets[mapX[4 * i + xChannel]] + x, w);
            image->pixels[i] = source[sy * w + sx];
        }
    }
    StopTimer("DisplacementMap::Update");
    NodeDone();
}
