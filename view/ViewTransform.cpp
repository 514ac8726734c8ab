#include "view/ViewTransform.h"

#include <algorithm>
#include <array>

namespace view {

namespace {

constexpr std::array<int, 11> kSteps{25, 33, 50, 67, 75, 90, 100, 125, 150, 175, 200};

// Division rounding towards minus infinity, so points left of the origin do
// not fold onto it.
int FloorDiv(long long a, long long b) {
    long long q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return static_cast<int>(q);
}

}  // namespace

void ViewTransform::SetZoom(int percent) {
    zoom_ = std::clamp(percent, kMinZoom, kMaxZoom);
}

int ViewTransform::StepIn(int percent) {
    for (int step : kSteps)
        if (step > percent) return step;
    return kMaxZoom;
}

int ViewTransform::StepOut(int percent) {
    for (auto it = kSteps.rbegin(); it != kSteps.rend(); ++it)
        if (*it < percent) return *it;
    return kMinZoom;
}

Point ViewTransform::ToModel(Point window) const {
    return {ToModelLength(window.x), ToModelLength(window.y)};
}

Point ViewTransform::ToWindow(Point model) const {
    return {FloorDiv(static_cast<long long>(model.x) * zoom_, 100),
            FloorDiv(static_cast<long long>(model.y) * zoom_, 100)};
}

int ViewTransform::ToModelLength(int window) const {
    return FloorDiv(static_cast<long long>(window) * 100, zoom_);
}

}  // namespace view
