#pragma once

#include "engine/Node.h"

class Blur : public Node {
public:
    static constexpr uint8_t kTypeId = 4;
    static constexpr NodeTiming kTiming = {"Blur::Update"};
    Blur(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<Blur>(); }

protected:
    void Compute() override;
};
