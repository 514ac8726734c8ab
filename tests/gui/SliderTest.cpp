// The slider driven with real mouse events on the offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTest>
#include <climits>
#include <vector>

#include "controls/Label.h"
#include "controls/Messages.h"
#include "controls/Slider.h"

namespace {

// Records every change message with the value read when it is handled.
class RecordingParent : public QWidget {
public:
    struct Change {
        QWidget* sender;
        int value;
    };
    std::vector<Change> changes;

protected:
    bool event(QEvent* event) override {
        if (event->type() != MSG_SLIDER_CHANGED) return QWidget::event(event);
        const auto* message = static_cast<MessageEvent*>(event);
        const auto* slider = qobject_cast<Slider*>(message->sender.data());
        changes.push_back({message->sender.data(), slider ? slider->value() : INT_MIN});
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
        parent.changes.clear();
    }

    // Hands the queued change messages to the parent.
    void Deliver() { QCoreApplication::sendPostedEvents(&parent, MSG_SLIDER_CHANGED); }

    // A click, then the event loop's turn for the parent.
    void Click(int x, int y = 10) {
        QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(x, y));
        QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(x, y));
        Deliver();
    }

    // The values the parent read, one per change message.
    std::vector<int> Values() const {
        std::vector<int> values;
        for (const auto& change : parent.changes) values.push_back(change.value);
        return values;
    }

    RecordingParent parent;
    Slider* slider = new Slider(&parent);
};

TEST_F(SliderTest, NewSliderShowsFiftyOfZeroToHundred) {
    Slider fresh;
    EXPECT_EQ(fresh.minimum(), 0);
    EXPECT_EQ(fresh.maximum(), 100);
    EXPECT_EQ(fresh.value(), 50);
    fresh.resize(100, 20);
    EXPECT_EQ(fresh.thumbCentre(), 37);
}

TEST_F(SliderTest, PressOnTrackSetsValueFromPosition) {
    Place(100, 0, 255);
    Click(7);
    EXPECT_EQ(slider->value(), 0);
    Click(67);
    EXPECT_EQ(slider->value(), 255);
    Click(37);  // 127.5, truncated
    EXPECT_EQ(slider->value(), 127);
    Click(2);  // left of the track's scale: clamped
    EXPECT_EQ(slider->value(), 0);
    Click(74);  // the gap before the decrement button
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(Values(), (std::vector<int>{0, 255, 127, 0}));
    EXPECT_EQ(parent.changes[0].sender, slider);
}

TEST_F(SliderTest, PositionUsesExtendedPrecision) {
    // 7 / 20 * 360 is 125.99... in doubles but 126 with a 64-bit significand.
    Place(60, 0, 360);
    Click(14);
    EXPECT_EQ(slider->value(), 126);
}

TEST_F(SliderTest, DragFollowsTheMouseLeftOfTheButtons) {
    Place(100, 0, 255);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(37, 10));
    Deliver();
    QTest::mouseMove(slider, QPoint(60, 10));
    Deliver();
    EXPECT_EQ(slider->value(), 225);  // 53 / 60 * 255 = 225.25
    QTest::mouseMove(slider, QPoint(-50, 10));
    Deliver();
    EXPECT_EQ(slider->value(), 0);
    QTest::mouseMove(slider, QPoint(90, 10));  // over the buttons: ignored
    Deliver();
    EXPECT_EQ(slider->value(), 0);
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(90, 10));
    QTest::mouseMove(slider, QPoint(40, 10));  // no button held: ignored
    Deliver();
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(Values(), (std::vector<int>{127, 225, 0}));
}

TEST_F(SliderTest, ChangeIsQueuedAndReadsTheValueWhenHandled) {
    Place(100, 0, 255);
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(37, 10));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(37, 10));
    EXPECT_TRUE(parent.changes.empty());
    Send(slider, MSG_SLIDER_SET_VALUE, 5);
    Deliver();
    EXPECT_EQ(Values(), (std::vector<int>{5}));
}

// Counts change messages delivered to any object of the application.
class ChangeCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == MSG_SLIDER_CHANGED) ++count;
        return false;
    }
};

TEST_F(SliderTest, WithoutParentNothingIsPosted) {
    Slider orphan;
    orphan.resize(100, 20);
    orphan.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&orphan));
    ChangeCounter counter;
    qApp->installEventFilter(&counter);
    QTest::mousePress(&orphan, Qt::LeftButton, {}, QPoint(67, 10));
    QTest::mouseRelease(&orphan, Qt::LeftButton, {}, QPoint(67, 10));
    QCoreApplication::sendPostedEvents();
    qApp->removeEventFilter(&counter);
    EXPECT_EQ(orphan.value(), 100);
    EXPECT_EQ(counter.count, 0);
}

TEST_F(SliderTest, SetValueKeepsAnyValueAndSetRangeClamps) {
    Place(100, 0, 100);
    Send(slider, MSG_SLIDER_SET_VALUE, 400);
    Send(slider, MSG_SLIDER_SET_RANGE, 100, 900);
    EXPECT_EQ(slider->value(), 400);
    Send(slider, MSG_SLIDER_SET_VALUE, 1000);
    EXPECT_EQ(slider->value(), 1000);
    EXPECT_EQ(slider->minimum(), 100);
    EXPECT_EQ(slider->maximum(), 900);
    Send(slider, MSG_SLIDER_SET_RANGE, 0, 10);
    EXPECT_EQ(slider->value(), 10);
    Send(slider, MSG_SLIDER_SET_RANGE, 20, 30);
    EXPECT_EQ(slider->value(), 20);
    Deliver();
    EXPECT_TRUE(parent.changes.empty());
}

TEST_F(SliderTest, ThumbSpansTheScale) {
    Place(100, 0, 255);
    Send(slider, MSG_SLIDER_SET_VALUE, 0);
    EXPECT_EQ(slider->thumbCentre(), 7);
    Send(slider, MSG_SLIDER_SET_VALUE, 255);
    EXPECT_EQ(slider->thumbCentre(), 67);  // w - 33
    Send(slider, MSG_SLIDER_SET_RANGE, 4, 4);
    EXPECT_EQ(slider->thumbCentre(), 7);
}

TEST_F(SliderTest, ArrowButtonsStepWithinRange) {
    Place(100, 0, 3);
    Send(slider, MSG_SLIDER_SET_VALUE, 3);
    Click(95);      // increment at max: still notifies
    Click(76);      // decrement
    Click(86);      // last pixel of the decrement button
    Click(87);      // gap before the increment button
    Click(95, 3);   // above the buttons
    Click(95, 15);  // below the buttons
    Click(95, 14);  // bottom row of the buttons
    EXPECT_EQ(Values(), (std::vector<int>{3, 2, 1, 2}));
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
    ASSERT_EQ(parent.changes.size(), static_cast<size_t>(released - 50));
}

TEST_F(SliderTest, Screenshot) {
    // Three rows as the selection panel lays them out, one with a held button.
    parent.resize(260, 70);
    slider->setGeometry(10, 5, 200, 20);
    Send(slider, MSG_SLIDER_SET_RANGE, 0, 255);
    Send(slider, MSG_SLIDER_SET_VALUE, 180);
    auto* low = new Slider(&parent);
    low->setGeometry(10, 25, 200, 20);
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
