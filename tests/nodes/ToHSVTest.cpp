#include <gtest/gtest.h>

#include "nodes/filters/FromHSV.h"
#include "nodes/filters/ToHSV.h"
#include "support/FilterRig.h"

namespace {

enum Order { kHSV, kHVS, kSVH, kSHV, kVSH, kVHS };

Pixels Convert(uint8_t typeId, const Pixels& src, int16_t order) {
    const int count = static_cast<int>(src.size() / 4);
    FilterRig rig(typeId, count, 1);
    std::fill_n(rig.filter->image->bytes(), src.size(), 0x5A);
    rig.Feed(src, 0);
    return rig.Set(0, order).Render();
}

TEST(ToHSV, StoresComponentsInTheChosenOrder) {
    const Pixels src = Px({{255, 255, 0, 9}, {255, 0, 0, 9}, {100, 100, 100, 9}});
    EXPECT_EQ(Convert(ToHSV::kTypeId, src, kHSV),
              Px({{42, 255, 255, 0}, {0, 255, 255, 0}, {0, 0, 100, 0}}));
    EXPECT_EQ(Convert(ToHSV::kTypeId, src, kHVS)[1], 255);
    EXPECT_EQ(Convert(ToHSV::kTypeId, src, kSVH),
              Px({{255, 255, 42, 0}, {255, 255, 0, 0}, {0, 100, 0, 0}}));
    EXPECT_EQ(Convert(ToHSV::kTypeId, src, kSHV)[0], 255);
    EXPECT_EQ(Convert(ToHSV::kTypeId, src, kVSH)[2], 42);
    EXPECT_EQ(Convert(ToHSV::kTypeId, src, kVHS),
              Px({{255, 42, 255, 0}, {255, 0, 255, 0}, {100, 0, 0, 0}}));
}

TEST(ToHSV, HueByteStaysBelow255) {
    EXPECT_EQ(Convert(ToHSV::kTypeId, Px({{255, 0, 1, 0}}), kHSV), Px({{254, 255, 255, 0}}));
}

TEST(FromHSV, ReadsComponentsInTheChosenOrder) {
    EXPECT_EQ(Convert(FromHSV::kTypeId, Px({{42, 255, 255, 9}, {0, 0, 77, 9}}), kHSV),
              Px({{255, 252, 0, 0}, {77, 77, 77, 0}}));
    EXPECT_EQ(Convert(FromHSV::kTypeId, Px({{255, 42, 255, 9}}), kVHS), Px({{255, 252, 0, 0}}));
    EXPECT_EQ(Convert(FromHSV::kTypeId, Px({{255, 255, 85, 9}}), kSVH), Px({{0, 255, 0, 0}}));
}

TEST(FromHSV, RoundTripRestoresPrimariesAndGreys) {
    const Pixels src = Px({{255, 0, 0, 0},
                           {0, 255, 0, 0},
                           {0, 0, 255, 0},
                           {0, 0, 0, 0},
                           {255, 255, 255, 0},
                           {31, 31, 31, 0}});
    for (int16_t order = kHSV; order <= kVHS; ++order) {
        const Pixels stored = Convert(ToHSV::kTypeId, src, order);
        EXPECT_EQ(Convert(FromHSV::kTypeId, stored, order), src) << order;
    }
}

TEST(FromHSV, LogsUnderTheForwardLabel) {
    LogCapture log;
    Convert(FromHSV::kTypeId, Px({{1, 2, 3, 4}}), kHSV);
    EXPECT_EQ(log.Matching("ToHSV::Update took ").size(), 1u);
}

}  // namespace
