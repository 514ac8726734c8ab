// Skipping the nodes that would write the same bytes changes no byte: two
// copies of a random graph of every node type, cycles and self-loops
// included, go through the same long random sequence of edits, undos and
// redos, cancelled renders and renders rooted at any node; one renders with
// skipping and one without, and after every step every image is compared.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/RenderCancel.h"
#include "engine/RenderContext.h"
#include "engine/RowBands.h"
#include "engine/Stream.h"
#include "support/TestSupport.h"

namespace {

// Requests the cancel from the `at`-th checkpoint on.
class CancelAt : public RenderCancel {
public:
    explicit CancelAt(long at) : at_(at) {}
    bool Requested() override { return asked_.fetch_add(1) >= at_; }

private:
    const long at_;
    std::atomic<long> asked_{0};
};

// What undo needs to put back a node taken out with its cables, or a cable.
struct Removal {
    HeldNode node;                  // no node: a cable alone
    std::vector<HeldCable> cables;  // in removal order
};

// What redo takes out again.
struct Reinsertion {
    Node* node;
    Cable* cable;
};

Removal RemoveCable(NodeGraph& graph, Cable* cable) {
    Removal removal;
    removal.cables.push_back(graph.TakeCable(cable));
    return removal;
}

Removal TakeOut(NodeGraph& graph, Node* node) {
    Removal removal;
    std::vector<Cable*> attached;
    for (const auto& cable : graph.cables)
        if (cable->first->owner == node || cable->second->owner == node)
            attached.push_back(cable.get());
    for (Cable* cable : attached) removal.cables.push_back(graph.TakeCable(cable));
    removal.node = graph.TakeNode(graph.NodeIndex(node));
    return removal;
}

Reinsertion PutBack(NodeGraph& graph, Removal& removal) {
    Node* node = removal.node.node ? graph.PutNode(removal.node) : nullptr;
    Cable* cable = nullptr;
    for (auto it = removal.cables.rbegin(); it != removal.cables.rend(); ++it)
        cable = graph.PutCable(*it);
    return {node, cable};
}

// One document with its undo and redo stacks, as the editor keeps them: a
// later edit drops what could be redone, and a size change or a load (whose
// undo this test leaves out) drops the history.
struct Document {
    Document(int side, bool skip) : graph(side, side), skip(skip) {}
    NodeGraph graph;
    const bool skip;
    std::vector<Removal> undo;
    std::vector<Reinsertion> redo;

    Node* node(size_t i) const { return graph.nodes[i].get(); }
    bool Render(Node* root = nullptr, RenderCancel* cancel = nullptr) {
        RenderContext context(cancel, skip);
        return root ? graph.RenderFrom(*root, context) : graph.Render(context);
    }
    void Did(Removal removal) {
        undo.push_back(std::move(removal));
        redo.clear();
    }
    void Undo() {
        if (undo.empty()) return;
        redo.push_back(PutBack(graph, undo.back()));
        undo.pop_back();
    }
    void Redo() {
        if (redo.empty()) return;
        const Reinsertion again = redo.back();
        redo.pop_back();
        undo.push_back(again.node ? TakeOut(graph, again.node) : RemoveCable(graph, again.cable));
    }
};

enum Kind {
    kParam,
    kConnect,
    kDisconnect,
    kAdd,
    kClone,
    kDelete,
    kUndo,
    kRedo,
    kSize,
    kLoad,
    kCancel,
    kRoot,
    kKinds
};

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
    constexpr Kind kWeighted[] = {kParam,      kParam, kParam,  kConnect, kConnect, kConnect,
                                  kDisconnect, kAdd,   kClone,  kDelete,  kUndo,    kRedo,
                                  kSize,       kLoad,  kCancel, kCancel,  kRoot};
    Step step{kWeighted[pick(std::size(kWeighted))]};
    const size_t n = graph.nodes.size();
    // Between four and a dozen nodes.
    if (n < 4) step.kind = kAdd;
    if (n > 12 && (step.kind == kAdd || step.kind == kClone)) step.kind = kDelete;
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
    if (step.kind == kConnect && target.inputPins.empty()) step.kind = kParam;
    if (step.kind == kConnect) step.pin = pick(target.inputPins.size());
    if (step.kind == kDisconnect && graph.cables.empty()) step.kind = kParam;
    if (step.kind == kDisconnect) step.pin = pick(graph.cables.size());
    const Node& changed = *graph.nodes[step.node];
    if (step.kind == kParam && changed.params.empty()) step.kind = kRoot;
    if (!changed.params.empty()) step.param = pick(changed.params.size());
    return step;
}

