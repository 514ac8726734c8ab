#pragma once

#include "engine/Node.h"

class BrightnessContrast : public Node {
public:
    static constexpr uint8_t kTypeId = 5;
    static constexpr NodeTiming kTiming = {"BrightnessContrast::Update"};
    BrightnessContrast(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<BrightnessContrast>(); }

protected:
    void Compute() override;
};
