// The editor view as a real widget: hit tests, selection, the cable drawing
// state machine, box moving, deletion requests, the layout section and the
// painted picture.
#include <gtest/gtest.h>

#include <QDir>
#include <QTest>
#include <QWidget>
#include <string>
#include <utility>
#include <vector>

#include "controls/Messages.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"
#include "nodes/filters/DisplacementMap.h"
#include "nodes/filters/Mixer.h"
#include "nodes/generators/RawNoise.h"
#include "view/NodesView.h"

namespace {

// Stands in for the main window: records the view's messages.
class RecordingParent : public QWidget {
public:
    std::vector<std::pair<int, long long>> messages;

protected:
    bool event(QEvent* e) override {
        if (e->type() >= MSG_SELECT_NODE && e->type() <= MSG_SELECT_NONE) {
            messages.emplace_back(e->type(), static_cast<MessageEvent*>(e)->wParam);
            return true;
        }
        return QWidget::event(e);
    }
};

QPoint Centre(const PinSpot& spot) {
    const view::Point c = spot.rect().Centre();
    return {c.x, c.y};
}

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        parent.resize(480, 320);
        view = new NodesView(&parent);
        view->setGeometry(0, 0, 480, 320);
        view->graph = &graph;
        parent.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
        view->Attach();
        view->Redraw();
    }

    Node* Add(uint8_t type) {
        Node* node = graph.AddNode(registry.CreateNode(type));
        view->Redraw();
        return node;
    }

    void Place(std::vector<BoxPos> corners) {
        view->SetLayout(corners);
        view->Redraw();
    }

    int SpotOf(const Pin* pin) const {
        const auto& spots = view->pinSpots();
        for (size_t i = 0; i < spots.size(); ++i)
            if (spots[i].pin == pin) return static_cast<int>(i);
        return -1;
    }
    QPoint At(const Pin* pin) const { return Centre(view->pinSpots().at(SpotOf(pin))); }
    void RightClick(QPoint p) { QTest::mouseClick(view, Qt::RightButton, {}, p); }
    void RightClick(const Pin* pin) { RightClick(At(pin)); }

    NodeRegistry registry;
    NodeGraph graph{64, 64};
    RecordingParent parent;
    NodesView* view = nullptr;
};

const QPoint kEmpty(460, 300);

TEST_F(ViewTest, NewNodesAppearInThePoolOnTopOfEachOther) {
    Add(RawNoise::kTypeId);
    Add(Mixer::kTypeId);
    ASSERT_EQ(view->boxes().size(), 3u);
    for (const NodeBox& box : view->boxes()) {
        EXPECT_EQ(box.rect(), (view::Rect{30, 30, 130, 130}));
        EXPECT_EQ(box.node, graph.nodes[box.index].get());
    }
    EXPECT_EQ(view->boxes()[2].index, 2);
}

TEST_F(ViewTest, StoreHasNoOutputPinAndInputsAreCentred) {
    Node* displace = Add(DisplacementMap::kTypeId);
    const auto& spots = view->pinSpots();
    // Store: one input, no output; then the new node's output and three inputs.
    ASSERT_EQ(spots.size(), 5u);
    EXPECT_EQ(spots[0].pin, graph.store()->inputPins[0].get());
    EXPECT_EQ(spots[0].index, 0);
    EXPECT_EQ(spots[1].pin, displace->outputPin.get());
    EXPECT_EQ(spots[1].index, -1);
    EXPECT_EQ(spots[1].rect(), (view::Rect{111, 74, 124, 86}));
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(spots[2 + j].index, j);
        EXPECT_EQ(spots[2 + j].rect(), (view::Rect{36, 58 + 15 * j, 49, 71 + 15 * j}));
    }
    // Pin spots are in window coordinates.
    view->scrollX = 400;
    view->scrollY = 10;
    view->Redraw();
    EXPECT_EQ(view->pinSpots()[1].rect(), (view::Rect{-289, 64, -276, 76}));
    EXPECT_EQ(view->boxes()[1].rect(), (view::Rect{30, 30, 130, 130}));
}

