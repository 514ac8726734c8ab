#include <gtest/gtest.h>

#include "engine/NodeGraph.h"
#include "support/TestNodes.h"
#include "support/TestSupport.h"

namespace {

bool AllZero(const Image& image) {
    return Bytes(image) == std::vector<uint8_t>(image.byteCount(), 0);
}

class GraphTest : public ::testing::Test {
protected:
    template <class T>
    T* Add() {
        return static_cast<T*>(graph.AddNode(std::make_unique<T>(1, 1)));
    }
    Cable* Wire(Node* from, Node* to, int pin = 0) {
        return graph.Connect(from->outputPin.get(), to->inputPins[pin].get());
    }
    Node* store() { return graph.store(); }
    uint8_t TextureByte(size_t i) { return graph.texture().bytes()[i]; }

    CountingListener listener;
    NodeGraph graph{2, 2};
};

}  // namespace

// Each kind of parameter clamps what it is given and prints it its own way.
TEST(Param, KindsClampAndPrint) {
    IntParam number("Brightness", -255, 255, 0);
    ChoiceParam choice("Color", {"Red", "Green", "Blue"});
    TextParam text("Font", "Arial");
    struct Case {
        Param& param;
        int set;
        int value;
        std::string printed;
    } cases[] = {
        {number, 300, 255, "255"}, {number, -300, -255, "-255"}, {number, 7, 7, "7"},
        {choice, 7, 2, "Blue"},    {choice, -1, 0, "Red"},       {text, 5, 0, "Arial"},
    };
    for (auto& [param, set, value, printed] : cases) {
        param.SetValue(set);
        EXPECT_EQ(param.GetValue(), value) << param.name << " " << set;
        EXPECT_EQ(param.GetText(), printed) << param.name << " " << set;
    }
    // A choice spans its options.
    EXPECT_EQ(std::pair(choice.GetMin(), choice.GetMax()), (std::pair<int16_t, int16_t>(0, 2)));
    number.SetText("99");  // numeric parameters ignore texts
    EXPECT_EQ(number.GetValue(), 7);
    text.SetText(std::string(2000, 'a'));
    EXPECT_EQ(text.GetText().size(), 1023u);
}

TEST(Node, CloneCopiesParametersButNotPixelsAndResizingClears) {
    FillNode source(3, 2);
    source.param(0).SetValue(999);  // clamped to 255
    source.Update();
    auto clone = source.Clone();
    EXPECT_EQ(clone->value(0), 255);
    EXPECT_EQ(clone->image->width, 3);
    EXPECT_TRUE(AllZero(*clone->image));
    clone->param(0).SetValue(1);
    EXPECT_EQ(source.value(0), 255);
    ASSERT_TRUE(source.ResizeImage(3, 2));  // the same size still clears
    EXPECT_TRUE(AllZero(*source.image));
}

TEST_F(GraphTest, AddAndRemoveKeepOrderAndSizeAndCablesAreListedOnBothPins) {
    auto* a = Add<FillNode>();
    auto* b = Add<FillNode>();
    auto* c = Add<FillNode>();
    EXPECT_EQ(b->image->width, 2);
    graph.RemoveNode(b);
    EXPECT_EQ(graph.nodes[1].get(), a);
    EXPECT_EQ(graph.NodeIndex(c), 2);
    FillNode stranger(1, 1);
    graph.RemoveNode(&stranger);  // not in the graph: nothing happens
    EXPECT_EQ(graph.nodes.size(), 3u);
    EXPECT_EQ(graph.NodeIndex(&stranger), -1);

    auto* sum = Add<SumNode>();
    Cable* toA = Wire(a, sum, 0);
    Cable* toB = Wire(a, sum, 1);
    Cable* self = Wire(sum, sum, 0);  // accepted unchecked
    EXPECT_EQ(a->outputPin->cables, (std::vector<Cable*>{toA, toB}));
    graph.RemoveCable(toA);
    EXPECT_EQ(a->outputPin->cables, (std::vector<Cable*>{toB}));
    EXPECT_EQ(sum->inputPins[0]->cables, (std::vector<Cable*>{self}));
    graph.RemoveCable(toA);  // already gone: nothing happens
    EXPECT_EQ(graph.cables.size(), 2u);
    // The output pin is tested first; a pin of another node is not found.
    EXPECT_EQ(NodeGraph::PinIndex(sum, sum->outputPin.get()), 255);
    EXPECT_EQ(NodeGraph::PinIndex(sum, sum->inputPins[1].get()), 1);
    EXPECT_EQ(NodeGraph::PinIndex(sum, store()->inputPins[0].get()), -1);
}

