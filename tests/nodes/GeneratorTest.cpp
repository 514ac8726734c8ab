// The generator nodes: their flat levels, how they draw from the shared
// random sequence, and the text node's rectangle, clipping and record.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "engine/Stream.h"
#include "nodes/generators/ND_Perlin.h"
#include "nodes/generators/ND_TEXT.h"
#include "nodes/generators/RawNoise.h"
#include "nodes/generators/SubPlasma.h"
#include "platform/CRand.h"
#include "platform/TextRaster.h"
#include "support/FilterRig.h"

namespace {

// The draw that follows the first `n` draws after seeding.
int DrawAfter(int seed, size_t n) {
    platform::srand(seed);
    for (size_t i = 0; i < n; ++i) platform::rand();
    return platform::rand();
}

TEST(RawNoise, DrawsFourTimesPerPixel) {
    const int next = DrawAfter(5, 4 * 8 * 8);
    Filtered(RawNoise::kTypeId, 8, 8, {}, {100, 0, 5});
    EXPECT_EQ(platform::rand(), next);
}

TEST(SubPlasma, SeedsAndTheirRepetition) {
    auto plasma = [](int w, int h, const Params& p, uint8_t before = 0) {
        return Filtered(SubPlasma::kTypeId, w, h, {}, p, before);
    };
    // Step 1: white noise, one draw per pixel.
    const int next = DrawAfter(11, 8 * 8);
    const Pixels noise = plasma(8, 8, {0, 0, 11});
    EXPECT_EQ(platform::rand(), next);
    platform::srand(11);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(noise[4 * i], platform::rand() % 255);
    // Step 2: each seed row of 64 bytes is repeated by the row below it.
    const Pixels rows = plasma(16, 16, {1, 1, 1});
    for (int y = 1; y < 16; y += 2)
        EXPECT_TRUE(std::equal(&rows[64 * y], &rows[64 * y + 64], &rows[64 * y - 64])) << y;
    // Sides that are not multiples of the spacing read zeros where a lookup
    // misses a seed, not what the image held.
    EXPECT_EQ(plasma(6, 5, {2, 0, 9}, 0x5A), plasma(6, 5, {2, 0, 9}));
}

struct PerlinParams {
    int grid = 4, persistence = 127, octaves = 4, color = 0, seed = 0;
};

Pixels PerlinOf(int w, int h, const PerlinParams& p, uint8_t before = 0) {
    return Filtered(ND_Perlin::kTypeId, w, h, {},
                    {p.grid, p.persistence, p.octaves, p.color, p.seed}, before);
}

TEST(ND_Perlin, FlatCasesTwoDrawsPerRandomLatticeEntryAndOddSides) {
    // "Grid" 0 puts every pixel on a lattice point: only the weight remains.
    EXPECT_EQ(PerlinOf(16, 16, {.grid = 0}), Uniform(256, {63, 0, 0, 0}));
    EXPECT_EQ(PerlinOf(16, 16, {.grid = 0, .persistence = 255, .color = 3}),
              Uniform(256, {127, 127, 127, 0}));
    EXPECT_EQ(PerlinOf(32, 32, {.persistence = 0, .color = 3}), Pixels(4 * 32 * 32, 0));
    // Grid 0 runs one octave of 16 x 16 random entries; a cell at least the side, one.
    for (auto [side, grid, draws] : {std::array{16, 0, 2 * 16 * 16}, {8, 3, 2}, {8, 16, 2}}) {
        const int next = DrawAfter(9, draws);
        PerlinOf(side, side, {.grid = grid, .octaves = grid ? 1 : 4, .seed = 9});
        EXPECT_EQ(platform::rand(), next) << "grid " << grid;
    }
    // Two zero draws make a flat gradient rather than 0/0.
    const auto flat = perlin::GradientOf(0, 0);
    EXPECT_EQ(std::pair(flat.x, flat.y), std::pair(0.0f, 0.0f));
    // Sides that are not multiples of the cell: still defined, whatever the image held.
    EXPECT_EQ(PerlinOf(7, 5, {.grid = 2, .seed = 6}, 0x5A), PerlinOf(7, 5, {.grid = 2, .seed = 6}));
}

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
