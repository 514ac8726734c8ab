#include "nodes/filters/HSV.h"

#include "engine/Diagnostics.h"

HSV::HSV(int width, int height) : Node("Adjust HSV", kTypeId, width, height) {
    AddInput("Source");
    AddInt("Hue", -180, 180, 0);
    AddInt("Saturation", -255, 255, 0);
    AddInt("Lightness", -255, 255, 0);
}

void HSV::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("HSV::Update");
    NodeDone();
}
