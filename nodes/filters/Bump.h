#pragma once

#include "engine/Node.h"

class Bump : public Node {
public:
    static constexpr uint8_t kTypeId = 18;
    static constexpr NodeTiming kTiming = {"Bump::Update"};
    Bump(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<Bump>(); }

protected:
    void Compute() override;
};
