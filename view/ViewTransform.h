// The Nodes view's zoom: maps window pixels to the view model's coordinates
// (document coordinates less the scroll position) and back. At 100% both are
// the same, so the drawing is what it always was.
#pragma once

#include "view/Geometry.h"

namespace view {

class ViewTransform {
public:
    static constexpr int kMinZoom = 25;
    static constexpr int kMaxZoom = 200;

    int zoom() const { return zoom_; }  // percent
    void SetZoom(int percent);
    // The next step of the zoom ladder above or below `percent`.
    static int StepIn(int percent);
    static int StepOut(int percent);

    // Window pixel to model coordinates, rounding down; and back.
    Point ToModel(Point window) const;
    Point ToWindow(Point model) const;
    // A window length in model units, rounding down.
    int ToModelLength(int window) const;

private:
    int zoom_ = 100;
};

}  // namespace view
