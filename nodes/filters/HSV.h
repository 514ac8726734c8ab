#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Node.h"

namespace adjust_hsv {
// The node's Hue, Saturation and Lightness as added to h, s and v.
struct Shift {
    float dh, ds, dv;
};
Shift ShiftOf(int hue, int saturation, int lightness);

// The first three bytes of one pixel, through the table paths.
void Pixel(Shift shift, const uint8_t* src, uint8_t* dst);

// The same for count pixels, at the active SIMD level.
void Row(Shift shift, const uint8_t* src, uint8_t* dst, size_t count);

namespace plain {
// The same bytes straight from RGBToHSV and HSVToRGB: the reference.
void Pixel(Shift shift, const uint8_t* src, uint8_t* dst);
}  // namespace plain
}  // namespace adjust_hsv

class HSV : public Node {
public:
    static constexpr uint8_t kTypeId = 8;
    static constexpr NodeTiming kTiming = {"HSV::Update"};
    HSV(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<HSV>(); }

protected:
    void Compute() override;
};
