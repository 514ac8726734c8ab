#include "nodes/generators/RawNoise.h"

#include "engine/Diagnostics.h"
#include "platform/CRand.h"

RawNoise::RawNoise(int width, int height) : Node("Raw Noise", kTypeId, width, height) {
    AddInt("Amount", 0, 255, 100);
    AddInt("Gate", 0, 255, 0);
    AddInt("Random", 1, 127, 1);
}

void RawNoise::Update() {
    StartTimer();
    const int amount = value(0);
    const int gate = value(1);
    platform::srand(value(2));
    // One draw per byte, the fourth byte included, in memory order.
    uint8_t* bytes = image->bytes();
    const size_t count = image->byteCount();
    for (size_t i = 0; i < count; ++i) {
        int level = ((platform::rand() & 255) * amount) >> 8;
        bytes[i] = static_cast<uint8_t>(level < gate ? 0 : level);
    }
    StopTimer("RawNoise::Update");
    NodeDone();
}
