// Pixel geometry of the node editor: boxes, pins and the cable curve.
// Plain integers and no Qt, so hit tests and curves can be checked exactly.
#pragma once

#include <algorithm>
#include <array>

namespace view {

struct Point {
    int x;
    int y;
    bool operator==(const Point&) const = default;
};

// Right and bottom lie one past the last pixel, except where a hit test says
// the edges count as inside.
struct Rect {
    int left;
    int top;
    int right;
    int bottom;

    bool operator==(const Rect&) const = default;
    bool ContainsInclusive(int x, int y) const {
        return x >= left && x <= right && y >= top && y <= bottom;
    }
    Rect Moved(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    Rect Shrunk(int d) const { return {left + d, top + d, right - d, bottom - d}; }
    Point Centre() const { return {(left + right) / 2, (top + bottom) / 2}; }
    // Shares a point with `other`, edges included.
    bool Touches(const Rect& other) const {
        return left <= other.right && other.left <= right && top <= other.bottom &&
               other.top <= bottom;
    }
};

// The rectangle with corners `a` and `b`, dragged either way.
inline Rect Spanning(Point a, Point b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

constexpr int kBoxSize = 100;
constexpr int kTextInset = 4;
constexpr int kPinSize = 13;
constexpr int kPinGap = 2;
constexpr int kPinPitch = kPinSize + kPinGap;
constexpr int kPinPictureWidth = 13;
constexpr int kPinPictureHeight = 12;
constexpr int kDefaultBoxLeft = 30;
constexpr int kDefaultBoxTop = 30;
constexpr Rect kPoolRect{25, 25, 135, 135};  // the frame is drawn 6 pixels outside
constexpr Rect kPoolFrame{19, 19, 141, 141};
constexpr int kPoolCorner = 20;
constexpr Rect kPoolLabelRect{25, 141, 135, 157};

// A box that shows its node's thumbnail is taller by this, below its pins.
constexpr int kThumbnailSize = 64;
constexpr int kThumbnailRoom = kThumbnailSize + 2 * kTextInset;

// The smallest rectangle holding both.
inline Rect Union(const Rect& a, const Rect& b) {
    return {a.left < b.left ? a.left : b.left, a.top < b.top ? a.top : b.top,
            a.right > b.right ? a.right : b.right, a.bottom > b.bottom ? a.bottom : b.bottom};
}

inline Rect BoxAt(int left, int top, bool thumbnail = false) {
    return {left, top, left + kBoxSize, top + kBoxSize + (thumbnail ? kThumbnailRoom : 0)};
}
// The square at a box's top that holds its name and pins.
inline Rect BoxHead(const Rect& box) {
    return {box.left, box.top, box.right, box.top + kBoxSize};
}
// Where a box's thumbnail goes: centred below the head.
inline Rect ThumbnailRect(const Rect& box) {
    const int left = box.left + (kBoxSize - kThumbnailSize) / 2;
    const int top = box.top + kBoxSize + kTextInset;
    return {left, top, left + kThumbnailSize, top + kThumbnailSize};
}

// Pins inside a box's inner rectangle (the box shrunk by the text inset).
Rect OutputPinRect(const Rect& inner);
Rect InputPinRect(const Rect& inner, int j, int n);
// Where an input pin's name goes: right of the pin, up to 15 pixels short of
// the inner rectangle's right edge.
Rect PinNameRect(const Rect& pin, const Rect& inner);

// A trace keeps a fixed room of samples, enough for the finest resolution.
constexpr int kMaxCurveSamples = 501;
using CurveSamples = std::array<Point, kMaxCurveSamples>;

// Samples a cable from (x0, y0) to (x1, y1) as a Hermite curve through a
// sagging middle point; returns how many samples were computed.
int ComputeCurve(int x0, int y0, int x1, int y1, int resolution, CurveSamples& samples);

// The polyline runs through one sample fewer than the curve loop suggests,
// so coarse cables stop a step short of their end pin.
int DrawnSampleCount(int computed, int resolution);

}  // namespace view
