// Finding the way around the graph through the real view: search to add,
// drops from the list, cables dragged from pins, boxes far away.
#include <gtest/gtest.h>

#include <QAction>
#include <QDropEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QScrollBar>
#include <QTest>

#include "AppTestSupport.h"
#include "controls/MessageIds.h"
#include "view/AddNodePopup.h"
#include "view/NodesView.h"

namespace {

class Nav : public AppTest {
protected:
    QPoint Window(view::Point document) {
        const NodesViewModel& m = s.view->model();
        const view::Point p =
            m.transform.ToWindow({document.x - m.scrollX, document.y - m.scrollY});
        return {p.x, p.y};
    }
    int Row(const char* name) {
        return s.nodeList->row(s.nodeList->findItems(name, Qt::MatchExactly).front());
    }
};

TEST_F(Nav, TabTypeEnterAddsTheNodeAtTheMouseAsOneStep) {
    s.view->model().scrollX = 10;
    const QPoint mouse(300, 120);
    QTest::mouseMove(s.view, mouse);
    s.view->setFocus();
    QTest::keyClick(s.view, Qt::Key_Tab);
    AddNodePopup* popup = s.view->addPopup();
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->list()->count(), s.nodeList->count());
    QTest::keyClicks(popup->filterField(), "blur");
    EXPECT_EQ(popup->list()->count(), 1);
    QTest::keyClick(popup->filterField(), Qt::Key_Return);
    EXPECT_FALSE(popup->isVisible());
    ASSERT_EQ(graph().nodes.size(), 2u);
    Node* blur = graph().nodes[1].get();
    EXPECT_EQ(blur->name, "Blur");
    EXPECT_EQ(s.view->model().Corners().at(1), (view::Point{310 - 50, 120 - 50}));
    EXPECT_EQ(s.view->model().selectedNodes, std::vector<Node*>{blur});
    w.Command(CMD_UNDO);
    EXPECT_EQ(graph().nodes.size(), 1u);
    EXPECT_FALSE(w.action(CMD_UNDO)->isEnabled());
}

TEST_F(Nav, ADropFromTheListAddsTheTypeWhereItFalls) {
    std::unique_ptr<QMimeData> mime(
        s.nodeList->model()->mimeData({s.nodeList->model()->index(Row("Mixer"), 0)}));
    QDragEnterEvent enter(QPoint(200, 150), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(s.view, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(200, 150), Qt::CopyAction, mime.get(), Qt::LeftButton, {});
    QCoreApplication::sendEvent(s.view, &drop);
    ASSERT_EQ(graph().nodes.size(), 2u);
    EXPECT_EQ(graph().nodes[1]->name, "Mixer");
    EXPECT_EQ(s.view->model().Corners().at(1), (view::Point{150, 100}));
}

TEST_F(Nav, LeftDragFromAnOutputCablesOnlyAFreeInput) {
    auto add = [&](const char* type) {
        return graph().AddNode(s.registry->CreateNode(s.registry->prototypes()[Row(type)]->typeId));
    };
    Node* blur = add("Blur");
    Node* mixer = add("Mixer");
    s.view->model().SetLayout({{300, 30}, {40, 40}, {170, 150}});
    const QPoint out = PinCentre(blur->outputPin.get());
    const struct {
        QPoint release;
        size_t cables;
    } kRows[] = {
        {PinCentre(graph().store()->inputPins[0].get()), 1},
        {PinCentre(graph().store()->inputPins[0].get()), 1},  // taken now
        {QPoint(450, 250), 1},                                // empty space
        {out, 1},                                             // a click on the pin
        {PinCentre(mixer->inputPins[1].get()), 2},
    };
    for (const auto& row : kRows) {
        QTest::mousePress(s.view, Qt::LeftButton, {}, out);
        QTest::mouseMove(s.view, row.release);
        QTest::mouseRelease(s.view, Qt::LeftButton, {}, row.release);
        EXPECT_EQ(graph().cables.size(), row.cables) << row.release.x();
        EXPECT_FALSE(s.view->model().drawing());
    }
}

// Also: a middle drag on empty space pans; a box held past the edge scrolls.
TEST_F(Nav, ABoxDraggedOffTheTopLeftStaysReachable) {
    const NodesViewModel& m = s.view->model();
    const QPoint empty(s.view->width() - 5, s.view->height() - 5);
    QTest::mousePress(s.view, Qt::MiddleButton, {}, empty);
    QTest::mouseMove(s.view, empty - QPoint(30, 20));
    QTest::mouseRelease(s.view, Qt::MiddleButton, {}, empty - QPoint(30, 20));
    EXPECT_EQ(std::pair(m.scrollX, m.scrollY), std::pair(30, 20));
    const QPoint store = Window({m.boxes().at(0).left + 20, m.boxes().at(0).top + 20});
    QTest::mousePress(s.view, Qt::MiddleButton, {}, store);
    QTest::mouseMove(s.view, store - QPoint(400, 300));
    QTest::mouseMove(s.view, QPoint(-5, -5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m.scrollX < 0; }, 5000));  // past the origin
    QTest::mouseRelease(s.view, Qt::MiddleButton, {}, QPoint(-5, -5));
    const view::Rect box = m.boxes().at(0).rect();
    ASSERT_LT(box.left, 0);
    ASSERT_LT(box.top, 0);
    auto visible = [&] {
        const view::Point a = m.DocumentAt({0, 0});
        const view::Point b = m.DocumentAt({s.view->width(), s.view->height()});
        return box.left >= a.x && box.top >= a.y && box.right <= b.x && box.bottom <= b.y;
    };
    s.viewHScroll->setValue(s.viewHScroll->minimum());
    s.viewVScroll->setValue(s.viewVScroll->minimum());
    EXPECT_TRUE(visible());
    s.viewHScroll->setValue(s.viewHScroll->maximum());
    s.viewVScroll->setValue(s.viewVScroll->maximum());
    EXPECT_FALSE(visible());
    QTest::keyClick(s.view, Qt::Key_Home);
    EXPECT_TRUE(visible());
    s.viewHScroll->setValue(s.viewHScroll->maximum());
    SendMessage(MSG_SELECT_NODE, 0);
    QTest::keyClick(s.view, Qt::Key_F);  // frames the selected Store
    EXPECT_TRUE(visible());
    EXPECT_EQ(m.transform.zoom(), 100);
}

}  // namespace
