#pragma once

#include "engine/Node.h"

class HSV : public Node {
public:
    static constexpr uint8_t kTypeId = 8;
    static constexpr NodeTiming kTiming = {"HSV::Update"};
    HSV(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<HSV>(); }

protected:
    void Compute() override;
};
