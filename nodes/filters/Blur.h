#pragma once

#include <cstdint>
#include <vector>

#include "engine/Node.h"

namespace blur {
// trunc(sum × factor), the product held as a double, for every window sum of
// the radius: the output byte of either pass.
std::vector<uint8_t> ScaleTable(int radius, double factor);

// The vertical factor (a float below 1) times 2^32, an integer.
uint32_t VerticalMultiplier(float factor);
}  // namespace blur

class Blur : public Node {
public:
    static constexpr uint8_t kTypeId = 4;
    static constexpr NodeTiming kTiming = {"Blur::Update"};
    Blur(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<Blur>(); }

protected:
    void Compute() override;
};
