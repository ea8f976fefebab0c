// The schedule search over the stand options: which option fills which free
// stand in a round, what counts as present already, turnarounds, the coupled
// callsigns of a live aircraft and the planner's window predicates.
#include <gtest/gtest.h>

#include "airports/static_parking_plan.h"
#include "airports/stand.h"
#include "foundation/random.h"
#include "foundation/time.h"
#include "manager_fixture.h"
#include "traffic/coupled_callsigns.h"
#include "traffic/parked_aircraft.h"
#include "traffic/schedule_search.h"

namespace zrb::test {
namespace {

constexpr std::uint32_t monday = 1;
constexpr std::uint32_t sunday = 7;

HourBits slots(std::initializer_list<int> list) {
    HourBits bits = 0;
    for (const int s : list) bits |= HourBits{1} << s;
    return bits;
}

StandOption option(std::uint32_t id, const std::string& callsign, HourBits halfHours, std::int32_t day = monday,
                   std::uint32_t real = 1) {
    StandOption o;
    o.airline = "DLH";
    o.type = "A320";
    o.registration = "D-AI" + callsign.substr(3);
    o.callsign = callsign;
    o.halfHours = halfHours;
    o.optionId = id;
    o.day = day;
    o.real = real;
    return o;
}

class ScheduleSearch : public ManagerTest {
protected:
    ScheduleSearch() {
        gf_seedThreadRng(11);
        g_liveCallsigns.clear();
        ParkedLiveList.clear();
    }
    ~ScheduleSearch() override { g_liveCallsigns.clear(); }

    static Stand& addStand(const std::string& name, std::vector<StandOption> options, double lon = 8.55) {
        StandTable.emplace_back(name, std::move(options), 47.466, lon, 0.0, 40.0, 1, 1, 1);
        StandTable.back().number = static_cast<std::uint32_t>(StandTable.size());
        return StandTable.back();
    }

    std::vector<PendingParking> search(DaySlot time, std::uint32_t mode, std::uint32_t offset) {
        std::vector<PendingParking> found;
        lf_searchStands(time, mode, offset, found);
        return found;
    }
};

TEST_F(ScheduleSearch, EachFreeStandGetsOneOptionOfTheModeDayAndHalfHour) {
    Stand& a = addStand("A1", {option(1, "DLH100", slots({20})), option(2, "DLH200", slots({20}), monday, 0)});
    addStand("A2", {option(1, "DLH300", slots({20}), 2)});  // Tuesday
    addStand("A3", {option(1, "DLH400", slots({45}), sunday)});
    Stand& heli = addStand("H1", {option(1, "DLH500", slots({20}))});
    heli.heli = 1;
    a.neighbours = {3};
    HELICOPTERS.value = false;

    auto found = search(gf_makeDaySlot(monday, 20), g_searchReal, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].callsign, "DLH100");
    EXPECT_EQ(found[0].standId, 1u);
    EXPECT_EQ(found[0].ageSlots, 0u);
    EXPECT_EQ(found[0].liveHexId, 0u);
    EXPECT_EQ(found[0].planKind, 1u);
    EXPECT_EQ(found[0].staysNextHalfHour, 1) << "no coupled callsign";
    EXPECT_EQ(a.occupied, 1);
    EXPECT_EQ(StandTable[2].blocked, 1) << "the neighbour of a filled stand";
    EXPECT_TRUE(m_folder.logContains("lf_searchStands: day: 1, offset 0: [A1,1]"));

    // Monday slot 2, 5 half-hours back: Sunday slot 45, but A3 is blocked.
    EXPECT_TRUE(search(gf_makeDaySlot(monday, 2), g_searchReal, 5).empty());
    StandTable[2].blocked = 0;
    found = search(gf_makeDaySlot(monday, 2), g_searchReal, 5);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].callsign, "DLH400");
    EXPECT_EQ(found[0].ageSlots, 5u);

    // Soft options, any weekday with WEEK, the helipad with HELICOPTERS.
    for (Stand& s : StandTable) s.occupied = s.blocked = 0;
    WEEK.value = true;
    HELICOPTERS.value = true;
    found = search(gf_makeDaySlot(monday, 20), g_searchSoft, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].callsign, "DLH200");
    found = search(gf_makeDaySlot(monday, 20), 2, 0);  // both kinds
    EXPECT_EQ(found.size(), 2u) << "A2 (Tuesday) and H1; A1 is taken";
}

TEST_F(ScheduleSearch, AnOptionWhoseAircraftIsPresentLeavesItsStandAndStaysInTheFile) {
    addStand("A1", {option(1, "DLH100", slots({20, 21})), option(2, "DLH200", slots({20}))});
    addStand("A2", {option(1, "DLH300", slots({21}))});
    addStand("A3", {option(1, "DLH400", slots({21}))});
    addStand("A4", {option(1, "DLH500", slots({21}))});
    g_liveCallsigns = {"DLH100_"};                                    // flies live
    PendingParking planned;
    planned.callsign = "DLH300";
    PendingParkingList = {planned};                                   // planned
    ParkedLiveList = {ParkedLiveEntry{"DLH400", 0x400001, 9, 30}};    // parked live
    addStatic(1, "DLH500*", LifecycleState::active).planKind = 0;     // stands for a live aircraft
    const DaySlot now = gf_makeDaySlot(monday, 21);

    EXPECT_TRUE(search(now, g_searchReal, 0).empty());
    EXPECT_EQ(StandTable[0].occupied, 0);
    EXPECT_EQ(StandTable[0].options[0].optionId, 1u) << "the learned file keeps the option";
    // The next round of the same widening passes it over: the stand takes another.
    auto found = search(now, g_searchReal, 1);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].callsign, "DLH200");
    // A new widening looks at it again.
    g_liveCallsigns.clear();
    StandTable[0].occupied = 0;
    found = search(now, g_searchReal, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].callsign, "DLH100");
}