TEST_F(ViewTest, HitNodeFindsTheEarliestOfOverlappingBoxes) {
    Add(RawNoise::kTypeId);
    Place({{30, 30}, {80, 80}});
    EXPECT_EQ(view->HitNode(100, 100), 0);  // node 1 is drawn on top, node 0 wins
    EXPECT_EQ(view->HitNode(130, 130), 0);  // every edge is inside
    EXPECT_EQ(view->HitNode(131, 131), 1);
    EXPECT_EQ(view->HitNode(180, 180), 1);
    EXPECT_EQ(view->HitNode(181, 100), -1);
    EXPECT_EQ(view->HitNode(29, 30), -1);
    view->scrollX = 50;
    EXPECT_EQ(view->HitNode(131 - 50, 131), 1);
}

TEST_F(ViewTest, HitPinCountsEdgesAsInside) {
    const PinSpot spot = view->pinSpots().at(0);
    EXPECT_EQ(view->HitPin(spot.left, spot.top), 0);
    EXPECT_EQ(view->HitPin(spot.right, spot.bottom), 0);
    EXPECT_EQ(view->HitPin(spot.right + 1, spot.bottom), -1);
}

TEST_F(ViewTest, HitCableTestsEvenSamplesWithin8Pixels) {
    Node* noise = Add(RawNoise::kTypeId);
    Place({{300, 150}, {30, 30}});
    graph.Connect(noise->outputPin.get(), graph.store()->inputPins[0].get());
    view->cableResolution = 10;
    view->Redraw();
    ASSERT_EQ(view->cableTraces().size(), 1u);
    const CableTrace& trace = view->cableTraces()[0];
    ASSERT_EQ(trace.sampleCount, 9);
    EXPECT_EQ(trace.samples[0], (view::Point{trace.x0, trace.y0}));
    const view::Point s2 = trace.samples[2];
    EXPECT_EQ(view->HitCable(s2.x + 8, s2.y), 0);
    EXPECT_EQ(view->HitCable(s2.x, s2.y - 8), 0);
    EXPECT_EQ(view->HitCable(s2.x + 6, s2.y + 6), -1);  // 72 > 64
    // An odd sample far from its even neighbours is not tested.
    const view::Point s3 = trace.samples[3];
    EXPECT_EQ(view->HitCable(s3.x, s3.y), -1);
    // At resolution 100 the samples are close enough to hit anywhere along it.
    view->cableResolution = 100;
    view->Redraw();
    EXPECT_EQ(view->cableTraces()[0].sampleCount, 98);
    EXPECT_EQ(view->HitCable(s3.x, s3.y), 0);
}

TEST_F(ViewTest, LeftClickSelectsCableBeforeBoxAndSendsMessages) {
    Node* noise = Add(RawNoise::kTypeId);
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {30, 30}, {160, 160}});
    graph.Connect(mixer->outputPin.get(), graph.store()->inputPins[0].get());
    graph.Connect(noise->outputPin.get(), mixer->inputPins[1].get());
    view->Redraw();
    // The second cable ends on the mixer's input, inside its box.
    const QPoint onCable = Centre(view->pinSpots()[SpotOf(mixer->inputPins[1].get())]);
    QTest::mouseClick(view, Qt::LeftButton, {}, onCable);
    EXPECT_EQ(view->selectedCable, graph.cables[1].get());
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(175, 245));
    EXPECT_EQ(view->selectedCable, nullptr);
    QTest::mouseClick(view, Qt::LeftButton, {}, kEmpty);
    using M = std::pair<int, long long>;
    EXPECT_EQ(parent.messages,
              (std::vector<M>{{MSG_SELECT_CABLE, 1}, {MSG_SELECT_NODE, 2}, {MSG_SELECT_NONE, 0}}));
    EXPECT_TRUE(view->hasFocus());
}

