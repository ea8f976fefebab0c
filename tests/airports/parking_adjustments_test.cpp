// The renewal of the static parking in place: what still fits stays
// untouched, what does not goes, and the gaps are planned anew.
#include "parking_fixture.h"

#include <algorithm>

#include "airports/parking_adjustments.h"

namespace zrb::test {
namespace {

class ParkingAdjustmentsTest : public ParkingTest {
protected:
    ParkingAdjustmentsTest() {
        gf_setCurrentParkAirport({"EDDF", "FRA", baseLat, baseLon, 364.0});
        parking_percentage.value = 50;
    }
    static PendingParking plan(const std::string& callsign, const std::string& reg, std::uint32_t hexId = 0) {
        return PendingParking{hexId, hexId == 0 ? 1u : 0u, 0, 0, callsign.substr(0, 3), "A320", callsign, "", reg, 1};
    }
    static std::vector<std::uint32_t> removedObjects() {
        std::vector<std::uint32_t> removed(g_removalDeque.begin(), g_removalDeque.end());
        std::sort(removed.begin(), removed.end());
        return removed;
    }
};

TEST_F(ParkingAdjustmentsTest, WhatStillFitsStaysUntouchedWhatLeftGoesAndTheGapsAreFilled) {
    // S1: its aircraft stands from 10:00 to 15:00; S2: its aircraft left at 10:00;
    // S3, S4: new aircraft now; S5: one seen an hour ago; S6: nothing.
    const std::vector<std::pair<std::uint32_t, std::uint32_t>> hours{{20, 30}, {10, 20}, {20, 30}, {23, 30}, {22, 22}};
    stands(6, [&hours](std::size_t i) {
        if (i >= hours.size()) return std::vector<StandOption>{};
        return std::vector<StandOption>{
            option(fmt::format("DLH{}", i + 1), fmt::format("D-A{}", i + 1), hours[i].first, hours[i].second)};
    });
    const std::uint32_t stays = standing(1, g_planKindOptions, plan("DLH1", "D-A1"), 0, 1).objectId;
    const std::uint32_t leaves = standing(2, g_planKindOptions, plan("DLH2", "D-A2"), 1, 5).objectId;

    gf_parkingAdjustments(false);
    EXPECT_EQ(removedObjects(), (std::vector<std::uint32_t>{leaves}));
    EXPECT_EQ(gf_findStatic(1)->fs, LifecycleState::active) << "never removed and created again";
    EXPECT_EQ(gf_findStatic(1)->objectId, stays);
    std::vector<std::string> planned = plannedCallsigns();
    std::sort(planned.begin(), planned.end());
    EXPECT_EQ(planned, (std::vector<std::string>{"DLH3", "DLH4"})) << "three wanted, one stays";
    EXPECT_TRUE(folder.logContains("Parking adjustments: 1 to be removed, 2 to be added"));
    EXPECT_TRUE(gf_staticParkingComputing());
    EXPECT_NE(StandTable[0].occupied, 0) << "the aircraft that stays holds its stand";
    EXPECT_EQ(StandTable[1].occupied, 0);
    EXPECT_EQ(StandTable[4].occupied, 0) << "the surplus of the last round leaves its stand free";

    // A full renewal replaces every aircraft from the options, planned anew
    // from them (the one on its way out of the simulator is not planned twice).
    g_removalDeque.clear();
    PendingParkingList.clear();
    gf_parkingAdjustments(true);
    EXPECT_EQ(removedObjects(), (std::vector<std::uint32_t>{stays}));
    planned = plannedCallsigns();
    std::sort(planned.begin(), planned.end());
    EXPECT_EQ(planned, (std::vector<std::string>{"DLH3", "DLH4", "DLH5"}));
}

TEST_F(ParkingAdjustmentsTest, ParkedTrafficStaysWhileReportedAndANewerReportTakesTheStand) {
    emptyStands(10);
    StandTable[3].options = {option("DLH4", "D-A4", 0, 47)};
    StandTable[3].options.front().optionId = 1;
    const std::uint32_t reported = standing(1, g_planKindParkedTraffic, plan("DLH1", "D-A1", 0x3C0001), 0, 2).objectId;
    const std::uint32_t flies = standing(2, g_planKindParkedTraffic, plan("DLH2", "D-A2", 0x3C0002), 1, 2).objectId;
    const std::uint32_t gone = standing(3, g_planKindParkedTraffic, plan("DLH3", "D-A3", 0x3C0003), 2, 2).objectId;
    const std::uint32_t older = standing(4, g_planKindOptions, plan("DLH4", "D-A4"), 3, 10).objectId;
    {
        std::lock_guard lock(g_feedIdsMutex);
        g_feedIds.hexIds = {0x3C0002};
    }
    s_parked = {parked(0x3C0001, "DLH1", 0, 2, "D-A1"), parked(0x3C0009, "BAW9", 3, 1, "G-NEW")};

    gf_parkingAdjustments(false);
    EXPECT_EQ(removedObjects(), (std::vector<std::uint32_t>{flies, gone, older}));
    EXPECT_EQ(gf_findStatic(1)->fs, LifecycleState::active);
    EXPECT_EQ(gf_findStatic(1)->objectId, reported);
    EXPECT_EQ(plannedCallsigns(), (std::vector<std::string>{"BAW9"}));
    EXPECT_EQ(PendingParkingList.front().standId, 4u);
    EXPECT_TRUE(folder.logContains("1 new parking position from PT"));

    // With RT_PARKTRAFFIC_ONLY on, a service that does not answer changes nothing.
    g_removalDeque.clear();
    RT_PARKTRAFFIC_ONLY.value = true;
    s_parkedAnswers = false;
    gf_parkingAdjustments(false);
    EXPECT_TRUE(g_removalDeque.empty());
    EXPECT_TRUE(PendingParkingList.empty());
}

TEST_F(ParkingAdjustmentsTest, MoreParkedLiveAircraftThanWantedGoFirst) {
    emptyStands(20);  // ten wanted
    for (std::uint32_t k = 0; k < 12; ++k) {
        LiveAc live(PosSample{}, gf_aircraftFromLivery(AcIdentityRecord{"DLH", "A320", "", "", fmt::format("DLH{}", k)},
                                                       0x3C0100 + k),
                    0.0);
        live.fs = LifecycleState::active;
        live.objectId = 900 + k;
        live.st = MovementState::parked;
        live.standId = k + 1;
        live.parkTimeS = gf_systemNow() - 60 * (20 + k);  // the last one parked longest
        g_liveList.push_back(live);
    }
    gf_parkingAdjustments(false);
    EXPECT_TRUE(folder.logContains("Parking adjustments: 2 more live ac than wanted"));
    EXPECT_EQ(removedObjects(), (std::vector<std::uint32_t>{910, 911}));
    EXPECT_EQ(ParkedLiveList.size(), 10u);
    EXPECT_TRUE(PendingParkingList.empty());
}

TEST_F(ParkingAdjustmentsTest, ATurnaroundWhoseOptionEndsNowIsPlannedAsItsNextFlight) {
    emptyStands(2);
    StandOption o = option("DLH100", "D-AIZA", 20, 24);
    o.coupledCallsign = "DLH101";
    o.optionId = 1;
    StandTable[0].options = {o};
    PendingParking p = plan("DLH100", "D-AIZA");
    p.coupledCallsign = "DLH101";
    const std::uint32_t object = standing(1, g_planKindOptions, p, 0, 4).objectId;

    gf_parkingAdjustments(false);
    EXPECT_EQ(removedObjects(), (std::vector<std::uint32_t>{object}));
    ASSERT_EQ(PendingParkingList.size(), 1u);
    const PendingParking& next = PendingParkingList.front();
    EXPECT_EQ(next.callsign, "DLH100");
    EXPECT_EQ(next.coupledCallsign, "DLH101");
    EXPECT_EQ(next.staysNextHalfHour, 0) << "shown with its next flight's callsign";
    EXPECT_EQ(next.standId, 1u);
    EXPECT_EQ(next.ageSlots, 4u) << "fit: half-hours since it was seen";
}

TEST_F(ParkingAdjustmentsTest, TrimmingDropsPlannedAircraftFirstThenTheLastKeptOnes) {
    emptyStands(10);
    PendingParkingList = {plan("DLH1", "D-A1")};
    for (int k = 0; k < 5; ++k)
        KeptStaticList.push_back(KeptStatic{fmt::format("KLM{}*", k), "", "", "", "KLM", "B738", 6, 24,
                                            static_cast<std::uint32_t>(k + 1), 0});
    lf_trimToWanted(3);
    EXPECT_TRUE(PendingParkingList.empty());
    EXPECT_EQ(KeptStaticList.size(), 3u);
    ASSERT_EQ(ToRemoveList.size(), 2u);
    EXPECT_EQ(ToRemoveList[0].callsign, "KLM4*");
    EXPECT_EQ(ToRemoveList[1].callsign, "KLM3*");
}

}  // namespace
}  // namespace zrb::test
