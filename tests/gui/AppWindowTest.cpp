// The main window: start-up, layout, the menu and its commands and refusals.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

#include "AppTestSupport.h"
#include "app/LargeView.h"
#include "app/Layout.h"
#include "app/Preview.h"
#include "controls/Messages.h"
#include "view/NodesView.h"

namespace {

using AppWindow = AppTest;

QStringList MenuLayout(const QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator())
            items << "-";
        else if (action->menu())
            items << action->text() + " > " + MenuLayout(action->menu()).join(", ");
        else
            items << action->text() + (action->isChecked() ? " [x]" : "");
    }
    return items;
}

TEST_F(AppWindow, StartsWithAnEmptyBlackDocumentRenderedOnce) {
    EXPECT_EQ(w.windowTitle(), "Swatcher [v0.97] by Oxhal");
    EXPECT_EQ(w.client()->size(), QSize(774, 517));
    EXPECT_EQ(Field(IDC_TEXTURE_DIMS), "64x64");
    EXPECT_EQ(Field(IDC_ZOOM), "1 : 1");
    EXPECT_EQ(s.selectionTitle->text(), "none");
    ASSERT_EQ(s.nodeList->count(), 16);
    EXPECT_EQ(s.nodeList->item(0)->text(), "Raw Noise");
    EXPECT_EQ(s.nodeList->item(15)->text(), "Bump");
    EXPECT_EQ(s.view->cableResolution, 100);

    ASSERT_EQ(graph().nodes.size(), 1u);
    EXPECT_EQ(graph().width, 64);
    const Image& texture = graph().texture();
    EXPECT_TRUE(std::all_of(texture.pixels, texture.pixels + texture.pixelCount,
                            [](uint32_t p) { return p == 0; }));
    EXPECT_EQ(RenderCount(), 1);

    EXPECT_FALSE(s.largeView->isVisible());
    EXPECT_EQ(s.largeView->geometry().size(), QSize(512, 512));
    EXPECT_EQ(s.largeView->pos(), QPoint(40, 40));
    EXPECT_EQ(s.largeView->windowTitle(), "mottle :: large view");
}

TEST_F(AppWindow, MenuHoldsTheItemsSeparatorsAndChecks) {
    QStringList menus;
    for (QAction* action : w.menuBar()->actions())
        menus << action->text() + ": " + MenuLayout(action->menu()).join(", ");
    EXPECT_EQ(menus.join("\n").toStdString(),
              "&File: &Open..., Save &as..., -, E&xit\n"
              "&Edit: &Add node, &Clone node, &Delete node, -, Delete cable\n"
              "&Display: Zoom &in, Zoom &out, -, &Tiled [x], &Auto render [x], -, "
              "Cables > Low resolution cables (fast), Standard cables [x], "
              "High resolution cables (slow), -, Show large view...\n"
              "&Texture: &Larger, &Smaller\n"
              "&Help: &Help, -, &About...");
    EXPECT_EQ(w.action(CMD_OPEN)->shortcut(), QKeySequence(QKeySequence::Open));
    EXPECT_EQ(w.action(CMD_SAVE)->shortcut(), QKeySequence(QKeySequence::Save));
    EXPECT_EQ(w.action(CMD_EXIT)->shortcut(), QKeySequence(QKeySequence::Quit));
}

TEST(AppLayout, PlacesControlsFromTheClientSize) {
    auto at = [](int width, int height, int id) {
        for (const ControlPlace& p : LayoutControls(width, height))
            if (p.id == id) return QRect(p.x, p.y, p.width, p.height);
        return QRect();
    };
    EXPECT_EQ(at(774, 517, IDC_PREVIEW), QRect(510, 273, 233, 215));
    EXPECT_EQ(at(774, 517, IDC_SELECTION_GROUP), QRect(158, 267, 345, 241));
    EXPECT_EQ(at(774, 517, IDC_NODES_VIEW), QRect(167, 26, 569, 203));
    EXPECT_EQ(at(774, 517, IDC_PROGRESS), QRect(15, 486, 128, 15));
    EXPECT_EQ(at(1000, 700, IDC_VIEW_VSCROLL), QRect(969, 23, 15, 392));
    EXPECT_EQ(at(1000, 700, IDC_SELECTION_TITLE), QRect(583, 448, 135, 20));
}

TEST_F(AppWindow, ResizingMovesControlsRebuildsThePanelAndKeepsThePreviewSize) {
    SendMessage(MSG_SELECT_NODE, 0);
    w.resize(1000, 700 + w.menuBar()->height());
    const QSize client = w.client()->size();
    EXPECT_EQ(s.preview->geometry(), QRect(client.width() - 264, client.height() - 244, 233, 215));
    EXPECT_EQ(s.view->geometry().size(), QSize(client.width() - 205, client.height() - 314));
    EXPECT_EQ(s.preview->picture().size(), QSize(231, 213));
    EXPECT_EQ(s.selectionTitle->text(), "Store");
    EXPECT_EQ(s.selection.node(), graph().store());
}

