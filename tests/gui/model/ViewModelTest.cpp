// The node editor without a widget: geometry, hit tests, the cable drawing
// state machine, box moving, groups and the layout section.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "app/DocumentController.h"
#include "app/EditorSelection.h"
#include "controls/MessageIds.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"
#include "nodes/filters/DisplacementMap.h"
#include "nodes/filters/Mixer.h"
#include "nodes/generators/RawNoise.h"
#include "support/TestSupport.h"
#include "view/NodeSearch.h"
#include "view/ViewModel.h"

namespace {

using view::Point;
using view::Rect;

class ViewModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.graph = &graph;
        model.viewWidth = 480;
        model.viewHeight = 320;
        model.drawCable = [this](Pin* first, Pin* second) { graph.Connect(first, second); };
    }

    Node* Add(uint8_t type) { return graph.AddNode(registry.CreateNode(type)); }
    void Place(const std::vector<BoxPos>& corners) {
        model.SetLayout(corners);
        model.Rebuild();
    }
    Point At(const Pin* pin) const {
        for (const PinSpot& spot : model.pinSpots())
            if (spot.pin == pin) return spot.rect().Centre();
        ADD_FAILURE() << "pin not drawn";
        return {};
    }
    // A right press as the widget handles it: the machine, then a rebuild.
    void RightPress(Point p) {
        model.RightButtonDown(p.x, p.y);
        model.Rebuild();
    }

    NodeRegistry registry;
    NodeGraph graph{64, 64};
    NodesViewModel model;
};

const Point kEmpty{460, 300};

TEST_F(ViewModelTest, NewNodesAppearInThePoolWithCentredPins) {
    Node* displace = Add(DisplacementMap::kTypeId);
    model.Rebuild();
    for (const NodeBox& box : model.boxes()) EXPECT_EQ(box.rect(), (Rect{30, 30, 130, 130}));
    // Store: one input, no output; then the node's output and three inputs at a
    // pitch of 15 centred on the box's middle (y 80).
    const auto& spots = model.pinSpots();
    ASSERT_EQ(spots.size(), 5u);
    EXPECT_EQ(spots[0].pin, graph.store()->inputPins[0].get());
    EXPECT_EQ(spots[1].pin, displace->outputPin.get());
    EXPECT_EQ(spots[1].rect(), (Rect{111, 74, 124, 86}));
    for (int j = 0; j < 3; ++j)
        EXPECT_EQ(spots[2 + j].rect(), (Rect{36, 58 + 15 * j, 49, 71 + 15 * j})) << j;
    // Pin spots are in window coordinates, boxes are not.
    model.scrollX = 400;
    model.scrollY = 10;
    model.Rebuild();
    EXPECT_EQ(model.pinSpots()[1].rect(), (Rect{-289, 64, -276, 76}));
    EXPECT_EQ(model.boxes()[1].rect(), (Rect{30, 30, 130, 130}));
    EXPECT_EQ(view::PinNameRect(Rect{36, 73, 49, 86}, Rect{34, 34, 126, 126}),
              (Rect{51, 73, 111, 86}));
}

TEST_F(ViewModelTest, HitTestsCountEdgesAsInsideAndPreferTheBoxOnTop) {
    Add(RawNoise::kTypeId);
    Place({{30, 30}, {80, 80}});  // node 1 is drawn on top, and wins
    const int kHits[][3] = {{79, 100, 0},  {80, 80, 1},    {130, 130, 1},
                            {180, 180, 1}, {181, 100, -1}, {29, 30, -1}};
    for (const auto& hit : kHits) EXPECT_EQ(model.HitNode(hit[0], hit[1]), hit[2]) << hit[0];
    const PinSpot spot = model.pinSpots().at(0);
    EXPECT_EQ(model.HitPin(spot.left, spot.top), 0);
    EXPECT_EQ(model.HitPin(spot.right, spot.bottom), 0);
    EXPECT_EQ(model.HitPin(spot.right + 1, spot.bottom), -1);
}

