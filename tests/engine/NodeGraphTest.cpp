#include <gtest/gtest.h>

#include "engine/NodeGraph.h"
#include "support/TestNodes.h"
#include "support/TestSupport.h"

namespace {

template <class T>
T* Add(NodeGraph& graph) {
    return static_cast<T*>(graph.AddNode(std::make_unique<T>(1, 1)));
}

Cable* Wire(NodeGraph& graph, Node* from, Node* to, int pin = 0) {
    return graph.Connect(from->outputPin.get(), to->inputPins[pin].get());
}

bool AllZero(const Image& image) {
    for (uint8_t b : Bytes(image))
        if (b) return false;
    return true;
}

}  // namespace

TEST(Node, PinsKnowTheirKindByIdentityAlone) {
    SumNode node(1, 1);
    EXPECT_TRUE(node.outputPin->IsOutputPin());
    EXPECT_FALSE(node.inputPins[0]->IsOutputPin());
    EXPECT_EQ(node.outputPin->name, "Output");
    EXPECT_EQ(node.inputPins[1]->name, "Source B");
    FillNode generator(1, 1);
    EXPECT_TRUE(generator.inputPins.empty());
}

TEST(Node, CloneCopiesParametersButNotPixels) {
    FillNode source(3, 2);
    source.param(0).SetValue(999);  // clamped to 255
    source.Update();
    auto clone = source.Clone();
    EXPECT_EQ(clone->value(0), 255);
    EXPECT_EQ(clone->image->width, 3);
    EXPECT_EQ(clone->image->height, 2);
    EXPECT_TRUE(AllZero(*clone->image));
    clone->param(0).SetValue(1);
    EXPECT_EQ(source.value(0), 255);
}

TEST(Node, ResizeToTheSameSizeStillClears) {
    FillNode node(2, 2);
    node.Update();
    const Image* before = node.image.get();
    ASSERT_TRUE(node.ResizeImage(2, 2));
    EXPECT_NE(node.image.get(), before);
    EXPECT_TRUE(AllZero(*node.image));
}

TEST(Image, ImpossibleSizesAreLoggedAndRefused) {
    LogCapture log;
    EXPECT_EQ(Image::Create(0, 5), nullptr);
    EXPECT_EQ(Image::Create(Image::kMaxSide + 1, 1), nullptr);
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0], "null: no 0x5x4 buf\r\n");
    FillNode node(2, 2);
    EXPECT_FALSE(node.ResizeImage(-1, 3));
    EXPECT_EQ(node.image->width, 2);  // the old image stays
}

TEST(NodeGraph, StartsWithTheStoreNodeAlone) {
    NodeGraph graph(64, 64);
    ASSERT_EQ(graph.nodes.size(), 1u);
    EXPECT_EQ(graph.nodes[0]->name, "Store");
    EXPECT_EQ(graph.nodes[0]->typeId, 1);
    EXPECT_TRUE(graph.cables.empty());
    EXPECT_EQ(graph.CountUpstream(), 1);
}

TEST(NodeGraph, AddAndRemoveKeepOrderAndSize) {
    NodeGraph graph(8, 4);
    auto* a = Add<FillNode>(graph);
    auto* b = Add<FillNode>(graph);
    auto* c = Add<FillNode>(graph);
    EXPECT_EQ(b->image->width, 8);
    EXPECT_EQ(b->image->height, 4);
    graph.RemoveNode(b);
    ASSERT_EQ(graph.nodes.size(), 3u);
    EXPECT_EQ(graph.nodes[1].get(), a);
    EXPECT_EQ(graph.nodes[2].get(), c);
    FillNode stranger(1, 1);
    graph.RemoveNode(&stranger);  // not in the graph: nothing happens
    EXPECT_EQ(graph.nodes.size(), 3u);
    EXPECT_EQ(graph.NodeIndex(c), 2);
    EXPECT_EQ(graph.NodeIndex(&stranger), -1);
}

TEST(NodeGraph, PinIndexTestsTheOutputFirst) {
    NodeGraph graph(2, 2);
    auto* sum = Add<SumNode>(graph);
    EXPECT_EQ(NodeGraph::PinIndex(sum, sum->outputPin.get()), 255);
    EXPECT_EQ(NodeGraph::PinIndex(sum, sum->inputPins[1].get()), 1);
    EXPECT_EQ(NodeGraph::PinIndex(sum, graph.nodes[0]->inputPins[0].get()), -1);
}

TEST(NodeGraph, CablesAreListedOnBothPinsAndRemovedFromBoth) {
    NodeGraph graph(2, 2);
    auto* fill = Add<FillNode>(graph);
    auto* sum = Add<SumNode>(graph);
    Cable* toA = Wire(graph, fill, sum, 0);
    Cable* toB = Wire(graph, fill, sum, 1);
    Cable* self = Wire(graph, sum, sum, 0);  // accepted unchecked
    EXPECT_EQ(fill->outputPin->cables, (std::vector<Cable*>{toA, toB}));
    graph.RemoveCable(toA);
    EXPECT_EQ(fill->outputPin->cables, (std::vector<Cable*>{toB}));
    EXPECT_EQ(sum->inputPins[0]->cables, (std::vector<Cable*>{self}));
    EXPECT_EQ(graph.cables.size(), 2u);
    graph.RemoveCable(toA);  // already gone: nothing happens
    EXPECT_EQ(graph.cables.size(), 2u);
}

TEST(NodeGraph, TextureSizeChangeClearsEveryImage) {
    NodeGraph graph(4, 4);
    auto* fill = Add<FillNode>(graph);
    Wire(graph, fill, graph.nodes[0].get());
    graph.Render();
    ASSERT_FALSE(AllZero(graph.texture()));
    ASSERT_TRUE(graph.SetTextureSize(8, 2));
    for (const auto& node : graph.nodes) {
        EXPECT_EQ(node->image->width, 8);
        EXPECT_TRUE(AllZero(*node->image));
    }
    EXPECT_EQ(NullImage->width, 8);
}

TEST(NodeGraph, FailedSizeChangeKeepsTheGraphConsistent) {
    LogCapture log;
    NodeGraph graph(4, 4);
    Add<FillNode>(graph);
    EXPECT_FALSE(graph.SetTextureSize(Image::kMaxSide * 2, 4));
    EXPECT_EQ(graph.width, 4);
    for (const auto& node : graph.nodes) EXPECT_EQ(node->image->width, 4);
    EXPECT_EQ(NullImage->width, 4);
    EXPECT_FALSE(log.Matching("null: no").empty());
}

TEST(NodeGraph, CountUpstreamCountsEachReachedNodeOnce) {
    NodeGraph graph(2, 2);
    auto* fill = Add<FillNode>(graph);
    auto* sum = Add<SumNode>(graph);
    Add<FillNode>(graph);  // unreached
    Wire(graph, fill, sum, 0);
    Wire(graph, fill, sum, 1);
    Wire(graph, sum, graph.nodes[0].get());
    EXPECT_EQ(graph.CountUpstream(), 3);
}
