#include "nodes/generators/SubPlasma.h"

#include "engine/Diagnostics.h"

SubPlasma::SubPlasma(int width, int height) : Node("Subplasma", kTypeId, width, height) {
    AddInt("Grid", 0, 16, 4);
    AddChoice("Type", kChannelOptions);
    AddInt("Random", 1, 127, 1);
}

void SubPlasma::Update() {
    StartTimer();
    StopTimer("SubPlasma::Update");
    NodeDone();
}