TEST_F(ViewModelTest, CablesHitAtEvenSamplesSelectFirstAndDeleteAsksForTheNodeFirst) {
    Node* noise = Add(RawNoise::kTypeId);
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {30, 30}, {160, 160}});
    graph.Connect(mixer->outputPin.get(), graph.store()->inputPins[0].get());
    graph.Connect(noise->outputPin.get(), mixer->inputPins[1].get());
    model.cableResolution = 10;
    model.Rebuild();
    // Every even sample within 8 pixels.
    const CableTrace& trace = model.cableTraces().at(0);
    ASSERT_EQ(trace.sampleCount, 9);
    const Point s2 = trace.samples[2], s3 = trace.samples[3];
    EXPECT_EQ(model.HitCable(s2.x + 8, s2.y), 0);
    EXPECT_EQ(model.HitCable(s2.x + 6, s2.y + 6), -1);  // 72 > 64
    EXPECT_EQ(model.HitCable(s3.x, s3.y), -1);          // odd samples are not tested
    auto select = [&](Point p) {
        const ViewMessage m = model.Select(p.x, p.y);
        return std::pair(m.message, m.argument);
    };
    // The second cable ends on the mixer's input, inside its box.
    EXPECT_EQ(select(At(mixer->inputPins[1].get())), std::pair(MSG_SELECT_CABLE, 1));
    EXPECT_EQ(model.selectedCable, graph.cables[1].get());
    EXPECT_EQ(select({175, 245}), std::pair(MSG_SELECT_NODE, 2));
    EXPECT_EQ(model.selectedCable, nullptr);
    // The selection itself is the parent's to set.
    model.selectedCable = graph.cables[0].get();
    EXPECT_EQ(model.DeleteRequest().message, MSG_DELETE_CABLE);
    model.selectedNodes = {noise};
    EXPECT_EQ(model.DeleteRequest().message, MSG_DELETE_NODE);
    model.cableResolution = 100;
    model.Rebuild();
    EXPECT_EQ(model.HitCable(s3.x, s3.y), 0);
}

TEST_F(ViewModelTest, RightButtonDrawsCablesBetweenOneOutputAndOneFreeInput) {
    Node* noise = Add(RawNoise::kTypeId);
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {30, 30}, {160, 30}});
    // Pins by letter: n noise output, m mixer output, 0 and 1 mixer inputs, s Store input.
    const std::string names = "nm01s";
    const std::array<Pin*, 5> pins = {noise->outputPin.get(), mixer->outputPin.get(),
                                      mixer->inputPins[0].get(), mixer->inputPins[1].get(),
                                      graph.store()->inputPins[0].get()};
    auto pin = [&](char c) { return pins.at(names.find(c)); };
    auto click = [&](char c) { RightPress(c == '.' ? kEmpty : At(pin(c))); };
    auto cables = [&] {
        std::string out;
        for (const auto& cable : graph.cables)
            for (const Pin* p : {cable->first, cable->second})
                out += names[std::ranges::find(pins, p) - pins.begin()];
        return out;
    };
    const struct {
        const char* connected;  // a cable made before the clicks
        std::string clicks;     // '.' is empty space
        bool drawing;
        const char* cables;  // in creation order
    } kRows[] = {
        {"", "1n", false, "1n"},      // input to output keeps the drawing direction
        {"", ".", false, ""},         // empty space starts nothing
        {"n0", "0", false, "n0"},     // neither does an occupied input
        {"n0", "nnm0", true, "n0"},   // an output with a cable starts; its own pin, another
                                      // output and an occupied input are refused
        {"", "n.", false, ""},        // empty space cancels
        {"", "1s", true, ""},         // input to input is refused
        {"", "m0ms", false, "m0ms"},  // output to input (its own), then a second from that output
    };
    for (const auto& row : kRows) {
        SCOPED_TRACE(std::string(row.connected) + " then " + row.clicks);
        while (!graph.cables.empty()) graph.RemoveCable(graph.cables.back().get());
        click('.');  // cancels a drawing left by the last row
        if (*row.connected) graph.Connect(pin(row.connected[0]), pin(row.connected[1]));
        model.Rebuild();

        for (char c : row.clicks) click(c);
        EXPECT_EQ(model.drawing(), row.drawing);
        EXPECT_EQ(cables(), row.cables);
        EXPECT_EQ(model.cableTraces().size(), graph.cables.size());
        // The rubber band hangs from the first pin clicked.
        EXPECT_EQ(model.rubberBandCount() > 0, row.drawing);
        if (row.drawing) {
            EXPECT_EQ(model.rubberBand()[0], At(pin(row.clicks[0])));
        }
    }
    EXPECT_EQ(model.selectedCable, nullptr);  // a new cable is not selected
}

