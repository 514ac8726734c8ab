#pragma once

#include "engine/Node.h"

class Emboss : public Node {
public:
    static constexpr uint8_t kTypeId = 6;
    static constexpr NodeTiming kTiming = {"Emboss::Update"};
    Emboss(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<Emboss>(); }

protected:
    void Compute() override;
};
