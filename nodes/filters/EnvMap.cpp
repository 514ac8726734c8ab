#include "nodes/filters/EnvMap.h"

#include "engine/Diagnostics.h"

EnvMap::EnvMap(int width, int height) : Node("Environment map", kTypeId, width, height) {
    AddInt("Radius", 0, 512, 255);
    AddInt("Cub. Att.", 0, 1023, 512);
    AddChoice("Channel", kChannelOptions);
}

void EnvMap::Update() {
    StartTimer();
    StopTimer("EnvMap::Update");
    NodeDone();
}