TEST_F(ViewModelTest, RubberBandFollowsTheMouseUntilItsStartPinDisappears) {
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {160, 30}});
    model.cableResolution = 10;
    const Point start = At(mixer->inputPins[1].get());  // the last spot
    RightPress(start);  // the mouse on the start pin: a loop hanging 70 pixels below it
    EXPECT_EQ(model.rubberBand()[4], (Point{start.x, start.y + 70}));
    ASSERT_TRUE(model.TrackRubberBand(400, 250));
    model.Rebuild();
    EXPECT_EQ(model.rubberBand()[8], (Point{400, 250}));
    graph.RemoveNode(mixer);
    model.Rebuild();
    EXPECT_FALSE(model.drawing());
    EXPECT_EQ(model.rubberBandCount(), 0);
}

// The displacement is the group tests'; a box dragged off the top left, the
// navigation test's.
TEST_F(ViewModelTest, AMoveStartsOnABoxAndEndsOnReleaseOrWithItsNode) {
    Node* noise = Add(RawNoise::kTypeId);
    Place({{300, 150}, {60, 40}});
    EXPECT_FALSE(model.BeginMove(kEmpty.x, kEmpty.y));
    ASSERT_TRUE(model.BeginMove(70, 50));
    model.EndMove();
    EXPECT_FALSE(model.MoveBox(200, 200));
    // A box whose node went away mid-move ends the move.
    ASSERT_TRUE(model.BeginMove(70, 50));
    graph.RemoveNode(noise);
    model.Rebuild();
    EXPECT_FALSE(model.MoveBox(10, 10));
    EXPECT_FALSE(model.moving());
}

TEST_F(ViewModelTest, ScrollRangeReachesEveryBoxWithAMargin) {
    Add(RawNoise::kTypeId);
    const struct {
        BoxPos far;
        int zoom;
        int scrollX;
        Rect range;
    } kRows[] = {
        {{30, 30}, 100, 0, {0, 0, 400, 400}},  // the first screenful
        {{-500, -30}, 100, 0, {-540, -70, 400, 400}}, {{2000, 3000}, 100, 0, {0, 0, 1660, 2820}},
        {{2000, 3000}, 50, 0, {0, 0, 1180, 2500}},   // the view shows twice as much
        {{30, 30}, 100, -900, {-900, 0, 400, 400}},  // where it is stays reachable
    };
    for (const auto& row : kRows) {
        Place({{300, 150}, row.far});
        model.transform.SetZoom(row.zoom);
        model.scrollX = row.scrollX;
        EXPECT_EQ(model.ScrollRange(), row.range) << row.far.x << " at " << row.zoom;
    }
}

