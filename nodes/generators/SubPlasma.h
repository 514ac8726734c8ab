#pragma once

#include "engine/Node.h"

class SubPlasma : public Node {
public:
    static constexpr uint8_t kTypeId = 9;
    static constexpr NodeTiming kTiming = {"SubPlasma::Update"};
    SubPlasma(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<SubPlasma>(); }

protected:
    void Compute() override;
};
