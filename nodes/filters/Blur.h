#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/Node.h"

namespace blur {
// trunc(sum × factor), the product held as a double, for every window sum of
// the radius: the output byte of either pass.
std::vector<uint8_t> ScaleTable(int radius, double factor);

// The vertical factor (a float below 1) times 2^32, an integer.
uint32_t VerticalMultiplier(float factor);

// ceil(2^32 / (2 r + 1)), for r >= 1: (sum × m) >> 32 is floor(sum / (2 r + 1))
// for every window sum, since 255 (2 r + 1)^2 < 2^32.
uint32_t HorizontalMultiplier(int radius);

// Whether (sum × m) >> 32 equals the table's entry for every sum.
bool MultipliesLikeTable(const std::vector<uint8_t>& table, uint32_t m);

// Bit k of 256 set where the horizontal table holds k - 1 at the multiple
// k (2 r + 1): the double nearest 1 / (2 r + 1) lies below it, and the product
// can round to just under k. Nullopt if any other entry is not the quotient.
std::optional<std::array<uint32_t, 8>> QuotientsRoundedDown(const std::vector<uint8_t>& table,
                                                            int radius);
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
