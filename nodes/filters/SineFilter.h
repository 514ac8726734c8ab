#pragma once

#include "engine/Node.h"

class SineFilter : public Node {
public:
    static constexpr uint8_t kTypeId = 10;
    static constexpr NodeTiming kTiming = {"SineFilter::Update"};
    SineFilter(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<SineFilter>(); }

protected:
    void Compute() override;
};
