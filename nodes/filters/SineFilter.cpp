#include "nodes/filters/SineFilter.h"

#include "engine/Diagnostics.h"

SineFilter::SineFilter(int width, int height) : Node("Sine filter", kTypeId, width, height) {
    AddInput("Source");
    AddInt("Luminance", 0, 255, 127);
    AddInt("Amp", 0, 255, 127);
    AddInt("Range", 0, 255, 127);
    AddInt("Phase R", 0, 360, 0);
    AddInt("Phase G", 0, 360, 0);
    AddInt("Phase B", 0, 360, 0);
}

void SineFilter::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("SineFilter::Update");
    NodeDone();
}
