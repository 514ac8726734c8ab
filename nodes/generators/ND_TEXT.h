#pragma once

#include "engine/Node.h"

class ND_TEXT : public Node {
public:
    static constexpr uint8_t kTypeId = 13;
    ND_TEXT(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<ND_TEXT>(); }
    void Update() override;
};
