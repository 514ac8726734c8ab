// The label drawn on the offscreen platform.
#include <gtest/gtest.h>

#include <QTest>

#include "controls/Label.h"

namespace {

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

class LabelTest : public ::testing::Test {
protected:
    Label* Add(int x, int w) {
        auto* label = new Label(&parent);
        label->setGeometry(x, 0, w, 20);
        return label;
    }
    void Show() {
        parent.resize(300, 40);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    QWidget parent;
};

TEST_F(LabelTest, ShowsWoeiUntilItsFirstTextAndEmptyTextClearsIt) {
    Label* label = Add(0, 80);
    Show();
    EXPECT_EQ(label->text(), "Woei");
    EXPECT_FALSE(InkedColumns(label).empty());
    label->SetText(QString());
    EXPECT_EQ(label->text(), "");
    EXPECT_TRUE(InkedColumns(label).empty());
}

TEST_F(LabelTest, DrawsDarkGreyCentredText) {
    Label* label = Add(0, 81);
    Show();
    label->SetText("lllll");
    const std::vector<int> inked = InkedColumns(label);
    ASSERT_FALSE(inked.empty());
    // Centred in columns 1 .. 78 within a pixel or so of rounding.
    EXPECT_NEAR(inked.front() - 1, 78 - inked.back(), 2);
    // Antialiased strokes in neutral dark grey: never darker than 70.
    const QImage image = label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QRgb darkest = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) < qRed(darkest)) darkest = image.pixel(x, y);
    EXPECT_EQ(qRed(darkest), qGreen(darkest));
    EXPECT_EQ(qRed(darkest), qBlue(darkest));
    EXPECT_GE(qRed(darkest), 70);
    EXPECT_LE(qRed(darkest), 110);
}

TEST_F(LabelTest, WideTextIsCutOnBothSidesAndLongTextToCapacity) {
    Label* label = Add(0, 30);
    Show();
    label->SetText("WWWWWWWWWWWWWWWW");
    const std::vector<int> inked = InkedColumns(label);
    ASSERT_FALSE(inked.empty());
    EXPECT_EQ(inked.front(), 1);
    EXPECT_EQ(inked.back(), 27);  // the text box ends before right - 2
    label->SetText(QString(2000, 'x'));
    EXPECT_EQ(label->text().size(), Label::kMaxText);
}

}  // namespace