TEST_F(GraphTest, SizeChangesClearEveryImageAndImpossibleSizesAreLoggedAndChangeNothing) {
    Wire(Add<FillNode>(), store());
    // Large images are mapped apart from the heap: a size not a whole number
    // of huge pages, then one where the freed blocks could come back.
    for (auto [width, height] : {std::pair(2048, 1027), std::pair(2048, 1027), std::pair(8, 2)}) {
        graph.Render();
        ASSERT_TRUE(graph.SetTextureSize(width, height));
        for (const auto& node : graph.nodes) {
            EXPECT_EQ(node->image->width, width);
            EXPECT_TRUE(AllZero(*node->image));
        }
    }
    EXPECT_EQ(NullImage->width, 8);
    LogCapture log;
    EXPECT_FALSE(graph.SetTextureSize(Image::kMaxSide * 2, 4));
    for (const auto& node : graph.nodes) EXPECT_EQ(node->image->width, 8);
    EXPECT_EQ(graph.width, 8);
    EXPECT_EQ(NullImage->width, 8);
    EXPECT_FALSE(store()->ResizeImage(-1, 3));
    EXPECT_EQ(store()->image->width, 8);  // the old image stays
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"null: no 16384x4x4 buf\r\n", "null: no -1x3x4 buf\r\n"}));
}

// A generator is updated once per pulling input (a NodeDone each) but computes
// once per render; outside a render every Update computes.
TEST_F(GraphTest, DiamondComputesEachNodeOnceInPostOrderAndLeavesUnreachedNodes) {
    std::vector<Node*> order;
    auto* fill = Add<FillNode>();
    auto* a = Add<SumNode>();
    auto* b = Add<SumNode>();
    auto* mix = Add<SumNode>();
    auto* loose = Add<SumNode>();
    loose->Update();  // reads the null image: every byte becomes 1
    for (SumNode* n : {a, b, mix}) n->order = &order;
    Wire(fill, a);
    Wire(fill, b);
    Wire(a, mix, 0);
    Wire(b, mix, 1);
    Wire(mix, store());
    NodeGraph other(5, 5);  // another graph must not disturb this one's renders
    graph.Render();
    EXPECT_EQ(fill->updates, 1);
    EXPECT_EQ(order, (std::vector<Node*>{a, b, mix}));
    EXPECT_EQ(listener.done, 1 + 6);      // the loose node; then five nodes, the fill twice
    EXPECT_EQ(graph.CountUpstream(), 5);  // each reached node once
    // Unconnected inputs read zeros.
    EXPECT_EQ(Bytes(graph.texture()), std::vector<uint8_t>(16, (7 + 1) * 2 + 1));
    EXPECT_EQ(loose->updates, 1);
    EXPECT_EQ(loose->image->bytes()[0], 1);
    fill->param(0).SetValue(9);
    graph.Render();
    EXPECT_EQ(fill->updates, 2);
    EXPECT_EQ(TextureByte(0), (9 + 1) * 2 + 1);
    fill->Update();
    EXPECT_EQ(fill->updates, 3);
}

TEST_F(GraphTest, LoopsReadTheImageFromTheRenderBefore) {
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
