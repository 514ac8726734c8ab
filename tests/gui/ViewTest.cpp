// The editor view as a real widget: mouse buttons and keys reach the model and
// the parent, and the picture shows the selection. The rules are the model's.
#include <gtest/gtest.h>

#include <QTest>
#include <utility>
#include <vector>

#include "controls/Messages.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "nodes/filters/Mixer.h"
#include "nodes/generators/RawNoise.h"
#include "view/NodesView.h"

namespace {

using Messages = std::vector<std::pair<int, long long>>;

// Stands in for the main window: records the view's messages.
class RecordingParent : public QWidget {
public:
    Messages messages;

protected:
    bool event(QEvent* e) override {
        if (e->type() < MSG_SELECT_NODE || e->type() > MSG_SELECT_NONE) return QWidget::event(e);
        messages.emplace_back(e->type(), static_cast<MessageEvent*>(e)->wParam);
        return true;
    }
};

TEST(ViewWidget, ButtonsAndKeysDriveTheModelAndThePictureShowsTheSelection) {
    NodeRegistry registry;
    NodeGraph graph{64, 64};
    RecordingParent parent;
    parent.resize(480, 320);
    auto* view = new NodesView(&parent);
    view->setGeometry(0, 0, 480, 320);
    view->graph = &graph;
    Node* noise = graph.AddNode(registry.CreateNode(RawNoise::kTypeId));
    Node* mixer = graph.AddNode(registry.CreateNode(Mixer::kTypeId));
    view->SetLayout({{300, 150}, {30, 30}, {100, 160}});
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    view->Attach();
    view->Redraw();
    auto at = [&](const Pin* pin) {
        for (const PinSpot& spot : view->pinSpots())
            if (spot.pin == pin) return QPoint(spot.rect().Centre().x, spot.rect().Centre().y);
        return QPoint();
    };

    // Right clicks draw a cable; the new cable is neither selected nor announced.
    QTest::mouseClick(view, Qt::RightButton, {}, at(noise->outputPin.get()));
    QTest::mouseClick(view, Qt::RightButton, {}, at(mixer->inputPins[0].get()));
    ASSERT_EQ(graph.cables.size(), 1u);
    EXPECT_EQ(view->cableTraces().size(), 1u);
    // A middle drag moves a box, in a press, moves and a release.
    QTest::mousePress(view, Qt::MiddleButton, {}, QPoint(40, 40));
    QTest::mouseMove(view, QPoint(50, 45));
    QTest::mouseRelease(view, Qt::MiddleButton, {}, QPoint(50, 45));
    EXPECT_EQ(view->Layout()[1], (BoxPos{40, 35}));
    // Left clicks select; Delete asks for what the parent selected.
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(185, 172));
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(460, 300));
    EXPECT_TRUE(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Delete);
    const QImage before = view->grab().toImage();
    view->selectedNode = graph.store();
    view->Redraw();
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::keyClick(view, Qt::Key_Backspace);
    EXPECT_EQ(parent.messages,
              (Messages{{MSG_SELECT_NODE, 2}, {MSG_SELECT_NONE, 0}, {MSG_DELETE_NODE, 0}}));

    const QImage after = view->grab().toImage();
    EXPECT_EQ(before.pixelColor(297, 200), view->palette().color(QPalette::Button));
    EXPECT_EQ(after.pixelColor(297, 200), QColor(0, 0, 0));  // outline 2 px outside the box
    EXPECT_EQ(after.pixelColor(350, 189), before.pixelColor(350, 189));  // same picture inside
    // No pure blue survives in any pin.
    for (const PinSpot& spot : view->pinSpots())
        for (int y = spot.top; y < spot.bottom; ++y)
            for (int x = spot.left; x < spot.right; ++x)
                ASSERT_NE(after.pixelColor(x, y), QColor(0, 0, 255)) << x << "," << y;
}

}  // namespace
