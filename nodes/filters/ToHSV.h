#pragma once

#include "engine/Node.h"

class ToHSV : public Node {
public:
    static constexpr uint8_t kTypeId = 16;
    static constexpr NodeTiming kTiming = {"ToHSV::Update"};
    ToHSV(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<ToHSV>(); }

protected:
    void Compute() override;
};
