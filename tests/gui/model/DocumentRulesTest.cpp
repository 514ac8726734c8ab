// The refusals of the editing commands, asked of the document directly.
#include <gtest/gtest.h>

#include "app/DocumentRules.h"
#include "app/EditorSelection.h"
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
    const struct {
        Node* node;
        const char* deleteRefusal;
        const char* cloneRefusal;
    } kCases[] = {{store, kStoreDelete, kStoreClone},
                  {noise, kCables, nullptr},
                  {mixer, kCables, nullptr},
                  {loose, nullptr, nullptr}};
    for (const auto& c : kCases) {
        SCOPED_TRACE(graph.NodeIndex(c.node));
        EXPECT_STREQ(CanDeleteNode(graph, *c.node), c.deleteRefusal);
        EXPECT_STREQ(CanCloneNode(graph, *c.node), c.cloneRefusal);
    }
    // The Store is refused for what it is, even with a cable on it.
    graph.Connect(loose->outputPin.get(), store->inputPins[0].get());
    EXPECT_STREQ(CanDeleteNode(graph, *store), kStoreDelete);
}

TEST(EditorSelection, KeepsBothPairsAndForgetsWhatLeaves) {
    NodeRegistry registry;
    NodeGraph graph(8, 8);
    Node* noise = graph.AddNode(registry.CreateNode(RawNoise::kTypeId));
    Cable* cable = graph.Connect(noise->outputPin.get(), graph.store()->inputPins[0].get());
    NodesViewModel view;
    EditorSelection selection;
    selection.Highlight(Selection::Of(noise));  // unbound: only the shown pair exists
    EXPECT_EQ(selection.highlighted(), Selection{});
    selection.Bind(&view);

    selection.Highlight(Selection::Of(noise));
    selection.Show(Selection::Of(noise));
    EXPECT_EQ(view.selectedNode, noise);
    selection.Forget(cable);  // another kind of thing: nothing changes
    EXPECT_EQ(selection.node(), noise);
    selection.Forget(noise);
    EXPECT_EQ(selection.shown(), Selection{});
    EXPECT_EQ(view.selectedNode, nullptr);

    selection.Highlight(Selection::Of(cable));
    selection.Show(Selection::Of(cable));
    EXPECT_EQ(view.selectedNode, nullptr);
    selection.ClearHighlight();  // Delete cable clears the view's pair alone
    EXPECT_EQ(selection.cable(), cable);
    selection.ForgetAll();
    EXPECT_EQ(selection.shown(), Selection{});
}

}  // namespace