TEST_F(ViewTest, DeleteAsksForTheNodeBeforeTheCable) {
    Node* noise = Add(RawNoise::kTypeId);
    Cable* cable = graph.Connect(noise->outputPin.get(), graph.store()->inputPins[0].get());
    QTest::keyClick(view, Qt::Key_Delete);  // nothing selected: nothing sent
    view->selectedCable = cable;
    QTest::keyClick(view, Qt::Key_Delete);
    view->selectedNode = noise;
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::keyClick(view, Qt::Key_Backspace);
    using M = std::pair<int, long long>;
    EXPECT_EQ(parent.messages, (std::vector<M>{{MSG_DELETE_CABLE, 0}, {MSG_DELETE_NODE, 0}}));
}

class DrawingTest : public ViewTest {
protected:
    void SetUp() override {
        ViewTest::SetUp();
        noise = Add(RawNoise::kTypeId);
        mixer = Add(Mixer::kTypeId);
        Place({{300, 150}, {30, 30}, {160, 30}});
    }
    Node* noise = nullptr;
    Node* mixer = nullptr;
};

TEST_F(DrawingTest, OutputToInputMakesOneCable) {
    RightClick(noise->outputPin.get());
    EXPECT_TRUE(view->drawing());
    EXPECT_EQ(view->startPinIndex(), SpotOf(noise->outputPin.get()));
    EXPECT_GT(view->rubberBandCount(), 0);
    RightClick(mixer->inputPins[0].get());
    EXPECT_FALSE(view->drawing());
    EXPECT_EQ(view->endPinIndex(), SpotOf(mixer->inputPins[0].get()));
    EXPECT_EQ(view->rubberBandCount(), 0);
    ASSERT_EQ(graph.cables.size(), 1u);
    Cable* cable = graph.cables[0].get();
    EXPECT_EQ(cable->first, noise->outputPin.get());
    EXPECT_EQ(cable->second, mixer->inputPins[0].get());
    EXPECT_EQ(noise->outputPin->cables, std::vector<Cable*>{cable});
    EXPECT_EQ(mixer->inputPins[0]->cables, std::vector<Cable*>{cable});
    EXPECT_EQ(view->cableTraces().size(), 1u);
    EXPECT_EQ(view->selectedCable, nullptr);  // not selected, nothing sent
    EXPECT_TRUE(parent.messages.empty());
}

TEST_F(DrawingTest, InputToOutputKeepsTheDrawingDirection) {
    RightClick(mixer->inputPins[1].get());
    EXPECT_TRUE(view->drawing());
    RightClick(noise->outputPin.get());
    ASSERT_EQ(graph.cables.size(), 1u);
    EXPECT_EQ(graph.cables[0]->first, mixer->inputPins[1].get());
    EXPECT_EQ(graph.cables[0]->second, noise->outputPin.get());
}

TEST_F(DrawingTest, IdleClicksThatStartNothing) {
    RightClick(kEmpty);
    EXPECT_FALSE(view->drawing());
    graph.Connect(noise->outputPin.get(), mixer->inputPins[0].get());
    view->Redraw();
    RightClick(mixer->inputPins[0].get());  // occupied input
    EXPECT_FALSE(view->drawing());
    EXPECT_EQ(view->startPinIndex(), -1);
    // An output pin takes any number of cables.
    RightClick(noise->outputPin.get());
    EXPECT_TRUE(view->drawing());
}

TEST_F(DrawingTest, InvalidEndsAreRefusedAndTheDrawingGoesOn) {
    graph.Connect(noise->outputPin.get(), mixer->inputPins[0].get());
    view->Redraw();
    RightClick(noise->outputPin.get());
    const int start = view->startPinIndex();
    RightClick(noise->outputPin.get());     // the start pin itself
    RightClick(mixer->outputPin.get());     // another output
    RightClick(mixer->inputPins[0].get());  // occupied input
    EXPECT_TRUE(view->drawing());
    EXPECT_EQ(view->startPinIndex(), start);
    EXPECT_EQ(graph.cables.size(), 1u);

    RightClick(kEmpty);  // cancel
    EXPECT_FALSE(view->drawing());
    RightClick(mixer->inputPins[1].get());
    RightClick(graph.store()->inputPins[0].get());  // input to input
    EXPECT_TRUE(view->drawing());
    RightClick(kEmpty);
    EXPECT_FALSE(view->drawing());
    EXPECT_EQ(view->startPinIndex(), -1);
    EXPECT_EQ(view->endPinIndex(), -1);
    EXPECT_EQ(view->rubberBandCount(), 0);
    EXPECT_EQ(graph.cables.size(), 1u);
}

