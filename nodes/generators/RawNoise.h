#pragma once

#include "engine/Node.h"

class RawNoise : public Node {
public:
    static constexpr uint8_t kTypeId = 2;
    static constexpr NodeTiming kTiming = {"RawNoise::Update"};
    RawNoise(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<RawNoise>(); }

protected:
    void Compute() override;
};
