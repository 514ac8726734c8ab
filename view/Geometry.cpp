#include "view/Geometry.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Numeric.h"

namespace view {

Rect OutputPinRect(const Rect& inner) {
    const int half = (inner.bottom - inner.top) / 2;
    const int right = inner.right - kPinGap;
    return {right - kPinSize, inner.top + half - 6, right, inner.top + half + 6};
}

Rect InputPinRect(const Rect& inner, int j, int n) {
    const int half = (inner.bottom - inner.top) / 2;
    const int left = inner.left + kPinGap;
    const int top = inner.top + (half - (kPinPitch * n) / 2) + kPinPitch * j;
    return {left, top, left + kPinSize, top + kPinSize};
}

Rect PinNameRect(const Rect& pin, const Rect& inner) {
    return {pin.right + kPinGap, pin.top, inner.right - 15, pin.bottom};
}

int ComputeCurve(int x0, int y0, int x1, int y1, int resolution, CurveSamples& samples) {
    // The middle point sags 70 pixels for coincident ends, about 20 for far ones.
    const long double fx =
        1.0L /
        (1.0L + 0.001 * static_cast<long double>(std::llabs(static_cast<long long>(x1) - x0)));
    const long double fy =
        1.0L /
        (1.0L + 0.001 * static_cast<long double>(std::llabs(static_cast<long long>(y1) - y0)));
    const int xm = (x0 + x1) / 2;
    const int ym =
        platform::TruncToInt(static_cast<long double>((y0 + y1) / 2) + 20 + 50 * fx * fy);

    const int px[3] = {x0, xm, x1};
    const int py[3] = {y0, ym, y1};
    const float tx[3] = {platform::single(0.77 * static_cast<long double>(xm - x0)),
                         platform::single(0.77 * static_cast<long double>(xm - x0) +
                                          0.63 * static_cast<long double>(x1 - xm)),
                         platform::single(0.63 * static_cast<long double>(x1 - xm))};
    const float ty[3] = {platform::single(0.77 * static_cast<long double>(ym - y0)),
                         platform::single(0.77 * static_cast<long double>(ym - y0) +
                                          0.63 * static_cast<long double>(y1 - ym)),
                         platform::single(0.63 * static_cast<long double>(y1 - ym))};
    constexpr double knot[3] = {0.0, 0.5, 1.0};

    const double step = platform::dbl(1.0L / (resolution - 2));
    int count = 0;
    // The sample room bounds the loop even for a resolution that would not end it.
    for (double t = 0; t <= 1 && count < kMaxCurveSamples; t = platform::dbl(t + step)) {
        const int k = t <= knot[1] ? 1 : 2;
        const long double s = (t - knot[k - 1]) / (knot[k] - knot[k - 1]);
        const long double s2 = s * s;
        const long double s3 = s2 * s;
        const long double h00 = 2 * s3 - 3 * s2 + 1;
        const long double h10 = s3 - 2 * s2 + s;
        const long double h01 = 1 - h00;
        const long double h11 = s3 - s2;
        samples[count].x =
            platform::TruncToInt(px[k - 1] * h00 + tx[k - 1] * h10 + px[k] * h01 + tx[k] * h11);
        samples[count].y =
            platform::TruncToInt(py[k - 1] * h00 + ty[k - 1] * h10 + py[k] * h01 + ty[k] * h11);
        ++count;
    }
    return count;
}

int DrawnSampleCount(int computed, int resolution) {
    return std::max(0, std::min(computed, resolution - 2));
}

}  // namespace view
