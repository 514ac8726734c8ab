// The colour nodes' rows at every SIMD level give the plain path's bytes: per
// colour where a pixel is a function of its own colour, and through whole
// nodes on random images of odd sizes at one thread and several.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "engine/RowBands.h"
#include "nodes/filters/ColorSpace.h"
#include "nodes/filters/FromHSV.h"
#include "nodes/filters/HSV.h"
#include "nodes/filters/Mixer.h"
#include "nodes/filters/ToHSV.h"
#include "platform/Simd.h"
#include "support/FilterRig.h"

namespace {

using platform::ScopedSimdLevel;
using platform::SimdLevel;

constexpr SimdLevel kLevels[] = {SimdLevel::Plain, SimdLevel::Sse2, SimdLevel::Avx2};

// A row of pixels of A and B, written to d.
using Row = std::function<void(const uint8_t* a, const uint8_t* b, uint8_t* d, size_t count)>;

struct RowCase {
    std::string name;
    uint32_t stride;  // every stride-th colour 0xRRGGBB as A
    Row fast;
    Row plain;  // one pixel at a time
};

// B's colour (the Mixer's vector) varies from pixel to pixel.
uint32_t ColourOfB(uint32_t a) {
    return a * 2654435761u;
}

void ExpectRowsMatch(const RowCase& c) {
    constexpr uint32_t kChunk = 4099;  // odd, so every vector loop leaves a tail
    int mismatches = 0;
    for (uint32_t first = 0; first < 1u << 24; first += kChunk * c.stride) {
        Pixels a, b;
        for (uint32_t k = 0; k < kChunk && first + k * c.stride < 1u << 24; ++k) {
            const uint32_t rgb = first + k * c.stride, other = ColourOfB(rgb);
            a.insert(a.end(), {uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb), uint8_t(k)});
            b.insert(b.end(), {uint8_t(other >> 24), uint8_t(other >> 16), uint8_t(other >> 8),
                               uint8_t(other)});
        }
        const size_t count = a.size() / 4;
        Pixels expected(a.size(), 0x5A);
        for (size_t i = 0; i < count; ++i) c.plain(&a[4 * i], &b[4 * i], &expected[4 * i], 1);
        for (SimdLevel level : kLevels) {
            const ScopedSimdLevel scoped(level);
            Pixels got(a.size(), 0x5A);
            c.fast(a.data(), b.data(), got.data(), count);
            for (size_t i = 0; i < count; ++i)
                if (!std::equal(&got[4 * i], &got[4 * i + 4], &expected[4 * i]) &&
                    ++mismatches <= 5)
                    ADD_FAILURE() << c.name << " at " << platform::SimdName(level) << ": colour "
                                  << first + i * c.stride;
        }
    }
    EXPECT_EQ(mismatches, 0) << c.name;
}

std::vector<RowCase> RowCases() {
    std::vector<RowCase> cases;
    const uint32_t coarse = 13 * kColourStride;  // a prime stride that varies every byte
    for (int order : {0, 5}) {
        const int* o = colorspace::kComponentOrder[order];
        const uint32_t stride = order == 0 ? kColourStride : coarse;
        cases.push_back({"RGB -> HSV " + std::to_string(order), stride,
                         [o](const uint8_t* a, const uint8_t*, uint8_t* d, size_t n) {
                             colorspace::HSVBytesRow(a, d, n, o);
                         },
                         [o](const uint8_t* a, const uint8_t*, uint8_t* d, size_t) {
                             uint8_t hsv[3];
                             colorspace::plain::HSVBytes(a[0], a[1], a[2], hsv);
                             for (int k = 0; k < 3; ++k) d[k] = hsv[o[k]];
                             d[3] = 0;
                         }});
        cases.push_back({"HSV -> RGB " + std::to_string(order), stride,
                         [o](const uint8_t* a, const uint8_t*, uint8_t* d, size_t n) {
                             colorspace::RGBBytesRow(a, d, n, o);
                         },
                         [o](const uint8_t* a, const uint8_t*, uint8_t* d, size_t) {
                             uint8_t c[3];
                             for (int k = 0; k < 3; ++k) c[o[k]] = a[k];
                             colorspace::plain::RGBBytes(c[0], c[1], c[2], d);
                             d[3] = 0;
                         }});
    }
    // Shifts that raise and limit each component; greys turn reddish.
    for (auto [dh, ds, dv] :
         {std::array{0, 0, 0}, {30, 40, 20}, {-180, -255, 255}, {179, 255, -77}, {-1, 1, 0}}) {
        const adjust_hsv::Shift shift = adjust_hsv::ShiftOf(dh, ds, dv);
        cases.push_back({"Adjust HSV " + std::to_string(dh) + " " + std::to_string(ds) + " " +
                             std::to_string(dv),
                         dh == 0 && ds == 0 ? kColourStride : coarse,
                         [shift](const uint8_t* a, const uint8_t*, uint8_t* d, size_t n) {
                             adjust_hsv::Row(shift, a, d, n);
                         },
                         [shift](const uint8_t* a, const uint8_t*, uint8_t* d, size_t) {
                             adjust_hsv::plain::Pixel(shift, a, d);
                         }});
    }
    // Amplitudes that keep A's levels bytes and that do not; B varies with A, so
    // no sweep is exhaustive and a coarse one does.
    for (bool rotate : {true, false})
        for (const auto& amps : {std::pair{100u, 100u}, {255u, 555u}, {555u, 37u}}) {
            const uint32_t ampA = amps.first, ampB = amps.second;  // lambdas capture these
            const mixer::HSVMode mode(rotate, ampA, ampB);
            cases.push_back(
                {std::string(rotate ? "Hue " : "Satur. ") + std::to_string(ampA) + " " +
                     std::to_string(ampB),
                 coarse,
                 [mode](const uint8_t* a, const uint8_t* b, uint8_t* d, size_t n) {
                     mode.Row(a, b, d, n);
                 },
                 [rotate, ampA, ampB](const uint8_t* a, const uint8_t* b, uint8_t* d, size_t) {
                     mixer::plain::HSVModePixel(rotate, ampA, ampB, a, b, d);
                 }});
        }
    return cases;
}

