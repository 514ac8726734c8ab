#include "nodes/generators/SinePlasma.h"

#include "engine/Diagnostics.h"

SinePlasma::SinePlasma(int width, int height) : Node("Sine plasma", kTypeId, width, height) {
    AddInt("Amp X", 0, 255, 63);
    AddInt("Amp Y", 0, 255, 63);
    AddInt("Freq X", 0, 255, 63);
    AddInt("Freq Y", 0, 255, 63);
    AddInt("Phase X", 0, 360, 0);
    AddInt("Phase Y", 0, 360, 0);
    AddChoice("Type", kChannelOptions);
}

void SinePlasma::Update() {
    StartTimer();
    StopTimer("SinePlasma::Update");
    NodeDone();
}
