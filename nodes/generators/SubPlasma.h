#pragma once

#include <cstdint>

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

namespace subplasma {
// The vertical pass's cubic through rows a .. d at parameter t, for `width`
// bytes of each, at the active SIMD level.
void CubicRow(const uint8_t* a, const uint8_t* b, const uint8_t* c, const uint8_t* d, long double t,
              int width, uint8_t* out);
}  // namespace subplasma