TEST(FastPathColour, RowsMatchThePlainPathForEveryColourAtEveryLevel) {
    for (const RowCase& c : RowCases()) ExpectRowsMatch(c);
}

// Add and Mul against the byte loop for every pair of levels (plus a tail the
// vector loops leave) at amplitudes around 256 and the ends of their range.
TEST(FastPathColour, AddAndMulMatchTheByteLoopForEveryLevelPair) {
    Pixels a(65536 + 41), b(a.size());
    for (size_t i = 0; i < a.size(); ++i) a[i] = uint8_t(i), b[i] = uint8_t(i >> 8);
    const uint32_t kAmps[] = {0, 1, 100, 255, 256, 257, 400, 555};
    for (SimdLevel level : kLevels) {
        const ScopedSimdLevel scoped(level);
        for (uint32_t ampA : kAmps)
            for (uint32_t ampB : kAmps) {
                Pixels fast(a.size()), plain(a.size());
                mixer::AddBytes(a.data(), b.data(), fast.data(), a.size(), ampA, ampB);
                mixer::plain::AddBytes(a.data(), b.data(), plain.data(), a.size(), ampA, ampB);
                EXPECT_EQ(fast, plain) << "Add " << ampA << " " << ampB;
                mixer::MultiplyBytes(a.data(), b.data(), fast.data(), a.size(), ampA, ampB);
                mixer::plain::MultiplyBytes(a.data(), b.data(), plain.data(), a.size(), ampA, ampB);
                EXPECT_EQ(fast, plain) << "Mul " << ampA << " " << ampB;
            }
    }
}

// Whole nodes on random images of odd sizes, at every level on one thread and
// on all, against the plain level on one thread.
TEST(FastPathColour, NodesMatchThePlainLevelOnAnyThreads) {
    struct NodeCase {
        uint8_t type;
        Params params;
    };
    const NodeCase kNodes[] = {
        {ToHSV::kTypeId, {2}},          {FromHSV::kTypeId, {4}},
        {HSV::kTypeId, {30, 40, 20}},   {Mixer::kTypeId, {300, 200, 0}},
        {Mixer::kTypeId, {90, 555, 1}}, {Mixer::kTypeId, {555, 70, 2}},
        {Mixer::kTypeId, {256, 99, 3}},
    };
    const int w = 67, h = 41;
    const std::vector<Pixels> sources = {RandomBytes(w * h, 1), RandomBytes(w * h, 2)};
    for (const NodeCase& node : kNodes) {
        const auto render = [&](SimdLevel level, int threads) {
            const ScopedSimdLevel scoped(level);
            SetRowThreads(threads);
            const size_t inputs = node.type == Mixer::kTypeId ? 2 : 1;
            return Filtered(node.type, w, h, {sources.begin(), sources.begin() + inputs},
                            node.params, 0x5A);
        };
        const Pixels plain = render(SimdLevel::Plain, 1);
        for (SimdLevel level : kLevels)
            for (int threads : {1, 0})
                EXPECT_EQ(render(level, threads), plain)
                    << int(node.type) << " " << platform::SimdName(level) << " " << threads;
    }
    SetRowThreads(0);
}

}  // namespace
