#include "nodes/generators/RawNoise.h"

#include <iterator>

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
    // One draw per byte, the fourth byte included, in memory order. Each band
    // draws its own stretch of the sequence, skipped ahead to its first byte,
    // so any banding draws exactly the serial sequence.
    const platform::RandStream start(platform::RandState());
    const uint64_t rowDraws = 4 * static_cast<uint64_t>(image->width);
    ForEachRow(image->height, RowOrder::kAnyOrder, [&](int y0, int y1) {
        platform::RandStream stream = start.Skipped(rowDraws * static_cast<uint64_t>(y0));
        uint8_t* bytes = image->pixel(0, y0);
        for (const uint8_t* end = image->pixel(0, y1); bytes != end; ++bytes) {
            const int level = ((stream.Next() & 255) * amount) >> 8;
            *bytes = static_cast<uint8_t>(level < gate ? 0 : level);
        }
    });
    platform::SetRandState(start.Skipped(rowDraws * static_cast<uint64_t>(image->height)).state());
}
