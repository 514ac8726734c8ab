#include <gtest/gtest.h>

#include "engine/NodeGraph.h"
#include "support/TestNodes.h"
#include "support/TestSupport.h"

namespace {

class RenderTest : public ::testing::Test {
protected:
    template <class T>
    T* Add() {
        return static_cast<T*>(graph.AddNode(std::make_unique<T>(1, 1)));
    }
    void Wire(Node* from, Node* to, int pin = 0) {
        graph.Connect(from->outputPin.get(), to->inputPins[pin].get());
    }
    Node* store() { return graph.nodes[0].get(); }
    uint8_t TextureByte(size_t i) { return graph.texture().bytes()[i]; }

    CountingListener listener;
    NodeGraph graph{2, 2};
};

}  // namespace

TEST_F(RenderTest, NewGraphRendersBlackWithOneNodeDone) {
    graph.Render();
    EXPECT_EQ(Bytes(graph.texture()), std::vector<uint8_t>(16, 0));
    EXPECT_EQ(listener.done, 1);
}

TEST_F(RenderTest, StoreCopiesEveryByteOfItsInput) {
    auto* fill = Add<FillNode>();
    fill->param(0).SetValue(200);
    Wire(fill, store());
    graph.Render();
    EXPECT_EQ(Bytes(graph.texture()), std::vector<uint8_t>(16, 200));
}

TEST_F(RenderTest, GeneratorFeedingBothInputsRunsTwice) {
    auto* fill = Add<FillNode>();
    auto* sum = Add<SumNode>();
    Wire(fill, sum, 0);
    Wire(fill, sum, 1);
    Wire(sum, store());
    graph.Render();
    EXPECT_EQ(fill->updates, 2);
    EXPECT_EQ(sum->updates, 1);
    EXPECT_EQ(listener.done, 4);
    EXPECT_EQ(graph.CountUpstream(), 3);
    EXPECT_EQ(TextureByte(0), 7 + 7 + 1);
}

TEST_F(RenderTest, DiamondComputesEachFilterOnceInPostOrder) {
    std::vector<Node*> order;
    auto* fill = Add<FillNode>();
    auto* a = Add<SumNode>();
    auto* b = Add<SumNode>();
    auto* mix = Add<SumNode>();
    for (SumNode* n : {a, b, mix}) n->order = &order;
    Wire(fill, a);
    Wire(fill, b);
    Wire(a, mix, 0);
    Wire(b, mix, 1);
    Wire(mix, store());
    graph.Render();
    EXPECT_EQ(fill->updates, 2);
    EXPECT_EQ(order, (std::vector<Node*>{a, b, mix}));
    EXPECT_EQ(TextureByte(0), (7 + 1) * 2 + 1);
}

TEST_F(RenderTest, TwoFiltersFeedingEachOtherEnd) {
    auto* a = Add<SumNode>();
    auto* b = Add<SumNode>();
    Wire(b, a);
    Wire(a, b);
    Wire(a, store());
    graph.Render();  // B reads A's image from before this render (zeros)
    EXPECT_EQ(b->updates, 1);
    EXPECT_EQ(a->updates, 1);
    EXPECT_EQ(TextureByte(0), 2);  // b = 0+0+1, a = 1+0+1
    graph.Render();                // b = 2+0+1, a = 3+0+1
    EXPECT_EQ(TextureByte(0), 4);
}

TEST_F(RenderTest, SelfLoopAppliesTheFilterOncePerRender) {
    auto* a = Add<SumNode>();
    Wire(a, a, 0);
    Wire(a, store());
    graph.Render();
    EXPECT_EQ(TextureByte(0), 1);
    graph.Render();
    EXPECT_EQ(TextureByte(0), 2);
    EXPECT_EQ(graph.CountUpstream(), 2);
}

TEST_F(RenderTest, UnreachedNodesKeepTheirImages) {
    auto* loose = Add<SumNode>();
    loose->Update();  // reads the null image: every byte becomes 1
    graph.Render();
    EXPECT_EQ(loose->updates, 1);
    EXPECT_EQ(loose->image->bytes()[0], 1);
}

TEST_F(RenderTest, UnconnectedInputsReadTheNullImageOfTheirGraph) {
    auto* sum = Add<SumNode>();
    Wire(sum, store());
    NodeGraph other(5, 5);  // another graph must not disturb this one's renders
    graph.Render();
    EXPECT_EQ(Bytes(graph.texture()), std::vector<uint8_t>(16, 1));
}
