#include "nodes/filters/BrightnessContrast.h"

#include "engine/Diagnostics.h"

BrightnessContrast::BrightnessContrast(int width, int height) : Node("Brightness, Contrast", kTypeId, width, height) {
    AddInput("Source");
    AddInt("Brightness", -255, 255, 0);
    AddInt("Contrast", -255, 255, 0);
}

void BrightnessContrast::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("BrightnessContrast::Update");
    NodeDone();
}
