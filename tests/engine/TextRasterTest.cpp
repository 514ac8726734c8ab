#include <gtest/gtest.h>

#include <string>

#include "platform/TextRaster.h"

using platform::Rgb;
using platform::TextFont;
using platform::TextSurface;

namespace {

// Draws the text into a surface of its measured size; returns the sum of red.
long DrawnCoverage(std::unique_ptr<TextFont> font, const std::string& text) {
    TextSurface surface;
    surface.SelectFont(std::move(font));
    const auto extent = surface.MeasureText(text);
    EXPECT_TRUE(surface.CreateBitmap(extent.width, extent.height));
    surface.SetTextColor({255, 0, 0});
    surface.DrawText(text);
    long sum = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = 0; x < surface.width(); ++x) sum += surface.GetPixel(x, y).r;
    return sum;
}

TEST(TextFont, ArialIsMetricCompatibleLiberationSans) {
    auto font = TextFont::Choose("Arial", 16, 400);
    ASSERT_FALSE(font->empty());
    EXPECT_EQ(font->family(), "Liberation Sans");
    EXPECT_FALSE(font->emboldened());
    // usWinAscent 1854 and usWinDescent 434 of 2288 units: 13 of 16 pixels.
    EXPECT_EQ(font->ascent(), 13);
}

TEST(TextFont, UnknownOrEmptyNamesFallBackToSomeFace) {
    EXPECT_FALSE(TextFont::Choose("No such face at all", 16, 400)->empty());
    EXPECT_FALSE(TextFont::Choose("", 16, 400)->empty());
    EXPECT_GT(DrawnCoverage(TextFont::Choose("No such face at all", 16, 400), "abc"), 0);
}

TEST(TextFont, HeightIsTheCellHeight) {
    for (int height : {1, 16, 40, 255}) {
        auto font = TextFont::Choose("Arial", height, 400);
        EXPECT_EQ(font->Measure("Hg").height, height);
        EXPECT_EQ(font->Measure("").height, height);
        EXPECT_LE(font->ascent(), height);
    }
    EXPECT_EQ(TextFont::Choose("Arial", 0, 400)->cellHeight(), 1);  // clamped
}

TEST(TextFont, WidthIsTheSumOfAdvances) {
    auto font = TextFont::Choose("Arial", 16, 400);
    EXPECT_EQ(font->Measure("").width, 0);
    const int a = font->Measure("a").width;
    const int w = font->Measure("W").width;
    EXPECT_GT(w, a);
    EXPECT_EQ(font->Measure("aWa").width, 2 * a + w);
    EXPECT_GT(font->Measure("x").width, 0);
    // Windows-1252 bytes map to their characters: the euro sign is not a space.
    EXPECT_GT(DrawnCoverage(TextFont::Choose("Arial", 16, 400), "\x80"), 0);
}

TEST(TextFont, FamilyWithoutBoldIsEmboldened) {
    // A family installed with a regular face only.
    const std::string name = "DejaVu Math TeX Gyre";
    auto regular = TextFont::Choose(name, 40, 400);
    if (regular->family() != name) GTEST_SKIP() << name << " is not installed";
    auto bold = TextFont::Choose(name, 40, 700);
    EXPECT_FALSE(regular->emboldened());
    EXPECT_TRUE(bold->emboldened());
    EXPECT_GT(bold->Measure("Hm").width, regular->Measure("Hm").width);
    EXPECT_GT(DrawnCoverage(std::move(bold), "Hm"), DrawnCoverage(std::move(regular), "Hm"));
}

TEST(TextSurface, DrawsOpaquelyInTheTextColour) {
    TextSurface surface;
    surface.SelectFont(TextFont::Choose("Arial", 16, 400));
    ASSERT_TRUE(surface.CreateBitmap(20, 16));
    surface.SetTextColor({0, 255, 0});
    surface.DrawText("W");
    bool full = false;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 20; ++x) {
            const Rgb c = surface.GetPixel(x, y);
            ASSERT_EQ(c.r | c.b, 0);
            full |= c.g == 255;
        }
    EXPECT_TRUE(full);
    // A space over it paints its own extent black and leaves the rest.
    const int space = surface.MeasureText(" ").width;
    ASSERT_GT(space, 0);
    long before = 0;
    for (int y = 0; y < 16; ++y) before += surface.GetPixel(space, y).g;
    surface.DrawText(" ");
    long after = 0;
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < space; ++x) ASSERT_EQ(surface.GetPixel(x, y), Rgb{}) << x << "," << y;
        after += surface.GetPixel(space, y).g;
    }
    EXPECT_EQ(after, before);
}

TEST(TextSurface, GuardsEmptyAndImpossibleBitmaps) {
    TextSurface surface;
    EXPECT_EQ(surface.MeasureText("abc").width, 0);  // no font yet
    surface.DrawText("abc");
    EXPECT_TRUE(surface.CreateBitmap(0, 16));
    surface.SelectFont(TextFont::Choose("Arial", 16, 400));
    surface.DrawText("abc");  // nothing to draw into
    EXPECT_FALSE(surface.CreateBitmap(1 << 20, 1 << 20));
    EXPECT_EQ(surface.width(), 0);
    EXPECT_EQ(surface.GetPixel(0, 0), Rgb{});
    EXPECT_EQ(surface.GetPixel(-1, 5), Rgb{});
}

}  // namespace
