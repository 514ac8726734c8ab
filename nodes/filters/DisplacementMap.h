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

namespace displacement {
// level * amount / 255 for levels and amounts of 0 .. 255 as a product and a
// shift: (x * kBy255Multiplier) >> kBy255Shift is x / 255 for every such x.
constexpr int kBy255Multiplier = 32897;
constexpr int kBy255Shift = 23;
}  // namespace displacement