TEST_F(ViewModelTest, ZoomMapsWindowPixelsAndHitTestsFollow) {
    Node* noise = Add(RawNoise::kTypeId);
    Node* mixer = Add(Mixer::kTypeId);
    Place({{300, 150}, {60, 40}, {160, 200}});
    graph.Connect(noise->outputPin.get(), mixer->inputPins[0].get());
    model.scrollX = 20;
    model.Rebuild();  // the lists do not depend on the zoom
    const Point pin = At(mixer->inputPins[1].get());
    const Point sample = model.cableTraces().at(0).samples[4];
    const struct {
        int zoom;
        Point window;
        Point model;
    } kRows[] = {
        {100, {57, -3}, {57, -3}}, {200, {101, 51}, {50, 25}}, {200, {-1, -1}, {-1, -1}},
        {25, {-1, 3}, {-4, 12}},   {25, {10, 10}, {40, 40}},
    };
    // The window pixel of a model point maps back onto it, so every hit test
    // finds at any zoom what it finds at 100%.
    auto hit = [&](Point p) { return model.transform.ToModel(model.transform.ToWindow(p)); };
    for (const auto& row : kRows) {
        SCOPED_TRACE(row.zoom);
        model.transform.SetZoom(row.zoom);
        EXPECT_EQ(model.transform.ToModel(row.window), row.model);
        const Point box = hit({60 - 20 + 1, 41}), p = hit(pin), c = hit(sample);
        EXPECT_EQ(model.HitNode(box.x, box.y), 1);
        EXPECT_EQ(model.pinSpots().at(model.HitPin(p.x, p.y)).pin, mixer->inputPins[1].get());
        EXPECT_EQ(model.HitCable(c.x, c.y), 0);
    }
    // Zooming keeps the document point under the mouse; the ladder stops at its ends.
    model.transform.SetZoom(100);
    model.scrollX = 0;
    model.ZoomAbout({200, 100}, 200);
    EXPECT_EQ(std::pair(model.scrollX, model.scrollY), std::pair(100, 50));
    model.ZoomAbout({200, 100}, 25);
    EXPECT_EQ(model.DocumentAt({200, 100}), (Point{200, 100}));
    // Back to 100% about the same point, the scroll is exactly where it was.
    model.transform.SetZoom(100);
    model.SetScroll(7, -3);
    for (int zoom : {125, 150, 33, 100}) model.ZoomAbout({333, 77}, zoom);
    EXPECT_EQ(std::pair(model.scrollX, model.scrollY), std::pair(7, -3));
    EXPECT_EQ(view::ViewTransform::StepOut(25), 25);
    EXPECT_EQ(view::ViewTransform::StepIn(200), 200);
    EXPECT_EQ(view::ViewTransform::StepIn(100), 125);
}

TEST_F(ViewModelTest, FrameFitsTheBoxesOrTheSelectionAtMostAtFullSize) {
    Add(RawNoise::kTypeId);
    Place({{300, 150}, {-500, -30}});
    model.Frame(true);  // nothing selected: all
    EXPECT_EQ(model.transform.zoom(), 50);
    EXPECT_EQ(std::pair(model.scrollX, model.scrollY), std::pair(-530, -210));
    model.selectedNodes = {graph.store()};
    model.Frame(true);
    EXPECT_EQ(model.transform.zoom(), 100);
    EXPECT_EQ(std::pair(model.scrollX, model.scrollY), std::pair(110, 40));
    model.Frame(false);
    EXPECT_EQ(model.transform.zoom(), 50);
    // Opening a file scrolls only when its Store lies wholly out of view.
    model.transform.SetZoom(100);
    for (auto [store, scroll] : {std::pair(BoxPos{400, 290}, Point{0, 0}),
                                 std::pair(BoxPos{-500, 900}, Point{-500, 680})}) {
        Place({store, {30, 30}});
        model.scrollX = model.scrollY = 0;
        model.ShowStore();
        EXPECT_EQ((Point{model.scrollX, model.scrollY}), scroll) << store.x;
    }
}

TEST(NodeSearch, EveryQueryWordBeginsAWordOfTheName) {
    const struct {
        const char* query;
        const char* name;
        bool match;
    } kRows[] = {
        {"hsv", "Adjust HSV", true},
        {"HSV", "HSV -> RGB", true},
        {"lur", "Blur", false},
        {"", "Mixer", true},
        {"br con", "Brightness, Contrast", true},
        {"br x", "Brightness, Contrast", false},
        {"  emb ", "Emboss + Shade", true},
    };
    for (const auto& row : kRows)
        EXPECT_EQ(view::MatchesSearch(row.name, row.query), row.match) << row.query << row.name;
}

TEST_F(ViewModelTest, LayoutSectionBytes) {
    Add(RawNoise::kTypeId);
    Add(Mixer::kTypeId);
    Place({{300, 150}, {-20, 400}, {160, -3}});
    MemoryStream out;
    WriteLayoutSection(out, model.Layout());
    EXPECT_EQ(out.data(), (std::vector<uint8_t>{3, 0x2C, 0x01, 0x96, 0x00, 0xEC, 0xFF, 0x90, 0x01,
                                                0xA0, 0x00, 0xFD, 0xFF}));
}

