#include "nodes/filters/DisplacementMap.h"

#include "engine/Diagnostics.h"

DisplacementMap::DisplacementMap(int width, int height) : Node("Displacement map", kTypeId, width, height) {
    AddInput("Source");
    AddInput("Map X");
    AddInput("Map Y");
    AddInt("Amount X", 0, 255, 0);
    AddChoice("X Channel", {"Red", "Green", "Blue"});
    AddInt("Amount Y", 0, 255, 0);
    AddChoice("Y Channel", {"Red", "Green", "Blue"});
}

void DisplacementMap::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("DisplacementMap::Update");
    NodeDone();
}
