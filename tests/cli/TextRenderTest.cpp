// swatcher-render draws text without a display.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/NodeGraph.h"
#include "engine/NodeRegistry.h"
#include "engine/TextureFile.h"
#include "nodes/generators/ND_TEXT.h"
#include "platform/TextRaster.h"
#include "support/TestSupport.h"

namespace {

TEST(TextRender, RendersTextHeadlessly) {
    const std::string in = TempDir() + "/text.mtf", out = in + ".rgba";
    NodeRegistry registry;
    NodeGraph graph(64, 64);
    Node* text = graph.AddNode(registry.CreateNode(ND_TEXT::kTypeId));
    ASSERT_NE(text, nullptr);
    // "Pos X" 0, "Pos Y" 64 (row 64 * 128 / 255 = 32 at size 128), "Height" 32, "R+G+B".
    for (auto [slot, v] : {std::pair{0, 0}, {1, 64}, {2, 32}, {5, 3}})
        text->param(slot).SetValue(v);
    text->param(4).SetText("Hello");
    graph.Connect(text->outputPin.get(), graph.store()->inputPins[0].get());
    std::string error;
    ASSERT_TRUE(SaveTextureFile(in, graph, {}, &error)) << error;
    const std::string command = std::string(SWATCHER_RENDER_PATH) + " '" + in + "' '" + out +
                                "' --size 128 > /dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);

    const auto pixels = ReadFileBytes(out);
    ASSERT_EQ(pixels.size(), 128u * 128u * 4u);
    const int width = platform::TextFont::Choose("Arial", 32, 400)->Measure("Hello").width;
    ASSERT_GT(width, 40);
    int inside = 0, lit = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const uint8_t* p = &pixels[4 * (y * 128 + x)];
            const bool inRect = x < width && y >= 32 && y < 64;
            ASSERT_EQ(p[3], inRect ? 255 : 0) << x << "," << y;
            ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
            inside += inRect;
            lit += p[0] > 127;
        }
    // Glyph strokes cover a fair part of the text's cell, never all of it.
    EXPECT_GT(lit, inside / 10);
    EXPECT_LT(lit, inside / 2);
}

}  // namespace
