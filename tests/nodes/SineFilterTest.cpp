#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "support/FilterRig.h"
#include "nodes/filters/SineFilter.h"
#include "platform/Numeric.h"

namespace {

// The byte loop as written down: one sine per byte.
std::vector<uint8_t> Reference(const std::vector<uint8_t>& s, std::vector<uint8_t> d,
                               const int p[6]) {
    using platform::single;
    const float lum = single(p[0]);
    const float amp = single(p[1]);
    const float step = single(static_cast<long double>(p[2]) * 0.0001745329210988851);
    for (size_t i = 0; i < s.size(); i += 4) {
        for (int k = 0; k < 3; ++k) {
            const float phase = single(static_cast<long double>(p[3 + k]) * 0.0174532925);
            const double angle = platform::dbl(static_cast<long double>(s[i + k]) * step + phase);
            const float y = single(sinl(angle) * amp + lum);
            d[i + k] = platform::TruncToInt(std::clamp(y, 0.0f, 255.0f));
        }
    }
    return d;
}

}  // namespace

TEST(SineFilter, DefaultsStartAtMidGreyAndStayBelow254) {
    std::vector<uint8_t> ramp;
    for (int level = 0; level < 256; ++level)
        ramp.insert(ramp.end(), {uint8_t(level), uint8_t(level), uint8_t(level), 9});
    FilterRig rig(SineFilter::kTypeId, 16, 16);
    rig.Feed(ramp);
    const auto out = rig.Render();
    EXPECT_EQ(rig.At(0, 0), (Pixel{127, 127, 127, 0}));  // byte 3 is not written
    EXPECT_EQ(*std::max_element(out.begin(), out.end()), 253);
    const int defaults[6] = {127, 127, 127, 0, 0, 0};
    EXPECT_EQ(out, Reference(ramp, std::vector<uint8_t>(ramp.size()), defaults));
}

TEST(SineFilter, FlatSettingsGiveConstantChannels) {
    FilterRig rig(SineFilter::kTypeId, 4, 4);
    rig.Feed(RandomBytes(16, 1));
    rig.Set(0, 90);
    rig.Set(1, 0);  // no amplitude: Luminance everywhere
    EXPECT_EQ(rig.Render(), Uniform(16, {90, 90, 90, 0}));
    rig.Set(1, 127);
    rig.Set(0, 127);
    rig.Set(2, 0);  // no range: sin(phase) per channel
    rig.Set(3, 90);
    rig.Set(4, 270);
    rig.Set(5, 30);
    EXPECT_EQ(rig.Render(), Uniform(16, {254, 0, 190, 0}));
    rig.Set(0, 255);
    rig.Set(1, 255);
    EXPECT_EQ(rig.At(0, 0)[0], 254);  // unchanged until rendered
    rig.Render();
    EXPECT_EQ(rig.At(0, 0), (Pixel{255, 0, 255, 0}));  // limited both ways
}

TEST(SineFilter, KeepsTheFourthByteOfItsOwnImage) {
    FilterRig rig(SineFilter::kTypeId, 2, 1);
    rig.filter->image->bytes()[3] = 77;
    rig.Render();
    EXPECT_EQ(rig.At(0, 0), (Pixel{127, 127, 127, 77}));  // unconnected: level 0
    EXPECT_EQ(rig.At(1, 0), (Pixel{127, 127, 127, 0}));
}

TEST(SineFilter, MatchesThePlainByteLoop) {
    const int settings[][6] = {{127, 127, 127, 0, 0, 0},    {0, 255, 255, 360, 180, 45},
                               {255, 200, 13, 17, 300, 90}, {30, 31, 1, 359, 1, 200}};
    for (int side : {1, 5, 32}) {
        const auto source = RandomBytes(side * side, side);
        FilterRig rig(SineFilter::kTypeId, side, side);
        rig.Feed(source);
        for (const auto& p : settings) {
            for (int i = 0; i < 6; ++i) rig.Set(i, p[i]);
            EXPECT_EQ(rig.Render(), Reference(source, Bytes(*rig.filter->image), p));
        }
    }
}

TEST(SineFilter, OwnOutputAsSourceWorksInPlace) {
    FilterRig rig(SineFilter::kTypeId, 8, 8);
    rig.FeedItself();
    const auto start = RandomBytes(64, 8);
    std::copy(start.begin(), start.end(), rig.filter->image->bytes());
    const int defaults[6] = {127, 127, 127, 0, 0, 0};
    LogCapture log;
    EXPECT_EQ(rig.Render(), Reference(start, start, defaults));
    EXPECT_EQ(log.Matching("SineFilter::Update took ").size(), 1u);
}
