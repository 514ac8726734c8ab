// Every node type: its registry entry, timing line and record.
#include <gtest/gtest.h>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "support/TestSupport.h"

namespace {

// Records how many log lines there were when the node reported itself done.
struct DoneWatcher : RenderListener {
    explicit DoneWatcher(const LogCapture& log) : log(log) { SetRenderListener(this); }
    ~DoneWatcher() override { SetRenderListener(nullptr); }
    void NodeDone() override { linesAtDone.push_back(log.lines().size()); }
    void NodeProgress(int, int) override {}
    const LogCapture& log;
    std::vector<size_t> linesAtDone;
};

}  // namespace

// Menu order, type ids, the one timing line of an Update (its label and
// whether the node reports itself done before the line or after it), and a
// save/load round trip of the node fed by itself on every input. The Store
// is not listed; unknown ids make nothing.
TEST(NodeRegistry, ListsEveryTypeWithItsIdTimingLineAndRecord) {
    struct Type {
        const char* name;
        int id;
        const char* label;
        bool doneFirst;
    };
    const Type types[] = {
        {"Raw Noise", 2, "RawNoise::Update took ", false},
        {"Mixer", 3, "Mixer::Update took ", false},
        {"Blur", 4, "Blur::Update took ", false},
        {"Brightness, Contrast", 5, "BrightnessContrast::Update took ", false},
        {"Emboss + Shade", 6, "Emboss::Update took ", false},
        {"Sine plasma", 7, "SinePlasma::Update took ", false},
        {"Adjust HSV", 8, "HSV::Update took ", false},
        {"Subplasma", 9, "SubPlasma::Update took ", false},
        {"Sine filter", 10, "SineFilter::Update took ", false},
        {"Displacement map", 12, "DisplacementMap::Update took ", false},
        {"Text", 13, "ND_TEXT (", true},
        {"Environment map", 14, "EnvMap::Update took ", false},
        {"Perlin noise", 15, "ND_Perlin took ", true},
        {"RGB -> HSV", 16, "ToHSV::Update took ", false},
        {"HSV -> RGB", 17, "ToHSV::Update took ", false},  // shares its inverse's label
        {"Bump", 18, "Bump::Update took ", false},
    };
    NodeRegistry registry;
    for (int id : {0, 11, 19, 255}) EXPECT_EQ(registry.CreateNode(id), nullptr) << id;
    ASSERT_EQ(registry.prototypes().size(), std::size(types));
    for (size_t i = 0; i < std::size(types); ++i) {
        const Node& prototype = *registry.prototypes()[i];
        EXPECT_EQ(prototype.name, types[i].name);
        EXPECT_EQ(prototype.typeId, types[i].id);
        NodeGraph graph(2, 2);
        Node* node = graph.AddNode(registry.CreateNode(prototype.typeId));
        LogCapture log;
        DoneWatcher done(log);
        node->Update();
        ASSERT_EQ(log.lines().size(), 1u) << types[i].name;
        EXPECT_EQ(log.Matching(types[i].label).size(), 1u) << log.lines()[0];
        EXPECT_EQ(done.linesAtDone, std::vector<size_t>{types[i].doneFirst ? 0u : 1u})
            << types[i].name;

        for (const auto& pin : node->inputPins) graph.Connect(node->outputPin.get(), pin.get());
        graph.Connect(node->outputPin.get(), graph.store()->inputPins[0].get());
        const std::vector<uint8_t> saved = GraphBytes(graph);
        NodeGraph loaded(1, 1);
        ASSERT_EQ(LoadBytes(loaded, saved), "") << types[i].name;
        EXPECT_EQ(GraphBytes(loaded), saved) << types[i].name;
    }
}
