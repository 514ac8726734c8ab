// The slider driven with real mouse events on the offscreen platform.
#include <gtest/gtest.h>

#include <QDir>
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

// The widget's part: messages in, real mouse events mapped to the model,
// notifications posted and read when handled. The arithmetic is SliderModel's.
TEST_F(SliderTest, MouseAndMessagesReachTheValueAndPostedNotifications) {
    Place(100, 0, 255);
    Send(slider, MSG_SLIDER_SET_VALUE, 1000);  // kept outside the range, not announced
    EXPECT_EQ(slider->value(), 1000);
    EXPECT_EQ(slider->thumbCentre(), 242);  // 1000 / 255 * 60 + 7
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(37, 10));
    QTest::mouseMove(slider, QPoint(60, 10));
    EXPECT_TRUE(parent.values.empty());  // queued until the loop runs
    Deliver();
    QTest::mouseMove(slider, QPoint(-50, 10));  // captured: left of the control clamps
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(-50, 10));
    Move(40);  // no button held: ignored
    // Two queued messages both read the value current when they are handled.
    EXPECT_EQ(parent.values, (std::vector<int>{225, 225, 0}));

    // An arrow steps at once; the release, even outside, stops the repeat.
    parent.values.clear();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(95, 10));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(300, 100));
    Deliver();
    EXPECT_EQ(parent.values, std::vector<int>{1});
    EXPECT_EQ(slider->grab().size(), QSize(100, 20));
}

}  // namespace
