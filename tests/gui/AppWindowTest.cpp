// The main window: the checked menu items, the selection panel, the editing
// commands and their refusals, the preview and the texture size.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>
#include <functional>

#include "AppTestSupport.h"
#include "app/LargeView.h"
#include "app/Layout.h"
#include "app/Preview.h"
#include "controls/Messages.h"
#include "controls/Slider.h"
#include "view/NodesView.h"

namespace {

using AppWindow = AppTest;

// Checked items follow their flags; the cable items are exclusive.
TEST_F(AppWindow, CheckedItemsFollowTheirFlags) {
    w.action(CMD_AUTO_RENDER)->trigger();
    EXPECT_FALSE(s.autoRender || w.action(CMD_AUTO_RENDER)->isChecked());
    const std::pair<int, int> kCables[] = {{CMD_CABLES_LOW, 10},
                                           {CMD_CABLES_HIGH, 500},
                                           {CMD_CABLES_STANDARD, 100},
                                           {CMD_CABLES_STANDARD, 100}};  // stays checked
    for (auto [id, resolution] : kCables) {
        w.action(id)->trigger();
        EXPECT_EQ(s.view->model().cableResolution, resolution);
        for (int other : {CMD_CABLES_LOW, CMD_CABLES_STANDARD, CMD_CABLES_HIGH})
            EXPECT_EQ(w.action(other)->isChecked(), other == id) << id << " " << other;
    }
}

// The window's own refusal, then the document's for a cable on an output and
// for one on an input other than the first; the Store's are the document test's.
TEST_F(AppWindow, AddCloneAndDeleteRefuseAndKeepThePanelCurrent) {
    Node* probe = Feed<ProbeNode>();
    BoxCloser closer;
    w.Command(CMD_ADD_NODE);    // no line chosen
    w.Command(CMD_CLONE_NODE);  // nothing selected: silently nothing
    SendMessage(MSG_SELECT_NODE, 1);
    w.Command(CMD_DELETE_NODE);
    s.nodeList->setCurrentRow(1);  // Mixer, selected as it is added
    w.Command(CMD_ADD_NODE);
    Node* mixer = graph().nodes.at(2).get();
    EXPECT_EQ(s.selectionTitle->text(), "Mixer");
    graph().Connect(probe->outputPin.get(), mixer->inputPins[1].get());
    w.Command(CMD_DELETE_NODE);
    EXPECT_EQ(closer.texts().size(), 3);
    EXPECT_EQ(closer.boxes()[0].title, "Oops!");

    w.Command(CMD_CLONE_NODE);
    ASSERT_EQ(graph().nodes.size(), 4u);
    EXPECT_EQ(w.action(CMD_UNDO)->text(), "Undo Clone node");
    EXPECT_EQ(s.view->model().selectedNodes, std::vector{graph().nodes[3].get()});
    w.Command(CMD_DELETE_NODE);
    EXPECT_EQ(s.selection.shown(), Selection{});
    EXPECT_EQ(s.view->model().selectedNodes, std::vector<Node*>{});
    EXPECT_EQ(s.selectionTitle->text(), "none");
    EXPECT_TRUE(s.valueControls.empty() && s.nameLabels.empty() && s.valueLabels.empty());
}

TEST_F(AppWindow, CablePanelResizeAndDeleteCableClearingTheViewSelectionOnly) {
    Node* probe = Feed<ProbeNode>();
    SendMessage(MSG_SELECT_NODE, 5);  // stale indexes are ignored
    SendMessage(MSG_SELECT_CABLE, 1);
    EXPECT_EQ(s.selectionTitle->text(), "none");
    SendMessage(MSG_SELECT_CABLE, 0);
    EXPECT_EQ(s.selectionTitle->text(), "a cable");
    ASSERT_EQ(s.nameLabels.size(), 1u);
    EXPECT_EQ(LabelText(s.nameLabels[0]), "Cable from 'Output' of 'Probe' to 'Source' of 'Store'");
    SendMessage(MSG_DELETE_CABLE);
    EXPECT_TRUE(probe->outputPin->cables.empty());
    EXPECT_EQ(s.selection.cable(), nullptr);
    EXPECT_EQ(s.selectionTitle->text(), "a cable");  // until the next selection or layout
    w.resize(1000, 700 + w.menuBar()->height());     // a resize rebuilds the panel
    EXPECT_EQ(s.selectionTitle->text(), "none");
    s.viewHScroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.view->model().scrollX, 50);

    SendMessage(MSG_SELECT_NODE, 1);
    w.Command(CMD_DELETE_CABLE);  // no cable: only the view's node selection goes
    EXPECT_EQ(s.view->model().selectedNodes, std::vector<Node*>{});
    EXPECT_EQ(s.selection.node(), probe);
}

