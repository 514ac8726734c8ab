#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/Stream.h"
#include "nodes/generators/ND_TEXT.h"
#include "platform/TextRaster.h"
#include "support/TestSupport.h"

namespace {

enum Slot { kPosX, kPosY, kHeight, kWeight, kText, kColor, kFont };

struct Rect {
    int x0, y0, x1, y1;  // inclusive
    bool Contains(int x, int y) const { return x >= x0 && x <= x1 && y >= y0 && y <= y1; }
};

int MeasuredWidth(const std::string& text, int height = 16, int weight = 400) {
    return platform::TextFont::Choose("Arial", height, weight)->Measure(text).width;
}

// Pixels inside `r` are opaque text pixels coloured only where `colour`
// allows; pixels outside are untouched zeros.
void ExpectTextIn(const Image& image, Rect r, bool red, bool green, bool blue) {
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* p = image.pixel(x, y);
            if (!r.Contains(x, y)) {
                ASSERT_EQ(p[0] | p[1] | p[2] | p[3], 0) << x << "," << y;
                continue;
            }
            ASSERT_EQ(p[3], 255) << x << "," << y;
            ASSERT_TRUE((red || !p[0]) && (green || !p[1]) && (blue || !p[2])) << x << "," << y;
        }
    }
}

// Sum of one colour byte over the image, and the number of full-level pixels.
long Coverage(const Image& image, int channel, int* full = nullptr) {
    long sum = 0;
    for (int i = 0; i < image.pixelCount; ++i) {
        const uint8_t level = image.bytes()[4 * i + channel];
        sum += level;
        if (full && level == 255) ++*full;
    }
    return sum;
}

// The label of the one timing line of an Update.
std::string UpdateAndLog(Node& node) {
    LogCapture log;
    node.Update();
    auto lines = log.Matching("ND_TEXT (");
    return lines.size() == 1 ? lines[0].substr(0, lines[0].find(" took ")) : "";
}

std::string Label(int dx, int dy) {
    return "ND_TEXT (" + std::to_string(dx) + " by " + std::to_string(dy) + ")";
}

class TextNode : public ::testing::Test {
protected:
    ND_TEXT node{64, 64};
    CountingListener listener;
};

TEST_F(TextNode, DefaultsDrawRedTextFrom31x31CutAtTheRightEdge) {
    ASSERT_GT(MeasuredWidth("blaat!"), 33);  // wider than what is left of the image
    EXPECT_EQ(UpdateAndLog(node), Label(32, 15));
    EXPECT_EQ(listener.done, 1);
    ExpectTextIn(*node.image, {31, 31, 63, 46}, true, false, false);
    int full = 0;
    EXPECT_GT(Coverage(*node.image, 0, &full), 0);
    EXPECT_GT(full, 0);  // glyph cores are pure red
}

TEST_F(TextNode, CornerAtOriginAndRectangleOfTheMeasuredSize) {
    node.param(kPosX).SetValue(0);
    node.param(kPosY).SetValue(0);
    node.param(kColor).SetValue(3);  // "R+G+B"
    const int width = MeasuredWidth("blaat!");
    EXPECT_EQ(UpdateAndLog(node), Label(width - 1, 15));
    ExpectTextIn(*node.image, {0, 0, width - 1, 15}, true, true, true);
    for (int i = 0; i < node.image->pixelCount; ++i) {
        const uint8_t* p = node.image->bytes() + 4 * i;
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]);  // grey levels: white glyphs on black
    }
    int full = 0;
    Coverage(*node.image, 1, &full);
    EXPECT_GT(full, 0);
}

TEST_F(TextNode, LargerHeightGivesATallerRectangleOfTheCellHeight) {
    node.param(kPosX).SetValue(0);
    node.param(kPosY).SetValue(0);
    node.param(kHeight).SetValue(40);
    node.param(kText).SetText("x");
    const int width = MeasuredWidth("x", 40);
    EXPECT_EQ(UpdateAndLog(node), Label(width - 1, 39));
    ExpectTextIn(*node.image, {0, 0, width - 1, 39}, true, false, false);
}

TEST_F(TextNode, RectanglePartlyOutsideIsClipped) {
    node.param(kPosX).SetValue(240);  // x0 = 60
    node.param(kPosY).SetValue(250);  // y0 = 62
    EXPECT_EQ(UpdateAndLog(node), Label(3, 1));
    ExpectTextIn(*node.image, {60, 62, 63, 63}, true, false, false);
}

