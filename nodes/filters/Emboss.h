#pragma once

#include "engine/Node.h"

class Emboss : public Node {
public:
    static constexpr uint8_t kTypeId = 6;
    static constexpr NodeTiming kTiming = {"Emboss::Update"};
    Emboss(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<Emboss>(); }

protected:
    void Compute() override;
};

namespace emboss {
// Rows [y0, y1) of target from source (the same size, different images):
// four pixels at a time where nothing wraps.
void Rows(const Image& source, Image& target, int shade, int y0, int y1);
namespace plain {
// The per-pixel loop; source may be target, read while it is written.
void Rows(const Image& source, Image& target, int shade, int y0, int y1);
}  // namespace plain
}  // namespace emboss
