#include "nodes/generators/RawNoise.h"

#include "engine/Diagnostics.h"

RawNoise::RawNoise(int width, int height) : Node("Raw Noise", kTypeId, width, height) {
    AddInt("Amount", 0, 255, 100);
    AddInt("Gate", 0, 255, 0);
    AddInt("Random", 1, 127, 1);
}

void RawNoise::Update() {
    StartTimer();
    StopTimer("RawNoise::Update");
    NodeDone();
}
