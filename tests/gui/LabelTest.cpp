// The label drawn on the offscreen platform.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>

#include "controls/Label.h"

namespace {

class LabelTest : public ::testing::Test {
protected:
    Label* Add(int x, int w, int h = 20) {
        auto* label = new Label(&parent);
        label->setGeometry(x, 0, w, h);
        return label;
    }

    void Show() {
        parent.resize(300, 40);
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    }

    // Columns of the label's picture that hold any pixel other than the face.
    static std::vector<int> InkedColumns(const QImage& image) {
        const QRgb face = image.pixel(0, 0);
        std::vector<int> columns;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                if (image.pixel(x, y) != face) {
                    columns.push_back(x);
                    break;
                }
        return columns;
    }

    static QImage Picture(Label* label) {
        return label->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QWidget parent;
};

TEST_F(LabelTest, ShowsWoeiUntilItsFirstText) {
    Label* label = Add(0, 80);
    Show();
    EXPECT_EQ(label->text(), "Woei");
    EXPECT_FALSE(InkedColumns(Picture(label)).empty());
}

TEST_F(LabelTest, EmptyTextClearsIt) {
    Label* label = Add(0, 80);
    Show();
    label->SetText(QString());
    EXPECT_EQ(label->text(), "");
    EXPECT_TRUE(InkedColumns(Picture(label)).empty());
}

TEST_F(LabelTest, DrawsDarkGreyCentredText) {
    Label* label = Add(0, 81);
    Show();
    label->SetText("lllll");
    const QImage image = Picture(label);
    const std::vector<int> inked = InkedColumns(image);
    ASSERT_FALSE(inked.empty());
    // Centred in columns 1 .. 78 within a pixel or so of rounding.
    EXPECT_NEAR(inked.front() - 1, 78 - inked.back(), 2);
    // Antialiased strokes in neutral dark grey: never darker than 70.
    QRgb darkest = image.pixel(0, 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qRed(image.pixel(x, y)) < qRed(darkest)) darkest = image.pixel(x, y);
    EXPECT_EQ(qRed(darkest), qGreen(darkest));
    EXPECT_EQ(qRed(darkest), qBlue(darkest));
    EXPECT_GE(qRed(darkest), 70);
    EXPECT_LE(qRed(darkest), 110);
}

TEST_F(LabelTest, WideTextIsCutOnBothSides) {
    Label* label = Add(0, 30, 20);
    Show();
    label->SetText("WWWWWWWWWWWWWWWW");
    const std::vector<int> inked = InkedColumns(Picture(label));
    ASSERT_FALSE(inked.empty());
    EXPECT_EQ(inked.front(), 1);
    EXPECT_EQ(inked.back(), 27);  // the text box ends before right - 2
}

TEST_F(LabelTest, LabelsKeepTheirOwnTexts) {
    Label* name = Add(0, 80);
    Label* value = Add(100, 40);
    Show();
    name->SetText("Radius");
    value->SetText("12");
    name->resize(120, 30);
    EXPECT_EQ(name->text(), "Radius");
    EXPECT_EQ(value->text(), "12");
    EXPECT_EQ(value->size(), QSize(40, 20));
}

TEST_F(LabelTest, LongTextIsCutToCapacity) {
    Label* label = Add(0, 80);
    label->SetText(QString(2000, 'x'));
    EXPECT_EQ(label->text().size(), Label::kMaxText);
}

TEST_F(LabelTest, Screenshot) {
    Add(0, 100)->SetText("Radius");
    Add(110, 100);  // never given a text
    Add(220, 40)->SetText("A text much wider than its label");
    Show();
    const QImage shot = parent.grab().toImage();
    ASSERT_TRUE(QDir().mkpath(SWATCHER_SCREENSHOT_DIR));
    ASSERT_TRUE(shot.save(SWATCHER_SCREENSHOT_DIR "/label.png"));
    ASSERT_TRUE(shot.scaled(shot.size() * 3).save(SWATCHER_SCREENSHOT_DIR "/label_x3.png"));
}

}  // namespace
