// The undo history: every kind of step through the real controls, and what
// saving writes before the change, after it, after undo and after redo.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "AppTestSupport.h"
#include "controls/Messages.h"
#include "nodes/filters/Mixer.h"
#include "nodes/generators/RawNoise.h"
#include "view/NodesView.h"

namespace {

using AppUndo = AppTest;

// Each change is one step; undo gives back the saved bytes, redo the changed ones.
TEST_F(AppUndo, EveryStepUndoesAndRedoesToTheSameBytes) {
    // Store <- Probe(1); loose Probe(2) and Blur(3); boxes spread out.
    Feed<ProbeNode>();
    graph().AddNode(std::make_unique<ProbeNode>());
    graph().AddNode(s.registry->CreateNode(s.registry->prototypes()[2]->typeId));
    s.view->model().SetLayout({{10, 10}, {150, 10}, {10, 150}, {150, 150}});
    const struct {
        const char* step;   // the name the Undo item shows
        int rendersOnUndo;  // with automatic rendering on
        std::function<void()> change;
    } kSteps[] = {
        {"Draw cable", 0,
         [this] {  // begun at Blur's input, not rendered
             NodeGraph& g = graph();
             QTest::mouseClick(s.view, Qt::RightButton, {},
                               PinCentre(g.nodes[3]->inputPins[0].get()));
             QTest::mouseClick(s.view, Qt::RightButton, {}, PinCentre(g.nodes[2]->outputPin.get()));
         }},
        {"Move node", 0,
         [this] {  // Probe(1)'s box, in two moves
             QTest::mousePress(s.view, Qt::MiddleButton, {}, QPoint(200, 60));
             QTest::mouseMove(s.view, QPoint(150, 90));
             QTest::mouseMove(s.view, QPoint(120, 100));
             QTest::mouseRelease(s.view, Qt::MiddleButton, {}, QPoint(120, 100));
         }},
        {"Change Level", 1,
         [this] {  // one drag, several notifications
             SendMessage(MSG_SELECT_NODE, 1);
             QWidget* slider = s.valueControls[0].data();
             QTest::mousePress(slider, Qt::LeftButton, {}, QPoint(20, 10));
             for (int x : {60, 90}) {
                 QCoreApplication::processEvents();
                 QTest::mouseMove(slider, QPoint(x, 10));
             }
             QCoreApplication::processEvents();
             QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(90, 10));
         }},
        {"Change Note", 1,
         [this] {  // one run of typing
             SendMessage(MSG_SELECT_NODE, 1);
             auto* edit = static_cast<QLineEdit*>(s.valueControls[2].data());
             edit->setFocus();
             QTest::keyClicks(edit, "abc");
         }},
        {"Larger texture", 1, [this] { w.Command(CMD_LARGER); }},
        {"Smaller texture", 1, [this] { w.Command(CMD_SMALLER); }},
        {"Delete cable", 1,
         [this] {  // Probe -> Store, the first of two
             SendMessage(MSG_SELECT_CABLE, 0);
             w.Command(CMD_DELETE_CABLE);
         }},
    };
    for (const auto& c : kSteps) {
        SCOPED_TRACE(c.step);
        const std::vector<uint8_t> before = Saved();
        const int count = w.document().history().count();
        c.change();
        const std::vector<uint8_t> after = Saved();
        EXPECT_NE(after, before);
        EXPECT_EQ(w.document().history().count(), count + 1);
        EXPECT_EQ(w.action(CMD_UNDO)->text(), QString("Undo ") + c.step);
        const int renders = RenderCount();
        w.action(CMD_UNDO)->trigger();
        EXPECT_EQ(Saved(), before);
        EXPECT_EQ(RenderCount(), renders + c.rendersOnUndo);
        EXPECT_EQ(w.action(CMD_REDO)->text(), QString("Redo ") + c.step);
        w.action(CMD_REDO)->trigger();
        EXPECT_EQ(Saved(), after);
    }
}

// Store <- Mixer(1) <- noises (2) and (3). What group edits do and undo is
// the document's to test; here each gesture or command is one step, named as
// the Undo item says, leaving the nodes and cables it should.
TEST_F(AppUndo, GroupEditsAreOneStepEach) {
    Node* mixer = AddFeedingStore(s.registry->CreateNode(Mixer::kTypeId));
    for (const auto& input : mixer->inputPins)  // types of the registry: the clipboard carries ids
        graph().Connect(graph().AddNode(s.registry->CreateNode(RawNoise::kTypeId))->outputPin.get(),
                        input.get());
    s.view->model().SetLayout({{10, 10}, {150, 10}, {10, 150}, {150, 150}});
    BoxCloser closer;  // no refusal is expected; one would otherwise hang
    size_t steps = 0;
    auto expectStep = [&](const char* step, size_t nodes, size_t cables) {
        EXPECT_EQ(w.action(CMD_UNDO)->text(), QString("Undo ") + step);
        EXPECT_EQ(w.document().history().count(), ++steps) << step;
        EXPECT_EQ(std::pair(graph().nodes.size(), graph().cables.size()), std::pair(nodes, cables));
    };
    // A rectangle over both noises, then a left drag of one.
    QTest::mousePress(s.view, Qt::LeftButton, {}, QPoint(300, 300));
    QTest::mouseMove(s.view, QPoint(100, 140));
    QTest::mouseRelease(s.view, Qt::LeftButton, {}, QPoint(100, 140));
    EXPECT_EQ(s.selectionTitle->text(), "2 nodes selected");
    QTest::mousePress(s.view, Qt::LeftButton, {}, QPoint(240, 240));
    QTest::mouseMove(s.view, QPoint(270, 260));
    QTest::mouseRelease(s.view, Qt::LeftButton, {}, QPoint(270, 260));
    expectStep("Move node", 4, 3);
    w.action(CMD_SELECT_ALL)->trigger();
    w.action(CMD_CLONE_NODE)->trigger();
    expectStep("Clone nodes", 7, 5);  // with the cables among the clones
    w.action(CMD_SELECT_ALL)->trigger();
    w.action(CMD_CUT)->trigger();
    expectStep("Cut", 1, 0);
    w.action(CMD_PASTE)->trigger();
    expectStep("Paste", 7, 4);        // the cables among the pasted nodes only
    SendMessage(MSG_SELECT_NODE, 1);  // the pasted mixer
    w.action(CMD_DELETE_WITH_CABLES)->trigger();
    expectStep("Delete with cables", 6, 2);
    w.action(CMD_SELECT_ALL)->trigger();
    QTest::keyClick(s.view, Qt::Key_Delete);
    expectStep("Delete nodes", 1, 0);
    AppFixture other;  // the cut nodes are on the desktop's clipboard; what is pasted is selected
    other.window().action(CMD_PASTE)->trigger();
    EXPECT_EQ(other.state().selection.nodes().size(), 6u);
    EXPECT_EQ(closer.texts(), QStringList());
}

}  // namespace