TEST_F(ScheduleSearch, NeighboursStandingStaticsAndTurnarounds) {
    StandOption turnaround = option(1, "DLH100", slots({46, 47}));
    turnaround.coupledCallsign = "DLH101";
    StandOption nextMorning = option(2, "DLH101", slots({0, 1}), 2);
    nextMorning.registration = turnaround.registration;
    Stand& a = addStand("A1", {turnaround, nextMorning, option(3, "DLH300", slots({46, 47}))});
    Stand& b = addStand("B1", {option(1, "DLH900", slots({47}))}, 8.5502);
    b.neighbours = {3};
    addStand("C1", {}, 8.5503);  // a wide aircraft stands on B1's neighbour
    AiAc& wide = addStatic(5, "UAE1*", LifecycleState::active, 47.466, 8.5503);
    wide.type = "B77W";
    wide.standId = 3;
    AiAc& standing = addStatic(6, "DLH100*", LifecycleState::active, 47.466, 8.55);
    standing.standId = 1;
    standing.type = "A320";
    standing.text6 = "X";  // planned from another option: not a double of these

    std::vector<PendingParking> found;
    for (std::uint32_t seed = 1; seed <= 8; ++seed) {  // whatever the random order would be
        gf_seedThreadRng(seed);
        a.occupied = 0;
        found = search(gf_makeDaySlot(monday, 47), g_searchReal, 0);
        ASSERT_EQ(found.size(), 1u) << "B1's option overlaps the wide aircraft next door";
        EXPECT_EQ(found[0].callsign, "DLH100") << "the aircraft that stands here keeps its option";
    }
    EXPECT_EQ(found[0].coupledCallsign, "DLH101");
    EXPECT_EQ(found[0].staysNextHalfHour, 1) << "its next-day option holds slot 0";
    a.occupied = 0;
    a.options[1].halfHours = slots({1});  // not there at midnight
    found = search(gf_makeDaySlot(monday, 47), g_searchReal, 0);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].callsign, "DLH100");
    EXPECT_EQ(found[0].staysNextHalfHour, 0);
}

TEST_F(ScheduleSearch, ALiveAircraftLearnsItsCoupledCallsignWithinItsWindow) {
    StandOption early = option(1, "DLH100", slots({5}));
    early.coupledCallsign = "DLH101";
    StandOption inWindow = option(2, "DLH100", slots({6}));
    inWindow.coupledCallsign = "DLH102";
    addStand("A1", {early, inWindow});
    LiveAc& heavy = addLive(10001, "DLH100_", "B744", LifecycleState::active);
    heavy.category = 3;
    lf_searchForCoupledCsAroundThisTime(gf_makeDaySlot(monday, 20), heavy);
    EXPECT_EQ(heavy.text6, "DLH100") << "slot 6 lies within 14 half-hours of slot 20";
    EXPECT_EQ(heavy.text7, "DLH102");
    LiveAc& large = addLive(10002, "DLH102", "A320", LifecycleState::active);
    lf_searchForCoupledCsAroundThisTime(gf_makeDaySlot(monday, 20), large);
    EXPECT_EQ(large.text6, "DLH102") << "10 half-hours for a Large aircraft: nothing found";
    lf_searchForCoupledCsAroundThisTime(gf_makeDaySlot(monday, 16), large);
    EXPECT_EQ(large.text6, "DLH100");
    EXPECT_EQ(large.text7, "DLH102");
}

TEST_F(ScheduleSearch, TheWindowBeforeNowReachesIntoThePreviousDay) {
    const StandOption monday3 = option(1, "DLH100", slots({3}));
    const StandOption sunday45 = option(2, "DLH100", slots({45}), sunday);
    AcIdentityRecord aircraft;
    aircraft.airline = "DLH";
    aircraft.type = "A320";
    aircraft.registration = monday3.registration;
    std::int32_t previousDay = 0;
    EXPECT_TRUE(gf_coupledInSlotsBefore(monday3, aircraft, gf_makeDaySlot(monday, 5), 2, previousDay));
    EXPECT_EQ(previousDay, -1);
    EXPECT_FALSE(gf_coupledInSlotsBefore(monday3, aircraft, gf_makeDaySlot(monday, 5), 1, previousDay));
    EXPECT_FALSE(gf_coupledInSlotsBefore(sunday45, aircraft, gf_makeDaySlot(monday, 1), 4, previousDay));
    EXPECT_EQ(previousDay, 3);
    EXPECT_TRUE(gf_coupledInLastSlotsOfDay(sunday45, aircraft, sunday, previousDay));
    EXPECT_FALSE(gf_coupledInLastSlotsOfDay(sunday45, aircraft, sunday, 2));
    aircraft.registration = "D-OTHER";
    EXPECT_FALSE(gf_coupledInLastSlotsOfDay(sunday45, aircraft, sunday, 3));
}

}  // namespace
}  // namespace zrb::test
