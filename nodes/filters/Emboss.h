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
// The float nearest 1/127: a whole number below 300 * 255 times it, rounded
// to float and truncated, is that number / 127.
constexpr float kOneOver127 = 1.0f / 127;

// Target from source (the same size, different images), in row bands: four
// pixels at a time where nothing wraps (eight with AVX2), shading through
// tables.
void Render(const Image& source, Image& target, int shade);
namespace plain {
// The per-pixel loop; source may be target, read while it is written.
void Rows(const Image& source, Image& target, int shade, int y0, int y1);
}  // namespace plain
}  // namespace emboss
