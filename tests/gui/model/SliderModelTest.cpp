// The slider's arithmetic and repeat, driven without a widget or a timer.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "controls/SliderModel.h"

namespace {

// The repeat clock as a switch the test flips by hand.
class FakeClock : public RepeatClock {
public:
    void Start(int periodMs) override { period = periodMs; }
    void Stop() override { period = 0; }
    int period = 0;  // 0: stopped
};

struct SliderModelTest : ::testing::Test {
    FakeClock clock;
    std::vector<int> notified;  // the value at every notification
    SliderModel slider{clock, [this] { notified.push_back(slider.value()); }};
};

TEST_F(SliderModelTest, TrackPressesAndTheThumbUseExtendedPrecision) {
    EXPECT_EQ(slider.ThumbCentre(100), 37);  // 50 of 0 .. 100
    constexpr int kNone = -1;
    const struct {
        int width, max, x, value;
    } kCases[] = {
        {100, 255, 7, 0},      {100, 255, 67, 255}, {100, 255, 37, 127},  // 127.5, truncated
        {100, 255, -300, 0},    // far left while captured: clamped
        {100, 255, 74, kNone},  // the gap before the decrement button
        {60, 360, 14, 126},     // 7 / 20 * 360 is 125.99... in doubles, 126 at extended precision
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.x);
        notified.clear();
        slider.SetRange(0, c.max);
        slider.SetValue(1000);
        slider.Press(c.x, 10, c.width, 20);
        EXPECT_EQ(slider.value(), c.value == kNone ? 1000 : c.value);
        EXPECT_EQ(notified, c.value == kNone ? std::vector<int>{} : std::vector{c.value});
    }
    slider.SetRange(0, 255);
    slider.SetValue(255);
    EXPECT_EQ(slider.ThumbCentre(100), 67);  // w - 33
    slider.SetRange(4, 4);
    EXPECT_EQ(slider.ThumbCentre(100), 7);
}

TEST_F(SliderModelTest, SetValueKeepsAnyValueSetRangeClampsAndDragNeedsTheButton) {
    const struct {
        bool range;
        int a, b, value;
    } kSteps[] = {
        {false, 400, 0, 400}, {true, 100, 900, 400}, {true, 0, 10, 10}, {true, 20, 30, 20}};
    for (const auto& step : kSteps) {
        step.range ? slider.SetRange(step.a, step.b) : slider.SetValue(step.a);
        EXPECT_EQ(slider.value(), step.value) << step.a;
    }
    EXPECT_TRUE(notified.empty());
    slider.SetRange(0, 255);
    EXPECT_TRUE(slider.Drag(60, 100, true));  // 53 / 60 * 255 = 225.25
    EXPECT_FALSE(slider.Drag(74, 100, true));
    EXPECT_FALSE(slider.Drag(20, 100, false));
    EXPECT_EQ(notified, std::vector<int>{225});
}

TEST_F(SliderModelTest, ArrowButtonsHitOnlyTheirPixelsAndRepeatEveryTickUntilReleased) {
    slider.Press(95, 10, 100, 20);  // steps at once
    EXPECT_TRUE(slider.incrementPressed());
    EXPECT_EQ(clock.period, SliderModel::kRepeatMs);
    slider.Tick();
    slider.Tick();
    slider.Press(76, 10, 100, 20);  // the other button turns the repeat round
    EXPECT_FALSE(slider.incrementPressed());
    EXPECT_TRUE(slider.decrementPressed());
    slider.Tick();
    slider.Release();
    EXPECT_EQ(clock.period, 0);
    EXPECT_FALSE(slider.decrementPressed());
    slider.SetRange(0, 3);  // pulls the value down to 3
    // Increment at max (still notifies), decrement, the decrement button's last pixel, the gap
    // before the increment button, above and below the buttons, their bottom row.
    const int kPresses[][2] = {{95, 10}, {76, 10}, {86, 10}, {87, 10}, {95, 3}, {95, 15}, {95, 14}};
    for (const auto& p : kPresses) {
        slider.Press(p[0], p[1], 100, 20);
        slider.Release();
    }
    EXPECT_EQ(notified, (std::vector<int>{51, 52, 53, 52, 51, 3, 2, 1, 2}));
    slider.SetRange(INT32_MIN, INT32_MIN);  // steps never wrap
    slider.Press(76, 10, 100, 20);
    EXPECT_EQ(slider.value(), INT32_MIN);
}

// At the maximum a step still notifies, as a button does; half a notch waits for the other half.
TEST_F(SliderModelTest, KeysAndWheelStepWithinTheRangeAndNotifyLikeAButton) {
    const struct {
        int start;
        bool wheel;  // else keys
        int amount;  // steps, or eighths of a degree
        int value;
        size_t notifications;
    } kCases[] = {{50, false, 1, 51, 1},  {50, false, -10, 40, 1}, {3, false, -10, 0, 1},
                  {50, true, 120, 51, 1}, {50, true, -360, 47, 1}, {100, false, 1, 100, 1},
                  {50, true, 60, 50, 0}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(testing::Message() << c.start << (c.wheel ? " wheel " : " keys ") << c.amount);
        SliderModel model{clock, [&] { notified.push_back(model.value()); }};
        notified.clear();
        model.SetValue(c.start);
        const int gesture = model.gesture();
        c.wheel ? model.Wheel(c.amount) : model.StepBy(c.amount);
        EXPECT_EQ(model.value(), c.value);
        EXPECT_EQ(notified.size(), c.notifications);
        EXPECT_EQ(model.gesture() - gesture, static_cast<int>(c.notifications));
        EXPECT_FALSE(model.incrementPressed() || model.decrementPressed() || clock.period);
        if (c.amount == 60) {  // the second half completes the notch
            model.Wheel(60);
            EXPECT_EQ(model.value(), 51);
        }
    }
}

}  // namespace
