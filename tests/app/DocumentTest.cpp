// The document controller without widgets: every edit's do, undo and redo
// compared through the bytes a save writes, the history's merging and clean
// state, and refusals.
#include <gtest/gtest.h>

#include <functional>

#include "app/DocumentController.h"
#include "app/EditorSelection.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/TextureFile.h"
#include "support/TestSupport.h"

namespace {

// Registry order: RawNoise, Mixer, Blur, ... ND_TEXT at 10.
constexpr int kNoise = 0;
constexpr int kMixer = 1;
constexpr int kBlur = 2;
constexpr int kText = 10;

class Document : public ::testing::Test {
protected:
    // Store <- Mixer(1) <- RawNoise(2) on the Mixer's first input; loose
    // ND_TEXT(3) and Blur(4).
    void SetUp() override {
        layout.graph = &graph;
        selection.Bind(&layout);
        for (int type : {kMixer, kNoise, kText, kBlur})
            graph.AddNode(registry.CreateNode(registry.prototypes()[type]->typeId));
        graph.Connect(node(1)->outputPin.get(), graph.store()->inputPins[0].get());
        graph.Connect(node(2)->outputPin.get(), node(1)->inputPins[0].get());
        layout.SetLayout({{10, 10}, {150, 10}, {10, 150}, {290, 150}, {150, 150}});
        doc.changed = [this](const DocumentChange& change) { changes.push_back(change); };
        doc.refused = [this](const std::string& text) { refusals.push_back(text); };
    }

    Node* node(int i) { return graph.nodes[i].get(); }
    // What a save writes, with the texture size, which the file leaves out.
    std::vector<uint8_t> Saved() {
        std::string error;
        EXPECT_TRUE(SaveTextureFile(file, graph, layout.Layout(), &error)) << error;
        std::vector<uint8_t> bytes = ReadFileBytes(file);
        bytes.push_back(static_cast<uint8_t>(graph.width));
        return bytes;
    }
    std::vector<const Node*> Nodes() const {
        std::vector<const Node*> nodes;
        for (const auto& n : graph.nodes) nodes.push_back(n.get());
        return nodes;
    }

    NodeRegistry registry;
    NodeGraph graph{16, 16};
    NodesViewModel layout;
    EditorSelection selection;
    DocumentController doc{graph, layout, selection, registry};
    std::vector<DocumentChange> changes;
    std::vector<std::string> refusals;
    std::string file = TempDir() + "/document.mtf";
};

TEST_F(Document, EveryEditUndoesAndRedoesToTheSameBytes) {
    const std::vector<Node*> two = {node(1), node(2)},
                             withStore = {graph.store(), node(1), node(2)};
    const ParamValue amount{200, {}}, text{0, "abc"};
    const struct {
        const char* step;  // the history's name for it
        bool renders;      // what the Store renders may have changed
        size_t told;       // changes told: one a command, a macro's each
        std::function<void()> edit;
    } kCases[] = {
        {"Add node", false, 1,
         [&] { doc.AddNode(registry.CreateNode(registry.prototypes()[kBlur]->typeId)); }},
        {"Clone node", false, 1, [&] { doc.CloneNode(*node(2)); }},
        {"Delete node", false, 1, [&] { doc.DeleteNode(*node(5)); }},  // from the middle
        {"Draw cable", true, 1,
         [&] { doc.DrawCable(node(4)->outputPin.get(), node(1)->inputPins[1].get()); }},
        {"Change Amount", true, 1, [&] { doc.SetParam(*node(2), 0, amount, 1); }},
        {"Change Text", false, 1, [&] { doc.SetParam(*node(3), 4, text, 1); }},
        {"Delete cable", true, 1, [&] { doc.DeleteCable(graph.cables[0].get()); }},
        {"Move node", false, 1,
         [&] {
             const std::vector<view::Point> before = layout.Corners();
             std::vector<view::Point> moved = before;
             moved[2] = {200, 220};
             layout.SetCorners(moved);
             doc.MoveBoxes(before);
         }},
        {"Larger texture", true, 1, [&] { doc.ResizeTexture(32); }},
        {"Smaller texture", true, 1, [&] { doc.ResizeTexture(16); }},
        // Macros: the group edits, and the cables among the copies.
        {"Paste", false, 3, [&] { doc.PasteNodes(doc.CopyNodes(two), std::nullopt, "Paste"); }},
        {"Clone nodes", false, 3, [&] { doc.CloneNodes(two, "Clone nodes"); }},
        {"Delete nodes", false, 4, [&] { doc.DeleteNodes(withStore, "Delete nodes"); }},
    };
    // Whether the changes told since the last call render; each was replayed or not.
    auto renders = [this](bool replayed) {
        EXPECT_FALSE(changes.empty());
        bool any = false;
        for (const DocumentChange& change : changes) any |= change.renders;
        for (const DocumentChange& change : changes) EXPECT_EQ(change.replayed, replayed);
        changes.clear();
        return any;
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.step);
        const std::vector<uint8_t> before = Saved();
        const std::vector<const Node*> nodesBefore = Nodes();
        const size_t steps = doc.history().count();
        c.edit();
        const std::vector<uint8_t> after = Saved();
        const std::vector<const Node*> nodesAfter = Nodes();
        EXPECT_NE(after, before);
        ASSERT_EQ(doc.history().count(), steps + 1);
        EXPECT_EQ(doc.history().UndoText(), c.step);
        EXPECT_EQ(changes.size(), c.told);
        EXPECT_EQ(renders(false), c.renders);
        for (int round = 0; round < 2; ++round) {  // the same nodes each time
            doc.Undo();
            EXPECT_EQ(Saved(), before);
            EXPECT_EQ(Nodes(), nodesBefore);
            EXPECT_EQ(doc.history().RedoText(), c.step);
            doc.Redo();
            EXPECT_EQ(Saved(), after);
            EXPECT_EQ(Nodes(), nodesAfter);
        }
        EXPECT_EQ(renders(true), c.renders);
        EXPECT_TRUE(refusals.empty());
    }
}

