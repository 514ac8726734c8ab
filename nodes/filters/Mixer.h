#pragma once

#include "engine/Node.h"

class Mixer : public Node {
public:
    static constexpr uint8_t kTypeId = 3;
    static constexpr NodeTiming kTiming = {"Mixer::Update"};
    Mixer(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<Mixer>(); }

protected:
    void Compute() override;
};
