// The editor view as a real widget: left clicks and keys reach the parent, and
// the picture shows the selection. The rules are the model's; the main
// window's undo tests drive cable drawing and box moves through real events.
#include <gtest/gtest.h>

#include <QTest>
#include <utility>
#include <vector>

#include "controls/Messages.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "nodes/filters/Mixer.h"
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

TEST(ViewWidget, LeftClicksSelectDeleteAsksAndThePictureShowsTheSelection) {
    NodeRegistry registry;
    NodeGraph graph{64, 64};
    RecordingParent parent;
    parent.resize(480, 320);
    auto* view = new NodesView(&parent);
    view->setGeometry(0, 0, 480, 320);
    view->model().graph = &graph;
    graph.AddNode(registry.CreateNode(Mixer::kTypeId));
    view->model().SetLayout({{300, 150}, {100, 160}});
    parent.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
    view->Attach();
    view->Redraw();

    // Left clicks select; Delete asks for what the parent selected, Backspace does not.
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(185, 172));
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(460, 300));
    EXPECT_TRUE(view->hasFocus());
    QTest::keyClick(view, Qt::Key_Delete);
    const QImage before = view->grab().toImage();
    view->model().selectedNodes = {graph.store()};
    view->Redraw();
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::keyClick(view, Qt::Key_Backspace);
    EXPECT_EQ(parent.messages,
              (Messages{{MSG_SELECT_NODE, 1}, {MSG_SELECT_NONE, 0}, {MSG_DELETE_NODE, 0}}));

    const QImage after = view->grab().toImage();
    EXPECT_EQ(before.pixelColor(297, 200), view->palette().color(QPalette::Button));
    EXPECT_EQ(after.pixelColor(297, 200), QColor(0, 0, 0));  // outline 2 px outside the box
    EXPECT_EQ(after.pixelColor(350, 189), before.pixelColor(350, 189));  // same picture inside
    // No pure blue survives in any pin.
    for (const PinSpot& spot : view->model().pinSpots())
        for (int y = spot.top; y < spot.bottom; ++y)
            for (int x = spot.left; x < spot.right; ++x)
                ASSERT_NE(after.pixelColor(x, y), QColor(0, 0, 255)) << x << "," << y;
}

}  // namespace