TEST(ViewCurve, SampleCountsAndTheSag) {
    view::CurveSamples s{};
    // The polyline uses one sample fewer than the loop suggests at resolution 10.
    const int kCounts[][3] = {{10, 9, 8}, {100, 98, 98}, {500, 498, 498}};
    for (const auto& c : kCounts) {
        EXPECT_EQ(view::ComputeCurve(10, 20, 300, 200, c[0], s), c[1]);
        EXPECT_EQ(view::DrawnSampleCount(c[1], c[0]), c[2]);
    }
    // An extreme resolution stays within the sample room.
    EXPECT_EQ(view::ComputeCurve(0, 0, 10, 10, 1, s), view::kMaxCurveSamples);
    EXPECT_EQ(view::ComputeCurve(0, 0, 10, 10, 2, s), 1);
    // Horizontal: fx = 1 / 1.2, the middle sags 20 + 41.67 -> 61 pixels; s = 0.5 in the
    // first segment with tangents 77 / 140 and 46.97 / 8.54 (single).
    ASSERT_EQ(view::ComputeCurve(0, 0, 200, 0, 10, s), 9);
    EXPECT_EQ(s[2], (Point{42, 35}));
    EXPECT_EQ(s[4], (Point{100, 61}));
    EXPECT_EQ(s[8], (Point{200, 0}));
    EXPECT_EQ((Rect{-13, -13, 0, 0}).Centre(), (Point{-6, -6}));  // rounds toward zero
}

// Several nodes at once: the selection rectangle, Ctrl toggling and group
// moves in the view model; copy and paste of groups through the document.
class NodeGroupTest : public ViewModelTest {
protected:
    void SetUp() override {
        ViewModelTest::SetUp();
        selection.Bind(&model);
        document.refused = [this](const std::string& text) { refusals.push_back(text); };
        // Store <- mixer <- (noise, noise2); the mixer's second input from noise2.
        noise = Add(RawNoise::kTypeId);
        noise2 = Add(RawNoise::kTypeId);
        mixer = Add(Mixer::kTypeId);
        noise->param(0).SetValue(77);
        graph.Connect(mixer->outputPin.get(), graph.store()->inputPins[0].get());
        graph.Connect(noise->outputPin.get(), mixer->inputPins[0].get());
        graph.Connect(noise2->outputPin.get(), mixer->inputPins[1].get());
        Place({{300, 150}, {30, 30}, {30, 200}, {160, 160}});
    }
    std::vector<uint8_t> Saved() {
        const std::vector<BoxPos> layout = model.Layout();
        return GraphBytes(graph, &layout);
    }

    EditorSelection selection;
    DocumentController document{graph, model, selection, registry};
    std::vector<std::string> refusals;
    Node* noise;
    Node* noise2;
    Node* mixer;
};

TEST_F(NodeGroupTest, RectangleCtrlClicksAndGroupMoves) {
    // From empty space over the Store's and the mixer's boxes, not the noises'.
    EXPECT_EQ(model.Select(460, 300).message, MSG_SELECT_NONE);
    ASSERT_TRUE(model.TrackBandSelect(140, 140));
    EXPECT_EQ(model.selectedNodes, (std::vector<Node*>{graph.store(), mixer}));
    EXPECT_EQ(model.EndBandSelect().message, MSG_SELECT_NODES);
    // A click on empty space selects nothing and is no rectangle.
    model.Select(460, 300);
    EXPECT_EQ(model.EndBandSelect().message, 0);
    model.selectedNodes = {graph.store(), mixer};
    EXPECT_EQ(model.Select(50, 50, true).message, MSG_SELECT_NODES);    // noise in
    EXPECT_EQ(model.Select(350, 200, true).message, MSG_SELECT_NODES);  // Store out
    EXPECT_EQ(model.selectedNodes, (std::vector<Node*>{mixer, noise}));
    // A Ctrl rectangle adds what it touches.
    model.Select(20, 400, true);
    model.TrackBandSelect(40, 280);
    EXPECT_EQ(model.selectedNodes, (std::vector<Node*>{mixer, noise, noise2}));
    model.EndBandSelect();
    model.selectedNodes = {mixer, noise};
    // A press on a selected box keeps the selection; dragging it moves the group.
    EXPECT_EQ(model.Select(200, 200).message, 0);
    ASSERT_TRUE(model.BeginMove(200, 200));
    EXPECT_TRUE(model.MoveBox(210, 195));
    model.EndMove();
    EXPECT_EQ(model.Layout(), (std::vector<BoxPos>{{300, 150}, {40, 25}, {30, 200}, {170, 155}}));
    // A box outside the selection moves alone; the one on top is the one hit.
    model.SetLayout({{300, 150}, {30, 30}, {60, 60}, {160, 160}});
    ASSERT_TRUE(model.BeginMove(100, 100));
    model.MoveBox(101, 100);
    EXPECT_EQ(model.Layout()[2], (BoxPos{61, 60}));
    EXPECT_EQ(model.Layout()[1], (BoxPos{30, 30}));
}

