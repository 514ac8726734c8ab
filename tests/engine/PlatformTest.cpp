#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/Diagnostics.h"
#include "platform/CRand.h"
#include "platform/Numeric.h"
#include "support/TestSupport.h"

using namespace platform;

TEST(CRand, MatchesTheClassicSequenceAndRestartsOnReseeding) {
    for (int round = 0; round < 2; ++round) {
        platform::srand(1);
        for (int expected : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(platform::rand(), expected);
    }
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
    DebugLog("Update took %i ms.", 12);
    DebugLog("%s", std::string(5000, 'x').c_str());  // longer than a line: cut, still terminated
    StartTimer();
    StopTimer("Blur::Update");
    ASSERT_EQ(log.lines().size(), 3u);
    EXPECT_EQ(log.lines()[0], "Update took 12 ms.\r\n");
    EXPECT_LE(log.lines()[1].size(), 2048u);
    EXPECT_EQ(log.lines()[1].substr(log.lines()[1].size() - 2), "\r\n");
    EXPECT_EQ(log.Matching("Blur::Update took ").size(), 1u);
    EXPECT_EQ(log.lines()[2].substr(log.lines()[2].size() - 6), " ms.\r\n");
}
