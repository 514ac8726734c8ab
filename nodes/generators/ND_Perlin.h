#pragma once

#include "engine/Node.h"

class ND_Perlin : public Node {
public:
    static constexpr uint8_t kTypeId = 15;
    ND_Perlin(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<ND_Perlin>(); }
    void Update() override;
};
