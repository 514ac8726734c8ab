#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "engine/NodeGraph.h"
#include "engine/Stream.h"
#include "nodes/generators/ND_TEXT.h"
#include "platform/TextRaster.h"
#include "support/TestSupport.h"

namespace {

enum Slot { kPosX, kPosY, kHeight, kWeight, kText, kColor, kFont };

// A Text node with the given numeric parameters and text.
std::unique_ptr<ND_TEXT> TextNode(std::initializer_list<std::pair<Slot, int>> values,
                                  const std::string& text = "blaat!", int w = 64, int h = 64) {
    auto node = std::make_unique<ND_TEXT>(w, h);
    for (auto [slot, v] : values) node->param(slot).SetValue(static_cast<int16_t>(v));
    node->param(kText).SetText(text);
    return node;
}

int MeasuredWidth(const std::string& text) {
    return platform::TextFont::Choose("Arial", 16, 400)->Measure(text).width;
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

TEST(TextNode, DrawsTheMeasuredRectangleClippedToTheImage) {
    const int width = MeasuredWidth("blaat!");
    ASSERT_GT(width, 33);  // the default text runs past the right edge
    struct Case {
        int posX, posY, colour;
        std::string text;
        int x0, y0, x1, y1;  // inclusive
        bool inked;          // glyph cores in sight, pure red or white
    } cases[] = {
        {127, 127, 0, "blaat!", 31, 31, 63, 46, true},   // defaults
        {0, 0, 3, "blaat!", 0, 0, width - 1, 15, true},  // "R+G+B" at the origin: white
        {240, 250, 0, "blaat!", 60, 62, 63, 63, false},  // partly outside
        {127, 127, 0, "", 31, 31, 30, 46, false},        // empty: nothing
        // Wholly outside: nothing, and a "-1 by -1" timing line.
        {255, 127, 0, "blaat!", 64, 31, 63, 30, false},
        {0, 255, 0, "blaat!", 0, 64, -1, 63, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.posX << "," << c.posY << " " << c.text);
        auto node = TextNode({{kPosX, c.posX}, {kPosY, c.posY}, {kColor, c.colour}}, c.text);
        EXPECT_EQ(UpdateAndLog(*node), Label(c.x1 - c.x0, c.y1 - c.y0));
        // Inside: opaque, coloured only where the choice allows; outside: untouched zeros.
        int full = 0;
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 64; ++x) {
                const uint8_t* p = node->image->pixel(x, y);
                const bool in = x >= c.x0 && x <= c.x1 && y >= c.y0 && y <= c.y1;
                full += p[0] == 255;
                ASSERT_EQ(p[3], in ? 255 : 0) << x << "," << y;
                ASSERT_TRUE((in || !p[0]) && p[1] == p[2] && p[1] == (c.colour ? p[0] : 0))
                    << x << "," << y;
            }
        EXPECT_GE(full, c.inked ? 1 : 0);
    }
}

TEST(TextNode, MovedTextLeavesTheEarlierTextInPlaceAndBoldIsHeavier) {
    auto node = TextNode({});
    node->Update();
    const auto first = Bytes(*node->image);
    node->param(kPosX).SetValue(0);
    node->param(kPosY).SetValue(0);
    node->Update();
    const auto second = Bytes(*node->image);
    EXPECT_EQ(second[3], 255);
    // Below the new text's 16 rows, the earlier text is still there.
    EXPECT_TRUE(std::equal(first.begin() + 16 * 64 * 4, first.end(), second.begin() + 16 * 64 * 4));
    // Bold gives heavier strokes.
    auto red = [](int weight) {
        auto node = TextNode({{kPosX, 0}, {kPosY, 0}, {kWeight, weight}});
        node->Update();
        long sum = 0;
        for (int i = 0; i < 64 * 64; ++i) sum += node->image->bytes()[4 * i];
        return sum;
    };
    EXPECT_GT(red(700), red(400) * 11 / 10);
}

TEST(TextNode, TextsAreCutTo255CharactersForDrawingAndHugeTextsAreFine) {
    auto node = TextNode({{kPosX, 0}, {kPosY, 0}}, std::string(300, 'l'), 2000, 16);
    node->param(kFont).SetText("Arial" + std::string(295, ' '));
    const int width = MeasuredWidth(std::string(255, 'l'));
    ASSERT_LT(width, 2000);
    EXPECT_EQ(UpdateAndLog(*node), Label(width - 1, 15));
    auto huge =
        TextNode({{kPosX, 0}, {kPosY, 0}, {kHeight, 255}, {kWeight, 900}}, std::string(255, 'W'));
    EXPECT_EQ(UpdateAndLog(*huge), Label(63, 63));
}

TEST(TextNode, DefaultRecordSavesByteForByte) {
    // 64 x 64, two nodes: the Store (type 1), then the Text node's record from 0x0D on.
    const std::vector<uint8_t> file = {0x40, 0x00, 0x40, 0x00, 0x02, 0x00, 0x01, 0x0D,
                                       0x7F, 0x00, 0x7F, 0x00, 0x10, 0x00, 0x90, 0x01,
                                       0x06, 0x62, 0x6C, 0x61, 0x61, 0x74, 0x21, 0x00,
                                       0x00, 0x05, 0x41, 0x72, 0x69, 0x61, 0x6C};
    NodeGraph graph(64, 64);
    graph.AddNode(std::make_unique<ND_TEXT>(64, 64));
    MemoryStream saved;
    ASSERT_TRUE(graph.Save(saved, nullptr));
    EXPECT_EQ(saved.data(), file);
}

}  // namespace
