// Rendering, the preview, the texture size commands, the road of a slider
// move and the large view.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QTest>

#include "AppTestSupport.h"
#include "app/LargeView.h"
#include "app/Layout.h"
#include "app/Preview.h"
#include "controls/Messages.h"
#include "controls/Slider.h"

namespace {

using AppPreview = AppTest;

TEST(AppPreviewPicture, MagnifiesTilesAndShowsTheBackdrop) {
    // A 2 x 2 texture: red, green / blue, white.
    auto texture = Image::Create(2, 2);
    const uint32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
    std::copy(std::begin(colours), std::end(colours), texture->pixels);
    const QImage tiled = BuildPreviewPicture(*texture, 5, 3, 0, 0, 1, true);
    const QImage zoomed = BuildPreviewPicture(*texture, 6, 6, 1, 0, 3, true);
    const QImage backdrop = BuildPreviewPicture(*texture, 40, 40, 0, 0, 1, false);
    const QImage negative = BuildPreviewPicture(*texture, 2, 2, -1, -1, 1, true);
    const QRgb red = qRgb(255, 0, 0), green = qRgb(0, 255, 0), white = qRgb(255, 255, 255);
    const struct {
        const QImage& picture;
        int x, y;
        QRgb colour;
    } kPixels[] = {
        {tiled, 0, 0, red},
        {tiled, 1, 0, green},
        {tiled, 0, 1, qRgb(0, 0, 255)},
        {tiled, 4, 2, red},     // repeated
        {zoomed, 1, 2, red},    // (1 + 1) / 3 = 0
        {zoomed, 2, 2, green},  // (2 + 1) / 3 = 1
        {zoomed, 2, 3, white},
        {backdrop, 1, 1, white},
        {backdrop, 16, 0, qRgb(192, 128, 192)},  // 16-pixel squares: red by column,
        {backdrop, 2, 16, qRgb(128, 192, 192)},  // green by row,
        {backdrop, 8, 8, qRgb(128, 128, 192)},   // blue by (8 + 8) / 16 = 1
        {negative, 0, 0, qRgb(0, 0, 0)},
        {negative, 1, 1, red},
    };
    for (const auto& p : kPixels) EXPECT_EQ(p.picture.pixel(p.x, p.y), p.colour) << &p - kPixels;
}

TEST_F(AppPreview, ZoomStopsAtOneAndTiledOffShowsTheBackdrop) {
    w.Command(CMD_ZOOM_IN);
    w.Command(CMD_ZOOM_IN);
    EXPECT_EQ(Field(IDC_ZOOM), "1 : 3");
    for (int i = 0; i < 3; ++i) w.Command(CMD_ZOOM_OUT);
    EXPECT_EQ(Field(IDC_ZOOM), "1 : 1");
    EXPECT_EQ(s.zoom, 1);

    // A 64 x 64 black texture in a 231 x 213 preview: backdrop right of and below it.
    const QImage& picture = s.preview->picture();  // rebuilt in place
    EXPECT_EQ(picture.pixel(100, 10), qRgb(0, 0, 0));
    w.Command(CMD_TILED);
    EXPECT_FALSE(s.tiled);
    EXPECT_FALSE(w.action(CMD_TILED)->isChecked());
    const QPoint kPoints[] = {{10, 10}, {100, 10}, {120, 10}, {10, 120}};
    const QRgb kColours[] = {qRgb(0, 0, 0), qRgb(128, 128, 128), qRgb(192, 128, 128),
                             qRgb(128, 192, 128)};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(picture.pixel(kPoints[i]), kColours[i]) << i;
    w.Command(CMD_TILED);
    EXPECT_TRUE(w.action(CMD_TILED)->isChecked());
    EXPECT_EQ(picture.pixel(100, 10), qRgb(0, 0, 0));
    EXPECT_EQ(RenderCount(), 1);
}

TEST_F(AppPreview, ScrollRangesFollowTheTextureSize) {
    EXPECT_TRUE(s.previewHScroll->isEnabled());
    EXPECT_EQ(s.previewHScroll->maximum(), 640 - 231);
    EXPECT_EQ(s.previewHScroll->pageStep(), (640 - 231) / 8);
    EXPECT_EQ(s.previewVScroll->maximum(), 640 - 213);

    Feed<PatternNode>();
    w.RenderNow();
    s.previewHScroll->setValue(5);
    s.previewVScroll->setValue(3);
    EXPECT_EQ(s.preview->picture().pixel(0, 0), qRgb(5, 3, 5 ^ 3));

    w.Command(CMD_SMALLER);
    w.Command(CMD_SMALLER);  // 16: 160 - 231 < 0, 160 - 213 < 0
    EXPECT_EQ(s.previewHScroll->value(), 0);
    EXPECT_FALSE(s.previewHScroll->isEnabled());
    EXPECT_FALSE(s.previewVScroll->isEnabled());
}

TEST_F(AppPreview, SmallerAndLargerStepThroughPowersOfTwo) {
    QStringList sizes;
    for (int i = 0; i < 7; ++i) {
        w.Command(CMD_SMALLER);
        sizes << Field(IDC_TEXTURE_DIMS);
    }
    EXPECT_EQ(sizes.join(" "), "32x32 16x16 8x8 4x4 2x2 1x1 1x1");
    EXPECT_EQ(RenderCount(), 1 + 6);
    w.Command(CMD_LARGER);
    w.Command(CMD_LARGER);
    EXPECT_EQ(Field(IDC_TEXTURE_DIMS), "4x4");
    EXPECT_EQ(graph().texture().height, 4);
}

TEST_F(AppPreview, LargerBeyondTheLimitKeepsTheSize) {
    ASSERT_TRUE(graph().SetTextureSize(Image::kMaxSide / 2 + 1, 1));
    BoxCloser closer;
    w.Command(CMD_LARGER);
    ASSERT_EQ(closer.boxes().size(), 1u);
    EXPECT_EQ(closer.boxes()[0].title, "Oops!");
    EXPECT_TRUE(closer.boxes()[0].text.contains("8192x8192"));
    EXPECT_EQ(graph().width, 4097);
    EXPECT_EQ(graph().texture().width, 4097);
    EXPECT_EQ(RenderCount(), 1);
}

TEST_F(AppPreview, RenderProgressCountsEveryUpstreamNode) {
    Feed<FillNode>();
    graph().AddNode(std::make_unique<PatternNode>());  // not upstream
    w.Command(CMD_RENDER);
    EXPECT_EQ(RenderCount(), 2);
    EXPECT_EQ(s.progressBar->maximum(), 2 * 256);
    EXPECT_EQ(s.progressBar->value(), 2 * 256);
}

// Drag -> queued change message -> SetValue -> value label -> render -> preview;
// then the same for keystrokes in a text row.
TEST_F(AppPreview, PanelRowsReachTheParameterTheLabelAndThePreview) {
    Node* fill = Feed<FillNode>();
    SendMessage(MSG_SELECT_NODE, 1);
    ASSERT_EQ(s.valueControls.size(), 3u);
    auto* slider = qobject_cast<Slider*>(s.valueControls[0].data());
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->geometry(), QRect(224, 267 + 23, 345 - 116, 20));
    EXPECT_EQ(s.nameLabels[0]->geometry(), QRect(164, 290, 56, 20));
    EXPECT_EQ(s.valueLabels[1]->geometry(), QRect(345 + 112, 312, 40, 20));
    EXPECT_EQ(LabelText(s.nameLabels[1]), "Blue");
    EXPECT_EQ(slider->maximum(), 255);
    EXPECT_EQ(slider->value(), 0);
    const int renders = RenderCount();

