#include "nodes/generators/ND_Perlin.h"

#include "engine/Diagnostics.h"

ND_Perlin::ND_Perlin(int width, int height) : Node("Perlin noise", kTypeId, width, height) {
    AddInt("Grid", 0, 16, 4);
    AddInt("Persistence", 0, 255, 127);
    AddInt("Octaves", 1, 16, 4);
    AddChoice("Color", kChannelOptions);
    AddInt("Random", 0, 255, 0);
}

void ND_Perlin::Update() {
    StartTimer();
    StopTimer("ND_Perlin");
    NodeDone();
}