TEST_F(TextNode, WhollyOutsideDrawsNothingButStillFinishes) {
    node.param(kPosX).SetValue(255);
    EXPECT_EQ(UpdateAndLog(node), Label(-1, -1));
    node.param(kPosX).SetValue(0);
    node.param(kPosY).SetValue(255);
    EXPECT_EQ(UpdateAndLog(node), Label(-1, -1));
    EXPECT_EQ(listener.done, 2);
    EXPECT_EQ(Coverage(*node.image, 3), 0);
}

TEST_F(TextNode, EmptyTextDrawsNothing) {
    node.param(kText).SetText("");
    EXPECT_EQ(UpdateAndLog(node), Label(-1, 15));
    EXPECT_EQ(listener.done, 1);
    EXPECT_EQ(Coverage(*node.image, 3), 0);
}

TEST_F(TextNode, MovedTextLeavesTheEarlierTextInPlace) {
    node.Update();
    const auto first = Bytes(*node.image);
    node.param(kPosX).SetValue(0);
    node.param(kPosY).SetValue(0);
    node.Update();
    // The two rectangles do not overlap: the first one is unchanged.
    for (int y = 31; y < 64; ++y)
        for (int x = 31; x < 64; ++x)
            ASSERT_EQ(0, std::memcmp(node.image->pixel(x, y), &first[4 * (y * 64 + x)], 4));
    EXPECT_EQ(node.image->pixel(0, 0)[3], 255);
}

TEST_F(TextNode, BoldGivesHeavierStrokes) {
    node.param(kPosX).SetValue(0);
    node.param(kPosY).SetValue(0);
    node.Update();
    const long regular = Coverage(*node.image, 0);
    node.param(kWeight).SetValue(700);
    node.Update();
    EXPECT_GT(Coverage(*node.image, 0), regular * 11 / 10);
}

TEST(TextNodeLimits, TextsAreCutTo255CharactersForDrawing) {
    ND_TEXT node(2000, 16);
    node.param(kPosX).SetValue(0);
    node.param(kPosY).SetValue(0);
    node.param(kText).SetText(std::string(300, 'l'));
    node.param(kFont).SetText("Arial" + std::string(295, ' '));
    const int width = MeasuredWidth(std::string(255, 'l'));
    ASSERT_LT(width, 2000);
    const std::string line = UpdateAndLog(node);
    EXPECT_EQ(node.param(kText).GetText().size(), 300u);  // the parameter keeps it all
    EXPECT_EQ(node.param(kFont).GetText().size(), 300u);
    EXPECT_EQ(line, Label(width - 1, 15));
}

TEST(TextNodeLimits, HugeTextIsFine) {
    ND_TEXT node(64, 64);
    node.param(kPosX).SetValue(0);
    node.param(kPosY).SetValue(0);
    node.param(kHeight).SetValue(255);
    node.param(kWeight).SetValue(900);
    node.param(kText).SetText(std::string(255, 'W'));
    EXPECT_EQ(UpdateAndLog(node), Label(63, 63));
}

TEST(TextNodeLimits, CloneDrawsTheSame) {
    ND_TEXT node(64, 64);
    node.param(kText).SetText("Clone");
    node.param(kColor).SetValue(2);
    auto clone = node.Clone();
    node.Update();
    clone->Update();
    EXPECT_EQ(Bytes(*clone->image), Bytes(*node.image));
}

TEST(TextNodeFile, DefaultRecordSavesAndLoadsByteForByte) {
    const std::vector<uint8_t> record = {0x0D, 0x7F, 0x00, 0x7F, 0x00, 0x10, 0x00, 0x90,
                                         0x01, 0x06, 0x62, 0x6C, 0x61, 0x61, 0x74, 0x21,
                                         0x00, 0x00, 0x05, 0x41, 0x72, 0x69, 0x61, 0x6C};
    NodeRegistry registry;
    NodeGraph graph(64, 64);
    graph.AddNode(registry.CreateNode(ND_TEXT::kTypeId));
    MemoryStream saved;
    ASSERT_TRUE(graph.Save(saved, nullptr));
    std::vector<uint8_t> expected = {0x40, 0x00, 0x40, 0x00, 0x02, 0x00, 0x01};
    expected.insert(expected.end(), record.begin(), record.end());
    EXPECT_EQ(saved.data(), expected);

    NodeGraph loaded(64, 64);
    MemoryStream in(expected);
    ASSERT_TRUE(loaded.Load(in, registry, nullptr));
    MemoryStream again;
    ASSERT_TRUE(loaded.Save(again, nullptr));
    EXPECT_EQ(again.data(), expected);
}

}  // namespace
