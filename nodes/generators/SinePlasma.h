#pragma once

#include "engine/Node.h"

class SinePlasma : public Node {
public:
    static constexpr uint8_t kTypeId = 7;
    static constexpr NodeTiming kTiming = {"SinePlasma::Update"};
    SinePlasma(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<SinePlasma>(); }

protected:
    void Compute() override;
};
