// Rendering, the preview, the texture size commands, the road of a slider
// move and the large view.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "AppTestSupport.h"
#include "app/LargeView.h"
#include "app/Layout.h"
#include "app/Preview.h"
#include "controls/Label.h"
#include "controls/Messages.h"
#include "controls/Slider.h"

namespace {

// A 2 x 2 texture: red, green / blue, white.
std::unique_ptr<Image> TinyTexture() {
    auto image = Image::Create(2, 2);
    const uint32_t colours[] = {0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF};
    std::copy(std::begin(colours), std::end(colours), image->pixels);
    return image;
}

QString Dims(MainWindow& w) {
    return static_cast<QLineEdit*>(w.control(IDC_TEXTURE_DIMS))->text();
}
QString ZoomText(MainWindow& w) {
    return static_cast<QLineEdit*>(w.control(IDC_ZOOM))->text();
}

}  // namespace

TEST(AppPreviewPicture, MagnifiesTilesAndShowsTheBackdrop) {
    auto texture = TinyTexture();
    const QImage tiled = BuildPreviewPicture(*texture, 5, 3, 0, 0, 1, true);
    EXPECT_EQ(tiled.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(tiled.pixel(1, 0), qRgb(0, 255, 0));
    EXPECT_EQ(tiled.pixel(0, 1), qRgb(0, 0, 255));
    EXPECT_EQ(tiled.pixel(4, 2), qRgb(255, 0, 0));  // repeated

    const QImage zoomed = BuildPreviewPicture(*texture, 6, 6, 1, 0, 3, true);
    EXPECT_EQ(zoomed.pixel(1, 2), qRgb(255, 0, 0));  // (1 + 1) / 3 = 0
    EXPECT_EQ(zoomed.pixel(2, 2), qRgb(0, 255, 0));  // (2 + 1) / 3 = 1
    EXPECT_EQ(zoomed.pixel(2, 3), qRgb(255, 255, 255));

    const QImage backdrop = BuildPreviewPicture(*texture, 40, 40, 0, 0, 1, false);
    EXPECT_EQ(backdrop.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(backdrop.pixel(2, 0), qRgb(128, 128, 128));
    EXPECT_EQ(backdrop.pixel(16, 0), qRgb(192, 128, 192));
    EXPECT_EQ(backdrop.pixel(2, 16), qRgb(128, 192, 192));
    EXPECT_EQ(backdrop.pixel(16, 16), qRgb(192, 192, 128));
    EXPECT_EQ(backdrop.pixel(8, 8), qRgb(128, 128, 192));  // (8 + 8) / 16 = 1

    const QImage negative = BuildPreviewPicture(*texture, 2, 2, -1, -1, 1, true);
    EXPECT_EQ(negative.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(negative.pixel(1, 1), qRgb(255, 0, 0));
}

TEST(AppPreview, ZoomStopsAtOneAndTiledOffShowsTheBackdrop) {
    AppFixture app;
    MainWindow& w = app.window();
    AppState& s = app.state();
    w.Command(CMD_ZOOM_IN);
    w.Command(CMD_ZOOM_IN);
    EXPECT_EQ(ZoomText(w), "1 : 3");
    for (int i = 0; i < 3; ++i) w.Command(CMD_ZOOM_OUT);
    EXPECT_EQ(ZoomText(w), "1 : 1");
    EXPECT_EQ(s.zoom, 1);

    // A 64 x 64 black texture in a 231 x 213 preview: backdrop right of it.
    EXPECT_EQ(s.preview->picture().pixel(100, 10), qRgb(0, 0, 0));
    w.Command(CMD_TILED);
    EXPECT_FALSE(s.tiled);
    EXPECT_FALSE(w.action(CMD_TILED)->isChecked());
    EXPECT_EQ(s.preview->picture().pixel(10, 10), qRgb(0, 0, 0));
    EXPECT_EQ(s.preview->picture().pixel(100, 10), qRgb(128, 128, 128));
    EXPECT_EQ(s.preview->picture().pixel(120, 10), qRgb(192, 128, 128));
    EXPECT_EQ(s.preview->picture().pixel(10, 120), qRgb(128, 192, 128));
    w.Command(CMD_TILED);
    EXPECT_TRUE(w.action(CMD_TILED)->isChecked());
    EXPECT_EQ(s.preview->picture().pixel(100, 10), qRgb(0, 0, 0));
    EXPECT_EQ(app.RenderCount(), 1);
}

TEST(AppPreview, ScrollRangesFollowTheTextureSize) {
    AppFixture app;
    AppState& s = app.state();
    EXPECT_TRUE(s.previewHScroll->isEnabled());
    EXPECT_EQ(s.previewHScroll->maximum(), 640 - 231);
    EXPECT_EQ(s.previewHScroll->pageStep(), (640 - 231) / 8);
    EXPECT_EQ(s.previewVScroll->maximum(), 640 - 213);

    app.AddFeedingStore(std::make_unique<PatternNode>(1, 1));
    app.window().RenderNow();
    s.previewHScroll->setValue(5);
    s.previewVScroll->setValue(3);
    EXPECT_EQ(s.preview->picture().pixel(0, 0), qRgb(5, 3, 5 ^ 3));

    app.window().Command(CMD_SMALLER);
    app.window().Command(CMD_SMALLER);  // 16: 160 - 231 < 0, 160 - 213 < 0
    EXPECT_EQ(s.previewHScroll->value(), 0);
    EXPECT_FALSE(s.previewHScroll->isEnabled());
    EXPECT_FALSE(s.previewVScroll->isEnabled());
}

TEST(AppPreview, SmallerAndLargerStepThroughPowersOfTwo) {
    AppFixture app;
    MainWindow& w = app.window();
    QStringList sizes;
    for (int i = 0; i < 7; ++i) {
        w.Command(CMD_SMALLER);
        sizes << Dims(w);
    }
    EXPECT_EQ(sizes.join(" "), "32x32 16x16 8x8 4x4 2x2 1x1 1x1");
    EXPECT_EQ(app.RenderCount(), 1 + 6);
    w.Command(CMD_LARGER);
    w.Command(CMD_LARGER);
    EXPECT_EQ(Dims(w), "4x4");
    EXPECT_EQ(app.graph().texture().height, 4);
}

TEST(AppPreview, LargerThatCannotBeAllocatedKeepsTheSize) {
    AppFixture app;
    ASSERT_TRUE(app.graph().SetTextureSize(Image::kMaxSide / 2 + 1, 1));
    BoxCloser closer;
    app.window().Command(CMD_LARGER);
    ASSERT_EQ(closer.boxes().size(), 1u);
    EXPECT_EQ(closer.boxes()[0].title, "Oops!");
    EXPECT_TRUE(closer.boxes()[0].text.contains("8194x8194"));
    EXPECT_EQ(app.graph().width, 4097);
    EXPECT_EQ(app.graph().texture().width, 4097);
    EXPECT_EQ(app.RenderCount(), 1);
}

TEST(AppRender, ProgressCountsEveryUpstreamNode) {
    AppFixture app;
    app.AddFeedingStore(std::make_unique<FillNode>(1, 1));
    app.graph().AddNode(std::make_unique<PatternNode>(1, 1));  // not upstream
    app.window().Command(CMD_RENDER);
    EXPECT_EQ(app.RenderCount(), 2);
    EXPECT_EQ(app.state().progressBar->maximum(), 2 * 256);
    EXPECT_EQ(app.state().progressBar->value(), 2 * 256);
}

// Drag -> queued change message -> SetValue -> value label -> render -> preview.
TEST(AppSlider, AMoveReachesTheParameterTheLabelAndThePreview) {
    AppFixture app;
    AppState& s = app.state();
    Node* fill = app.AddFeedingStore(std::make_unique<FillNode>(1, 1));
    app.SendMessage(MSG_SELECT_NODE, 1);
    ASSERT_EQ(s.valueControls.size(), 3u);
    auto* slider = qobject_cast<Slider*>(s.valueControls[0].data());
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->geometry(), QRect(224, 267 + 23, 345 - 116, 20));
    EXPECT_EQ(s.nameLabels[0]->geometry(), QRect(164, 290, 56, 20));
    EXPECT_EQ(s.valueLabels[1]->geometry(), QRect(345 + 112, 312, 40, 20));
    EXPECT_EQ(static_cast<Label*>(s.nameLabels[1].data())->text(), "Blue");
    EXPECT_EQ(slider->maximum(), 255);
    EXPECT_EQ(slider->value(), 0);
    const int renders = app.RenderCount();

    const int right = slider->width() - 33;  // the thumb's centre at the maximum
    QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(7, 10));
    QTest::mouseMove(slider, QPoint(right, 10));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(right, 10));
    EXPECT_EQ(fill->value(0), 0);  // the notification is queued, not yet handled
    QCoreApplication::processEvents();
    EXPECT_EQ(fill->value(0), 255);
    EXPECT_EQ(static_cast<Label*>(s.valueLabels[0].data())->text(), "255");
    EXPECT_GT(app.RenderCount(), renders);
    EXPECT_EQ(app.graph().texture().pixel(0, 0)[0], 255);
    EXPECT_EQ(s.preview->picture().pixel(3, 3), qRgb(255, 0, 0));

    // Without automatic rendering the parameter and label change, nothing renders.
    app.window().Command(CMD_AUTO_RENDER);
    const int before = app.RenderCount();
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(7, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(fill->value(0), 0);
    EXPECT_EQ(static_cast<Label*>(s.valueLabels[0].data())->text(), "0");
    EXPECT_EQ(app.RenderCount(), before);
    EXPECT_EQ(s.preview->picture().pixel(3, 3), qRgb(255, 0, 0));
}

TEST(AppSlider, NotificationsOfAGoneSliderAreIgnored) {
    AppFixture app;
    AppState& s = app.state();
    Node* fill = app.AddFeedingStore(std::make_unique<FillNode>(1, 1));
    app.SendMessage(MSG_SELECT_NODE, 1);
    QTest::mouseClick(s.valueControls[0].data(), Qt::LeftButton, {}, QPoint(100, 10));
    app.SendMessage(MSG_SELECT_NONE);  // destroys the slider before its message arrives
    QCoreApplication::processEvents();
    EXPECT_EQ(fill->value(0), 0);
}

TEST(AppSelectionPanel, TextRowsEditTheParameterOnEveryKeystroke) {
    AppFixture app;
    AppState& s = app.state();
    Node* fill = app.AddFeedingStore(std::make_unique<FillNode>(1, 1));
    app.SendMessage(MSG_SELECT_NODE, 1);
    auto* edit = qobject_cast<QLineEdit*>(s.valueControls[2].data());
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->text(), "hello");
    EXPECT_EQ(static_cast<Label*>(s.valueLabels[2].data())->text(), "hello");
    const int renders = app.RenderCount();
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, "!?");
    EXPECT_EQ(fill->param(2).GetText(), "hello!?");
    EXPECT_EQ(static_cast<Label*>(s.valueLabels[2].data())->text(), "hello!?");
    EXPECT_EQ(app.RenderCount(), renders + 2);
}

