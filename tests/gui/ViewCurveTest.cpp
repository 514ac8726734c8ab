// The cable curve and pin geometry, computed without a widget.
#include <gtest/gtest.h>

#include "view/Geometry.h"

using view::ComputeCurve;
using view::CurveSamples;
using view::Point;
using view::Rect;

TEST(ViewCurve, SampleCountsFollowTheAccumulatedStep) {
    CurveSamples samples{};
    EXPECT_EQ(ComputeCurve(10, 20, 300, 200, 10, samples), 9);
    EXPECT_EQ(ComputeCurve(10, 20, 300, 200, 100, samples), 98);
    EXPECT_EQ(ComputeCurve(10, 20, 300, 200, 500, samples), 498);
    // The polyline uses one sample fewer than the loop suggests at resolution 10.
    EXPECT_EQ(view::DrawnSampleCount(9, 10), 8);
    EXPECT_EQ(view::DrawnSampleCount(98, 100), 98);
    EXPECT_EQ(view::DrawnSampleCount(498, 500), 498);
}

TEST(ViewCurve, CoincidentEndsHang70PixelsBelow) {
    CurveSamples samples{};
    ASSERT_EQ(ComputeCurve(100, 100, 100, 100, 10, samples), 9);
    EXPECT_EQ(samples[0], (Point{100, 100}));
    EXPECT_EQ(samples[4], (Point{100, 170}));  // t = 0.5 is the middle point
    EXPECT_EQ(samples[8], (Point{100, 100}));
}

TEST(ViewCurve, SamplesOfAHorizontalCable) {
    // fx = 1 / 1.2: the middle sags 20 + 41.67 -> 61 pixels.
    CurveSamples samples{};
    ASSERT_EQ(ComputeCurve(0, 0, 200, 0, 10, samples), 9);
    EXPECT_EQ(samples[4], (Point{100, 61}));
    // s = 0.5 in the first segment, tangents 77 / 140 and 46.97 / 8.54 (single).
    EXPECT_EQ(samples[2], (Point{42, 35}));
    EXPECT_EQ(samples[8], (Point{200, 0}));
}

TEST(ViewCurve, AnExtremeResolutionStaysWithinTheSampleRoom) {
    CurveSamples samples{};
    EXPECT_EQ(ComputeCurve(0, 0, 10, 10, 1, samples), view::kMaxCurveSamples);
    EXPECT_EQ(ComputeCurve(0, 0, 10, 10, 2, samples), 1);
}

TEST(ViewGeometry, PinsInTheInnerRectangle) {
    const Rect inner = view::BoxAt(30, 30).Shrunk(view::kTextInset);
    EXPECT_EQ(inner, (Rect{34, 34, 126, 126}));
    EXPECT_EQ(view::OutputPinRect(inner), (Rect{111, 74, 124, 86}));
    // Three inputs at a pitch of 15, centred on the box's middle (y 80).
    EXPECT_EQ(view::InputPinRect(inner, 0, 3), (Rect{36, 58, 49, 71}));
    EXPECT_EQ(view::InputPinRect(inner, 1, 3), (Rect{36, 73, 49, 86}));
    EXPECT_EQ(view::InputPinRect(inner, 2, 3), (Rect{36, 88, 49, 101}));
    EXPECT_EQ(view::InputPinRect(inner, 0, 1), (Rect{36, 73, 49, 86}));
    EXPECT_EQ(view::PinNameRect(Rect{36, 73, 49, 86}, inner), (Rect{51, 73, 111, 86}));
    // Centres round toward zero, also left of the window.
    EXPECT_EQ((Rect{-13, -13, 0, 0}).Centre(), (Point{-6, -6}));
}
