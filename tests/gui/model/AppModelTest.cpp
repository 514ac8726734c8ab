// The main window's Qt-free parts: the refusals of the editing commands and
// the control places.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/DocumentRules.h"
#include "app/Layout.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "nodes/filters/Mixer.h"
#include "nodes/generators/RawNoise.h"

namespace {

constexpr const char* kStoreDelete = "Why would you want to delete the Store node?!";
constexpr const char* kCables =
    "Cannot delete node, since it still has cables attached to it.\n"
    "Please remove the cables first...";
constexpr const char* kStoreClone = "Duplicating the store node makes no sense at all!";

TEST(DocumentRules, StoreAndCabledNodesAreRefused) {
    NodeRegistry registry;
    NodeGraph graph(8, 8);
    Node* store = graph.store();
    Node* noise = graph.AddNode(registry.CreateNode(RawNoise::kTypeId));
    Node* mixer = graph.AddNode(registry.CreateNode(Mixer::kTypeId));
    Node* loose = graph.AddNode(registry.CreateNode(RawNoise::kTypeId));
    graph.Connect(noise->outputPin.get(), mixer->inputPins[1].get());  // on an output and an input
    graph.Connect(loose->outputPin.get(), store->inputPins[0].get());
    const struct {
        Node* node;
        const char* deleteRefusal;
        const char* cloneRefusal;
    } kCases[] = {{store, kStoreDelete, kStoreClone},  // for what it is, cables or not
                  {noise, kCables, nullptr},
                  {mixer, kCables, nullptr},
                  {loose, kCables, nullptr}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(graph.NodeIndex(c.node));
        EXPECT_STREQ(CanDeleteNode(graph, *c.node), c.deleteRefusal);
        EXPECT_STREQ(CanCloneNode(graph, *c.node), c.cloneRefusal);
    }
    graph.RemoveCable(graph.cables[1].get());
    EXPECT_EQ(CanDeleteNode(graph, *loose), nullptr);
}

TEST(AppLayout, PlacesControlsFromTheClientSize) {
    const struct {
        int width, height, id, x, y, w, h;
    } kPlaces[] = {
        {774, 517, IDC_PREVIEW, 510, 273, 233, 215},
        {774, 517, IDC_SELECTION_GROUP, 158, 267, 345, 241},
        {774, 517, IDC_NODES_VIEW, 167, 26, 569, 203},
        {774, 517, IDC_PROGRESS, 15, 486, 128, 15},
        {1000, 700, IDC_VIEW_VSCROLL, 969, 23, 15, 392},
        {1000, 700, IDC_SELECTION_TITLE, 583, 448, 135, 20},
    };
    for (const auto& c : kPlaces) {
        const auto places = LayoutControls(c.width, c.height);
        const auto p = std::find_if(places.begin(), places.end(),
                                    [&](const ControlPlace& p) { return p.id == c.id; });
        ASSERT_NE(p, places.end()) << c.id;
        EXPECT_EQ((std::array{p->x, p->y, p->width, p->height}), (std::array{c.x, c.y, c.w, c.h}))
            << c.id;
    }
}

}  // namespace
