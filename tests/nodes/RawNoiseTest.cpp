#include <gtest/gtest.h>

#include "nodes/GeneratorTesting.h"
#include "nodes/generators/RawNoise.h"
#include "support/TestSupport.h"

namespace {
enum { kAmount, kGate, kRandom };

std::unique_ptr<RawNoise> Rendered(int side, int amount, int gate, int seed = 1) {
    auto node =
        MakeGenerator<RawNoise>(side, side, {{kAmount, amount}, {kGate, gate}, {kRandom, seed}});
    node->Update();
    return node;
}
}  // namespace

TEST(RawNoise, EveryByteIsOneScaledDrawInMemoryOrder) {
    auto node = Rendered(4, 100, 0, 7);
    platform::srand(7);
    for (uint8_t byte : Bytes(*node->image)) EXPECT_EQ(byte, ((platform::rand() & 255) * 100) >> 8);
}

TEST(RawNoise, ConsumesFourDrawsPerPixel) {
    const int next = DrawAfter(5, 4 * 8 * 8);
    Rendered(8, 100, 0, 5);
    EXPECT_EQ(platform::rand(), next);
}

TEST(RawNoise, AmountAndGateCases) {
    for (uint8_t byte : Bytes(*Rendered(16, 0, 0)->image)) EXPECT_EQ(byte, 0);
    for (uint8_t byte : Bytes(*Rendered(16, 255, 255)->image)) EXPECT_EQ(byte, 0);

    // Amount 255 spans 0..254; a draw of 255 in the low byte gives 254.
    auto full = Bytes(*Rendered(64, 255, 0)->image);
    EXPECT_EQ(*std::max_element(full.begin(), full.end()), 254);
    EXPECT_EQ(*std::min_element(full.begin(), full.end()), 0);

    // Levels below the gate become 0; the others stay as drawn.
    auto gated = Bytes(*Rendered(64, 255, 100)->image);
    for (size_t i = 0; i < full.size(); ++i) EXPECT_EQ(gated[i], full[i] < 100 ? 0 : full[i]);
}

TEST(RawNoise, FourthByteIsNoiseToo) {
    auto bytes = Bytes(*Rendered(16, 255, 0)->image);
    int nonZero = 0;
    for (size_t i = 3; i < bytes.size(); i += 4) nonZero += bytes[i] != 0;
    EXPECT_GT(nonZero, 200);
}

TEST(RawNoise, SameSeedSameImageOtherSeedOtherImage) {
    EXPECT_EQ(Bytes(*Rendered(32, 100, 0, 3)->image), Bytes(*Rendered(32, 100, 0, 3)->image));
    EXPECT_NE(Bytes(*Rendered(32, 100, 0, 3)->image), Bytes(*Rendered(32, 100, 0, 4)->image));
}

TEST(RawNoise, LogsItsTimeThenReportsDone) {
    LogCapture log;
    CountingListener listener;
    Rendered(2, 100, 0);
    EXPECT_EQ(log.Matching("RawNoise::Update took ").size(), 1u);
    EXPECT_EQ(listener.done, 1);
}