TEST_F(Document, ChangesInOneRunMergeButNotAcrossASave) {
    Node& noise = *node(2);
    const int16_t start = noise.value(0);
    doc.SetParam(noise, 0, {150, {}}, 1);
    doc.SetParam(noise, 0, {160, {}}, 1);
    EXPECT_EQ(doc.history().count(), 1u);
    doc.SetParam(noise, 0, {start, {}}, 1);  // back where the run began: no step
    EXPECT_FALSE(doc.history().CanUndo());
    EXPECT_FALSE(doc.modified());
    doc.SetParam(noise, 0, {start, {}}, 2);  // no change, no step
    EXPECT_FALSE(doc.history().CanUndo());

    doc.SetParam(noise, 0, {150, {}}, 2);
    doc.SetParam(noise, 0, {170, {}}, 3);  // another run
    EXPECT_EQ(doc.history().count(), 2u);
    EXPECT_TRUE(doc.modified());
    ASSERT_TRUE(doc.Save(file));
    EXPECT_EQ(doc.path(), file);
    EXPECT_FALSE(doc.modified());
    doc.SetParam(noise, 0, {180, {}}, 3);  // same run, but the saved state stays a step
    EXPECT_EQ(doc.history().count(), 3u);
    doc.Undo();
    EXPECT_FALSE(doc.modified());
    EXPECT_EQ(noise.value(0), 170);
    doc.Undo();
    EXPECT_TRUE(doc.modified());
    EXPECT_EQ(noise.value(0), 150);
    // Opening clears the history.
    ASSERT_TRUE(doc.Open(file));
    EXPECT_EQ(node(2)->value(0), 170);
    EXPECT_FALSE(doc.history().CanUndo() || doc.modified());
}

TEST_F(Document, RefusalsSayWhyAndChangeNothing) {
    const struct {
        std::function<bool()> edit;
        const char* refusal;
    } kCases[] = {
        {[&] { return doc.DeleteNode(*graph.store()); },
         "Why would you want to delete the Store node?!"},
        {[&] { return doc.DeleteNode(*node(1)); },
         "Cannot delete node, since it still has cables attached to it.\n"
         "Please remove the cables first..."},
        {[&] { return doc.DeleteNodes({graph.store()}, "Delete nodes"); },
         "Why would you want to delete the Store node?!"},
        {[&] { return doc.CloneNode(*graph.store()) != nullptr; },
         "Duplicating the store node makes no sense at all!"},
        {[&] { return doc.ResizeTexture(Image::kMaxSide * 2); },
         "Textures larger than 8192x8192 are not supported."},
        {[&] { return doc.Open(file + ".missing"); }, nullptr},
    };
    const std::vector<uint8_t> before = Saved();
    for (const auto& c : kCases) {
        refusals.clear();
        EXPECT_FALSE(c.edit());
        ASSERT_EQ(refusals.size(), 1u);
        if (c.refusal) {
            EXPECT_EQ(refusals[0], c.refusal);
        }
        EXPECT_EQ(Saved(), before);
        EXPECT_FALSE(doc.history().CanUndo());
    }
    EXPECT_TRUE(doc.path().empty());
}

}  // namespace
