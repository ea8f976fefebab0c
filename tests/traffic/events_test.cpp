// The event patterns that animate AI aircraft, read from the simulator
// layer's client-event queue.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "foundation/random.h"
#include "manager_fixture.h"
#include "simlink/sim_ids.h"
#include "traffic/ac_events.h"

namespace zrb::test {
namespace {

using Event = std::pair<std::uint32_t, std::uint32_t>;  // event id, data

std::vector<Event> takeEvents(std::uint32_t objectId) {
    std::vector<Event> events;
    for (const ClientEventRequest& e : gf_queuedClientEvents())
        if (e.objectId == objectId) events.emplace_back(e.eventId, e.data);
    gf_resetSimQueues(5);
    return events;
}

std::vector<Event> lights(std::uint32_t nav, std::uint32_t beacon, std::uint32_t landing, std::uint32_t taxi,
                          std::uint32_t strobes, std::uint32_t logo, std::uint32_t cabin) {
    return {{evNavLightsSet, nav},  {evBeaconLightsSet, beacon}, {evLandingLightsSet, landing}, {evTaxiLightsSet, taxi},
            {evStrobesSet, strobes}, {evLogoLightsSet, logo},     {evCabinLightsSet, cabin}};
}

std::vector<Event> concat(std::vector<Event> a, const std::vector<Event>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

using Events = ManagerTest;

TEST_F(Events, ThrottleAndFlapsAreSentOncePerChangeAndTheFirstAlways) {
    LiveAc& a = addLive(10001, "DLH1", "A320", LifecycleState::active);
    gf_setThrottle(a, 0);
    gf_setFlaps(a, 0);
    gf_setThrottle(a, 3);
    gf_setThrottle(a, 3);
    gf_setFlaps(a, 2);
    gf_setFlaps(a, 7);
    EXPECT_EQ(takeEvents(a.objectId), (std::vector<Event>{{evThrottleSet, 0}, {evFlapsSet, 0}, {evThrottleSet, 11468},
                                                          {evFlapsSet, 10240}}));
    EXPECT_TRUE(m_folder.logContains("gf_setFlaps: invalid flaps index"));
}

TEST_F(Events, StartPatternsByFrontSampleAndMovementState) {
    LiveAc& air = addLive(10001, "DLH1", "A320", LifecycleState::adding2sim, 47.0, 8.0, true);
    air.objectId = 101;
    air.samples.front().altitude = 12000.0;
    air.agl = 2500.0;
    gf_startPattern(air);
    EXPECT_EQ(takeEvents(101), concat({{evEngineAutoStart, 0}, {evSpoilersSet, 0}}, lights(1, 1, 0, 0, 1, 0, 1)));

    LiveAc& taxi = addLive(10002, "DLH2", "A320", LifecycleState::adding2sim, 47.0, 8.0, false);
    taxi.objectId = 102;
    taxi.st = MovementState::taxi;
    gf_startPattern(taxi);
    EXPECT_EQ(takeEvents(102), concat(concat({{evSpoilersSet, 0}, {evEngineAutoStart, 0}}, lights(1, 1, 0, 1, 0, 1, 1)),
                                      {{evThrottleSet, 0}, {evFlapsSet, 3072}}));

    NAV_LIGHTS_WHILE_PARKED.value = false;
    LiveAc& parked = addLive(10003, "DLH3", "A320", LifecycleState::adding2sim, 47.0, 8.0, false);
    parked.objectId = 103;
    parked.st = MovementState::parked;
    gf_startPattern(parked);
    EXPECT_EQ(takeEvents(103), concat(concat({{evSpoilersSet, 0}, {evEngineAutoShutdown, 0}}, lights(0, 0, 0, 0, 0, 1, 1)),
                                      {{evThrottleSet, 0}, {evFlapsSet, 0}}));
}

TEST_F(Events, AHelicopterNeverSendsFlapsOrSpoilersAndStartsAtFullThrottle) {
    LiveAc& heli = addLive(10004, "HEL1", "EC35", LifecycleState::adding2sim, 47.0, 8.0, false);
    heli.objectId = 104;
    heli.st = MovementState::taxi;
    gf_startPattern(heli);
    gf_setFlaps(heli, 2);
    gf_setSpoilers(heli, 16383);
    EXPECT_EQ(takeEvents(104), concat({{evEngineAutoStart, 0}}, concat(lights(1, 1, 0, 1, 0, 1, 1), {{evThrottleSet, 16383}})));
}

TEST_F(Events, ShutDownTurnsCabinLightsOnInNineDrawsOfTenUnlessCargo) {
    AiAc& s = addStatic(7, "DLH7*", LifecycleState::active);
    gf_seedThreadRng(42);
    std::uint32_t on = 0;
    constexpr int draws = 200;
    for (int i = 0; i < draws; ++i) {
        s.throttleIndex = g_throttleNoneSent;
        s.flapsIndex = g_flapsNoneSent;
        gf_shutDownAc(s);
        const auto events = takeEvents(s.objectId);
        ASSERT_EQ(events.size(), 10u);
        EXPECT_EQ(events[0], Event(evThrottleSet, 0));
        EXPECT_EQ(events[1], Event(evFlapsSet, 0));
        EXPECT_EQ(events[2], Event(evEngineAutoShutdown, 0));
        EXPECT_EQ(events[3], Event(evNavLightsSet, 1));
        on += events[9].second;
    }
    EXPECT_GT(on, draws * 8 / 10);
    EXPECT_LT(on, draws);

    s.standCargo = 1;
    gf_shutDownAc(s);
    const auto cargo = takeEvents(s.objectId);
    EXPECT_EQ(cargo.back(), Event(evCabinLightsSet, 0)) << "nothing but the shut-down and lights: throttle and flaps are at 0";
    EXPECT_EQ(cargo.size(), 8u);
}

}  // namespace
}  // namespace zrb::test
