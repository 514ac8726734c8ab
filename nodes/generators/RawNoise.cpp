#include "nodes/generators/RawNoise.h"

#include <iterator>

#include "engine/Diagnostics.h"
#include "engine/RowBands.h"
#include "platform/CRand.h"

namespace {

enum Slot { kAmount, kGate, kRandom, kSlotCount };

constexpr ParamDef kParams[] = {
    param::Int("Amount", 0, 255, 100),
    param::Int("Gate", 0, 255, 0),
    param::Int("Random", 1, 127, 1),
};
static_assert(std::size(kParams) == kSlotCount);

}  // namespace

RawNoise::RawNoise(int width, int height) : Node("Raw Noise", kTypeId, width, height, kTiming) {
    AddParams(kParams);
}

void RawNoise::Compute() {
    const int amount = value(kAmount);
    const int gate = value(kGate);
    platform::srand(value(kRandom));
    // One draw per byte, the fourth byte included, in memory order.
    ForEachRow(image->height, RowOrder::kInOrder, [&](int y0, int y1) {
        uint8_t* bytes = image->pixel(0, y0);
        for (const uint8_t* end = image->pixel(0, y1); bytes != end; ++bytes) {
            const int level = ((platform::rand() & 255) * amount) >> 8;
            *bytes = static_cast<uint8_t>(level < gate ? 0 : level);
        }
    });
}