TEST_F(AppWindow, AddNodeNeedsASelectedLineAndDoesNotRender) {
    {
        BoxCloser closer;
        w.Command(CMD_ADD_NODE);
        ASSERT_EQ(closer.boxes().size(), 1u);
        EXPECT_EQ(closer.boxes()[0].title, "Oops!");
        EXPECT_EQ(closer.boxes()[0].text, "Select a node-type first from the available nodes.");
        EXPECT_EQ(closer.boxes()[0].icon, QMessageBox::Warning);
        EXPECT_FALSE(closer.boxes()[0].owned);
    }
    EXPECT_EQ(graph().nodes.size(), 1u);

    s.nodeList->setCurrentRow(2);  // Blur
    w.Command(CMD_ADD_NODE);
    ASSERT_EQ(graph().nodes.size(), 2u);
    Node* blur = graph().nodes[1].get();
    EXPECT_EQ(blur->name, "Blur");
    EXPECT_EQ(blur->image->width, 64);
    EXPECT_EQ(s.selection.node(), blur);
    EXPECT_EQ(s.view->selectedNode, blur);
    EXPECT_EQ(s.selectionTitle->text(), "Blur");
    EXPECT_EQ(s.valueControls.size(), blur->params.size());
    EXPECT_EQ(RenderCount(), 1);

    // A double click on a line adds that type.
    QListWidgetItem* bump = s.nodeList->item(15);
    s.nodeList->scrollToItem(bump);
    const QPoint centre = s.nodeList->visualItemRect(bump).center();
    QTest::mouseClick(s.nodeList->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(s.nodeList->viewport(), Qt::LeftButton, {}, centre);
    ASSERT_EQ(graph().nodes.size(), 3u);
    EXPECT_EQ(graph().nodes[2]->name, "Bump");
    EXPECT_EQ(s.selectionTitle->text(), "Bump");
}

TEST_F(AppWindow, CloneAndDeleteRefuseTheStoreAndNodesWithCables) {
    BoxCloser closer;
    w.Command(CMD_CLONE_NODE);  // nothing selected: silently nothing
    w.Command(CMD_DELETE_NODE);
    SendMessage(MSG_SELECT_NODE, 0);
    w.Command(CMD_CLONE_NODE);
    w.Command(CMD_DELETE_NODE);
    Node* fill = Feed<FillNode>();
    fill->param(0).SetValue(77);
    SendMessage(MSG_SELECT_NODE, 1);
    w.Command(CMD_DELETE_NODE);
    EXPECT_EQ(closer.texts(), QStringList({"Duplicating the store node makes no sense at all!",
                                           "Why would you want to delete the Store node?!",
                                           "Cannot delete node, since it still has cables "
                                           "attached to it.\nPlease remove the cables first..."}));
    ASSERT_EQ(graph().nodes.size(), 2u);

    w.Command(CMD_CLONE_NODE);
    ASSERT_EQ(graph().nodes.size(), 3u);
    Node* clone = graph().nodes[2].get();
    EXPECT_EQ(clone->value(0), 77);
    EXPECT_TRUE(clone->outputPin->cables.empty());
    EXPECT_EQ(s.selection.node(), clone);

    w.Command(CMD_DELETE_NODE);
    EXPECT_EQ(graph().nodes.size(), 2u);
    EXPECT_EQ(s.selection.node(), nullptr);
    EXPECT_EQ(s.view->selectedNode, nullptr);
    EXPECT_EQ(s.selectionTitle->text(), "none");
    EXPECT_TRUE(s.valueControls.empty() && s.nameLabels.empty() && s.valueLabels.empty());
    EXPECT_EQ(closer.boxes().size(), 3u);
    EXPECT_EQ(RenderCount(), 1);
}

TEST_F(AppWindow, CableSelectionDescribesItAndDeleteCableClearsTheViewSelection) {
    Node* fill = Feed<FillNode>();
    SendMessage(MSG_SELECT_CABLE, 0);
    EXPECT_EQ(s.selectionTitle->text(), "a cable");
    EXPECT_EQ(s.selection.cable(), graph().cables[0].get());
    ASSERT_EQ(s.nameLabels.size(), 1u);
    EXPECT_TRUE(s.valueControls.empty());
    EXPECT_EQ(LabelText(s.nameLabels[0]), "Cable from 'Output' of 'Fill' to 'Source' of 'Store'");

    SendMessage(MSG_SELECT_NODE, 1);
    EXPECT_EQ(s.view->selectedCable, nullptr);
    SendMessage(MSG_SELECT_CABLE, 0);
    SendMessage(MSG_DELETE_CABLE);
    EXPECT_TRUE(graph().cables.empty());
    EXPECT_TRUE(fill->outputPin->cables.empty());
    EXPECT_EQ(s.view->selectedCable, nullptr);
    EXPECT_EQ(s.selection.cable(), nullptr);
    // The panel is not rebuilt until the next selection or layout.
    EXPECT_EQ(s.selectionTitle->text(), "a cable");
    w.resize(w.size() + QSize(10, 10));
    EXPECT_EQ(s.selectionTitle->text(), "none");

    // With nothing selected the graph stays and the view's node selection is cleared.
    SendMessage(MSG_SELECT_NODE, 1);
    w.Command(CMD_DELETE_CABLE);
    EXPECT_EQ(graph().nodes.size(), 2u);
    EXPECT_EQ(s.view->selectedNode, nullptr);
    EXPECT_EQ(s.selection.node(), fill);
    EXPECT_EQ(RenderCount(), 1);
}

TEST_F(AppWindow, ViewMessagesWithStaleIndexesAreIgnored) {
    SendMessage(MSG_SELECT_NODE, 5);
    SendMessage(MSG_SELECT_CABLE, 0);
    SendMessage(MSG_SELECT_NODE, -1);
    EXPECT_EQ(s.selectionTitle->text(), "none");
    SendMessage(MSG_SELECT_NODE, 0);
    SendMessage(MSG_SELECT_NONE);
    EXPECT_EQ(s.selectionTitle->text(), "none");
    EXPECT_EQ(s.view->selectedNode, nullptr);
}

TEST_F(AppWindow, ToggledItemsFollowTheirFlagsAndCableItemsAreExclusive) {
    w.Command(CMD_AUTO_RENDER);
    EXPECT_FALSE(s.autoRender);
    EXPECT_FALSE(w.action(CMD_AUTO_RENDER)->isChecked());
    w.action(CMD_AUTO_RENDER)->trigger();  // through the menu item
    EXPECT_TRUE(s.autoRender);
    EXPECT_TRUE(w.action(CMD_AUTO_RENDER)->isChecked());

    const std::pair<int, int> cables[] = {
        {CMD_CABLES_LOW, 10}, {CMD_CABLES_HIGH, 500}, {CMD_CABLES_STANDARD, 100}};
    for (auto [id, resolution] : cables) {
        w.action(id)->trigger();
        EXPECT_EQ(s.view->cableResolution, resolution);
        for (int other : {CMD_CABLES_LOW, CMD_CABLES_STANDARD, CMD_CABLES_HIGH})
            EXPECT_EQ(w.action(other)->isChecked(), other == id) << id << " " << other;
    }
    w.action(CMD_CABLES_STANDARD)->trigger();  // choosing the checked item keeps it checked
    EXPECT_TRUE(w.action(CMD_CABLES_STANDARD)->isChecked());
}

TEST_F(AppWindow, EditorScrollBarsStepOneAndPageFifty) {
    EXPECT_EQ(s.viewHScroll->maximum(), 400);
    s.viewHScroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.view->scrollX, 50);
    s.viewHScroll->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(s.view->scrollX, 49);
    s.viewVScroll->triggerAction(QAbstractSlider::SliderToMaximum);
    s.viewVScroll->triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(s.view->scrollY, 400);
}

