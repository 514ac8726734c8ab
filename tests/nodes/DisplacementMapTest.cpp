#include <gtest/gtest.h>

#include "nodes/filters/DisplacementMap.h"
#include "support/FilterRig.h"

namespace {

// The image moved dx columns left and dy rows up, wrapping around.
Pixels Shifted(const Pixels& s, int w, int h, int dx, int dy) {
    return Draw(w, h, [&](int x, int y) { return At(s, w, (x + dx) % w, (y + dy) % h); });
}

Pixels Displaced(int w, int h, const std::vector<Pixels>& sources, const Params& p) {
    return Filtered(DisplacementMap::kTypeId, w, h, sources, p);
}

TEST(DisplacementMap, MapsShiftByTheirChosenByte) {
    const Pixels source = RandomBytes(40, 4), mapX = Uniform(40, {255, 0, 0, 0}),
                 mapY = Uniform(40, {255, 128, 7, 0});
    EXPECT_EQ(Displaced(8, 5, {source}, {255, 0, 255}), source);  // unconnected maps read 0
    EXPECT_EQ(Displaced(8, 5, {source, mapX}, {255}), Shifted(source, 8, 5, 255 % 8, 0));
    // (255 * 9) / 255 = 9 columns.
    EXPECT_EQ(Displaced(8, 5, {source, mapX}, {9}), Shifted(source, 8, 5, 1, 0));
    // Green 128: (128 * 255) / 255 = 128 rows, 3 mod 5.
    EXPECT_EQ(Displaced(8, 5, {source, {}, mapY}, {0, 0, 255, 1}), Shifted(source, 8, 5, 0, 3));
    // Blue 7: 7 rows, 2 mod 5; with amount 100, (7 * 100) / 255 = 2 rows.
    EXPECT_EQ(Displaced(8, 5, {source, {}, mapY}, {0, 0, 255, 2}), Shifted(source, 8, 5, 0, 2));
    EXPECT_EQ(Displaced(8, 5, {source, {}, mapY}, {0, 0, 100, 2}), Shifted(source, 8, 5, 0, 2));
}

}  // namespace
