// The slider and the label as real widgets on the offscreen platform. The
// slider's arithmetic is SliderModel's; here only the events reach it.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <climits>
#include <utility>
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

// A control of the given size in a shown parent a little larger; null when
// the parent never appears.
template <class Control>
Control* Shown(QWidget& parent, int width, int height) {
    auto* control = new Control(&parent);
    control->setGeometry(0, 0, width, height);
    parent.resize(width + 20, height + 20);
    parent.show();
    return QTest::qWaitForWindowExposed(&parent) ? control : nullptr;
}

// What the main window's slider tests leave out: a drag past the left edge
// while captured, an arrow released far outside, one message per computation.
TEST(SliderWidget, EveryMouseComputationPostsOneChangeReadWhenHandled) {
    RecordingParent parent;
    auto* slider = Shown<Slider>(parent, 100, 20);
    ASSERT_TRUE(slider);
    MessageEvent range(MSG_SLIDER_SET_RANGE, 0, 255);
    QCoreApplication::sendEvent(slider, &range);
    auto deliver = [&] { QCoreApplication::sendPostedEvents(&parent, MSG_SLIDER_CHANGED); };
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(60, 10));
    QTest::mouseMove(slider, QPoint(-50, 10));  // captured: left of the control clamps
    EXPECT_TRUE(parent.values.empty());         // queued until the loop runs
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(-50, 10));
    deliver();
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(95, 10));  // the increment arrow
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(300, 100));
    deliver();
    // The press's 225 is read as the drag's 0: the value current when handled.
    EXPECT_EQ(parent.values, (std::vector<int>{0, 0, 1}));
}

// The picture's inked columns (any pixel other than the face) and darkest pixel.
struct Ink {
    int first = -1, last = -1;
    QRgb darkest = 0xFFFFFFFF;
};
Ink InkOf(Label* label) {
    const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    Ink ink;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != image.pixel(0, 0)) {
                ink.first = ink.first < 0 ? x : ink.first;
                ink.last = x;
                ink.darkest = std::min(ink.darkest, image.pixel(x, y));
            }
    return ink;
}

TEST(LabelWidget, DrawsCentredDarkGreyTextCutOnBothSides) {
    QWidget parent;
    auto* label = Shown<Label>(parent, 81, 20);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Woei");  // until its first text
    label->SetText("lllll");
    Ink ink = InkOf(label);
    ASSERT_GE(ink.first, 0);
    EXPECT_NEAR(ink.first - 1, 78 - ink.last, 2);  // centred in columns 1 .. 78
    // Antialiased strokes in neutral dark grey.
    const int grey = qRed(ink.darkest);
    EXPECT_EQ(ink.darkest, qRgb(grey, grey, grey));
    EXPECT_TRUE(grey >= 70 && grey <= 110) << grey;
    label->SetText(QString());
    EXPECT_EQ(InkOf(label).first, -1);
    label->resize(30, 20);
    label->SetText("WWWWWWWWWWWWWWWW");
    ink = InkOf(label);
    EXPECT_EQ(std::pair(ink.first, ink.last), std::pair(1, 27));  // the box ends at right - 2
    label->SetText(QString(2000, 'x'));
    EXPECT_EQ(label->text().size(), Label::kMaxText);
}

}  // namespace