TEST_F(NodeGroupTest, PastedNodesEqualTheOriginalsWithTheirInnerCablesOnly) {
    // The Store and the second noise are left out: the Store never, the noise by choice.
    const std::vector<uint8_t> bytes = document.CopyNodes({graph.store(), mixer, noise});
    ASSERT_FALSE(bytes.empty());
    const std::vector<Node*> added = document.PasteNodes(bytes, view::Point{30, 30}, "Paste");
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added, (std::vector<Node*>{graph.nodes[4].get(), graph.nodes[5].get()}));
    // Placed where the originals are: the same bytes, values, corners and inner cable.
    EXPECT_EQ(document.CopyNodes(added), bytes);
    EXPECT_EQ(graph.cables.size(), 4u);
    // Without a place they land beside the originals.
    document.PasteNodes(bytes, std::nullopt, "Paste");
    EXPECT_EQ(model.Layout()[6], (BoxPos{50, 50}));
    EXPECT_EQ(model.Layout()[7], (BoxPos{180, 180}));
    EXPECT_TRUE(refusals.empty());
}

TEST_F(NodeGroupTest, PastesBeyondTheFileLimitsOrOfDamagedBytesChangeNothing) {
    const std::vector<uint8_t> good = document.CopyNodes({noise, mixer});
    const size_t cableAt = good.size() - (1 + 2 * 4) - 4;  // the one cable, before the layout
    auto changed = [&good](size_t at, uint8_t value) {
        std::vector<uint8_t> bytes = good;
        bytes[at] = value;
        return bytes;
    };
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } kDamaged[] = {
        {"not ours", {'h', 'e', 'l', 'l', 'o'}},
        {"empty", {}},
        {"truncated", std::vector<uint8_t>(good.begin(), good.begin() + cableAt + 2)},
        {"unknown type", changed(6, 250)},
        {"a Store", changed(6, StoreNode::kTypeId)},
        {"bad pin", changed(cableAt + 3, 7)},
    };
    // The clip holds 2 nodes and 1 cable.
    const struct {
        size_t nodes;
        size_t cables;
        bool fits;
    } kLimits[] = {{254, 3, false}, {4, 255, false}, {253, 254, true}};
    const std::vector<uint8_t> before = Saved();
    for (const auto& c : kDamaged) {
        SCOPED_TRACE(c.what);
        refusals.clear();
        EXPECT_TRUE(document.PasteNodes(c.bytes, std::nullopt, "Paste").empty());
        EXPECT_EQ(refusals.size(), 1u);
        EXPECT_EQ(Saved(), before);
    }
    for (const auto& c : kLimits) {
        SCOPED_TRACE(c.nodes);
        while (graph.nodes.size() < c.nodes) graph.AddNode(registry.CreateNode(RawNoise::kTypeId));
        graph.nodes.resize(c.nodes);  // the extra nodes have no cables
        while (graph.cables.size() < c.cables)
            graph.Connect(noise->outputPin.get(), mixer->inputPins[0].get());
        while (graph.cables.size() > c.cables) graph.RemoveCable(graph.cables.back().get());
        model.Rebuild();
        const std::vector<uint8_t> limit = Saved();
        refusals.clear();
        EXPECT_EQ(document.PasteNodes(good, std::nullopt, "Paste").size(), c.fits ? 2u : 0u);
        EXPECT_EQ(refusals.size(), c.fits ? 0u : 1u);
        if (c.fits) document.Undo();
        EXPECT_EQ(Saved(), limit);
    }
    EXPECT_EQ(document.history().RedoText(), "Paste");  // the only step
}

}  // namespace
