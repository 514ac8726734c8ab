#include "nodes/generators/ND_TEXT.h"

#include "engine/Diagnostics.h"

ND_TEXT::ND_TEXT(int width, int height) : Node("Text", kTypeId, width, height) {
    AddInt("Pos X", 0, 255, 127);
    AddInt("Pos Y", 0, 255, 127);
    AddInt("Height", 1, 255, 16);
    AddInt("Weight", 100, 900, 400);
    AddText("Text", "blaat!");
    AddChoice("Color", kChannelOptions);
    AddText("Font", "Arial");
}

void ND_TEXT::Update() {
    StartTimer();
    StopTimer("ND_TEXT::Update");
    NodeDone();
}
