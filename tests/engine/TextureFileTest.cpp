#include <gtest/gtest.h>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/TextureFile.h"
#include "platform/Memory.h"
#include "support/TestSupport.h"

namespace {

using Bytes_ = std::vector<uint8_t>;

// The documented example: Store plus Raw Noise at its defaults, one cable
// from Raw Noise's output to the Store, boxes at (10,10) and (150,10).
const Bytes_ kRawNoiseFile = {0x40, 0x00, 0x40, 0x00, 0x02, 0x01, 0x01, 0x02, 0x64,
                              0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0xFF, 0x00, 0x00,
                              0x02, 0x0A, 0x00, 0x0A, 0x00, 0x96, 0x00, 0x0A, 0x00};

class TextureFileTest : public ::testing::Test {
protected:
    std::string Load(const Bytes_& bytes) { return LoadBytes(graph, bytes); }
    Bytes_ Saved(const std::vector<BoxPos>* layout = nullptr) { return GraphBytes(graph, layout); }

    NodeRegistry registry;
    NodeGraph graph{64, 64};
    std::string dir = TempDir();
};

}  // namespace

TEST_F(TextureFileTest, WorkedExampleLoadsAndSavesByteForByteThroughTheFileSystem) {
    const std::vector<BoxPos> one = {{10, 10}};
    EXPECT_EQ(Saved(&one), (Bytes_{0x40, 0, 0x40, 0, 1, 0, 1, 1, 10, 0, 10, 0}));
    Node* noise = graph.AddNode(registry.CreateNode(2));
    graph.Connect(noise->outputPin.get(), graph.nodes[0]->inputPins[0].get());
    const std::string path = dir + "/example.mtf";
    std::string error;
    ASSERT_TRUE(SaveTextureFile(path, graph, {{10, 10}, {150, 10}}, &error)) << error;
    EXPECT_EQ(ReadFileBytes(path), kRawNoiseFile);

    std::vector<BoxPos> layout;
    ASSERT_TRUE(LoadTextureFile(path, graph, registry, &layout, &error)) << error;
    ASSERT_EQ(Saved(&layout), kRawNoiseFile);  // nodes, cable and boxes as they were

    // A cable drawn from the Store's input to the generator's output keeps its direction.
    graph.RemoveCable(graph.cables[0].get());
    graph.Connect(graph.nodes[0]->inputPins[0].get(), graph.nodes[1]->outputPin.get());
    Bytes_ bytes = Saved();
    EXPECT_EQ(Bytes_(bytes.end() - 4, bytes.end()), (Bytes_{0, 0, 1, 0xFF}));
    ASSERT_EQ(Load(bytes), "");
    EXPECT_FALSE(graph.cables[0]->first->IsOutputPin());
}

TEST_F(TextureFileTest, ValuesAreClampedTextsEndAtZeroAndNoNodesMeansAStore) {
    Bytes_ bytes = {4,    0, 4,    0,    2, 0,   1, 13,  0x7F, 0, 0x7F, 0,
                    0x10, 0, 0x90, 0x01, 3, 'a', 0, 'b', 9,    0, 0};
    ASSERT_EQ(Load(bytes), "");
    Node& text = *graph.nodes[1];
    EXPECT_EQ(text.param(4).GetText(), "a");
    EXPECT_EQ(text.value(5), 3);  // choice index 9 clamped to the last option
    EXPECT_EQ(text.param(6).GetText(), "");
    // A file without nodes opens as an empty document.
    ASSERT_EQ(Load({0x10, 0, 0x08, 0, 0, 0}), "");
    EXPECT_EQ(Saved(), (Bytes_{0x10, 0, 0x08, 0, 1, 0, StoreNode::kTypeId}));
    EXPECT_EQ(graph.nodes[0]->image->width, 16);
}

TEST_F(TextureFileTest, DamagedLayoutLoadsWithDefaultPlacesAndAWarning) {
    const struct {
        Bytes_ section;
        std::vector<BoxPos> expected;
        bool damaged;
    } cases[] = {
        {{}, {{30, 30}, {30, 30}}, true},
        {{3, 5, 0, 6, 0, 7}, {{5, 6}, {30, 30}}, true},  // claims three boxes, holds one and a half
        {{1, 5, 0, 6, 0, 9}, {{5, 6}, {30, 30}}, true},  // a byte after the section
        {{3, 1, 0, 0xEC, 0xFF, 3, 0, 0x2C, 0x01, 0xFB, 0xFF, 0xFB, 0xFF},
         {{1, -20}, {3, 300}},
         false},
    };
    const std::string path = dir + "/layout.mtf";
    for (const auto& c : cases) {
        Bytes_ bytes(kRawNoiseFile.begin(), kRawNoiseFile.begin() + 18);
        bytes.insert(bytes.end(), c.section.begin(), c.section.end());
        WriteFileBytes(path, bytes);
        std::vector<BoxPos> layout;
        std::string error, warning;
        ASSERT_TRUE(LoadTextureFile(path, graph, registry, &layout, &error, &warning)) << error;
        EXPECT_EQ(layout, c.expected) << c.section.size();
        EXPECT_EQ(warning, c.damaged ? path +
                                           ": the box positions were damaged; boxes were placed "
                                           "in the spawning pool"
                                     : "");
    }
}

