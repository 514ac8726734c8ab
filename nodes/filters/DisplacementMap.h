#pragma once

#include "engine/Node.h"

class DisplacementMap : public Node {
public:
    static constexpr uint8_t kTypeId = 12;
    static constexpr NodeTiming kTiming = {"DisplacementMap::Update"};
    DisplacementMap(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<DisplacementMap>(); }

protected:
    void Compute() override;
};
