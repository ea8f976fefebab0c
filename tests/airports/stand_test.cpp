#include <gtest/gtest.h>

#include "airports/stand.h"

namespace zrb::test {
namespace {

TEST(Stand, ConstructionTakesMetresAndInvertedKinds) {
    Stand stand("A1", {StandOption{"DLH", "A320", "D-AIZA", "DLH4", {}, 1, 1, 2, 1, 1}}, 50.03, 8.56, 1.5, 1852.0, 0,
                1, 0);
    EXPECT_EQ(stand.id, "A1");
    EXPECT_DOUBLE_EQ(stand.radius, 1.0);
    EXPECT_EQ(stand.cargo, 1);
    EXPECT_EQ(stand.ramp, 0);
    EXPECT_EQ(stand.heli, 1);
    EXPECT_EQ(stand.number, 0u);
    EXPECT_EQ(stand.options.size(), 1u);
    EXPECT_GE(stand.neighbours.capacity(), 8u);
    EXPECT_GE(stand.realVisits.bucket_count(), 8u);
    EXPECT_FLOAT_EQ(stand.realVisits.max_load_factor(), 1.0f);
    EXPECT_EQ(stand.occupied + stand.blocked + stand.excluded + stand.liveParked + stand.manual, 0);
}

TEST(Stand, DaySlotsAcrossTheWeek) {
    const DaySlot mondayOne = gf_makeDaySlot(1, 1);
    EXPECT_EQ(mondayOne, (DaySlot{1} << 32) | 1);
    EXPECT_EQ(gf_dayOf(mondayOne), 1u);
    EXPECT_EQ(gf_slotOf(mondayOne), 1u);
    EXPECT_EQ(gf_previousSlot(mondayOne), gf_makeDaySlot(1, 0));
    EXPECT_EQ(gf_previousSlot(gf_makeDaySlot(1, 0)), gf_makeDaySlot(7, 47));
    EXPECT_EQ(gf_previousSlot(gf_makeDaySlot(4, 0)), gf_makeDaySlot(3, 47));

    EXPECT_EQ(gf_elapsedSlots(gf_makeDaySlot(3, 46), gf_makeDaySlot(4, 1)), 3);
    EXPECT_EQ(gf_elapsedSlots(gf_makeDaySlot(7, 47), gf_makeDaySlot(1, 0)), 1);  // Sunday night to Monday
    EXPECT_EQ(gf_elapsedSlots(gf_makeDaySlot(2, 10), gf_makeDaySlot(2, 10)), 0);
    EXPECT_EQ(gf_elapsedSlots(gf_makeDaySlot(2, 11), gf_makeDaySlot(2, 10)), 335);
}

TEST(Stand, VisitsHashWithFnv1a) {
    // FNV-1a 64 of the bytes 00 00 00 00 and of 01 00 00 00.
    EXPECT_EQ(HexIdHash{}(0u), static_cast<std::size_t>(0x4d25767f9dce13f5ull));
    EXPECT_EQ(HexIdHash{}(1u), static_cast<std::size_t>(0xad2aca7747985764ull));
}

}  // namespace
}  // namespace zrb::test
