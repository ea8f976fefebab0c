// Parked live aircraft listed and removed after their time, the counts and
// average fits the window shows, removing every static aircraft, clearing the
// reserved stand, and the static doubles of a live aircraft.
#include <gtest/gtest.h>

#include <atomic>

#include "airports/park_airport.h"
#include "airports/stand.h"
#include "foundation/time.h"
#include "manager_fixture.h"
#include "shell/common/main_window_state.h"
#include "traffic/parked_aircraft.h"
#include "traffic/static_doubles.h"

namespace zrb::test {
namespace {

constexpr Seconds mondayNoon = 1717416000;  // Mon 3 June 2024 12:00 UTC: day 1, slot 24
std::atomic<Seconds> g_now{mondayNoon};
Seconds lf_clock() { return g_now.load(); }

class ParkedAircraft : public ManagerTest {
protected:
    ParkedAircraft() {
        gf_setSystemClock(&lf_clock);
        g_mainWindowState.staticAverageFit = -1.0F;
        g_mainWindowState.liveAverageFit = -1.0F;
    }
    ~ParkedAircraft() override {
        gf_setSystemClock(nullptr);
        gf_setReservedStand("");
    }

    static LiveAc& parked(std::uint32_t hexId, const std::string& callsign, std::int64_t minutes, bool heavy = false) {
        LiveAc& a = addLive(hexId, callsign, heavy ? "B744" : "A320", LifecycleState::active, 47.0, 8.0, false);
        a.st = MovementState::parked;
        a.category = heavy ? 3 : 2;
        a.parkTimeS = mondayNoon - minutes * 60 - 30;
        return a;
    }

