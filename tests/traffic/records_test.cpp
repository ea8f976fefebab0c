// The aircraft records, their name tables and the list operations.
#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "airports/stand.h"
#include "manager_fixture.h"
#include "traffic/category_enabled.h"

namespace zrb::test {
namespace {

using Records = ManagerTest;

TEST_F(Records, NewRecordsStartWithNothingSentAndTheirInitialMovementState) {
    const AiAc s = gf_initStaticAc(identity(7, "DLH7*", "B738"), 12, 47.1, 8.2, 1.5, 1);
    EXPECT_EQ(s.objectId, 0u);
    EXPECT_EQ(s.fs, LifecycleState::buffer);
    EXPECT_EQ(s.throttleIndex, 5u);
    EXPECT_EQ(s.flapsIndex, 4u);
    EXPECT_EQ(s.liveHexId, 0u);
    EXPECT_EQ(s.standId, 12u);
    EXPECT_EQ(s.standCargo, 1u);
    EXPECT_DOUBLE_EQ(s.lat, 47.1);
    EXPECT_DOUBLE_EQ(s.heading, 1.5);
    EXPECT_EQ(s.removeWhenCreated + s.dropFromList + s.cancelled, 0);
    EXPECT_EQ(s.callsign, "DLH7*");

    PosSample first;
    first.lat = 47.0;
    const LiveAc a(first, identity(0x3C6444, "DLH4AB", "A320"), 1234.0);
    EXPECT_EQ(a.samples.size(), 1u);
    EXPECT_EQ(a.st, MovementState::birth);
    EXPECT_EQ(a.prevSt, MovementState::birth);
    EXPECT_EQ(a.earlyWindow, 1000);
    EXPECT_EQ(a.lateWindow, 1000);
    EXPECT_DOUBLE_EQ(a.agl, 2500.0);
    EXPECT_EQ(a.phaseCounter, 1);
    EXPECT_TRUE(std::isnan(a.curve.ctrlEast) && std::isnan(a.curve.ctrlNorth));
    EXPECT_DOUBLE_EQ(a.feedTime, 1234.0);
    EXPECT_EQ(a.throttleIndex, 5u);
    EXPECT_EQ(a.title, m_title);
}

TEST_F(Records, ErasingMovesTheLastRecordIntoTheGap) {
    addLive(10001, "A", "A320", LifecycleState::active);
    addLive(10002, "B", "A320", LifecycleState::active);
    addLive(10003, "C", "A320", LifecycleState::active);
    lf_eraseAc(g_liveList[1]);
    ASSERT_EQ(g_liveList.size(), 2u);
    EXPECT_EQ(g_liveList[0].callsign, "A");
    EXPECT_EQ(g_liveList[1].callsign, "C");
    lf_eraseAc(g_liveList[1]);
    ASSERT_EQ(g_liveList.size(), 1u);
}

TEST_F(Records, NameTablesThrowForValuesWithoutAnEntry) {
    EXPECT_EQ(gf_liveStateName(4u), "removingfromsim");
    EXPECT_EQ(gf_phaseName(7u), "birth");
    EXPECT_EQ(gf_categoryName(5), "Rotorcraft");
    EXPECT_THROW(gf_phaseName(8u), std::out_of_range);
    EXPECT_THROW(gf_liveStateName(5u), std::out_of_range);
    EXPECT_THROW(gf_categoryName(6), std::out_of_range);
    try {
        gf_maxSpeedChange(9);
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "invalid unordered_map<K, T> key");
    }
    EXPECT_DOUBLE_EQ(gf_standApproachSpeed(3), 3.0);
}

TEST_F(Records, LargeAircraftAreAlwaysEnabledOtherCategoriesFollowTheirSwitch) {
    LIGHT_AIRCRAFT.value = false;
    HIGH_PERF_AIRCRAFT.value = false;
    HELICOPTERS.value = false;
    EXPECT_TRUE(gf_categoryEnabled(2));
    EXPECT_FALSE(gf_categoryEnabled(0));
    EXPECT_FALSE(gf_categoryEnabled(6));
}

TEST_F(Records, StandNamesComeFromTheStandTable) {
    StandTable.emplace_back("A1", std::vector<StandOption>{}, 47.0, 8.0, 0.0, 30.0, 1, 1, 1);
    StandTable.back().number = 4;
    EXPECT_EQ(lf_standName(0), "sid==0?");
    EXPECT_EQ(lf_standName(4), "A1");
    EXPECT_EQ(lf_standName(5), "unknown");
}

TEST_F(Records, ImplausibleSamplesAreRecognised) {
    PosSample s;
    s.lat = 47.0;
    s.lon = 8.0;
    EXPECT_TRUE(gf_samplePlausible(s));
    s.lat = std::nan("");
    EXPECT_FALSE(gf_samplePlausible(s));
    s.lat = 91.0;
    EXPECT_FALSE(gf_samplePlausible(s));
    s.lat = 47.0;
    s.speed = INFINITY;
    EXPECT_FALSE(gf_samplePlausible(s));
}

}  // namespace
}  // namespace zrb::test
