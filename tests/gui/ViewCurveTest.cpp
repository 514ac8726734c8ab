// The cable curve and pin geometry, computed without a widget.
#include <gtest/gtest.h>

#include "view/Geometry.h"

using view::ComputeCurve;
using view::Point;
using view::Rect;

TEST(ViewCurve, SampleCountsFollowTheAccumulatedStep) {
    view::CurveSamples samples{};
    // The polyline uses one sample fewer than the loop suggests at resolution 10.
    const struct {
        int resolution, computed, drawn;
    } kCases[] = {{10, 9, 8}, {100, 98, 98}, {500, 498, 498}};
    for (const auto& c : kCases) {
        EXPECT_EQ(ComputeCurve(10, 20, 300, 200, c.resolution, samples), c.computed);
        EXPECT_EQ(view::DrawnSampleCount(c.computed, c.resolution), c.drawn);
    }
    // An extreme resolution stays within the sample room.
    EXPECT_EQ(ComputeCurve(0, 0, 10, 10, 1, samples), view::kMaxCurveSamples);
    EXPECT_EQ(ComputeCurve(0, 0, 10, 10, 2, samples), 1);
}

TEST(ViewCurve, SamplesSagBelowTheEnds) {
    view::CurveSamples s{};
    // Coincident ends hang 70 pixels below; t = 0.5 is the middle sample.
    ASSERT_EQ(ComputeCurve(100, 100, 100, 100, 10, s), 9);
    EXPECT_EQ(s[0], (Point{100, 100}));
    EXPECT_EQ(s[4], (Point{100, 170}));
    EXPECT_EQ(s[8], (Point{100, 100}));
    // Horizontal: fx = 1 / 1.2, the middle sags 20 + 41.67 -> 61 pixels; s = 0.5 in the
    // first segment with tangents 77 / 140 and 46.97 / 8.54 (single).
    ASSERT_EQ(ComputeCurve(0, 0, 200, 0, 10, s), 9);
    EXPECT_EQ(s[2], (Point{42, 35}));
    EXPECT_EQ(s[4], (Point{100, 61}));
    EXPECT_EQ(s[8], (Point{200, 0}));
}

// Pitch and centring of three inputs are checked on the view's pin spots.
TEST(ViewGeometry, PinsInTheInnerRectangle) {
    const Rect inner = view::BoxAt(30, 30).Shrunk(view::kTextInset);
    EXPECT_EQ(inner, (Rect{34, 34, 126, 126}));
    EXPECT_EQ(view::InputPinRect(inner, 0, 1), (Rect{36, 73, 49, 86}));
    EXPECT_EQ(view::PinNameRect(Rect{36, 73, 49, 86}, inner), (Rect{51, 73, 111, 86}));
    // Centres round toward zero, also left of the window.
    EXPECT_EQ((Rect{-13, -13, 0, 0}).Centre(), (Point{-6, -6}));
}
