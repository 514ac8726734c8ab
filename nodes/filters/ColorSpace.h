// Conversions between RGB and hue, saturation, value, shared by the HSV nodes
// and the mixer. Their rounding points are part of every image they make.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Numeric.h"

namespace colorspace {

// Single-precision values of 1/255, 360/255 and 255/360: the byte scalings.
inline constexpr float kOneOver255 = 1.0f / 255.0f;
inline constexpr float k360Over255 = 360.0f / 255.0f;
inline constexpr float k255Over360 = 255.0f / 360.0f;

// Hue held for a grey colour, whose hue is undefined.
inline constexpr float kNoHue = -1.0f;

// The "Store as" / "Load as" options of the HSV image nodes: for each option,
// the component (0 hue, 1 saturation, 2 value) held by bytes 0, 1 and 2.
inline constexpr int kComponentOrder[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 2, 0},
                                              {1, 0, 2}, {2, 1, 0}, {2, 0, 1}};
inline constexpr const char* kOrderOptions[] = {"HSV", "HVS", "SVH", "SHV", "VSH", "VHS"};

}  // namespace colorspace

// h in [0, 360) or kNoHue when s = 0; s in [0, 1]; v = the largest component.
void RGBToHSV(float r, float g, float b, float& h, float& s, float& v);

namespace colorspace {

// The H, S and V bytes the RGB -> HSV node stores for one colour, through tables
// built once from the plain path below.
void HSVBytes(int r, int g, int b, uint8_t hsv[3]);

namespace plain {
// The same bytes straight from RGBToHSV: the reference of the tables.
void HSVBytes(int r, int g, int b, uint8_t hsv[3]);
}  // namespace plain

// RGBToHSV of levels 0 .. 255 through tables of the floats it gives.
void HSVOfBytes(int r, int g, int b, float& h, float& s, float& v);

}  // namespace colorspace

// Any h (reduced here); components truncated and limited to at most 255.
void HSVToRGB(float h, float s, float v, int32_t& r, int32_t& g, int32_t& b);

namespace colorspace {

// HSVToRGB's hue reduced to its sector 0 .. 5 and the fraction f of it.
struct HueSector {
    int32_t sector;
    float f;
};
HueSector SectorOf(float h);

// HSVToRGB's bytes for s != 0 once the hue is reduced.
void ShadeSector(HueSector hue, float s, float v, uint8_t rgb[3]);

// HSVToRGB's bytes through ShadeSector.
void HSVToRGBBytes(float h, float s, float v, uint8_t rgb[3]);

// The R, G and B bytes the HSV -> RGB node makes from H, S and V bytes, through
// tables of the hue and saturation each byte stands for.
void RGBBytes(int h, int s, int v, uint8_t rgb[3]);

namespace plain {
// The same bytes straight from HSVToRGB: the reference of the tables.
void RGBBytes(int h, int s, int v, uint8_t rgb[3]);
}  // namespace plain

// Whole rows of 4-byte pixels, at the active SIMD level. The RGB -> HSV and
// HSV -> RGB nodes' bytes, components in the given order, fourth byte 0.
void HSVBytesRow(const uint8_t* src, uint8_t* dst, size_t count, const int order[3]);
void RGBBytesRow(const uint8_t* src, uint8_t* dst, size_t count, const int order[3]);

// Up to kBatch colours held component by component, for nodes that change
// them between the two conversions.
inline constexpr int kBatch = 64;
struct HSVPlanes {
    float h[kBatch], s[kBatch], v[kBatch];
};

// RGBToHSV of count colours whose levels (whole numbers 0 .. 1023) are in r,
// g and b.
void RGBToHSVBatch(const float* r, const float* g, const float* b, int count, HSVPlanes& hsv);

// HSVToRGBBytes of count colours with s in [0, 1] and v in [0, 1023], into
// bytes 0 .. 2 of count 4-byte pixels.
void HSVToRGBBatch(const HSVPlanes& hsv, int count, uint8_t* pixels);

}  // namespace colorspace
