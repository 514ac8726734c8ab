#pragma once

#include "engine/Node.h"

class EnvMap : public Node {
public:
    static constexpr uint8_t kTypeId = 14;
    static constexpr NodeTiming kTiming = {"EnvMap::Update"};
    EnvMap(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<EnvMap>(); }

protected:
    void Compute() override;
};
