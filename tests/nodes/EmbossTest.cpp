#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/FilterRig.h"
#include "nodes/filters/Emboss.h"
#include "platform/Numeric.h"

namespace {

// Black in the left half, white in the right half: w x 3 pixels.
std::vector<uint8_t> HalfBlackHalfWhite(int w) {
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 3 * w; ++i) {
        const uint8_t v = i % w < w / 2 ? 0 : 255;
        bytes.insert(bytes.end(), {v, v, v, v});
    }
    return bytes;
}

// Moves every pixel one column right and two rows down, wrapping around.
std::vector<uint8_t> Shifted(const std::vector<uint8_t>& bytes, int w, int h) {
    std::vector<uint8_t> out(bytes.size());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            std::copy_n(&bytes[4 * (y * w + x)], 4, &out[4 * ((y + 2) % h * w + (x + 1) % w)]);
    return out;
}

// The pixel loop as written down, reading and writing one buffer in place.
void InPlaceReference(std::vector<uint8_t>& p, int w, int h, int shade) {
    auto at = [&](int x, int y) { return &p[4 * (((y + h) % h) * w + (x + w) % w)]; };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int s[3];
            for (int c = 0; c < 3; ++c)
                s[c] = std::clamp(128 - at(x - 1, y - 1)[c] - at(x - 1, y)[c] - at(x - 1, y + 1)[c] +
                                      at(x + 1, y - 1)[c] + at(x + 1, y)[c] + at(x + 1, y + 1)[c],
                                  0, 255);
            if (shade > 0) {
                int n = platform::TruncToInt(sqrtl(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]) *
                                             0.5773502717125849);
                n = std::min(n, 255);
                const int v = 128 + ((shade / 2) * (n - 128)) / 128;
                for (int c = 0; c < 3; ++c) {
                    const int a = at(x, y)[c];
                    s[c] = v < 128 ? std::max(a - ((127 - v) * a) / 127, 0)
                                   : std::min(a + ((255 - a) * (v - 128)) / 127, 255);
                }
            }
            for (int c = 0; c < 3; ++c) at(x, y)[c] = s[c];
            at(x, y)[3] = at(x, y)[0];
        }
    }
}

}  // namespace

TEST(Emboss, UniformImageGivesMidGreyWithRedInByteThree) {
    FilterRig rig(Emboss::kTypeId, 3, 2);
    rig.Feed(Uniform(6, {40, 90, 200, 33}));
    EXPECT_EQ(rig.Render(), Uniform(6, {128, 128, 128, 40}));
    rig.Set(0, 555);  // flat areas keep the source colour
    EXPECT_EQ(rig.Render(), Uniform(6, {40, 90, 200, 40}));
}

TEST(Emboss, StepFromBlackToWhite) {
    FilterRig rig(Emboss::kTypeId, 8, 3);
    rig.Feed(HalfBlackHalfWhite(8));
    rig.Render();
    const uint8_t relief[8] = {0, 128, 128, 255, 255, 128, 128, 0};
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 8; ++x) {
            const uint8_t s = relief[x];
            const uint8_t red = x < 4 ? 0 : 255;
            EXPECT_EQ(rig.At(x, y), (Pixel{s, s, s, red})) << x << "," << y;
        }
    }
}

TEST(Emboss, ShadingStrength) {
    FilterRig rig(Emboss::kTypeId, 8, 3);
    const auto source = HalfBlackHalfWhite(8);
    rig.Feed(source);
    rig.Set(0, 1);  // shade / 2 is 0: the source is copied
    EXPECT_EQ(rig.Render(), source);
    rig.Set(0, 555);  // strong edges reach white (rising step) or black (wrapped falling step)
    rig.Render();
    const uint8_t shaded[8] = {0, 0, 0, 255, 255, 255, 255, 0};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(rig.At(x, 1)[1], shaded[x]) << x;
    rig.Set(0, 100);  // milder: (50 * 127) / 128 = 49 lifts black to 255 * 49 / 127 = 98
    rig.Render();
    EXPECT_EQ(rig.At(3, 0), (Pixel{98, 98, 98, 0}));
}

TEST(Emboss, WrapsAroundSoShiftedInputGivesShiftedOutput) {
    for (auto [w, h] : {std::pair{1, 1}, {2, 1}, {1, 2}, {2, 2}, {5, 3}, {16, 16}}) {
        const auto source = RandomBytes(w * h, w * 10 + h);
        FilterRig plain(Emboss::kTypeId, w, h);
        FilterRig shifted(Emboss::kTypeId, w, h);
        plain.Feed(source);
        shifted.Feed(Shifted(source, w, h));
        for (int shade : {0, 300}) {
            plain.Set(0, shade);
            shifted.Set(0, shade);
            EXPECT_EQ(shifted.Render(), Shifted(plain.Render(), w, h)) << w << "x" << h;
        }
    }
}

TEST(Emboss, OwnOutputAsSourceIsReadWhileWritten) {
    for (int shade : {0, 555}) {
        FilterRig rig(Emboss::kTypeId, 6, 5);
        rig.FeedItself();
        rig.Set(0, shade);
        auto expected = RandomBytes(30, 3);
        std::copy(expected.begin(), expected.end(), rig.filter->image->bytes());
        InPlaceReference(expected, 6, 5, shade);
        LogCapture log;
        EXPECT_EQ(rig.Render(), expected);
        EXPECT_EQ(log.Matching("Emboss::Update took ").size(), 1u);
    }
}
