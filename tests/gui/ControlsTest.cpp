// The slider and the label as real widgets on the offscreen platform. The
// slider's arithmetic is SliderModel's; here only the events reach it.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <climits>
#include <tuple>
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

TEST(SliderWidget, MouseAndMessagesReachTheValueAndPostedNotifications) {
    RecordingParent parent;
    auto* slider = Shown<Slider>(parent, 100, 20);
    ASSERT_TRUE(slider);
    auto send = [slider](int message, long long wParam, long long lParam = 0) {
        MessageEvent event(message, wParam, lParam);
        QCoreApplication::sendEvent(slider, &event);
    };
    auto deliver = [&] { QCoreApplication::sendPostedEvents(&parent, MSG_SLIDER_CHANGED); };
    send(MSG_SLIDER_SET_RANGE, 0, 255);
    send(MSG_SLIDER_SET_VALUE, 1000);  // kept outside the range, not announced
    EXPECT_EQ(slider->value(), 1000);
    EXPECT_EQ(slider->thumbCentre(), 242);  // 1000 / 255 * 60 + 7
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(37, 10));
    QTest::mouseMove(slider, QPoint(60, 10));
    EXPECT_TRUE(parent.values.empty());  // queued until the loop runs
    deliver();
    QTest::mouseMove(slider, QPoint(-50, 10));  // captured: left of the control clamps
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(-50, 10));
    QTest::mouseMove(slider, QPoint(40, 10));  // no button held: ignored
    deliver();
    // Two queued messages both read the value current when they are handled.
    EXPECT_EQ(parent.values, (std::vector<int>{225, 225, 0}));
    // An arrow steps at once; the release, even outside, stops the repeat.
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(95, 10));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(300, 100));
    deliver();
    EXPECT_EQ(parent.values.back(), 1);
}

// Columns of the label's picture that hold any pixel other than the face.
std::vector<int> InkedColumns(Label* label) {
    const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::vector<int> columns;
    for (int x = 0; x < image.width(); ++x)
        for (int y = 0; y < image.height(); ++y)
            if (image.pixel(x, y) != image.pixel(0, 0)) {
                columns.push_back(x);
                break;
            }
    return columns;
}

TEST(LabelWidget, DrawsCentredDarkGreyTextCutOnBothSides) {
    QWidget parent;
    auto* label = Shown<Label>(parent, 81, 20);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->text(), "Woei");  // until its first text
    label->SetText("lllll");
    const std::vector<int> inked = InkedColumns(label);
    ASSERT_FALSE(inked.empty());
    EXPECT_NEAR(inked.front() - 1, 78 - inked.back(), 2);  // centred in columns 1 .. 78
    // Antialiased strokes in neutral dark grey.
    const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRgb darkest = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) darkest = std::min(darkest, image.pixel(x, y));
    EXPECT_EQ(std::tuple(qGreen(darkest), qBlue(darkest)),
              std::tuple(qRed(darkest), qRed(darkest)));
    EXPECT_GE(qRed(darkest), 70);
    EXPECT_LE(qRed(darkest), 110);
    label->SetText(QString());
    EXPECT_TRUE(InkedColumns(label).empty());
    label->resize(30, 20);
    label->SetText("WWWWWWWWWWWWWWWW");
    const std::vector<int> cut = InkedColumns(label);
    ASSERT_FALSE(cut.empty());
    EXPECT_EQ(std::pair(cut.front(), cut.back()), std::pair(1, 27));  // the box ends at right - 2
    label->SetText(QString(2000, 'x'));
    EXPECT_EQ(label->text().size(), Label::kMaxText);
}

}  // namespace
