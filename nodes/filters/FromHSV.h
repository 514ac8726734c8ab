#pragma once

#include "engine/Node.h"

class FromHSV : public Node {
public:
    static constexpr uint8_t kTypeId = 17;
    static constexpr NodeTiming kTiming = {"ToHSV::Update"};
    FromHSV(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<FromHSV>(); }

protected:
    void Compute() override;
};
