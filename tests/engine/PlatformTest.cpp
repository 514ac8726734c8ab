#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "engine/Diagnostics.h"
#include "platform/CRand.h"
#include "platform/Numeric.h"
#include "platform/TextRaster.h"
#include "support/TestSupport.h"

using namespace platform;

TEST(CRand, MatchesTheClassicSequence) {
    platform::srand(1);
    for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(platform::rand(), expected);
}

TEST(Numeric, ConversionsToInt) {
    const long double inf = std::numeric_limits<long double>::infinity(), nan = std::nanl("");
    // Truncation goes through a 64-bit integer: out of its range gives 0, else the low 32 bits.
    const std::pair<long double, int> truncated[] = {
        {2.99L, 2}, {-2.99L, -2},          {nan, 0}, {1e30L, 0}, {-1e30L, 0},
        {inf, 0},   {4294967296.0L + 5, 5}};
    for (auto [x, expected] : truncated) EXPECT_EQ(TruncToInt(x), expected) << x;
    const std::pair<long double, int> rounded[] = {
        {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {2.5000001L, 3}, {nan, 0}};
    for (auto [x, expected] : rounded) EXPECT_EQ(RoundHalfEvenToInt(x), expected) << x;
}

TEST(Numeric, FastTruncationMatchesTheExactConversion) {
    const long double inf = std::numeric_limits<long double>::infinity();
    std::vector<long double> values = {0.0L, -0.0L, 0.5L,  -0.7L, 255.0L, 1e9L,         -1e9L,
                                       3e9L, -3e9L, 1e30L, inf,   -inf,   std::nanl("")};
    for (long double n : {1.0L, 2.0L, 254.0L, 255.0L, 16777215.0L, 1073741824.0L, 2147483648.0L}) {
        for (long double x : {n, -n}) {
            values.push_back(std::nextafterl(x, 0.0L));  // rounds to x as a double
            values.push_back(std::nextafterl(x, 2 * x));
        }
    }
    for (long double x : values) {
        EXPECT_EQ(TruncToInt(x), Low32(ToInt64OrZero(std::truncl(x)))) << x;
        // The float path; neighbours of integers round onto them as floats too.
        const float f = static_cast<float>(x);
        EXPECT_EQ(TruncSingleToInt(f), TruncToInt(f)) << x;
    }
}

TEST(DebugLog, LinesEndWithCarriageReturnLineFeedAndTimersTruncate) {
    EXPECT_EQ(ElapsedMilliseconds(0, 999, 1000000), 0);
    EXPECT_EQ(ElapsedMilliseconds(100, 100 + 2500000, 1000000), 2500);
    EXPECT_EQ(ElapsedMilliseconds(0, 1999, 1000), 1999);
    LogCapture log;
    DebugLog("%s", std::string(5000, 'x').c_str());  // longer than a line: cut, still terminated
    StartTimer();
    StopTimer("Blur::Update");
    ASSERT_EQ(log.lines().size(), 2u);
    EXPECT_EQ(log.lines()[0], std::string(2045, 'x') + "\r\n");
    EXPECT_EQ(log.lines()[1].substr(log.lines()[1].size() - 6), " ms.\r\n");
}

namespace {

std::unique_ptr<TextFont> Arial(int height = 16) {
    return TextFont::Choose("Arial", height, 400);
}

// Sum of the colour bytes over columns [x0, x1) of the surface.
long Sum(const TextSurface& surface, int x0, int x1) {
    long sum = 0;
    for (int y = 0; y < surface.height(); ++y)
        for (int x = x0; x < x1; ++x) {
            const Rgb c = surface.GetPixel(x, y);
            sum += c.r + c.g + c.b;
        }
    return sum;
}

// Draws the text into a surface of its measured size; returns its coverage.
long DrawnCoverage(std::unique_ptr<TextFont> font, const std::string& text) {
    TextSurface surface;
    surface.SelectFont(std::move(font));
    const auto extent = surface.MeasureText(text);
    EXPECT_TRUE(surface.CreateBitmap(extent.width, extent.height));
    surface.SetTextColor({255, 0, 0});
    surface.DrawText(text);
    return Sum(surface, 0, surface.width());
}

// Heights are cell heights, widths the sums of advances.
TEST(TextFont, ArialIsMetricCompatibleLiberationSansAndOtherNamesFallBack) {
    EXPECT_EQ(Arial()->family(), "Liberation Sans");
    EXPECT_FALSE(Arial()->emboldened());
    // usWinAscent 1854 and usWinDescent 434 of 2288 units: 13 of 16 pixels.
    EXPECT_EQ(Arial()->ascent(), 13);
    for (const char* name : {"", "No such face at all"})
        EXPECT_GT(DrawnCoverage(TextFont::Choose(name, 16, 400), "abc"), 0) << name;
    for (int height : {1, 16, 40, 255}) {
        EXPECT_EQ(Arial(height)->Measure("Hg").height, height);
        EXPECT_LE(Arial(height)->ascent(), height);
    }
    EXPECT_EQ(Arial(0)->cellHeight(), 1);  // clamped
    const int a = Arial()->Measure("a").width, w = Arial()->Measure("W").width;
    EXPECT_GT(w, a);
    EXPECT_GT(a, 0);
    EXPECT_EQ(Arial()->Measure("aWa").width, 2 * a + w);
    // Windows-1252 bytes map to their characters: the euro sign is not a space.
    EXPECT_GT(DrawnCoverage(Arial(), "\x80"), 0);
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

TEST(TextSurface, DrawsOpaquelyOverItsWholeExtentAndGuardsImpossibleBitmaps) {
    TextSurface surface;
    EXPECT_EQ(surface.MeasureText("abc").width, 0);  // no font yet
    EXPECT_TRUE(surface.CreateBitmap(0, 16));
    surface.SelectFont(Arial());
    surface.DrawText("abc");  // nothing to draw into
    ASSERT_TRUE(surface.CreateBitmap(20, 16));
    surface.SetTextColor({0, 255, 0});
    surface.DrawText("W");
    // A space over it paints its own extent black and leaves the rest.
    const int space = surface.MeasureText(" ").width;
    ASSERT_GT(Sum(surface, 0, space), 0);
    const long rest = Sum(surface, space, 20);
    surface.DrawText(" ");
    EXPECT_EQ(Sum(surface, 0, space), 0);
    EXPECT_EQ(Sum(surface, space, 20), rest);
    EXPECT_FALSE(surface.CreateBitmap(1 << 20, 1 << 20));
    EXPECT_EQ(surface.width(), 0);
    EXPECT_EQ(surface.GetPixel(0, 0), Rgb{});
    EXPECT_EQ(surface.GetPixel(-1, 5), Rgb{});
}

}  // namespace
