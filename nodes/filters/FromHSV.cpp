#include "nodes/filters/FromHSV.h"

#include "engine/Diagnostics.h"

FromHSV::FromHSV(int width, int height) : Node("HSV -> RGB", kTypeId, width, height) {
    AddInput("Source");
    AddChoice("Load as", {"HSV", "HVS", "SVH", "SHV", "VSH", "VHS"});
}

void FromHSV::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("ToHSV::Update");
    NodeDone();
}