void SetParam(Param& param, int value) {
    if (!param.isNumeric) {
        param.SetText(std::string(1 + value % 3, static_cast<char>('a' + value % 26)));
        return;
    }
    const int range = param.GetMax() - param.GetMin() + 1;
    param.SetValue(static_cast<int16_t>(param.GetMin() + value % range));
}

// Applies the step to one document; the cancel of a cancelled render is
// `cancelAt` for the skipping copy, and the copy without skipping follows:
// cancelled at once when the other was, else rendered.
void Apply(Document& doc, const Step& step, const NodeRegistry& registry, bool otherCancelled,
           bool* cancelled) {
    NodeGraph& graph = doc.graph;
    switch (step.kind) {
        case kParam:
            SetParam(doc.node(step.node)->param(step.param), step.value);
            break;
        case kConnect:
            graph.Connect(doc.node(step.node)->outputPin.get(),
                          doc.node(step.other)->inputPins[step.pin].get());
            doc.redo.clear();
            break;
        case kDisconnect:
            doc.Did(RemoveCable(graph, graph.cables[step.pin].get()));
            break;
        case kAdd:
            graph.AddNode(registry.CreateNode(
                registry.prototypes()[step.value % registry.prototypes().size()]->typeId));
            doc.redo.clear();
            break;
        case kClone:
            graph.AddNode(doc.node(step.node)->Clone());
            doc.redo.clear();
            break;
        case kDelete:
            doc.Did(TakeOut(graph, doc.node(step.node)));
            break;
        case kUndo:
            doc.Undo();
            break;
        case kRedo:
            doc.Redo();
            break;
        case kSize: {
            const int sides[] = {7, 12, 16, 20};
            ASSERT_TRUE(graph.SetTextureSize(sides[step.value & 3], sides[step.value & 3]));
            doc.undo.clear();
            doc.redo.clear();
            break;
        }
        case kLoad: {
            MemoryStream saved;
            std::string error;
            if (!graph.Save(saved, &error)) break;
            MemoryStream file(saved.data());
            ASSERT_TRUE(graph.Load(file, registry, &error)) << error;
            doc.undo.clear();
            doc.redo.clear();
            break;
        }
        case kCancel: {  // of a render from a node that has something to compute
            if (!doc.node(step.node)->params.empty())
                SetParam(doc.node(step.node)->param(step.param), step.value);
            CancelAt cancel(doc.skip ? step.cancelAt : (otherCancelled ? 0 : LONG_MAX));
            *cancelled = !doc.Render(doc.node(step.node), &cancel);
            break;
        }
        case kRoot:
            doc.Render(doc.node(step.other));
            break;
        case kKinds:
            break;
    }
}

TEST(SkipRender, WritesTheBytesOfAFullRenderThroughRandomEdits) {
    const NodeRegistry registry;
    const int steps = SWATCHER_SANITIZED ? 200 : 400;
    for (int threads : {1, 0}) {
        SetRowThreads(threads);
        std::mt19937 random(1234 + threads);
        Document skipping(16, true), plain(16, false);
        int storeSkipped = 0;
        for (int i = 0; i < steps; ++i) {
            const Step step = Draw(random, skipping.graph);
            SCOPED_TRACE(testing::Message() << "step " << i << " kind " << step.kind << " on "
                                            << RowThreads() << " threads");
            bool cancelled = false, unused = false;
            Apply(skipping, step, registry, false, &cancelled);
            Apply(plain, step, registry, cancelled, &unused);
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
