#include "nodes/GeneratorTesting.h"
#include "nodes/generators/RawNoise.h"

namespace {
std::vector<uint8_t> Rendered(int side, int amount, int gate, int seed = 1) {
    return Bytes(*Generated<RawNoise>(side, side, {amount, gate, seed})->image);
}
}  // namespace

TEST(RawNoise, AmountAndGateCasesAndFourDrawsPerPixel) {
    auto max = [](const std::vector<uint8_t>& b) { return *std::max_element(b.begin(), b.end()); };
    EXPECT_EQ(max(Rendered(16, 0, 0)), 0);
    EXPECT_EQ(max(Rendered(16, 255, 255)), 0);
    EXPECT_EQ(max(Rendered(64, 255, 0)), 254);  // a low byte of 255 gives 254
    const int next = DrawAfter(5, 4 * 8 * 8);
    Rendered(8, 100, 0, 5);
    EXPECT_EQ(platform::rand(), next);
}
