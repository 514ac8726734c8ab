#pragma once

#include "engine/Node.h"

class SinePlasma : public Node {
public:
    static constexpr uint8_t kTypeId = 7;
    SinePlasma(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<SinePlasma>(); }
    void Update() override;
};
