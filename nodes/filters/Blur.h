#pragma once

#include "engine/Node.h"

class Blur : public Node {
public:
    static constexpr uint8_t kTypeId = 4;
    Blur(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<Blur>(); }
    void Update() override;
};