    static bool removing(const AiAc& a) { return a.fs == LifecycleState::removingfromsim; }
};

TEST_F(ParkedAircraft, LiveAircraftParkedTooLongGoUnlessTheInitialLoadOnlyIsKept) {
    LiveAc& heavy179 = parked(10001, "UAE1", 179, true);
    LiveAc& heavy181 = parked(10002, "UAE2", 181, true);
    LiveAc& large91 = parked(10003, "DLH3", 91);
    LiveAc& reported = parked(10004, "DLH4", 500);
    reported.atStandChecked = 1;  // the feed still reports it at its stand
    reported.feedTime = static_cast<double>(mondayNoon - 20);
    LiveAc& silent = parked(10006, "DLH6", 500);
    silent.atStandChecked = 1;  // reported at its stand once, but not for ten minutes
    silent.feedTime = static_cast<double>(mondayNoon - 600);
    LiveAc& large30 = parked(10005, "DLH5", 30);
    large30.standId = 7;

    INITIAL_LOAD_ONLY.value = true;
    gf_collectParkedLive();
    EXPECT_EQ(ParkedLiveList.size(), 6u);
    EXPECT_TRUE(g_removalDeque.empty());

    INITIAL_LOAD_ONLY.value = false;
    gf_collectParkedLive();
    EXPECT_FALSE(removing(heavy179));
    EXPECT_TRUE(removing(heavy181));
    EXPECT_TRUE(removing(large91));
    EXPECT_FALSE(removing(reported));
    EXPECT_TRUE(removing(silent));
    ASSERT_EQ(ParkedLiveList.size(), 3u);
    EXPECT_EQ(ParkedLiveList[0].callsign, "DLH4");
    EXPECT_EQ(ParkedLiveList[0].minutes, 0);
    EXPECT_EQ(ParkedLiveList[1].callsign, "DLH5");
    EXPECT_EQ(ParkedLiveList[1].minutes, 30);
    EXPECT_EQ(ParkedLiveList[1].standId, 7u);
    EXPECT_EQ(ParkedLiveList[2].callsign, "UAE1") << "the longest parked last: the planner trims from the back";
    EXPECT_EQ(ParkedLiveList[2].minutes, 179);
}

TEST_F(ParkedAircraft, CountsCarryTheAverageFitWhileWeekIsOff) {
    EXPECT_EQ(gf_countStaticParked(true).count, 0u);
    EXPECT_FLOAT_EQ(g_mainWindowState.staticAverageFit, -1.0F) << "nothing counted: nothing shown";
    AiAc& a = addStatic(1, "A*", LifecycleState::active);
    a.day = 1;
    a.slot = 20;  // 4 half-hours ago
    AiAc& b = addStatic(2, "B*", LifecycleState::removingfromsim);
    b.day = 1;
    b.slot = 25;  // half an hour in the future: last week's, 335 half-hours ago
    addStatic(3, "C*", LifecycleState::adding2sim);  // not counted
    const ParkedCount statics = gf_countStaticParked(true);
    EXPECT_EQ(statics.count, 2u);
    EXPECT_FLOAT_EQ(statics.averageFitHours, (4.0F + 335.0F) / 4.0F + 0.5F);
    EXPECT_FLOAT_EQ(g_mainWindowState.staticAverageFit, statics.averageFitHours);

    LiveAc& live = parked(10001, "DLH1", 10);
    live.day = 1;
    live.slot = 24;
    parked(10002, "DLH2", 10).fs = LifecycleState::removingfromsim;  // not counted
    const ParkedCount lives = gf_countLiveParked(true);
    EXPECT_EQ(lives.count, 1u);
    EXPECT_FLOAT_EQ(lives.averageFitHours, 0.5F);

    WEEK.value = true;  // any weekday fits: the fit means nothing and stays as shown
    a.slot = 0;
    EXPECT_FLOAT_EQ(gf_countStaticParked(true).averageFitHours, statics.averageFitHours);
    EXPECT_FLOAT_EQ(g_mainWindowState.staticAverageFit, statics.averageFitHours);
}

TEST_F(ParkedAircraft, RemovingEveryStaticAircraftAndClearingTheReservedStand) {
    AiAc& active = addStatic(1, "A*", LifecycleState::active);
    addStatic(2, "B*", LifecycleState::adding2sim);
    AiAc& handedOver = addStatic(3, "C*", LifecycleState::adding2sim);
    CreateAcRequest queued;
    queued.hexId = 2;
    queued.callsign = "B*";
    g_staticCreateDeque = {queued};
    const std::uint32_t activeObject = active.objectId;
    (void)handedOver;
    gf_removeAllStatic();
    ASSERT_EQ(g_staticList.size(), 2u) << "the queued one is withdrawn and erased";
    EXPECT_TRUE(g_staticCreateDeque.empty());
    EXPECT_EQ(g_staticList[0].fs, LifecycleState::removingfromsim);
    EXPECT_EQ(g_removalDeque, std::deque<std::uint32_t>{activeObject});
    EXPECT_EQ(g_staticList[1].removeWhenCreated, 1) << "handed to the simulator: removed once created";
    g_staticList.clear();
    g_removalDeque.clear();

    StandTable.emplace_back("G12", std::vector<StandOption>{}, 47.0, 8.0, 0.0, 40.0, 1, 1, 1);
    StandTable.back().number = 1;
    LiveAc& onIt = parked(10001, "DLH1", 10);
    onIt.standId = 1;
    AiAc& staticOnIt = addStatic(4, "D*", LifecycleState::active);
    staticOnIt.standId = 1;
    gf_setReservedStand("G99");  // the user's list names a stand the airport does not have
    gf_clearReservedStand();
    EXPECT_TRUE(g_removalDeque.empty());
    gf_setReservedStand("G12");
    gf_clearReservedStand();
    EXPECT_TRUE(removing(staticOnIt)) << "the static aircraft first";
    EXPECT_FALSE(removing(onIt));
    gf_clearReservedStand();
    EXPECT_TRUE(removing(onIt));
}

TEST_F(ParkedAircraft, TheFirstStaticDoubleOfALiveAircraftGoes) {
    LiveAc& live = addLive(0x3C6444, "DLH4AB_", "A320", LifecycleState::active);
    AiAc& other = addStatic(1, "KLM1*", LifecycleState::active);
    AiAc& noRegistration = addStatic(2, "KLM2*", LifecycleState::active);  // both registrations empty
    AiAc& byCallsign = addStatic(3, "DLH4AC*", LifecycleState::active);
    byCallsign.text6 = "DLH4AC";  // its option's callsign and coupled callsign
    byCallsign.text7 = "DLH4AB";
    AiAc& byRegistration = addStatic(4, "DLH7*", LifecycleState::active);
    byRegistration.registration = "D-AIZA";
    AiAc& forThisLive = addStatic(5, "DLH9*", LifecycleState::active);
    forThisLive.planKind = 0;
    forThisLive.liveHexId = 0x3C6444;
    live.registration = "D-AIZA";
    live.text6 = "DLH4AC";  // its own options, as the coupled search found them
    live.text7 = "DLH4AB";

    gf_removeStaticDoubles(live.hexId, true);
    EXPECT_TRUE(m_folder.logContains("DLH4AC*  'DLH4AC DLH4AB' removed, new on ground DLH4AB_ 'DLH4AC' 'DLH4AB' has coupled callsign"));
    EXPECT_TRUE(removing(byCallsign));
    EXPECT_FALSE(removing(byRegistration)) << "one a check";
    gf_removeStaticDoubles(live, false);
    EXPECT_TRUE(removing(byRegistration));
    EXPECT_TRUE(m_folder.logContains("DLH7*    D-AIZA removed, new airborne 'DLH4AB_' has same regcode D-AIZA"));
    gf_removeStaticDoubles(live, false);
    EXPECT_TRUE(removing(forThisLive));
    EXPECT_TRUE(m_folder.logContains("DLH9*    removed, new airborne 'DLH4AB_' has same hexid"));
    gf_removeStaticDoubles(live, false);
    EXPECT_FALSE(removing(other));
    EXPECT_FALSE(removing(noRegistration));
    live.callsign.clear();
    byCallsign.fs = LifecycleState::active;
    gf_removeStaticDoubles(live, false);
    EXPECT_FALSE(removing(byCallsign)) << "nothing for a live aircraft without a callsign";
}

}  // namespace
}  // namespace zrb::test
