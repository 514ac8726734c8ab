#include "nodes/filters/Blur.h"

#include "engine/Diagnostics.h"

Blur::Blur(int width, int height) : Node("Blur", kTypeId, width, height) {
    AddInput("Source");
    AddInt("Amount H", 0, 255, 0);
    AddInt("Amount V", 0, 255, 0);
}

void Blur::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("Blur::Update");
    NodeDone();
}
