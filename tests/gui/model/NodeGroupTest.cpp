// Several nodes at once without widgets: the selection rectangle, Ctrl
// toggling and group moves in the view model; copy, paste and delete of
// groups through the document controller.
#include <gtest/gtest.h>

#include "app/DocumentController.h"
#include "app/EditorSelection.h"
#include "controls/MessageIds.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"
#include "nodes/filters/Mixer.h"
#include "nodes/generators/RawNoise.h"
#include "view/ViewModel.h"

namespace {

class NodeGroupTest : public ::testing::Test {
protected:
    void SetUp() override {
        model.graph = &graph;
        selection.Bind(&model);
        document.refused = [this](const std::string& text) { refusals.push_back(text); };
        // Store <- mixer <- (noise, noise2); the mixer's second input from noise2.
        noise = graph.AddNode(registry.CreateNode(RawNoise::kTypeId));
        noise2 = graph.AddNode(registry.CreateNode(RawNoise::kTypeId));
        mixer = graph.AddNode(registry.CreateNode(Mixer::kTypeId));
        noise->param(0).SetValue(77);
        graph.Connect(mixer->outputPin.get(), graph.store()->inputPins[0].get());
        graph.Connect(noise->outputPin.get(), mixer->inputPins[0].get());
        graph.Connect(noise2->outputPin.get(), mixer->inputPins[1].get());
        model.SetLayout({{300, 150}, {30, 30}, {30, 200}, {160, 160}});
        model.Rebuild();
    }
    std::vector<uint8_t> Saved() {
        MemoryStream out;
        EXPECT_TRUE(graph.Save(out, nullptr));
        WriteLayoutSection(out, model.Layout());
        return out.data();
    }

    NodeRegistry registry;
    NodeGraph graph{64, 64};
    NodesViewModel model;
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
    EXPECT_EQ(model.HitNode(100, 100), 2);
    ASSERT_TRUE(model.BeginMove(100, 100));
    model.MoveBox(101, 100);
    EXPECT_EQ(model.Layout()[2], (BoxPos{61, 60}));
    EXPECT_EQ(model.Layout()[1], (BoxPos{30, 30}));
}

TEST_F(NodeGroupTest, PastedNodesEqualTheOriginalsWithTheirInnerCablesOnly) {
    const std::vector<uint8_t> before = Saved();
    // The Store and the second noise are left out: the Store never, the noise by choice.
    const std::vector<uint8_t> bytes = document.CopyNodes({graph.store(), mixer, noise});
    ASSERT_FALSE(bytes.empty());
    const std::vector<Node*> added = document.PasteNodes(bytes, view::Point{30, 30}, "Paste");
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added, (std::vector<Node*>{graph.nodes[4].get(), graph.nodes[5].get()}));
    // Placed where the originals are: the same bytes, values, corners and inner cable.
    EXPECT_EQ(document.CopyNodes(added), bytes);
    ASSERT_EQ(graph.cables.size(), 4u);
    EXPECT_EQ(graph.cables[3]->first, added[0]->outputPin.get());
    EXPECT_EQ(graph.cables[3]->second, added[1]->inputPins[0].get());
    // Without a place they land beside the originals; each paste is one step.
    document.PasteNodes(bytes, std::nullopt, "Paste");
    EXPECT_EQ(model.Layout()[6], (BoxPos{50, 50}));
    EXPECT_EQ(model.Layout()[7], (BoxPos{180, 180}));
    document.Undo();
    document.Undo();
    EXPECT_EQ(Saved(), before);
    EXPECT_TRUE(refusals.empty());
}

TEST_F(NodeGroupTest, DeletingAGroupTakesItsCablesInOneStep) {
    const std::vector<uint8_t> before = Saved();
    EXPECT_FALSE(document.DeleteNodes({graph.store()}, "Delete nodes"));
    EXPECT_EQ(refusals, std::vector<std::string>{"Why would you want to delete the Store node?!"});
    ASSERT_TRUE(document.DeleteNodes({noise, graph.store(), mixer}, "Delete nodes"));
    EXPECT_EQ(graph.nodes.size(), 2u);
    EXPECT_TRUE(graph.cables.empty());
    EXPECT_EQ(document.history().count(), 1u);
    document.Undo();
    EXPECT_EQ(Saved(), before);
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
