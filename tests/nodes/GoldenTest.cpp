// Locks every node type's exact output. The 32 x 32 hashes agreed byte for
// byte with an independent implementation of the same arithmetic when they
// were taken, so a changed hash means a changed rounding point, not a new
// look; the in-place ones lock what the plain pixel loops gave. Each case also
// keeps its render at 16 x 16 at most in golden/<case>.rgba, compared byte for
// byte, so that a failure names the first differing pixel.
#include <gtest/gtest.h>

#include "engine/RowBands.h"
#include "support/GoldenCases.h"
#include "support/TestSupport.h"

namespace {

constexpr int kMaxReferenceSide = 16;

// "" when the images agree, else where and how they first differ.
std::string FirstDifference(const std::vector<uint8_t>& expected,
                            const std::vector<uint8_t>& actual, int width) {
    if (expected.size() != actual.size())
        return "size " + std::to_string(actual.size()) + ", expected " +
               std::to_string(expected.size());
    const auto [e, a] = std::ranges::mismatch(expected, actual);
    if (e == expected.end()) return "";
    const size_t pixel = (e - expected.begin()) / 4;
    auto bytes = [pixel](const std::vector<uint8_t>& image) {
        return testing::PrintToString(std::vector<int>(&image[4 * pixel], &image[4 * pixel + 4]));
    };
    return "first difference at (" + std::to_string(pixel % width) + ", " +
           std::to_string(pixel / width) + "): expected " + bytes(expected) + ", got " +
           bytes(actual);
}

class Golden : public testing::TestWithParam<GoldenCase> {};

// Bands are a few rows each, so every thread count cuts the image differently.
TEST_P(Golden, RendersTheAgreedBytesOnAnyNumberOfThreads) {
    const GoldenCase& c = GetParam();
    bool hashMatches = true;
    for (int threads : {1, 2, 7, 0}) {
        SetRowThreads(threads);
        const uint64_t hash = Fnv1a(RenderFed(c.type, c.params, c.width, c.height, c.inPlace));
        hashMatches &= hash == c.hash;
        EXPECT_EQ(hash, c.hash) << CaseName(c) << " at " << c.width << " x " << c.height << " on "
                                << RowThreads() << " threads";
    }
    SetRowThreads(0);

    const int w = std::min(c.width, kMaxReferenceSide), h = std::min(c.height, kMaxReferenceSide);
    const std::string file = SWATCHER_GOLDEN_DIR "/" + CaseName(c) + ".rgba";
    const std::vector<uint8_t> small = RenderFed(c.type, c.params, w, h, c.inPlace);
    // Only a build whose output matches the hash may rewrite a reference image.
    if (hashMatches && std::getenv("SWATCHER_WRITE_GOLDEN")) WriteFileBytes(file, small);
    const std::string difference = FirstDifference(ReadFileBytes(file), small, w);
    if (!difference.empty())
        ADD_FAILURE() << CaseName(c) << " at " << w << " x " << h << ": " << difference << " ("
                      << file << ")";
}

INSTANTIATE_TEST_SUITE_P(EveryNodeType, Golden, testing::ValuesIn(kGoldenCases),
                         [](const auto& info) { return CaseName(info.param); });

}  // namespace