TEST_F(AppWindow, AboutAndHelpBoxesAreOwnedAndInformative) {
    BoxCloser closer;
    w.Command(CMD_ABOUT);
    w.Command(CMD_HELP);
    ASSERT_EQ(closer.boxes().size(), 2u);
    const auto& about = closer.boxes()[0];
    EXPECT_EQ(about.title, "What the...?");
    EXPECT_TRUE(
        about.text.startsWith("swatcher [v0.97]\n\n// built on the mottle [v0.86] engine.\n"));
    EXPECT_EQ(about.text.count("\n// "), 4);
    EXPECT_EQ(about.icon, QMessageBox::Information);
    EXPECT_TRUE(about.owned);
    const auto& help = closer.boxes()[1];
    EXPECT_EQ(help.title, "Help... (kind of)");
    EXPECT_TRUE(
        help.text.startsWith("Some short usage description:\n\n- Left button: Select "
                             "node/cable\n- Middle button: Move node\n"));
    EXPECT_TRUE(help.text.endsWith("- some kind of deadlock-detection\n"));
}

TEST_F(AppWindow, ExitAndClosingAskToQuitWithoutEndingTheProcess) {
    std::vector<int> codes;
    QObject::connect(&w, &MainWindow::quitRequested, [&codes](int code) { codes.push_back(code); });
    w.Command(CMD_EXIT);
    w.close();
    EXPECT_EQ(codes, std::vector<int>({0, 0}));
    EXPECT_TRUE(w.isVisible());
}

}  // namespace
