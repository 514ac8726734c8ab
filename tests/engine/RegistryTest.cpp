#include <gtest/gtest.h>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"
#include "support/TestSupport.h"

TEST(NodeRegistry, ListsTheSixteenTypesInTypeIdOrder) {
    NodeRegistry registry;
    const std::vector<std::string> names = {
        "Raw Noise", "Mixer", "Blur", "Brightness, Contrast", "Emboss + Shade", "Sine plasma",
        "Adjust HSV", "Subplasma", "Sine filter", "Displacement map", "Text", "Environment map",
        "Perlin noise", "RGB -> HSV", "HSV -> RGB", "Bump"};
    const std::vector<int> ids = {2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 14, 15, 16, 17, 18};
    ASSERT_EQ(registry.prototypes().size(), names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(registry.prototypes()[i]->name, names[i]);
        EXPECT_EQ(registry.prototypes()[i]->typeId, ids[i]);
        EXPECT_EQ(registry.prototypes()[i]->image->width, 1);
    }
}

TEST(NodeRegistry, CreatesStoreNodesAndRefusesUnknownIds) {
    NodeRegistry registry;
    auto store = registry.CreateNode(1);
    ASSERT_TRUE(store);
    EXPECT_EQ(store->name, "Store");
    ASSERT_EQ(store->inputPins.size(), 1u);
    EXPECT_EQ(store->inputPins[0]->name, "Source");
    for (int id : {0, 11, 19, 255}) EXPECT_EQ(registry.CreateNode(id), nullptr) << id;
}

TEST(NodeRegistry, CreatedNodesAreIndependentOfEachOther) {
    NodeRegistry registry;
    auto a = registry.CreateNode(2);
    auto b = registry.CreateNode(2);
    a->param(0).SetValue(5);
    EXPECT_EQ(b->value(0), 100);
    EXPECT_EQ(registry.prototypes()[0]->value(0), 100);
}

// Every registered type: created, cloned, rendered at odd tiny sizes and
// through a save/load round trip without trouble.
TEST(NodeRegistry, EveryTypeCreatesRendersAndRoundTrips) {
    NodeRegistry registry;
    for (const auto& prototype : registry.prototypes()) {
        SCOPED_TRACE(prototype->name);
        for (int side : {1, 2, 3, 16}) {
            NodeGraph graph(side, side);
            Node* node = graph.AddNode(registry.CreateNode(prototype->typeId));
            ASSERT_NE(node, nullptr);
            for (size_t i = 0; i < node->inputPins.size(); ++i)
                graph.Connect(node->outputPin.get(), node->inputPins[i].get());
            graph.Connect(node->outputPin.get(), graph.nodes[0]->inputPins[0].get());
            graph.Render();
            graph.Render();

            MemoryStream saved;
            ASSERT_TRUE(graph.Save(saved, nullptr));
            NodeGraph loaded(1, 1);
            MemoryStream in(saved.data());
            std::string error;
            ASSERT_TRUE(loaded.Load(in, registry, &error)) << error;
            MemoryStream again;
            ASSERT_TRUE(loaded.Save(again, nullptr));
            EXPECT_EQ(again.data(), saved.data());
        }
    }
}