TEST_F(TextureFileTest, MalformedFilesAreRejectedAndTheDocumentSurvives) {
    Node* noise = graph.AddNode(registry.CreateNode(2));
    graph.Connect(noise->outputPin.get(), graph.nodes[0]->inputPins[0].get());
    noise->param(0).SetValue(42);
    const Bytes_ before = Saved();

    auto with = [](std::initializer_list<std::pair<size_t, uint8_t>> edits) {
        Bytes_ b = kRawNoiseFile;
        for (auto [at, v] : edits) b[at] = v;
        return b;
    };
    const std::vector<std::pair<Bytes_, std::string>> cases = {
        {Bytes_{}, "too short"},
        {Bytes_(kRawNoiseFile.begin(), kRawNoiseFile.begin() + 11), "parameter \"Gate\""},
        {Bytes_(kRawNoiseFile.begin(), kRawNoiseFile.begin() + 16), "ends inside cable 0"},
        {Bytes_(kRawNoiseFile.begin(), kRawNoiseFile.begin() + 7), "ends before node 1"},
        {with({{7, 11}}), "unknown type id 11"},
        {with({{15, 0}}), "input pin 0 of node 1"},  // Raw Noise has no inputs
        {with({{0, 0}, {1, 0}}), "invalid texture size 0 x 64"},
        {with({{2, 0xFF}, {3, 0xFF}}), "invalid texture size 64 x -1"},
        {with({{0, 0x01}, {1, 0x20}}), "at most 8192 x 8192"},
        {with({{4, 0}}), "names node 1 but the file has only 0 nodes"},
        {Bytes_{4, 0, 4, 0, 1, 0, 13, 0, 0, 0, 0, 0, 0, 0, 0, 200, 'x'}, "parameter \"Text\""},
    };
    for (const auto& [bytes, message] : cases) {
        std::string error = Load(bytes);
        EXPECT_NE(error.find(message), std::string::npos) << "got: " << error;
        EXPECT_EQ(Saved(), before) << message;
    }
    const std::string singular = Load(with({{17, 1}}));
    EXPECT_EQ(singular.substr(singular.rfind(',')), ", which has 1 input pin");
}

TEST_F(TextureFileTest, DocumentsTheFormatCannotHoldAreRefusedBeforeWriting) {
    const std::string path = dir + "/doc.mtf";
    WriteFileBytes(path, kRawNoiseFile);
    std::string error;

    Node* text = graph.AddNode(registry.CreateNode(13));
    text->param(4).SetText(std::string(256, 'x'));
    EXPECT_FALSE(SaveTextureFile(path, graph, {}, &error));
    EXPECT_NE(error.find("longer than 255"), std::string::npos) << error;
    text->param(4).SetText(std::string(255, 'x'));
    EXPECT_TRUE(SaveTextureFile(dir + "/ok.mtf", graph, {}, &error)) << error;

    Pin* source = graph.store()->inputPins[0].get();
    for (int i = 0; i < 256; ++i) graph.Connect(text->outputPin.get(), source);
    EXPECT_FALSE(SaveTextureFile(path, graph, {}, &error));
    EXPECT_NE(error.find("at most 255 cables"), std::string::npos) << error;
    for (int i = 0; i < 254; ++i) graph.AddNode(registry.CreateNode(2));
    EXPECT_FALSE(SaveTextureFile(path, graph, {}, &error));
    EXPECT_NE(error.find("at most 255 nodes"), std::string::npos) << error;
    EXPECT_EQ(ReadFileBytes(path), kRawNoiseFile);  // the old file is intact
}

TEST_F(TextureFileTest, DocumentsLargerThanMemoryAreRefusedUpFront) {
    // 255 images of 8192 x 8192 need 68 GB: the header alone is refused.
    if (platform::PhysicalMemoryBytes() > (uint64_t{80} << 30))
        GTEST_SKIP() << "a very large machine";
    LogCapture log;
    EXPECT_NE(Load({0x00, 0x20, 0x00, 0x20, 255, 0})
                  .find("not enough memory for 255 images of 8192 x 8192"),
              std::string::npos);
    EXPECT_FALSE(log.Matching("null: no 8192x8192x4 buf").empty());

    for (int i = 0; i < 254; ++i) graph.AddNode(registry.CreateNode(2));
    EXPECT_FALSE(graph.SetTextureSize(8192, 8192));
    EXPECT_EQ(graph.width, 64);
}