TEST_F(DrawingTest, SelfLoopsAndCyclesAreAllowed) {
    RightClick(mixer->outputPin.get());
    RightClick(mixer->inputPins[0].get());
    RightClick(mixer->outputPin.get());
    RightClick(graph.store()->inputPins[0].get());
    ASSERT_EQ(graph.cables.size(), 2u);
    EXPECT_EQ(graph.cables[0]->first, mixer->outputPin.get());
    EXPECT_EQ(graph.cables[0]->second, mixer->inputPins[0].get());
    EXPECT_EQ(view->cableTraces().size(), 2u);
}

TEST_F(DrawingTest, RubberBandFollowsTheMouse) {
    view->cableResolution = 10;
    RightClick(noise->outputPin.get());
    const QPoint start = At(noise->outputPin.get());
    QTest::mouseMove(view, QPoint(400, 250));
    EXPECT_EQ(view->rubberBand()[8], (view::Point{400, 250}));
    // Resting on the start pin's centre: a loop hanging 70 pixels below it.
    QTest::mouseMove(view, start);
    EXPECT_EQ(view->rubberBand()[0], (view::Point{start.x(), start.y()}));
    EXPECT_EQ(view->rubberBand()[4], (view::Point{start.x(), start.y() + 70}));
}

TEST_F(DrawingTest, DrawingEndsWhenItsStartPinDisappears) {
    RightClick(mixer->inputPins[1].get());  // the last spot
    ASSERT_TRUE(view->drawing());
    graph.RemoveNode(mixer);
    view->Redraw();
    EXPECT_FALSE(view->drawing());
    EXPECT_EQ(view->rubberBandCount(), 0);
}

TEST_F(ViewTest, MiddleDragMovesABoxByTheMouseDisplacement) {
    Add(RawNoise::kTypeId);
    Place({{300, 150}, {60, 40}});
    QTest::mousePress(view, Qt::MiddleButton, {}, QPoint(70, 50));
    EXPECT_TRUE(view->moving());
    QTest::mouseMove(view, QPoint(95, 61));
    EXPECT_EQ(view->boxes()[1].rect(), (view::Rect{85, 51, 185, 151}));
    QTest::mouseMove(view, QPoint(5, 3));  // dragged out to the left and top
    EXPECT_EQ(view->boxes()[1].rect(), (view::Rect{-5, -7, 95, 93}));
    QTest::mouseRelease(view, Qt::MiddleButton, {}, QPoint(5, 3));
    EXPECT_FALSE(view->moving());
    QTest::mouseMove(view, QPoint(200, 200));
    EXPECT_EQ(view->boxes()[1].rect(), (view::Rect{-5, -7, 95, 93}));
    EXPECT_EQ(view->boxes()[0].rect(), (view::Rect{300, 150, 400, 250}));
    EXPECT_EQ(view->Layout(), (std::vector<BoxPos>{{300, 150}, {-5, -7}}));

    // A press on empty space moves nothing.
    QTest::mousePress(view, Qt::MiddleButton, {}, kEmpty);
    EXPECT_FALSE(view->moving());
    QTest::mouseRelease(view, Qt::MiddleButton, {}, kEmpty);
}

