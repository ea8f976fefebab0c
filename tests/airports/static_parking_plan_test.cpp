// The static-parking planner: the wanted count, the parked traffic first,
// then the options nearest in time.
#include "parking_fixture.h"

#include <algorithm>

#include "foundation/random.h"

namespace zrb::test {
namespace {

class StaticParkingPlanTest : public ParkingTest {
protected:
    static std::size_t occupiedStands() {
        return static_cast<std::size_t>(
            std::count_if(StandTable.begin(), StandTable.end(), [](const Stand& s) { return s.occupied != 0; }));
    }
};

TEST_F(StaticParkingPlanTest, TheWantedCountIsAShareOfTheStandsWithinTheirNumber) {
    const auto wanted = [](std::size_t stands, std::int32_t percent) {
        emptyStands(stands);
        parking_percentage.value = percent;
        return lf_calcWantedStatic();
    };
    EXPECT_EQ(wanted(40, 30), 12);
    EXPECT_EQ(wanted(3, 30), 1);
    EXPECT_EQ(wanted(3, 50), 2);
    EXPECT_EQ(wanted(2, 100), 2);
    EXPECT_EQ(wanted(2, 30), 1);
    EXPECT_EQ(wanted(1, 30), 1);
    EXPECT_EQ(wanted(0, 30), 0) << "no stands, nothing wanted";
    EXPECT_EQ(wanted(10, 250), 10) << "a share above 100 % asks for no more than every stand";
    EXPECT_EQ(wanted(10, -5), 0);
    CUSTOM_PARKING_PERCENTAGE.value = 50;
    EXPECT_EQ(wanted(10, 30), 5) << "the custom share wins";
    CUSTOM_PARKING_PERCENTAGE.value = -1;
    MAX_PARK_SEL.value = 10;
    EXPECT_EQ(wanted(40, 50), 10);
    EXPECT_EQ(g_mainWindowState.maxPark.load(), 10);
    EXPECT_EQ(g_mainWindowState.maxParkPercentage.load(), 25);
}

TEST_F(StaticParkingPlanTest, ParkedTrafficGoesToTheNearestFreeStandUnlessItFliesOrTheStandIsKeptFree) {
    emptyStands(20, 160.0);  // one stand within 110 m of each record
    parking_percentage.value = 50;  // ten wanted
    g_userOnGround = true;
    g_userAcCopy.lat = StandTable[0].lat;  // the user stands on S1
    g_userAcCopy.lon = StandTable[0].lon;
    LiveAc live(PosSample{}, gf_aircraftFromLivery(AcIdentityRecord{"BAW", "A320", "", "", "BAW9"}, 0x400001), 0.0);
    live.registration = "G-LIVE";
    g_liveList.push_back(live);
    g_collectFeedIds = true;
    {
        std::lock_guard lock(g_feedIdsMutex);
        g_feedIds.callsigns = {"DLH2_"};
        g_feedIds.hexIds = {0x3C0003};
    }
    ParkedTrafficRecord far = parked(0x3C0009, "DLH9", 9, 0);
    far.lat += 1000 * metreDeg;  // far from any stand
    ParkedTrafficRecord seen = parked(0x3C0004, "DLH4", 4, 3);
    seen.lat += 5 * metreDeg;  // a few metres off the stand's centre
    s_parked = {parked(0x3C0001, "DLH1", 0, 0),         parked(0x3C0002, "DLH2", 1, 0),
                parked(0x3C0003, "DLH3", 2, 1),         seen,
                parked(0x3C0005, "DLH5", 4, 4),         parked(0x3C0006, "DLH6", 5, 5, "G-LIVE"),
                far,                                    parked(0x3C0007, "", 6, 6),
                parked(0x3C0008, "DLH8", 7, 47 * 3)};
    gf_calcStaticParking();
    EXPECT_FALSE(g_collectFeedIds) << "the live ids were taken over";
    EXPECT_EQ(plannedCallsigns(), (std::vector<std::string>{"DLH8", "DLH4"})) << "DLH5 finds S5 taken";
    EXPECT_EQ(PendingParkingList.front().ageSlots, 141u) << "largest fit first, also beyond a day";
    EXPECT_EQ(PendingParkingList.front().planKind, g_planKindParkedTraffic);
    EXPECT_EQ(PendingParkingList.back().liveHexId, 0x3C0004u);
    EXPECT_EQ(PendingParkingList.back().standId, 5u);
    EXPECT_TRUE(folder.logContains("===> no stand for PT 50."));
    EXPECT_FALSE(folder.logContains("DLH1 ")) << "the user's stand is passed over silently";
    EXPECT_TRUE(folder.logContains("2 parking positions from PT"));
    EXPECT_TRUE(gf_staticParkingComputing());
    EXPECT_EQ(occupiedStands(), 2u);
}

TEST_F(StaticParkingPlanTest, ParkedTrafficStopsAtTheWantedCountUnlessItIsAllThatCounts) {
    stands(27, [](std::size_t i) { return std::vector<StandOption>{option(fmt::format("AFR{}", i), "F-O", 24, 24)}; });
    for (std::int32_t k = 0; k < 10; ++k) s_parked.push_back(parked(0x3C0010 + k, fmt::format("DLH{}", k), k, k));
    gf_calcStaticParking();  // 30 % of 27: 8
    EXPECT_EQ(plannedCallsigns(),
              (std::vector<std::string>{"DLH7", "DLH6", "DLH5", "DLH4", "DLH3", "DLH2", "DLH1", "DLH0"}));
    EXPECT_FALSE(folder.logContains("lf_searchStands")) << "no option was searched";

    RT_PARKTRAFFIC_ONLY.value = true;
    gf_calcStaticParking();
    EXPECT_EQ(PendingParkingList.size(), 10u);
    EXPECT_EQ(PendingParkingList.front().callsign, "DLH9");
    EXPECT_TRUE(folder.logContains("10 positions from RT parktraffic only"));

    s_parkedAnswers = false;
    gf_calcStaticParking();
    EXPECT_TRUE(PendingParkingList.empty()) << "only the service's parked traffic counts";
    EXPECT_TRUE(folder.logContains("no parking positions found"));
    EXPECT_FALSE(gf_staticParkingComputing());
}

TEST_F(StaticParkingPlanTest, TheOptionsNearestInTimeFillUpToTheWantedCount) {
    // Stand i has an aircraft seen i half-hours before now.
    stands(10, [](std::size_t i) {
        const auto slot = static_cast<std::uint32_t>(noon - i);
        return std::vector<StandOption>{option(fmt::format("KLM{}", i), fmt::format("PH-{}", i), slot, slot)};
    });
    parking_percentage.value = 50;  // five wanted
    gf_calcStaticParking();
    std::vector<std::string> planned = plannedCallsigns();
    EXPECT_EQ(planned, (std::vector<std::string>{"KLM4", "KLM3", "KLM2", "KLM1", "KLM0"}));
    EXPECT_EQ(PendingParkingList.front().ageSlots, 4u);
    EXPECT_EQ(occupiedStands(), 5u) << "only the planned stands are taken";
    EXPECT_TRUE(folder.logContains("5 real positions found, Max fit=24 hours, day 6, hh:24 or 12.5 hrs, fit: 2.5 hour"));
    EXPECT_TRUE(folder.logContains("5 positions (50% vs wanted 50%, with Max fit=24 hours)"));
    EXPECT_TRUE(folder.logContains("It is day 6 (Sat), 12.5 hours"));

    MAX_FIT.value = 0;
    gf_calcStaticParking();
    EXPECT_EQ(plannedCallsigns(), (std::vector<std::string>{"KLM0"}));
    EXPECT_TRUE(folder.logContains("1 real position found, Max fit=0.5 hours"));
    EXPECT_EQ(g_realFitRound, 1) << "ran past the last round";

    // Soft options fill what the real ones leave, with PARK_SOFT on.
    MAX_FIT.value = 47;
    stands(10, [](std::size_t i) {
        return std::vector<StandOption>{option(fmt::format("EZY{}", i), fmt::format("G-{}", i), noon, noon, i < 2 ? 1 : 0)};
    });
    PARK_SOFT.value = false;
    gf_calcStaticParking();
    EXPECT_EQ(PendingParkingList.size(), 2u) << "soft options wait for PARK_SOFT";
    PARK_SOFT.value = true;
    gf_calcStaticParking();
    EXPECT_EQ(PendingParkingList.size(), 5u);
    EXPECT_TRUE(g_mainWindowState.staticFitMark.load());
    EXPECT_EQ(occupiedStands(), 5u);
}

TEST_F(StaticParkingPlanTest, TheLastRoundsSurplusIsDrawnAtRandomAndItsStandsStayFree) {
    stands(40, [](std::size_t i) {
        return std::vector<StandOption>{option(fmt::format("RYR{}", i), fmt::format("EI-{}", i), noon, noon)};
    });
    std::vector<std::string> first;
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        gf_seedThreadRng(seed);
        gf_calcStaticParking();
        ASSERT_EQ(PendingParkingList.size(), 12u);
        EXPECT_EQ(occupiedStands(), 12u);
        for (const PendingParking& p : PendingParkingList) EXPECT_NE(StandTable.at(p.standId - 1).occupied, 0);
        if (first.empty()) first = plannedCallsigns();
    }
    EXPECT_NE(plannedCallsigns(), first) << "another draw, other aircraft";
}

}  // namespace
}  // namespace zrb::test
