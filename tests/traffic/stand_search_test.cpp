// The stand searches: the user's stand, the nearest free stand, the chosen
// stand and the learning of live aircraft at stands.
#include <gtest/gtest.h>

#include "airports/park_airport.h"
#include "foundation/random.h"
#include "manager_fixture.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_state.h"
#include "simlink/sim_state.h"
#include "stand_table_fixture.h"
#include "traffic/stand_observations.h"
#include "traffic/stand_search.h"

namespace zrb::test {
namespace {

constexpr double metre = 1.0 / metresPerNm;  // NM

class StandSearch : public ManagerTest {
protected:
    StandSearch() {
        g_userOnGround = true;
        g_changedStandCount = 0;
        g_learnedUpdates = 0;
        gf_seedThreadRng(7);
    }
    ~StandSearch() override {
        g_userOnGround = false;
        g_changedStandCount = 0;
        g_learnedUpdates = 0;
        g_currentDaySlot = 0;
        gf_clearCurrentParkAirport();
    }
    void use(std::vector<Stand> table) { gf_replaceStandTable(std::move(table)); }
    static AiAc aircraft(double halfSpanMetres, std::uint32_t category = 2, const std::string& callsign = "DLH4AB") {
        AiAc a;
        a.halfSpan = halfSpanMetres * metre;
        a.category = category;
        a.callsign = callsign;
        a.airline = "DLH";
        a.type = "A320";
        a.registration = "D-AIZA";
        return a;
    }
    static std::string name(StandIterator it) { return it == StandTable.end() ? "none" : it->id; }
};

TEST_F(StandSearch, AnEmptyTableHasNoStandForAnyone) {
    const AiAc a = aircraft(18.0);
    EXPECT_EQ(gf_getUserStand(LatLon{g_refLat, g_refLon}), "");
    EXPECT_EQ(name(gf_findNearestFreeStand(LatLon{g_refLat, g_refLon}, a, 1.0, true)), "none");
    EXPECT_EQ(name(gf_chooseStand(gf_makeDaySlot(3, 20), a, true)), "none");
    EXPECT_EQ(name(gf_findStandByName("A1")), "none");
}

TEST_F(StandSearch, TheUserStandIsTheNearestWithin55MetresOnTheGroundOnly) {
    std::vector<Stand> table;
    addStand(table, "A1", 40.0, 0.0, 20.0);
    addStand(table, "A2", 30.0, 0.0, 20.0);
    addStand(table, "A3", 0.0, 54.0, 20.0);
    use(std::move(table));
    EXPECT_EQ(gf_getUserStand(offsetPoint(0.0, 0.0)), "A2");
    EXPECT_EQ(gf_getUserStand(offsetPoint(0.0, 80.0)), "A3");
    EXPECT_EQ(gf_getUserStand(offsetPoint(-60.0, 0.0)), "");
    g_userOnGround = false;
    EXPECT_EQ(gf_getUserStand(offsetPoint(30.0, 0.0)), "");  // airborne over A2
    g_userOnGround = true;
    // A new table at the same position gives a new answer, not the one remembered.
    EXPECT_EQ(gf_getUserStand(offsetPoint(0.0, 0.0)), "A2");
    std::vector<Stand> other;
    addStand(other, "B9", 0.0, 0.0, 20.0);
    use(std::move(other));
    EXPECT_EQ(gf_getUserStand(offsetPoint(0.0, 0.0)), "B9");
    gf_clearStandTable();
    EXPECT_EQ(gf_getUserStand(offsetPoint(0.0, 0.0)), "");
}

TEST_F(StandSearch, ANearStandThatIsTooSmallIsTakenAndGrown) {
    std::vector<Stand> table;
    addStand(table, "A1", 15.0, 0.0, 15.0);
    use(std::move(table));
    const AiAc a = aircraft(18.0);  // 3 m too wide for the stand
    EXPECT_EQ(name(gf_findNearestFreeStand(offsetPoint(0.0, 0.0), a, g_userStandRadiusNm, false)), "A1");
    EXPECT_NEAR(StandTable[0].radius, 17.0 * metre, 1e-12);
    EXPECT_EQ(StandTable[0].radiusChanged, 1);
    EXPECT_EQ(g_changedStandCount.load(), 1u);
    EXPECT_EQ(g_mainWindowState.updates.load(), 1);

    std::vector<Stand> far;
    addStand(far, "A1", 25.0, 0.0, 15.0);
    use(std::move(far));
    EXPECT_EQ(name(gf_findNearestFreeStand(offsetPoint(0.0, 0.0), a, g_userStandRadiusNm, false)), "none");
    EXPECT_DOUBLE_EQ(StandTable[0].radius, 15.0 * metre);
    EXPECT_EQ(g_changedStandCount.load(), 1u);
}

TEST_F(StandSearch, TheNearestFreeStandSkipsHeldStandsAndFallsBackToTheCallsignsStand) {
    std::vector<Stand> table;
    addStand(table, "A1", 5.0, 0.0, 25.0);
    addStand(table, "A2", 12.0, 0.0, 25.0);
    addStand(table, "A3", 70.0, 0.0, 25.0);  // within 85 m, where DLH4AB was seen
    table[2].options.push_back(StandOption{"DLH", "A320", "D-AIZA", "DLH4AB", "", 1, 1, 3, 1, 1});
    addStand(table, "A4", 40.0, 0.0, 25.0);
    use(std::move(table));
    AiAc a = aircraft(17.0);
    const LatLon here = offsetPoint(0.0, 0.0);
    StandTable[0].liveParked = 1;  // another live aircraft holds it
    EXPECT_EQ(name(gf_findNearestFreeStand(here, a, g_nearStandNm, true)), "A2");
    a.standId = 1;  // its own claim does not keep it off
    EXPECT_EQ(name(gf_findNearestFreeStand(here, a, g_nearStandNm, true)), "A1");
    a.standId = 0;
    StandTable[1].liveParked = 1;
    // Nothing within 20 m: the stand of an option for the callsign, not the nearer A4.
    EXPECT_EQ(name(gf_findNearestFreeStand(here, a, g_nearStandNm, true)), "A3");
    EXPECT_EQ(name(gf_findNearestFreeStand(here, a, g_nearStandNm, false)), "none");
    a.callsign = "DLH77";  // another flight of the airline's type still matches
    EXPECT_EQ(name(gf_findNearestFreeStand(here, a, g_nearStandNm, true)), "A3");
    a.airline = "BAW";
    EXPECT_EQ(name(gf_findNearestFreeStand(here, a, g_nearStandNm, true)), "none");
}

TEST_F(StandSearch, HelipadsServeHelicoptersOnly) {
    std::vector<Stand> table;
    addStand(table, "H1", 3.0, 0.0, 15.0, StandKind::heli);
    addStand(table, "A1", 8.0, 0.0, 25.0);
    use(std::move(table));
    const LatLon here = offsetPoint(0.0, 0.0);
    // A helipad nearer than the gate does not cost the airliner its stand.
    EXPECT_EQ(name(gf_findNearestFreeStand(here, aircraft(17.0), g_userStandRadiusNm, true)), "A1");
    EXPECT_EQ(name(gf_findNearestFreeStand(here, aircraft(5.0, g_categoryRotorcraft), g_userStandRadiusNm, true)), "H1");
    StandTable[0].liveParked = 1;
    EXPECT_EQ(name(gf_findNearestFreeStand(here, aircraft(5.0, g_categoryRotorcraft), g_userStandRadiusNm, true)), "none");
}

TEST_F(StandSearch, ASmallAirportTriesTheNextHalfHourWhenAllStandsAreBooked) {
    const DaySlot now = gf_makeDaySlot(3, 20);
    for (const int stands : {10, 11}) {
        std::vector<Stand> table;
        for (int i = 0; i < stands; ++i) {
            Stand& s = addStand(table, "S" + std::to_string(i), 100.0 * i, 0.0, 20.0);
            std::uint64_t hours = std::uint64_t{1} << 20;
            if (i != 4) hours |= std::uint64_t{1} << 21;  // S4 is free at the next half-hour
            s.options.push_back(StandOption{"BAW", "A320", "G-EUUA", "BAW1", "", hours, 1, 3, 1, 1});
        }
        use(std::move(table));
        EXPECT_EQ(name(gf_chooseStand(now, aircraft(17.0), true)), stands == 10 ? "S4" : "none") << stands;
        EXPECT_EQ(name(gf_chooseStand(now, aircraft(17.0), false)), "none");
    }
}

TEST_F(StandSearch, ChosenStandsFollowKindSizeAndCallsign) {
    std::vector<Stand> table;
    addStand(table, "M-big", 0.0, 0.0, 40.0);
    addStand(table, "M-fit", 100.0, 0.0, 19.0);
    addStand(table, "R1", 200.0, 0.0, 19.0, StandKind::ramp);
    addStand(table, "C1", 300.0, 0.0, 35.0, StandKind::cargo);
    addStand(table, "H1", 400.0, 0.0, 10.0, StandKind::heli);
    use(std::move(table));
    gf_setCurrentParkAirport(CurrentParkAirportData{"KJFK", "JFK", g_refLat, g_refLon, 13.0});
    const DaySlot now = gf_makeDaySlot(2, 10);
    // At an airport whose code begins with K an airliner never gets a ramp while a main stand is free.
    for (std::uint32_t seed = 0; seed < 200; ++seed) {
        gf_seedThreadRng(seed);
        ASSERT_EQ(name(gf_chooseStand(now, aircraft(17.5), false)), "M-fit") << seed;
    }
    EXPECT_EQ(name(gf_chooseStand(now, aircraft(5.5, 0), false)), "R1");
    EXPECT_EQ(name(gf_chooseStand(now, aircraft(5.0, g_categoryRotorcraft), false)), "H1");
    AiAc freighter = aircraft(32.0, g_categoryHeavy);
    freighter.cargo = 1;
    EXPECT_EQ(name(gf_chooseStand(now, freighter, false)), "C1");
    // An option for the callsign outweighs the better size.
    StandTable[0].options.push_back(StandOption{"DLH", "A320", "D-AIZA", "DLH4AB", "", 1, 1, 5, 1, 1});
    EXPECT_EQ(name(gf_chooseStand(now, aircraft(17.5), false)), "M-big");
    // Booked at this half-hour: passed over.
    StandTable[0].options.back().day = 2;
    StandTable[0].options.back().halfHours = std::uint64_t{1} << 10;
    EXPECT_EQ(name(gf_chooseStand(now, aircraft(17.5), false)), "M-fit");
}

TEST_F(StandSearch, LiveAircraftNearTheParkAirportAreLearnedAsSoftOptions) {
    std::vector<Stand> table;
    addStand(table, "A1", 0.0, 0.0, 19.0);
    use(std::move(table));
    gf_setCurrentParkAirport(CurrentParkAirportData{"EDDF", "FRA", g_refLat, g_refLon, 364.0});
    g_currentDaySlot = gf_makeDaySlot(4, 30);
    LiveAc& a = addLive(0x3C6444, "DLH4AB", "A320", LifecycleState::active, g_refLat + 0.01, g_refLon, false);
    a.registration = "D-AIZA";
    a.agl = 0.0;

    LEARN_SOFT.value = false;
    gf_learnLiveStand(a, true);
    EXPECT_TRUE(StandTable[0].options.empty());
    LEARN_SOFT.value = true;
    a.standId = 1;  // at a stand of its own: nothing to guess
    gf_learnLiveStand(a, true);
    a.standId = 0;
    a.block.latitudeDeg = g_refLat + 0.1;  // 6 NM away
    gf_learnLiveStand(a, true);
    EXPECT_TRUE(StandTable[0].options.empty());

    a.block.latitudeDeg = g_refLat + 0.01;
    gf_learnLiveStand(a, false);
    ASSERT_EQ(StandTable[0].options.size(), 1u);
    const StandOption& o = StandTable[0].options[0];
    EXPECT_EQ(o.registration, "D-AIZA");
    EXPECT_EQ(o.real, 0u);
    EXPECT_EQ(o.day, 4);
    EXPECT_EQ(o.halfHours, std::uint64_t{1} << 30);
    EXPECT_EQ(g_learnedUpdates.load(), 1);
    ASSERT_EQ(LearnedLiveList.size(), 1u);
    EXPECT_EQ(LearnedLiveList[0].slot, 30u);

    // Learned again two half-hours later: at the stand it was given, extending its stay.
    g_currentDaySlot = gf_makeDaySlot(4, 32);
    gf_learnLiveStand(a, false);
    ASSERT_EQ(StandTable[0].options.size(), 1u);
    EXPECT_EQ(StandTable[0].options[0].halfHours, std::uint64_t{0b111} << 30);
    EXPECT_EQ(LearnedLiveList[0].slot, 32u);
}

TEST_F(StandSearch, RecordedStaysAreExtendedWithinTheCategorysLongestStay) {
    std::vector<Stand> table;
    addStand(table, "A1", 0.0, 0.0, 19.0);
    table[0].options.push_back(StandOption{"DLH", "A320", "D-AIZB", "DLH9", "", std::uint64_t{1} << 12, 1, 1, 1, 1});
    use(std::move(table));
    AiAc a = aircraft(17.0);
    a.hexId = 0x3C6444;
    const std::uint32_t id = lt_addStandOption(1, a, 0, gf_makeDaySlot(1, 10), 0);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(lt_addStandOption(1, a, 0, gf_makeDaySlot(1, 13), 0), id);
    EXPECT_EQ(StandTable[0].options.back().halfHours, std::uint64_t{0b1111} << 10);
    EXPECT_EQ(StandTable[0].options.back().real, 1u);
    // Six half-hours later a Large aircraft has left and come back: only the
    // new half-hour is marked on its option of the day, or, with flag 1, on a
    // new option.
    EXPECT_EQ(lt_addStandOption(1, a, 0, gf_makeDaySlot(1, 19), 0), id);
    EXPECT_EQ(StandTable[0].options.back().halfHours, (std::uint64_t{0b1111} << 10) | (std::uint64_t{1} << 19));
    EXPECT_NE(lt_addStandOption(1, a, 0, gf_makeDaySlot(1, 26), 1), id);
    EXPECT_EQ(StandTable[0].options.back().halfHours, std::uint64_t{1} << 26);
    // Across midnight the stay goes on in an option of the next day.
    a.cargo = 1;
    const std::uint32_t evening = lt_addStandOption(1, a, 0, gf_makeDaySlot(2, 46), 0);
    const std::uint32_t morning = lt_addStandOption(1, a, 0, gf_makeDaySlot(3, 1), 0);
    EXPECT_NE(morning, evening);
    const StandOption& last = StandTable[0].options.back();
    EXPECT_EQ(last.day, 3);
    EXPECT_EQ(last.halfHours, std::uint64_t{0b11});
    // What the airport's own file knows is not recorded again.
    a.registration = "D-AIZB";
    EXPECT_EQ(lt_addStandOption(1, a, 0, gf_makeDaySlot(1, 12), 0), 1u);
    // No stand of that number, or nothing to key the option by: nothing.
    EXPECT_EQ(lt_addStandOption(9, a, 0, gf_makeDaySlot(1, 12), 0), 0u);
    a.registration.clear();
    a.callsign.clear();
    EXPECT_EQ(lt_addStandOption(1, a, 0, gf_makeDaySlot(1, 12), 0), 0u);
}

}  // namespace
}  // namespace zrb::test