    const int right = slider->width() - 33;  // the thumb's centre at the maximum
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(7, 10));
    QTest::mouseMove(slider, QPoint(right, 10));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(right, 10));
    EXPECT_EQ(fill->value(0), 0);  // the notification is queued, not yet handled
    QCoreApplication::processEvents();
    EXPECT_EQ(fill->value(0), 255);
    EXPECT_EQ(LabelText(s.valueLabels[0]), "255");
    EXPECT_GT(RenderCount(), renders);
    EXPECT_EQ(graph().texture().pixel(0, 0)[0], 255);
    EXPECT_EQ(s.preview->picture().pixel(3, 3), qRgb(255, 0, 0));

    // A text row edits its parameter on every keystroke.
    auto* edit = qobject_cast<QLineEdit*>(s.valueControls[2].data());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "hello");
    EXPECT_EQ(LabelText(s.valueLabels[2]), "hello");
    const int typed = RenderCount();
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, "!?");
    EXPECT_EQ(fill->param(2).GetText(), "hello!?");
    EXPECT_EQ(LabelText(s.valueLabels[2]), "hello!?");
    EXPECT_EQ(RenderCount(), typed + 2);

    // Without automatic rendering the parameter and label change, nothing renders.
    w.Command(CMD_AUTO_RENDER);
    const int before = RenderCount();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(7, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(fill->value(0), 0);
    EXPECT_EQ(LabelText(s.valueLabels[0]), "0");
    EXPECT_EQ(RenderCount(), before);
    EXPECT_EQ(s.preview->picture().pixel(3, 3), qRgb(255, 0, 0));

    // A notification whose slider is gone by the time it arrives is ignored.
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(100, 10));
    SendMessage(MSG_SELECT_NONE);
    QCoreApplication::processEvents();
    EXPECT_EQ(fill->value(0), 0);
}

TEST_F(AppPreview, LargeViewShowsSizesHidesAndFollowsTheTexture) {
    Feed<PatternNode>();
    w.RenderNow();
    w.Command(CMD_SHOW_LARGE_VIEW);
    ASSERT_TRUE(s.largeView->isVisible());
    EXPECT_EQ(s.largeView->picture()->geometry(), QRect(4, 4, 504, 478));
    EXPECT_EQ(s.largeViewArea.size(), QSize(502, 476));

    ClickButton(s.largeView, "256 x 256");
    EXPECT_EQ(s.largeViewArea.size(), QSize(256, 256));
    EXPECT_EQ(s.largeView->picture()->picture().size(), QSize(256, 256));
    EXPECT_EQ(s.largeView->picture()->picture().pixel(65, 2), qRgb(1, 2, 1 ^ 2));

    ClickButton(s.largeView, "Size to fit");
    EXPECT_EQ(s.largeViewArea.size(), QSize(64, 64));
    EXPECT_EQ(s.largeView->size(), QSize(64 + 10, 64 + 36));

    s.largeView->close();
    EXPECT_FALSE(s.largeView->isVisible());
    w.Command(CMD_SHOW_LARGE_VIEW);
    EXPECT_TRUE(s.largeView->isVisible());
}

}  // namespace
