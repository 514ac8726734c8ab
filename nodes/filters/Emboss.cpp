#include "nodes/filters/Emboss.h"

#include "engine/Diagnostics.h"

Emboss::Emboss(int width, int height) : Node("Emboss + Shade", kTypeId, width, height) {
    AddInput("Source");
    AddInt("Shade", 0, 555, 0);
}

void Emboss::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("Emboss::Update");
    NodeDone();
}
