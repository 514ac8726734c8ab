// The editor view as a real widget: hit tests, selection, the cable drawing
// state machine, box moving, deletion requests, the layout section and the
// painted picture.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>
#include <cstring>
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

const QPoint kEmpty(460, 300);

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
    QPoint At(const Pin* pin) const {
        const view::Point c = view->pinSpots().at(SpotOf(pin)).rect().Centre();
        return {c.x, c.y};
    }
    void RightClick(QPoint p) { QTest::mouseClick(view, Qt::RightButton, {}, p); }

    NodeRegistry registry;
    NodeGraph graph{64, 64};
    RecordingParent parent;
    NodesView* view = nullptr;
};

TEST_F(ViewTest, NewNodesAppearInThePoolWithCentredPins) {
    Node* displace = Add(DisplacementMap::kTypeId);
    for (const NodeBox& box : view->boxes()) EXPECT_EQ(box.rect(), (view::Rect{30, 30, 130, 130}));
    // Store: one input, no output; then the node's output and its inputs.
    const auto& spots = view->pinSpots();
    ASSERT_EQ(spots.size(), 5u);
    EXPECT_EQ(spots[0].pin, graph.store()->inputPins[0].get());
    EXPECT_EQ(spots[1].pin, displace->outputPin.get());
    EXPECT_EQ(spots[1].rect(), (view::Rect{111, 74, 124, 86}));
    // Three inputs at a pitch of 15, centred on the box's middle (y 80).
    for (int j = 0; j < 3; ++j) {
        EXPECT_EQ(spots[2 + j].index, j);
        EXPECT_EQ(spots[2 + j].rect(), (view::Rect{36, 58 + 15 * j, 49, 71 + 15 * j}));
    }
    // Pin spots are in window coordinates, boxes are not.
    view->scrollX = 400;
    view->scrollY = 10;
    view->Redraw();
    EXPECT_EQ(view->pinSpots()[1].rect(), (view::Rect{-289, 64, -276, 76}));
    EXPECT_EQ(view->boxes()[1].rect(), (view::Rect{30, 30, 130, 130}));
}

TEST_F(ViewTest, HitTestsCountEdgesAsInsideAndPreferTheEarliestBox) {
    Add(RawNoise::kTypeId);
    Place({{30, 30}, {80, 80}});  // node 1 is drawn on top, node 0 wins
    const int kHits[][3] = {{100, 100, 0}, {130, 130, 0},  {131, 131, 1},
                            {180, 180, 1}, {181, 100, -1}, {29, 30, -1}};
    for (const auto& hit : kHits) EXPECT_EQ(view->HitNode(hit[0], hit[1]), hit[2]) << hit[0];
    view->scrollX = 50;
    EXPECT_EQ(view->HitNode(131 - 50, 131), 1);

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
    EXPECT_EQ(view->HitCable(s3.x, s3.y), 0);
}

TEST_F(ViewTest, LeftClickSelectsCableBeforeBoxAndDeleteAsksForNodeBeforeCable) {
    Node* noise = Add(RawNoise::kTypeId);
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {30, 30}, {160, 160}});
    graph.Connect(mixer->outputPin.get(), graph.store()->inputPins[0].get());
    graph.Connect(noise->outputPin.get(), mixer->inputPins[1].get());
    view->Redraw();
    // The second cable ends on the mixer's input, inside its box.
    QTest::mouseClick(view, Qt::LeftButton, {}, At(mixer->inputPins[1].get()));
    EXPECT_EQ(view->selectedCable, graph.cables[1].get());
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(175, 245));
    EXPECT_EQ(view->selectedCable, nullptr);
    QTest::mouseClick(view, Qt::LeftButton, {}, kEmpty);
    EXPECT_TRUE(view->hasFocus());
    // The parent sets the selection; with none, Delete sends nothing.
    QTest::keyClick(view, Qt::Key_Delete);
    view->selectedCable = graph.cables[0].get();
    QTest::keyClick(view, Qt::Key_Delete);
    view->selectedNode = noise;
    QTest::keyClick(view, Qt::Key_Delete);
    QTest::keyClick(view, Qt::Key_Backspace);
    EXPECT_EQ(parent.messages, (Messages{{MSG_SELECT_CABLE, 1},
                                         {MSG_SELECT_NODE, 2},
                                         {MSG_SELECT_NONE, 0},
                                         {MSG_DELETE_CABLE, 0},
                                         {MSG_DELETE_NODE, 0}}));
}