TEST(AppLargeView, ShowsSizesHidesAndFollowsTheTexture) {
    AppFixture app;
    AppState& s = app.state();
    app.AddFeedingStore(std::make_unique<PatternNode>(1, 1));
    app.window().RenderNow();
    app.window().Command(CMD_SHOW_LARGE_VIEW);
    ASSERT_TRUE(s.largeView->isVisible());
    EXPECT_EQ(s.largeView->picture()->geometry(), QRect(4, 4, 504, 478));
    EXPECT_EQ(s.largeViewArea.size(), QSize(502, 476));

    for (QPushButton* button : s.largeView->findChildren<QPushButton*>())
        if (button->text() == "256 x 256") button->click();
    EXPECT_EQ(s.largeViewArea.size(), QSize(256, 256));
    EXPECT_EQ(s.largeView->picture()->picture().size(), QSize(256, 256));
    EXPECT_EQ(s.largeView->picture()->picture().pixel(65, 2), qRgb(1, 2, 1 ^ 2));

    for (QPushButton* button : s.largeView->findChildren<QPushButton*>())
        if (button->text() == "Size to fit") button->click();
    EXPECT_EQ(s.largeViewArea.size(), QSize(64, 64));
    EXPECT_EQ(s.largeView->size(), QSize(64 + 10, 64 + 36));

    s.largeView->close();
    EXPECT_FALSE(s.largeView->isVisible());
    app.window().Command(CMD_SHOW_LARGE_VIEW);
    EXPECT_TRUE(s.largeView->isVisible());
}