TEST_F(ViewTest, LayoutSectionRoundTrip) {
    Add(RawNoise::kTypeId);
    Add(Mixer::kTypeId);
    Place({{300, 150}, {-20, 400}, {160, -3}});
    MemoryStream out;
    view->SaveLayout(out);
    EXPECT_EQ(out.data(), (std::vector<uint8_t>{3, 0x2C, 0x01, 0x96, 0x00, 0xEC, 0xFF, 0x90, 0x01,
                                                0xA0, 0x00, 0xFD, 0xFF}));

    Place({{30, 30}, {30, 30}, {30, 30}});
    MemoryStream in(out.data());
    view->LoadLayout(in);
    view->Redraw();
    EXPECT_EQ(view->Layout(), (std::vector<BoxPos>{{300, 150}, {-20, 400}, {160, -3}}));
    EXPECT_EQ(view->boxes()[1].rect(), (view::Rect{-20, 400, 80, 500}));

    // A section with fewer entries than nodes: the rest come back at (30, 30);
    // entries beyond the nodes are read and dropped.
    Add(Mixer::kTypeId);
    MemoryStream shorter(std::vector<uint8_t>{2, 5, 0, 6, 0, 7, 0, 8, 0});
    view->LoadLayout(shorter);
    view->Redraw();
    EXPECT_EQ(view->Layout(), (std::vector<BoxPos>{{5, 6}, {7, 8}, {30, 30}, {30, 30}}));
    MemoryStream longer(
        std::vector<uint8_t>{5, 1, 0, 1, 0, 2, 0, 2, 0, 3, 0, 3, 0, 4, 0, 4, 0, 9, 0, 9, 0});
    view->LoadLayout(longer);
    EXPECT_EQ(longer.remaining(), 0u);
    EXPECT_EQ(view->Layout(), (std::vector<BoxPos>{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST_F(ViewTest, PaintShowsOutlinePicturesAndTransparentPins) {
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {100, 60}});
    const QColor background = view->palette().color(QPalette::Button);
    QImage before = view->grab().toImage();
    EXPECT_EQ(before.pixelColor(97, 110), background);
    view->selectedNode = mixer;
    view->Redraw();
    QImage after = view->grab().toImage();
    EXPECT_EQ(after.pixelColor(97, 110), QColor(0, 0, 0));  // outline 2 px outside the box
    EXPECT_EQ(after.pixelColor(150, 99), before.pixelColor(150, 99));  // same picture inside
    EXPECT_EQ(after.pixelColor(40, 40), before.pixelColor(40, 40));
    // No pure blue survives in any pin.
    for (const PinSpot& spot : view->pinSpots())
        for (int y = spot.top; y < spot.bottom; ++y)
            for (int x = spot.left; x < spot.right; ++x)
                EXPECT_NE(after.pixelColor(x, y), QColor(0, 0, 255)) << x << "," << y;
}

TEST_F(ViewTest, Screenshots) {
    const QString dir = QStringLiteral(SWATCHER_SCREENSHOT_DIR);
    ASSERT_TRUE(QDir().mkpath(dir));
    Node* noise = Add(RawNoise::kTypeId);
    Node* mixer = Add(Mixer::kTypeId);
    Node* displace = Add(DisplacementMap::kTypeId);
    Add(Mixer::kTypeId);
    Place({{340, 180}, {190, 20}, {180, 170}, {340, 30}});
    graph.Connect(mixer->outputPin.get(), graph.store()->inputPins[0].get());
    graph.Connect(noise->outputPin.get(), mixer->inputPins[0].get());
    graph.Connect(displace->outputPin.get(), mixer->inputPins[1].get());
    graph.Connect(noise->outputPin.get(), displace->inputPins[1].get());
    view->selectedNode = mixer;
    view->selectedCable = graph.cables[1].get();
    view->Redraw();
    EXPECT_TRUE(view->grab().save(dir + "/view_selection.png"));

    view->selectedNode = nullptr;
    view->selectedCable = nullptr;
    RightClick(displace->inputPins[2].get());
    QTest::mouseMove(view, QPoint(60, 250));
    EXPECT_TRUE(view->grab().save(dir + "/view_rubber_band.png"));

    view->cableResolution = 10;
    RightClick(kEmpty);
    view->scrollX = 60;
    view->scrollY = 10;
    view->Redraw();
    EXPECT_TRUE(view->grab().save(dir + "/view_scrolled_coarse.png"));
}

}  // namespace
