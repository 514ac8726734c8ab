// Skipping the nodes that would write the same bytes changes no byte: two
// copies of a random document of every node type, cycles and self-loops
// included, go through the same long random sequence of the editor's
// commands, undos and redos, cancelled renders and renders rooted at any
// node; one renders with skipping and one without, and after every step
// every image is compared.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "app/DocumentController.h"
#include "app/EditorSelection.h"
#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/RenderContext.h"
#include "engine/RowBands.h"
#include "support/TestSupport.h"

namespace {

// One document as the editor keeps it, rendered with or without skipping.
struct Document {
    Document(const NodeRegistry& registry, bool skip)
        : doc(graph, layout, selection, registry), skip(skip) {
        layout.graph = &graph;
        selection.Bind(&layout);
    }
    NodeGraph graph{16, 16};
    NodesViewModel layout;
    EditorSelection selection;
    DocumentController doc;
    const bool skip;
    const std::string file = TempDir() + "/document.mtf";

    Node* node(size_t i) const { return graph.nodes[i].get(); }
    bool Render(Node* root = nullptr, RenderCancel* cancel = nullptr) {
        RenderContext context(cancel, skip);
        return root ? graph.RenderFrom(*root, context) : graph.Render(context);
    }
};

enum Kind { kSet, kWire, kUnwire, kAdd, kClone, kDrop, kUndo, kRedo, kSize, kLoad, kCancel, kRoot };

// One random step, drawn from the shape of the graph (both copies share it).
struct Step {
    Kind kind;
    size_t node = 0, other = 0, pin = 0, param = 0;
    int value = 0;
    long cancelAt = 0;
};

Step Draw(std::mt19937& random, NodeGraph& graph) {
    auto pick = [&random](size_t n) {
        return std::uniform_int_distribution<size_t>(0, n - 1)(random);
    };
    constexpr Kind kWeighted[] = {kSet,  kSet,  kSet,  kWire, kWire, kWire,   kUnwire, kAdd, kClone,
                                  kDrop, kUndo, kRedo, kSize, kLoad, kCancel, kCancel, kRoot};
    Step step{kWeighted[pick(std::size(kWeighted))]};
    const size_t n = graph.nodes.size();
    // Between four and a dozen nodes.
    if (n < 4) step.kind = kAdd;
    if (n > 12 && (step.kind == kAdd || step.kind == kClone)) step.kind = kDrop;
    // Most edits go where the Store's render reaches, so that they show.
    graph.CountUpstream();
    std::vector<size_t> reached, all;
    for (size_t i = 1; i < n; ++i) {
        all.push_back(i);
        if (graph.nodes[i]->visited) reached.push_back(i);
    }
    auto somewhere = [&]() -> size_t {
        const auto& from = !reached.empty() && pick(2) ? reached : all;
        return from.empty() ? 0 : from[pick(from.size())];
    };
    step.node = somewhere();  // never the Store but in a graph of the Store alone
    step.other = pick(3) == 0 ? 0 : somewhere();
    step.value = static_cast<int>(random() & 0x7fffffff);
    step.cancelAt = static_cast<long>(pick(12));
    const Node& target = *graph.nodes[step.other];
    if (step.kind == kWire && target.inputPins.empty()) step.kind = kSet;
    if (step.kind == kWire) step.pin = pick(target.inputPins.size());
    if (step.kind == kUnwire && graph.cables.empty()) step.kind = kSet;
    if (step.kind == kUnwire) step.pin = pick(graph.cables.size());
    const Node& changed = *graph.nodes[step.node];
    if (step.kind == kSet && changed.params.empty()) step.kind = kRoot;
    if (!changed.params.empty()) step.param = pick(changed.params.size());
    return step;
}

// The step's value brought into the parameter's range, or a short text.
ParamValue ValueFor(const Param& param, int value) {
    if (!param.isNumeric)
        return {0, std::string(1 + value % 3, static_cast<char>('a' + value % 26))};
    const int range = param.GetMax() - param.GetMin() + 1;
    return {static_cast<int16_t>(param.GetMin() + value % range), {}};
}

// Applies step number `run` to one document; the cancel of a cancelled
// render is `cancelAt` for the skipping copy, and the copy without skipping
// follows: cancelled at once when the other was, else rendered.
void Apply(Document& d, const Step& step, int run, const NodeRegistry& registry,
           bool otherCancelled, bool* cancelled) {
    DocumentController& doc = d.doc;
    Node& node = *d.node(step.node);
    const Kind k = step.kind;
    const auto& types = registry.prototypes();
    const int sides[] = {7, 12, 16, 20};
    // A cancelled render starts from a node that has something to compute.
    if (k == kSet || (k == kCancel && !node.params.empty()))
        doc.SetParam(node, step.param, ValueFor(node.param(step.param), step.value), run);
    if (k == kWire)
        doc.DrawCable(node.outputPin.get(), d.node(step.other)->inputPins[step.pin].get());
    if (k == kUnwire) doc.DeleteCable(d.graph.cables[step.pin].get());
    if (k == kAdd) doc.AddNode(registry.CreateNode(types[step.value % types.size()]->typeId));
    if (k == kClone) doc.CloneNode(node);
    if (k == kDrop) doc.DeleteNodes({&node}, "Delete with cables");
    if (k == kUndo) doc.Undo();
    if (k == kRedo) doc.Redo();
    ASSERT_TRUE(k != kSize || doc.ResizeTexture(sides[step.value & 3]));
    // A document the file cannot hold stays as it is.
    ASSERT_TRUE(k != kLoad || !doc.Save(d.file) || doc.Open(d.file));
    if (k == kRoot) d.Render(d.node(step.other));
    if (k == kCancel) {
        CancelAt cancel(d.skip ? step.cancelAt : (otherCancelled ? 0 : LONG_MAX));
        *cancelled = !d.Render(&node, &cancel);
    }
}

TEST(SkipRender, WritesTheBytesOfAFullRenderThroughRandomEdits) {
    const NodeRegistry registry;
    const int steps = SWATCHER_SANITIZED ? 200 : 400;
    for (int threads : {1, 0}) {
        SetRowThreads(threads);
        std::mt19937 random(1234 + threads);
        Document skipping(registry, true), plain(registry, false);
        int storeSkipped = 0;
        for (int i = 0; i < steps; ++i) {
            const Step step = Draw(random, skipping.graph);
            SCOPED_TRACE(testing::Message() << "step " << i << " kind " << step.kind << " on "
                                            << RowThreads() << " threads");
            bool cancelled = false, unused = false;
            Apply(skipping, step, i, registry, false, &cancelled);
            Apply(plain, step, i, registry, cancelled, &unused);
            ASSERT_EQ(unused, cancelled);
            const uint64_t store = skipping.graph.texture().version();
            skipping.Render();
            plain.Render();
            if (skipping.graph.texture().version() == store) ++storeSkipped;
            ASSERT_EQ(skipping.graph.nodes.size(), plain.graph.nodes.size());
            for (size_t k = 0; k < plain.graph.nodes.size(); ++k)
                ASSERT_EQ(Bytes(*skipping.node(k)->image), Bytes(*plain.node(k)->image))
                    << "node " << k << " " << plain.node(k)->name;
        }
        EXPECT_GT(storeSkipped, steps / 10);  // skipping does happen
    }
    SetRowThreads(0);
}

// A render computes with the values taken when it was started, so the
// document may change them meanwhile; the next render sees the change.
TEST(SkipRender, ComputesWithTheParametersTakenAtItsStart) {
    const NodeRegistry registry;
    NodeGraph graph(16, 16), reference(16, 16);
    for (NodeGraph* g : {&graph, &reference}) {
        Node* noise = g->AddNode(registry.CreateNode(2));
        g->Connect(noise->outputPin.get(), g->store()->inputPins[0].get());
    }
    RenderContext taken(nullptr, true);
    taken.TakeParams(graph);
    graph.nodes[1]->param(2).SetValue(7);  // "Random"
    graph.Render(taken);
    reference.Render();
    EXPECT_EQ(Bytes(graph.texture()), Bytes(reference.texture()));
    RenderContext next(nullptr, true);
    graph.Render(next);
    EXPECT_NE(Bytes(graph.texture()), Bytes(reference.texture()));
}

}  // namespace
