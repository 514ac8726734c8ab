// Locks every node type's exact output: renders agreed byte for byte with an
// independent implementation of the same arithmetic when these were taken,
// so a changed hash means a changed rounding point, not a new look.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"

namespace {

struct Case {
    uint8_t type;
    std::vector<int16_t> params;  // the first values, in slot order
    uint64_t hash;
};

uint64_t Fnv1a(const Image& image) {
    uint64_t h = 14695981039346656037ull;
    for (size_t i = 0; i < image.byteCount(); ++i) h = (h ^ image.bytes()[i]) * 1099511628211ull;
    return h;
}

Node* AddWith(NodeGraph& graph, const NodeRegistry& registry, uint8_t type,
              const std::vector<int16_t>& params) {
    Node* node = graph.AddNode(registry.CreateNode(type));
    for (size_t i = 0; i < params.size(); ++i) node->param(i).SetValue(params[i]);
    return node;
}

// The node under test feeds the Store; its inputs come from a sine plasma,
// raw noise and Perlin noise, in pin order.
uint64_t RenderHash(const Case& c, int side) {
    NodeRegistry registry;
    NodeGraph graph(side, side);
    Node* node = AddWith(graph, registry, c.type, c.params);
    const std::vector<Node*> sources = {
        AddWith(graph, registry, 7, {90, 40, 23, 37, 10, 200, 3}),
        AddWith(graph, registry, 2, {255, 0, 9}),
        AddWith(graph, registry, 15, {3, 200, 5, 1, 77})};
    for (size_t i = 0; i < node->inputPins.size(); ++i)
        graph.Connect(sources[i]->outputPin.get(), node->inputPins[i].get());
    graph.Connect(node->outputPin.get(), graph.store()->inputPins[0].get());
    graph.Render();
    return Fnv1a(graph.texture());
}

const std::vector<Case> kCases = {
    {2, {}, 5766927064025285075u},
    {2, {200, 60, 33}, 13714376322390145430u},
    {7, {}, 1781417268835954875u},
    {7, {255, 3, 200, 1, 359, 45, 3}, 16131685575876390716u},
    {9, {}, 13645489689456802853u},
    {9, {2, 3, 77}, 1405660164318496693u},
    {9, {5, 1, 5}, 5930531862610469669u},
    {15, {}, 14712539462611376650u},
    {15, {2, 255, 16, 3, 200}, 14142912670893571011u},
    {15, {5, 90, 3, 2, 1}, 14968205763366776753u},
    {14, {}, 11462430325376205605u},
    {14, {400, 0, 3}, 11462430325376205605u},
    {14, {100, 1023, 1}, 8999995687558963232u},
    {4, {3, 7}, 1556473991289176023u},
    {4, {255, 1}, 1094554042400955858u},
    {8, {77, -100, 30}, 10975524287894095971u},
    {8, {-180, 255, -255}, 13346994205906133797u},
    {16, {3}, 10116978563954929432u},
    {17, {0}, 997485036645809726u},
    {17, {5}, 997485036645809726u},
    {3, {}, 17957155533837659659u},
    {3, {300, 555, 1}, 6035309264088452816u},
    {3, {100, 400, 2}, 8750167460502327356u},
    {3, {255, 255, 3}, 2907090350990055626u},
    {5, {40, 100}, 9510472619101469116u},
    {5, {-30, -200}, 5275630923908537734u},
    {10, {}, 14114762558173121020u},
    {10, {20, 255, 255, 90, 180, 270}, 16336161698480577520u},
    {6, {}, 9570860602448258942u},
    {6, {300}, 5279363762173569793u},
    {18, {}, 15164014638277575461u},
    {18, {-200, 100, 30, 255}, 10439123222841572871u},
    {12, {20, 1, 40, 2}, 4721010251315397886u},
    {12, {255, 0, 3, 1}, 1812184827089759431u},
};

}  // namespace

TEST(Golden, EveryNodeTypeRendersTheAgreedBytes) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(testing::Message() << "type " << int(c.type) << ", " << c.params.size()
                                        << " params set");
        EXPECT_EQ(RenderHash(c, 32), c.hash);
    }
}
