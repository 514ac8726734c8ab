// The slider driven with real mouse events on the offscreen platform.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <climits>
#include <vector>

#include "controls/Label.h"
#include "controls/Messages.h"
#include "controls/Slider.h"

namespace {

// Records, for every change message, the sender's value when it is handled.
class RecordingParent : public QWidget {
public:
    std::vector<int> values;

protected:
    bool event(QEvent* event) override {
        if (event->type() != MSG_SLIDER_CHANGED) return QWidget::event(event);
        const auto* slider = qobject_cast<Slider*>(static_cast<MessageEvent*>(event)->sender);
        values.push_back(slider ? slider->value() : INT_MIN);
        return true;
    }
};

void Send(Slider* slider, int message, long long wParam, long long lParam = 0) {
    MessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(slider, &event);
}

class SliderTest : public ::testing::Test {
protected:
    // A slider of width w and height 20 over min..max, shown, nothing queued.
    void Place(int w, int min, int max) {
        slider->setGeometry(0, 0, w, 20);
        parent.resize(w + 20, 40);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
        Send(slider, MSG_SLIDER_SET_RANGE, min, max);
        Deliver();
        parent.values.clear();
    }
    // Hands the queued change messages to the parent.
    void Deliver() { QCoreApplication::sendPostedEvents(&parent, MSG_SLIDER_CHANGED); }
    void Click(int x, int y = 10) {
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(x, y));
        Deliver();
    }
    void Move(int x) {
        QTest::mouseMove(slider, QPoint(x, 10));
        Deliver();
    }

    RecordingParent parent;
    Slider* slider = new Slider(&parent);
};

TEST_F(SliderTest, NewSliderShowsFiftyAndTheThumbSpansTheScale) {
    Slider orphan;  // a press without a parent to tell is fine
    EXPECT_EQ(orphan.minimum(), 0);
    EXPECT_EQ(orphan.maximum(), 100);
    EXPECT_EQ(orphan.value(), 50);
    orphan.resize(100, 20);
    EXPECT_EQ(orphan.thumbCentre(), 37);
    orphan.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&orphan));
    QTest::mouseClick(&orphan, Qt::LeftButton, {}, QPoint(67, 10));
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(orphan.value(), 100);
    Place(100, 0, 255);
    Send(slider, MSG_SLIDER_SET_VALUE, 255);
    EXPECT_EQ(slider->thumbCentre(), 67);  // w - 33
    Send(slider, MSG_SLIDER_SET_RANGE, 4, 4);
    EXPECT_EQ(slider->thumbCentre(), 7);
}

TEST_F(SliderTest, PressOnTrackSetsValueFromPositionAndPostsOneChange) {
    constexpr int kNone = -1;
    const struct {
        int width, max, x, value;
    } kCases[] = {
        {100, 255, 7, 0},      {100, 255, 67, 255}, {100, 255, 37, 127},  // 127.5, truncated
        {100, 255, 2, 0},       // left of the track's scale: clamped
        {100, 255, 74, kNone},  // the gap before the decrement button
        {60, 360, 14, 126},     // 7 / 20 * 360 is 125.99... in doubles, 126 at extended precision
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.x);
        Place(c.width, 0, c.max);
        Send(slider, MSG_SLIDER_SET_VALUE, 1000);
        Click(c.x);
        EXPECT_EQ(slider->value(), c.value == kNone ? 1000 : c.value);
        EXPECT_EQ(parent.values, c.value == kNone ? std::vector<int>{} : std::vector{c.value});
    }
}

TEST_F(SliderTest, DragFollowsTheMouseLeftOfTheButtons) {
    Place(100, 0, 255);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(37, 10));
    Deliver();
    Move(60);  // 53 / 60 * 255 = 225.25
    Move(-50);
    Move(90);  // over the buttons: ignored
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(90, 10));
    Move(40);  // no button held: ignored
    EXPECT_EQ(parent.values, (std::vector<int>{127, 225, 0}));
    EXPECT_EQ(slider->value(), 0);
}

TEST_F(SliderTest, SetValueKeepsAnyValueAndSetRangeClampsWithoutNotifying) {
    Place(100, 0, 100);
    const struct {
        int message, wParam, lParam, value;
    } kSteps[] = {{MSG_SLIDER_SET_VALUE, 400, 0, 400},
                  {MSG_SLIDER_SET_RANGE, 100, 900, 400},
                  {MSG_SLIDER_SET_VALUE, 1000, 0, 1000},
                  {MSG_SLIDER_SET_RANGE, 0, 10, 10},
                  {MSG_SLIDER_SET_RANGE, 20, 30, 20}};
    for (const auto& step : kSteps) {
        Send(slider, step.message, step.wParam, step.lParam);
        EXPECT_EQ(slider->value(), step.value) << step.wParam;
    }
    EXPECT_EQ(std::pair(slider->minimum(), slider->maximum()), std::pair(20, 30));
    Deliver();
    EXPECT_TRUE(parent.values.empty());
}

TEST_F(SliderTest, ArrowButtonsStepWithinRange) {
    Place(100, 0, 3);
    Send(slider, MSG_SLIDER_SET_VALUE, 3);
    // Increment at max (still notifies), decrement, the decrement button's last pixel, the gap
    // before the increment button, above and below the buttons, their bottom row.
    for (QPoint p : {QPoint(95, 10), {76, 10}, {86, 10}, {87, 10}, {95, 3}, {95, 15}, {95, 14}})
        Click(p.x(), p.y());
    EXPECT_EQ(parent.values, (std::vector<int>{3, 2, 1, 2}));
}

TEST_F(SliderTest, HeldIncrementRepeatsUntilReleasedOutside) {
    Place(100, 0, 100);
    QElapsedTimer clock;
    clock.start();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(95, 10));
    EXPECT_EQ(slider->value(), 51);  // at once
    // Each repeat step comes a full period after the previous one.
    for (int step = 1; step <= 2; ++step) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return slider->value() == 51 + step; }, 5000));
        EXPECT_GE(clock.elapsed(), step * Slider::kRepeatMs - 10);
    }
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(300, 100));
    const int released = slider->value();
    QTest::qWait(2 * Slider::kRepeatMs + 100);
    EXPECT_EQ(slider->value(), released);
    Deliver();
    ASSERT_EQ(parent.values.size(), static_cast<size_t>(released - 50));
}

TEST_F(SliderTest, Screenshot) {
    // Three rows as the selection panel lays them out, one with a held button.
    parent.resize(260, 70);
    slider->setGeometry(10, 5, 200, 20);
    Send(slider, MSG_SLIDER_SET_RANGE, 0, 255);
    Send(slider, MSG_SLIDER_SET_VALUE, 180);
    (new Slider(&parent))->setGeometry(10, 25, 200, 20);
    auto* held = new Slider(&parent);
    held->setGeometry(10, 45, 200, 20);
    Send(held, MSG_SLIDER_SET_VALUE, 0);
    auto* value = new Label(&parent);
    value->setGeometry(212, 5, 40, 20);
    value->SetText("180");
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    QTest::mousePress(held, Qt::LeftButton, {}, QPoint(195, 10));
    const QImage shot = parent.grab().toImage();
    QTest::mouseRelease(held, Qt::LeftButton, {}, QPoint(195, 10));
    ASSERT_TRUE(QDir().mkpath(SWATCHER_SCREENSHOT_DIR));
    ASSERT_TRUE(shot.save(SWATCHER_SCREENSHOT_DIR "/slider.png"));
    ASSERT_TRUE(shot.scaled(shot.size() * 4).save(SWATCHER_SCREENSHOT_DIR "/slider_x4.png"));
}

}  // namespace
