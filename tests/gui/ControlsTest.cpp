// The label's picture on the offscreen platform. The slider's arithmetic
// is SliderModel's, and the main window's panel tests drive its mouse, key and
// wheel events.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <utility>

#include "controls/Label.h"

namespace {

// The picture's inked columns (any pixel other than the face) and darkest pixel.
struct Ink {
    int first = -1, last = -1;
    QRgb darkest = 0xFFFFFFFF;
};
Ink InkOf(Label& label) {
    const QImage image = label.grab().toImage().convertToFormat(QImage::Format_RGB32);
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
    Label label;  // grabbed, never shown
    label.resize(81, 20);
    EXPECT_EQ(label.text(), "Woei");  // until its first text
    label.SetText("lllll");
    Ink ink = InkOf(label);
    ASSERT_GE(ink.first, 0);
    EXPECT_NEAR(ink.first - 1, 78 - ink.last, 2);  // centred in columns 1 .. 78
    // Antialiased strokes in neutral dark grey.
    const int grey = qRed(ink.darkest);
    EXPECT_EQ(ink.darkest, qRgb(grey, grey, grey));
    EXPECT_TRUE(grey >= 70 && grey <= 110) << grey;
    label.SetText(QString());
    EXPECT_EQ(InkOf(label).first, -1);
    label.resize(30, 20);
    label.SetText("WWWWWWWWWWWWWWWW");
    ink = InkOf(label);
    EXPECT_EQ(std::pair(ink.first, ink.last), std::pair(1, 27));  // the box ends at right - 2
    label.SetText(QString(2000, 'x'));
    EXPECT_EQ(label.text().size(), Label::kMaxText);
}

}  // namespace
