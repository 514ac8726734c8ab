#include "nodes/filters/ToHSV.h"

#include "engine/Diagnostics.h"

ToHSV::ToHSV(int width, int height) : Node("RGB -> HSV", kTypeId, width, height) {
    AddInput("Source");
    AddChoice("Store as", {"HSV", "HVS", "SVH", "SHV", "VSH", "VHS"});
}

void ToHSV::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("ToHSV::Update");
    NodeDone();
}
