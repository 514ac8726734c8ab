#include "nodes/filters/Mixer.h"

#include "engine/Diagnostics.h"

Mixer::Mixer(int width, int height) : Node("Mixer", kTypeId, width, height) {
    AddInput("Source A");
    AddInput("Source B");
    AddInt("Amp A", 0, 555, 100);
    AddInt("Amp B", 0, 555, 100);
    AddChoice("Type", {"Add", "Hue", "Satur.", "Mul"});
}

void Mixer::Update() {
    GatherInputs();
    StartTimer();
    StopTimer("Mixer::Update");
    NodeDone();
}
