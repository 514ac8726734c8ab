#pragma once

#include "engine/Node.h"

namespace perlin {

struct Gradient {
    float x, y;
};

// The lattice gradient of two draws a, b: (a, b) / |(a, b)|, each component rounded
// to float. Two zero draws give the flat gradient (0, 0).
Gradient GradientOf(float a, float b);

}  // namespace perlin

class ND_Perlin : public Node {
public:
    static constexpr uint8_t kTypeId = 15;
    static constexpr NodeTiming kTiming = {"ND_Perlin", true};
    ND_Perlin(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<ND_Perlin>(); }

protected:
    void Compute() override;
};
