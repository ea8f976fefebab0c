// Choosing, loading, watching and leaving the park airport through the
// 16-second check, and the Re-read of the list.
#include "parking_fixture.h"

#include <algorithm>

#include "airports/parking_adjustments.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

class ParkAirportChoiceTest : public ParkingTest {
protected:
    static void airborneAt(double lat, double lon, double aglFt) {
        g_userOnGround = false;
        g_userDataValid = true;
        g_userAcCopy.lat = lat;
        g_userAcCopy.lon = lon;
        g_userAcCopy.altitudeAglFt = aglFt;
    }
    static std::string park() { return gf_currentParkAirport().icao; }
};

TEST_F(ParkAirportChoiceTest, TheFrontAirportInSightIsChosenLoadedAndPlanned) {
    parkingFileOf("EDDF", 4);
    writeFile(g_myParkAirportsFile, "EDDF\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    // 20.0 NM north of EDDF (one degree is 60 NM on the program's sphere) at 18000 ft.
    airborneAt(baseLat + 20.0 / 60.0 - 1e-9, baseLon, 18000.0);
    gf_checkStaticParking(false);
    EXPECT_EQ(park(), "EDDF");
    EXPECT_TRUE(folder.logContains("EDDF in sight at 20.0 nm"));
    EXPECT_TRUE(gf_staticParkingComputing()) << "the controls wait for the plan";
    EXPECT_TRUE(g_collectFeedIds) << "the live ids are gathered for the next check";
    EXPECT_TRUE(StandTable.empty()) << "loaded at the next check";

    gf_checkStaticParking(false);
    EXPECT_EQ(StandTable.size(), 4u);
    EXPECT_FALSE(g_collectFeedIds);
    EXPECT_TRUE(g_mainWindowState.parkAirportReady);
    EXPECT_EQ(gf_displayText(DisplayText::parkFileText), "EDDF Airport");
    EXPECT_EQ(PendingParkingList.size(), 1u) << "30 % of 4 stands";
    EXPECT_TRUE(gf_staticParkingComputing());
    // The manager has created them: the next check ends the lock.
    PendingParkingList.clear();
    gf_checkStaticParking(false);
    EXPECT_FALSE(gf_staticParkingComputing());

    airborneAt(baseLat + 20.0 / 60.0 - 1e-9, baseLon, 18001.0);
    gf_checkStaticParking(false);
    EXPECT_EQ(park(), "") << "above AIRP_HEIGHT the airport is out of sight";
    EXPECT_TRUE(folder.logContains("EDDF (FRA) is out of sight (20.0 nm), parked aircraft will be removed"));
    EXPECT_TRUE(StandTable.empty());
}

TEST_F(ParkAirportChoiceTest, ANearerOrEquallyNearListAirportTakesOverButTheGroundNeverLeaves) {
    parkingFileOf("AAAA", 2);
    parkingFileOf("ZZZZ", 2);
    writeFile(g_myParkAirportsFile, "AAAA\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    airborneAt(50.5, 8.5, 3000.0);  // 15 NM from AAAA and from ZZZZ
    gf_checkStaticParking(false);
    gf_checkStaticParking(false);
    ASSERT_EQ(park(), "AAAA");
    ASSERT_EQ(StandTable.size(), 2u);

    DESTINATION.value = "ZZZZ";
    gf_setFirstParkAirport("ZZZZ", 50.75, 8.5);
    gf_checkStaticParking(false);
    EXPECT_TRUE(folder.logContains("ZZZZ is in sight (15.0 nm), parked aircraft at AAAA will be removed first"));
    EXPECT_EQ(park(), "");
    gf_checkStaticParking(false);
    EXPECT_EQ(park(), "ZZZZ");

    // On the ground nothing is left, however far the user taxis.
    g_userOnGround = true;
    g_userAcCopy.lat = 40.0;
    gf_checkStaticParking(false);
    gf_checkStaticParking(false);
    EXPECT_EQ(park(), "ZZZZ");
}

TEST_F(ParkAirportChoiceTest, EqualDistancesKeepTheListsOrder) {
    ParkAirportList = {ParkAirport{"ZZZZ", "", 50.75, 8.5, 0.0}, ParkAirport{"EDDF", "", baseLat, baseLon, 0.0},
                       ParkAirport{"AAAA", "", 50.25, 8.5, 0.0}};
    airborneAt(50.5, 8.5, 30000.0);
    gf_checkStaticParking(false);
    std::vector<std::string> order;
    for (const ParkAirport& p : ParkAirportList) order.push_back(p.icao);
    EXPECT_EQ(order, (std::vector<std::string>{"ZZZZ", "AAAA", "EDDF"}));
}

TEST_F(ParkAirportChoiceTest, TheDestinationStaysTheCandidateHoweverFarAway) {
    parkingFileOf("AAAA", 2);
    writeFile(g_myParkAirportsFile, "AAAA\nKJFK\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    DESTINATION.value = "KJFK";
    gf_setFirstParkAirport("KJFK", 40.6398, -73.7789);
    airborneAt(50.5, 8.5, 3000.0);
    gf_checkStaticParking(false);
    gf_checkStaticParking(false);
    EXPECT_EQ(ParkAirportList.front().icao, "KJFK") << "no re-sort while DESTINATION is set";
    EXPECT_EQ(park(), "") << "AAAA is nearer and in sight, but only the front entry is tried";
    std::string message;
    ASSERT_TRUE(gf_reloadParkAirports(true, message));
    EXPECT_EQ(ParkAirportList.front().icao, "KJFK") << "a Re-read keeps the destination in front";
}

TEST_F(ParkAirportChoiceTest, OnTheGroundTheAirportIsLoadedAtOnceWithTheUsersStand) {
    parkingFileOf("EDDF", 20, {{"Qf_real", "50"}});
    LEARN_SOFT.value = true;
    g_userOnGround = true;
    g_userDataValid = true;
    g_userAcCopy.lat = baseLat + 40 * metreDeg;  // on stand S11
    g_userAcCopy.lon = baseLon;
    gf_checkStaticParking(true);
    EXPECT_TRUE(folder.logContains("User aircraft on the ground at EDDF"));
    ASSERT_EQ(StandTable.size(), 20u);
    EXPECT_FALSE(g_softLearningAllowed) << "Qf_real 50 with 20 stands is learned well";
    EXPECT_FALSE(LEARN_SOFT.value);
    EXPECT_TRUE(g_learnSoftAutoOff);
    ASSERT_FALSE(ParkAirportList.empty());
    EXPECT_EQ(ParkAirportList.front().icao, "EDDF");
    EXPECT_EQ(ParkAirportList.front().reservedStand, "S11");
    EXPECT_EQ(readLines(g_myParkAirportsFile), (std::vector<std::string>{"EDDF,S11"}));
    EXPECT_EQ(gf_reservedStand(), "S11");
    EXPECT_TRUE(g_mainWindowState.reservedStandFound);
    EXPECT_EQ(PendingParkingList.size(), 6u);
    for (const PendingParking& p : PendingParkingList) EXPECT_NE(p.standId, 11u) << "the user's stand stays free";

    gf_clearParkAirportTraffic();
    EXPECT_TRUE(fs::exists(g_learnedThirdpartyFolder / "My Pub" / "EDDF.xml")) << "LEARN_SOFT was switched off here";
    EXPECT_FALSE(g_learnSoftAutoOff);

    parkingFileOf("EDDF", 19, {{"Qf_real", "50"}});
    gf_checkStaticParking(true);
    ASSERT_EQ(StandTable.size(), 19u);
    EXPECT_TRUE(g_softLearningAllowed) << "fewer than 20 stands still learn soft options";
}

TEST_F(ParkAirportChoiceTest, AFileThatCannotBeLoadedCostsOnlyThatAirport) {
    writeFile(g_myThirdpartyFolder / "EDDF.xml",
              parkingFile({{"airport_name", "Frankfurt"}, {"publisher", "My Pub"}}, parkpos("A1", baseLat, baseLon, 20)));
    g_userOnGround = true;
    g_userAcCopy.lat = baseLat;
    g_userAcCopy.lon = baseLon;
    gf_checkStaticParking(true);
    EXPECT_TRUE(folder.logContains("65: Parameter altitude not found"));
    EXPECT_EQ(park(), "");
    EXPECT_FALSE(gf_staticParkingComputing());
    gf_checkStaticParking(false);
    EXPECT_EQ(park(), "") << "not tried again while the user stays";

    // A file whose maker the scanner could not tell is refused by its publisher.
    writeFile(g_myThirdpartyFolder / "EDDF.xml",
              parkingFile({{"airport_name", "Frankfurt"}, {"publisher", "unknown"}, {"altitude", "364"}},
                          parkpos("A1", baseLat, baseLon, 20)));
    std::string message;
    ASSERT_TRUE(gf_reloadParkAirports(true, message));
    g_apfChanged = true;  // the user changed a setting meanwhile
    gf_checkStaticParking(false);
    gf_checkStaticParking(false);
    EXPECT_TRUE(folder.logContains("lf_readParkedFile EDDF has publisher:unknown, "));
    EXPECT_EQ(park(), "");
    EXPECT_FALSE(g_parkingDataLoaded) << "a refused file leaves no parking data behind";
    EXPECT_TRUE(StandTable.empty());
    EXPECT_FALSE(folder.logContains("saving")) << "nothing learned there, nothing to save";

    parkingFileOf("EDDF", 2);
    message.clear();
    ASSERT_TRUE(gf_reloadParkAirports(true, message));
    EXPECT_EQ(message, "park airports and stands are okay");
    gf_checkStaticParking(false);
    gf_checkStaticParking(false);
    EXPECT_EQ(park(), "EDDF") << "the Re-read lets it be tried again";
    EXPECT_EQ(StandTable.size(), 2u);
}

TEST_F(ParkAirportChoiceTest, ReReadTakesOverAChangedReservedStand) {
    parkingFileOf("EDDF", 6);
    writeFile(g_myParkAirportsFile, "EDDF,S3\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    g_userOnGround = true;
    g_userDataValid = true;
    g_userAcCopy.lat = baseLat - 0.01;  // near EDDF, on no stand
    g_userAcCopy.lon = baseLon;
    gf_checkStaticParking(true);
    ASSERT_EQ(gf_reservedStand(), "S3");
    EXPECT_NE(StandTable[2].excluded, 0);
    PendingParkingList.clear();
    gf_checkStaticParking(false);  // the plan is created: the controls are free

    // The file lists a farther airport first; the nearest is the park airport's entry.
    writeFile(g_myParkAirportsFile, "AAAA\nEDDF,S5\n");
    std::string message;
    ASSERT_TRUE(gf_reloadParkAirports(true, message));
    EXPECT_EQ(message, "reserved stand changed from 'S3' to 'S5'");
    EXPECT_EQ(gf_reservedStand(), "S5");
    EXPECT_EQ(StandTable[2].excluded, 0);
    EXPECT_NE(StandTable[4].excluded, 0);
    message.clear();
    ASSERT_TRUE(gf_reloadParkAirports(true, message));
    EXPECT_EQ(message, "park airports and stands are okay");

    writeFile(g_myParkAirportsFile, "XXXX\n");
    message.clear();
    EXPECT_FALSE(gf_reloadParkAirports(true, message)) << "an unknown airport: nothing more to show";
}

TEST_F(ParkAirportChoiceTest, LeavingRemovesTheStaticAndGroundTrafficAndPutsBackTheUsersLiveMaximum) {
    parkingFileOf("EDDF", 4);
    g_userOnGround = true;
    g_userAcCopy.lat = baseLat;
    g_userAcCopy.lon = baseLon;
    gf_checkStaticParking(true);
    ASSERT_EQ(park(), "EDDF");
    AiAc& s = standing(1, g_planKindOptions, PendingParking{0, 1, 1, 0, "DLH", "A320", "DLH0", "", "D-A000", 1}, 0, 0);
    const std::uint32_t staticObject = s.objectId;
    for (const auto& [hexId, st] : {std::pair{0x3C0001u, MovementState::parked}, std::pair{0x3C0002u, MovementState::taxi},
                                    std::pair{0x3C0003u, MovementState::flying}}) {
        PosSample sample;
        g_liveList.emplace_back(sample, gf_aircraftFromLivery(AcIdentityRecord{"DLH", "A320"}, hexId), 0.0);
        g_liveList.back().fs = LifecycleState::active;
        g_liveList.back().objectId = hexId;
        g_liveList.back().st = st;
        g_liveList.back().standId = 2;
    }
    g_userMaxLiveSel = 500;
    MAX_LIVE_SEL.value = 50;  // from the airport's learned file
    g_learnedUpdates = 3;

    gf_clearParkAirportTraffic();
    std::vector<std::uint32_t> removed(g_removalDeque.begin(), g_removalDeque.end());
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::uint32_t>{staticObject, 0x3C0001u, 0x3C0002u}));
    EXPECT_EQ(gf_findLive(0x3C0001u)->standId, 0u);
    EXPECT_EQ(gf_findLive(0x3C0003u)->fs, LifecycleState::active) << "aircraft in flight stay";
    EXPECT_EQ(gf_findLive(0x3C0003u)->standId, 0u) << "no stand number of a table that is gone";
    EXPECT_EQ(MAX_LIVE_SEL.value, 500);
    EXPECT_EQ(park(), "");
    EXPECT_TRUE(StandTable.empty());
    EXPECT_FALSE(g_parkingDataLoaded);
    EXPECT_FALSE(g_referenceElevation.has_value());
    EXPECT_TRUE(fs::exists(g_learnedThirdpartyFolder / "My Pub" / "EDDF.xml"));
    EXPECT_EQ(g_learnedUpdates, 0);
}

}  // namespace
}  // namespace zrb::test