TEST_F(ViewTest, RightButtonDrawsCablesBetweenOneOutputAndOneFreeInput) {
    Node* noise = Add(RawNoise::kTypeId);
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {30, 30}, {160, 30}});
    // Pins by letter: n noise output, m mixer output, 0 and 1 mixer inputs, s Store input.
    const std::string names = "nm01s";
    Pin* const pins[] = {noise->outputPin.get(), mixer->outputPin.get(), mixer->inputPins[0].get(),
                         mixer->inputPins[1].get(), graph.store()->inputPins[0].get()};
    auto pin = [&](char c) { return pins[names.find(c)]; };
    auto click = [&](char c) { RightClick(c == '.' ? kEmpty : At(pin(c))); };
    auto cables = [&] {
        std::string out;
        for (const auto& cable : graph.cables)
            for (const Pin* p : {cable->first, cable->second})
                out += names[std::find(std::begin(pins), std::end(pins), p) - std::begin(pins)];
        return out;
    };
    const struct {
        const char* connected;  // a cable made before the clicks
        std::string clicks;     // '.' is empty space
        bool drawing;
        const char* cables;  // in creation order
    } kRows[] = {
        {"", "n0", false, "n0"},      // output to input
        {"", "1n", false, "1n"},      // input to output keeps the drawing direction
        {"", ".", false, ""},         // empty space starts nothing
        {"n0", "0", false, "n0"},     // neither does an occupied input
        {"n0", "n", true, "n0"},      // an output takes any number of cables
        {"n0", "nnm0", true, "n0"},   // the start pin, another output, an occupied input
        {"", "n.", false, ""},        // empty space cancels
        {"", "1s", true, ""},         // input to input is refused
        {"", "m0ms", false, "m0ms"},  // a self-loop, then a second cable from that output
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(std::string(row.connected) + " then " + row.clicks);
        while (!graph.cables.empty()) graph.RemoveCable(graph.cables.back().get());
        view->Redraw();
        if (!view->drawing()) click('n');  // cancelling resets the pin indexes
        click('.');
        if (*row.connected) graph.Connect(pin(row.connected[0]), pin(row.connected[1]));
        view->Redraw();

        for (char c : row.clicks) click(c);
        EXPECT_EQ(view->drawing(), row.drawing);
        EXPECT_EQ(cables(), row.cables);
        EXPECT_EQ(view->cableTraces().size(), graph.cables.size());
        EXPECT_EQ(view->rubberBandCount() > 0, row.drawing);
        if (row.drawing)
            EXPECT_EQ(view->startPinIndex(), SpotOf(pin(row.clicks[0])));
        else if (std::strlen(row.cables) > std::strlen(row.connected))
            EXPECT_EQ(view->endPinIndex(), SpotOf(pin(row.clicks.back())));
        else
            EXPECT_EQ(std::pair(view->startPinIndex(), view->endPinIndex()), std::pair(-1, -1));
    }
    // A new cable is neither selected nor announced.
    EXPECT_EQ(view->selectedCable, nullptr);
    EXPECT_TRUE(parent.messages.empty());
}

TEST_F(ViewTest, RubberBandFollowsTheMouseUntilItsStartPinDisappears) {
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {160, 30}});
    view->cableResolution = 10;
    const QPoint start = At(mixer->inputPins[1].get());  // the last spot
    RightClick(start);
    QTest::mouseMove(view, QPoint(400, 250));
    EXPECT_EQ(view->rubberBand()[8], (view::Point{400, 250}));
    // Resting on the start pin's centre: a loop hanging 70 pixels below it.
    QTest::mouseMove(view, start);
    EXPECT_EQ(view->rubberBand()[0], (view::Point{start.x(), start.y()}));
    EXPECT_EQ(view->rubberBand()[4], (view::Point{start.x(), start.y() + 70}));
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
    QTest::mouseMove(view, QPoint(5, 3));  // dragged out to the left and top
    EXPECT_EQ(view->boxes()[1].rect(), (view::Rect{-5, -7, 95, 93}));
    QTest::mouseRelease(view, Qt::MiddleButton, {}, QPoint(5, 3));
    EXPECT_FALSE(view->moving());
    QTest::mouseMove(view, QPoint(200, 200));
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

    // Loaded with a node more: that node comes back at (30, 30).
    Add(Mixer::kTypeId);
    Place({{0, 0}, {0, 0}, {0, 0}, {0, 0}});
    MemoryStream in(out.data());
    view->LoadLayout(in);
    EXPECT_EQ(view->Layout(), (std::vector<BoxPos>{{300, 150}, {-20, 400}, {160, -3}, {30, 30}}));
    // Entries beyond the nodes are read and dropped.
    MemoryStream longer(
        std::vector<uint8_t>{5, 1, 0, 1, 0, 2, 0, 2, 0, 3, 0, 3, 0, 4, 0, 4, 0, 9, 0, 9, 0});
    view->LoadLayout(longer);
    EXPECT_EQ(longer.remaining(), 0u);
    EXPECT_EQ(view->Layout(), (std::vector<BoxPos>{{1, 1}, {2, 2}, {3, 3}, {4, 4}}));
}

TEST_F(ViewTest, PaintShowsOutlinePicturesAndTransparentPins) {
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {100, 60}});
    const QImage before = view->grab().toImage();
    EXPECT_EQ(before.pixelColor(97, 110), view->palette().color(QPalette::Button));
    view->selectedNode = mixer;
    view->Redraw();
    const QImage after = view->grab().toImage();
    EXPECT_EQ(after.pixelColor(97, 110), QColor(0, 0, 0));  // outline 2 px outside the box
    EXPECT_EQ(after.pixelColor(150, 99), before.pixelColor(150, 99));  // same picture inside
    EXPECT_EQ(after.pixelColor(40, 40), before.pixelColor(40, 40));
    // No pure blue survives in any pin.
    for (const PinSpot& spot : view->pinSpots())
        for (int y = spot.top; y < spot.bottom; ++y)
            for (int x = spot.left; x < spot.right; ++x)
                EXPECT_NE(after.pixelColor(x, y), QColor(0, 0, 255)) << x << "," << y;
}

}  // namespace
