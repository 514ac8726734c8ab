#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/Node.h"

namespace mixer {
// The "Add" and "Mul" modes on count bytes of A and B, sixteen at a time; d may
// be a or b.
void AddBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
              uint32_t ampB);
void MultiplyBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
                   uint32_t ampB);

// The "Hue" (rotate) or "Satur." mode on one pixel of A and B, through the
// table paths.
class HSVMode {
public:
    HSVMode(bool rotate, uint32_t ampA, uint32_t ampB);
    void operator()(const uint8_t* a, const uint8_t* b, uint8_t* d) const;
    // The same for count pixels, at the active SIMD level.
    void Row(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count) const;

private:
    void RowAvx2(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count) const;
    bool rotate_;
    uint32_t ampA_;
    float k_;
};

namespace plain {
// The same byte by byte: the reference.
void AddBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
              uint32_t ampB);
void MultiplyBytes(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count, uint32_t ampA,
                   uint32_t ampB);
// The same bytes straight from RGBToHSV and HSVToRGB: the reference.
void HSVModePixel(bool rotate, uint32_t ampA, uint32_t ampB, const uint8_t* a, const uint8_t* b,
                  uint8_t* d);
}  // namespace plain
}  // namespace mixer

class Mixer : public Node {
public:
    static constexpr uint8_t kTypeId = 3;
    static constexpr NodeTiming kTiming = {"Mixer::Update"};
    Mixer(int width, int height);
    std::unique_ptr<Node> Clone() const override { return CloneAs<Mixer>(); }

protected:
    void Compute() override;
};