void Wheel(QWidget* widget, QPoint angleDelta, Qt::KeyboardModifiers modifiers = {}) {
    const QPointF at(widget->width() / 2, widget->height() / 2);
    QWheelEvent wheel(at, widget->mapToGlobal(at), {}, angleDelta, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(widget, &wheel);
}

// Click -> queued change message -> SetValue -> value label -> render -> preview;
// keys and the wheel, one history step each; keystrokes in a text row; the same
// without automatic rendering; and the wheel over the view moves its scroll bars.
TEST_F(AppWindow, PanelRowsReachTheParameterTheLabelTheHistoryAndThePreview) {
    Node* probe = Feed<ProbeNode>();
    SendMessage(MSG_SELECT_NODE, 1);
    ASSERT_EQ(s.valueControls.size(), 3u);
    auto* slider = qobject_cast<Slider*>(s.valueControls[0].data());
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->geometry(), QRect(224, 267 + 23, 345 - 116, 20));
    EXPECT_EQ(s.valueLabels[1]->geometry(), QRect(345 + 112, 312, 40, 20));
    EXPECT_EQ(LabelText(s.nameLabels[1]), "Blue");

    const QPoint right(slider->width() - 33, 10);  // the thumb's centre at the maximum
    QTest::mouseClick(slider, Qt::LeftButton, {}, right);
    QCoreApplication::processEvents();
    EXPECT_EQ(probe->value(0), 255);
    EXPECT_EQ(LabelText(s.valueLabels[0]), "255");
    EXPECT_EQ(RenderCount(), 2);
    EXPECT_EQ(s.preview->picture().pixel(3, 3), qRgb(3 ^ 255, 3, 3 ^ 3));

    slider->setFocus();
    const struct {
        Qt::Key key;  // or the wheel, for Qt::Key_unknown
        int notches;
        int value;
    } kSteps[] = {
        {Qt::Key_Left, 0, 254},   {Qt::Key_PageDown, 0, 244}, {Qt::Key_Right, 0, 245},
        {Qt::Key_PageUp, 0, 255}, {Qt::Key_unknown, -2, 253},
    };
    for (const auto& c : kSteps) {
        SCOPED_TRACE(c.value);
        const int steps = w.document().history().count();
        const int renders = RenderCount();
        if (c.key == Qt::Key_unknown)
            Wheel(slider, {0, 120 * c.notches});
        else
            QTest::keyClick(slider, c.key);
        QCoreApplication::processEvents();
        EXPECT_EQ(probe->value(0), c.value);
        EXPECT_EQ(w.document().history().count(), steps + 1);
        EXPECT_EQ(RenderCount(), renders + 1);
    }

    auto* edit = qobject_cast<QLineEdit*>(s.valueControls[2].data());
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->end(false);
    QTest::keyClicks(edit, "!?");
    EXPECT_EQ(probe->param(2).GetText(), "hello!?");
    EXPECT_EQ(LabelText(s.valueLabels[2]), "hello!?");
    EXPECT_EQ(RenderCount(), 8);  // both keys came before the render started

    w.Command(CMD_AUTO_RENDER);
    QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(7, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(probe->value(0), 0);
    EXPECT_EQ(RenderCount(), 8);
    // A notification whose slider is gone by the time it arrives is ignored.
    QTest::mouseClick(slider, Qt::LeftButton, {}, right);
    SendMessage(MSG_SELECT_NONE);
    QCoreApplication::processEvents();
    EXPECT_EQ(probe->value(0), 0);

    const int notch = QApplication::wheelScrollLines() * 8;
    Wheel(s.view, {0, -120});
    Wheel(s.view, {0, -120}, Qt::ShiftModifier);
    Wheel(s.view, {0, -240}, Qt::ShiftModifier);
    EXPECT_EQ(std::pair(s.viewHScroll->value(), s.viewVScroll->value()),
              std::pair(3 * notch, notch));
    EXPECT_EQ(std::pair(s.view->model().scrollX, s.view->model().scrollY),
              std::pair(3 * notch, notch));
    Wheel(s.view, {0, -120}, Qt::ControlModifier);  // zooms about the mouse
    EXPECT_EQ(s.view->model().transform.zoom(), view::ViewTransform::StepOut(100));
    QTest::keyClick(s.view, Qt::Key_0, Qt::ControlModifier);
    EXPECT_EQ(s.view->model().transform.zoom(), 100);
    EXPECT_EQ(s.view->model().scrollX, 3 * notch);
}

TEST_F(AppWindow, ZoomScrollTiledAndTextureSizeCommands) {
    Feed<ProbeNode>();
    w.RenderNow();
    WaitForRenders();
    // Ten tiles of 64 in a 231 x 213 preview.
    EXPECT_EQ(std::pair(s.previewHScroll->maximum(), s.previewVScroll->maximum()),
              std::pair(640 - 231, 640 - 213));
    EXPECT_EQ(s.previewHScroll->pageStep(), (640 - 231) / 8);
    s.previewHScroll->setValue(5);
    s.previewVScroll->setValue(3);
    EXPECT_EQ(s.preview->picture().pixel(0, 0), qRgb(5, 3, 5 ^ 3));
    w.Command(CMD_ZOOM_IN);
    w.Command(CMD_ZOOM_IN);
    EXPECT_EQ(Field(IDC_ZOOM), "1 : 3");
    EXPECT_EQ(s.preview->picture().pixel(1, 2), qRgb(2, 1, 2 ^ 1));  // (1 + 5) / 3, (2 + 3) / 3
    const struct {
        int command;
        const char* zoom;
        const char* dims;
        bool scrolls;
    } kSteps[] = {
        {CMD_ZOOM_OUT, "1 : 2", "64x64", true}, {CMD_ZOOM_OUT, "1 : 1", "64x64", true},
        {CMD_ZOOM_OUT, "1 : 1", "64x64", true},  // stops at one
        {CMD_SMALLER, "1 : 1", "32x32", true},  {CMD_SMALLER, "1 : 1", "16x16", false},
        {CMD_SMALLER, "1 : 1", "8x8", false},   {CMD_SMALLER, "1 : 1", "4x4", false},
        {CMD_SMALLER, "1 : 1", "2x2", false},   {CMD_SMALLER, "1 : 1", "1x1", false},
        {CMD_SMALLER, "1 : 1", "1x1", false},  // stops at one, without rendering
        {CMD_LARGER, "1 : 1", "2x2", false},
    };
    for (const auto& step : kSteps) {
        w.Command(step.command);
        EXPECT_EQ(Field(IDC_ZOOM), step.zoom);
        EXPECT_EQ(Field(IDC_TEXTURE_DIMS), step.dims);
        EXPECT_EQ(s.previewHScroll->isEnabled(), step.scrolls) << step.dims;
        EXPECT_EQ(s.previewVScroll->isEnabled(), step.scrolls) << step.dims;
    }
    EXPECT_EQ(RenderCount(), 2 + 1);  // the size steps came before a render started
    // The 2 x 2 texture, not tiled: the backdrop right of and below it.
    const QImage& picture = s.preview->picture();  // rebuilt in place
    w.Command(CMD_TILED);
    EXPECT_FALSE(s.tiled || w.action(CMD_TILED)->isChecked());
    EXPECT_EQ(picture.pixel(1, 1), qRgb(1, 1, 0));
    EXPECT_EQ(picture.pixel(20, 40), qRgb(192, 128, 192));  // square (1, 2), blue by 60 / 16
    w.Command(CMD_TILED);
    EXPECT_EQ(picture.pixel(20, 40), qRgb(0, 0, 0));

    ASSERT_TRUE(graph().SetTextureSize(Image::kMaxSide / 2 + 1, 1));
    BoxCloser closer;
    w.Command(CMD_LARGER);  // beyond the limit: says so and keeps the size
    ASSERT_EQ(closer.boxes().size(), 1u);
    EXPECT_TRUE(closer.boxes()[0].text.contains("8192x8192"));
    EXPECT_EQ(graph().texture().width, 4097);
}

TEST_F(AppWindow, InformationBoxesAreOwnedAndExitAndCloseAskToQuit) {
    BoxCloser closer;
    w.Command(CMD_ABOUT);
    w.Command(CMD_HELP);
    ASSERT_EQ(closer.boxes().size(), 2u);
    EXPECT_EQ(closer.boxes()[0].title, "What the...?");
    EXPECT_TRUE(closer.boxes()[0].text.startsWith("swatcher [v0.97]\n\n// built on the mottle"));
    EXPECT_EQ(closer.boxes()[1].title, "Help... (kind of)");
    EXPECT_TRUE(closer.boxes()[0].owned && closer.boxes()[1].owned);
    std::vector<int> codes;
    QObject::connect(&w, &MainWindow::quitRequested, [&codes](int code) { codes.push_back(code); });
    w.Command(CMD_EXIT);
    w.close();
    EXPECT_EQ(codes, std::vector<int>({0, 0}));
    EXPECT_TRUE(w.isVisible());
}

}  // namespace
