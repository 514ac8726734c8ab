#include <gtest/gtest.h>

#include <algorithm>

#include "support/FilterRig.h"
#include "nodes/filters/DisplacementMap.h"

namespace {

// The pixel loop as written down, reading s, mx, my and writing d (any of
// which may be the same buffer).
void Reference(const uint8_t* s, const uint8_t* mx, const uint8_t* my, uint8_t* d, int w, int h,
               const int p[4]) {
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int i = y * w + x;
            const int sy = ((my[4 * i + p[3]] * p[2]) / 255 + y) % h;
            const int sx = ((mx[4 * i + p[1]] * p[0]) / 255 + x) % w;
            std::copy_n(s + 4 * (sy * w + sx), 4, d + 4 * i);
        }
    }
}

// Shifts rows left by dx columns and up by dy rows, wrapping around.
std::vector<uint8_t> Shifted(const std::vector<uint8_t>& s, int w, int h, int dx, int dy) {
    std::vector<uint8_t> out(s.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::copy_n(&s[4 * ((y + dy) % h * w + (x + dx) % w)], 4, &out[4 * (y * w + x)]);
    return out;
}

}  // namespace

TEST(DisplacementMap, NoAmountOrNoMapCopiesTheSource) {
    const auto source = RandomBytes(12, 1);
    FilterRig rig(DisplacementMap::kTypeId, 4, 3);
    rig.Feed(source);
    EXPECT_EQ(rig.Render(), source);  // maps unconnected
    rig.Set(0, 255);
    rig.Set(2, 255);
    EXPECT_EQ(rig.Render(), source);  // unconnected maps read 0
    FilterRig mapped(DisplacementMap::kTypeId, 4, 3);
    mapped.Feed(source);
    mapped.Feed(RandomBytes(12, 2), 1);
    mapped.Feed(RandomBytes(12, 3), 2);
    EXPECT_EQ(mapped.Render(), source);  // amounts 0
}

TEST(DisplacementMap, FullMapShiftsByTheAmount) {
    const auto source = RandomBytes(16, 4);
    FilterRig rig(DisplacementMap::kTypeId, 8, 2);
    rig.Feed(source);
    rig.Feed(Uniform(16, {255, 0, 0, 0}), 1);
    rig.Set(0, 255);
    EXPECT_EQ(rig.Render(), Shifted(source, 8, 2, 255 % 8, 0));
    rig.Set(0, 9);  // (255 * 9) / 255 = 9 columns
    EXPECT_EQ(rig.Render(), Shifted(source, 8, 2, 1, 0));
}

TEST(DisplacementMap, ChosenChannelDrivesTheRows) {
    const auto source = RandomBytes(10, 5);
    FilterRig rig(DisplacementMap::kTypeId, 2, 5);
    rig.Feed(source);
    rig.Feed(Uniform(10, {255, 128, 7, 0}), 2);
    rig.Set(2, 255);
    rig.Set(3, 1);  // green 128: (128 * 255) / 255 = 128 rows, 3 mod 5
    EXPECT_EQ(rig.Render(), Shifted(source, 2, 5, 0, 3));
    rig.Set(3, 2);  // blue 7: 7 rows, 2 mod 5
    EXPECT_EQ(rig.Render(), Shifted(source, 2, 5, 0, 2));
    rig.Set(2, 100);  // (7 * 100) / 255 = 2 rows
    EXPECT_EQ(rig.Render(), Shifted(source, 2, 5, 0, 2));
}

TEST(DisplacementMap, MatchesThePlainPixelLoop) {
    for (auto [w, h] : {std::pair{1, 1}, {3, 1}, {1, 2}, {2, 2}, {16, 16}, {64, 64}}) {
        const int n = w * h;
        const auto source = RandomBytes(n, 6);
        const auto mx = RandomBytes(n, 7);
        const auto my = RandomBytes(n, 8);
        FilterRig rig(DisplacementMap::kTypeId, w, h);
        rig.Feed(source);
        rig.Feed(mx, 1);
        rig.Feed(my, 2);
        const int settings[][4] = {{255, 0, 255, 0}, {17, 2, 200, 1}, {128, 1, 3, 2}};
        for (const auto& p : settings) {
            for (int i = 0; i < 4; ++i) rig.Set(i, p[i]);
            std::vector<uint8_t> expected(4 * n);
            Reference(source.data(), mx.data(), my.data(), expected.data(), w, h, p);
            EXPECT_EQ(rig.Render(), expected) << w << "x" << h;
        }
    }
}

TEST(DisplacementMap, OwnOutputAsEveryInputIsReadWhileWritten) {
    FilterRig rig(DisplacementMap::kTypeId, 7, 6);
    for (int pin = 0; pin < 3; ++pin) rig.FeedItself(pin);
    const int p[4] = {200, 1, 90, 2};
    for (int i = 0; i < 4; ++i) rig.Set(i, p[i]);
    auto expected = RandomBytes(42, 9);
    std::copy(expected.begin(), expected.end(), rig.filter->image->bytes());
    Reference(expected.data(), expected.data(), expected.data(), expected.data(), 7, 6, p);
    LogCapture log;
    EXPECT_EQ(rig.Render(), expected);
    EXPECT_EQ(log.Matching("DisplacementMap::Update took ").size(), 1u);
}
