#include "nodes/filters/Bump.h"

#include "engine/Diagnostics.h"

Bump::Bump(int width, int height) : Node("Bump", kTypeId, width, height) {
    AddInput("Source");
    AddInt("Light X", -255, 255, 0);
    AddInt("Light Y", -255, 255, 0);
    AddInt("Light H", 0, 255, 127);
    AddInt("Intensity", 0, 255, 127);
}

void Bump::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("Bump::Update");
    NodeDone();
}
