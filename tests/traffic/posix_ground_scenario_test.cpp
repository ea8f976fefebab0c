// Live aircraft on the ground against the stand-in simulator, at a park
// airport whose stands come from a parking file: an arrival lands, rolls out,
// turns off, taxis and parks on its stand with the stand's heading, shuts
// down and stays while the feed reports it there, and nobody else is given its
// stand; a departure born at its stand is pushed back tail first with the turn
// to the side the feed shows (or straight, or pulls out), taxis and takes off.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "airports/park_airport_file.h"
#include "airports/stand.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/geodesy.h"
#include "support/scenario/traffic_scenario.h"
#include "support/temp_folder.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

constexpr int passesPerPoll = 500;  // one feed poll every 5 s
constexpr int fastPollPasses = 200;  // every 2 s, as the service reports busy airports
constexpr double elevationFt = 1416.0;
constexpr double feetPerMetre = 1.0 / 0.3048;
// The apron, some 900 m from the user's parked aircraft.
const LatLon apron{47.4600, 8.5600};

LatLon at(double northMetres, double eastMetres) {
    const LatLon north = gf_destinationPoint(apron, 0.0, northMetres * feetPerMetre);
    return gf_destinationPoint(north, g_pi / 2.0, eastMetres * feetPerMetre);
}

double metresBetween(const LatLon& a, const LatLon& b) { return gf_distanceNm(a, b) * 1852.0; }

// Three stands side by side along the apron, 60 m apart, nose north, 25 m radius.
void loadParkAirport() {
    gf_setCurrentParkAirport(CurrentParkAirportData{"LSZH", "ZRH", 47.4647, 8.5492, elevationFt});
    std::string stands;
    for (int i = 0; i < 3; ++i) {
        const LatLon p = at(0.0, 60.0 * i);
        stands += fmt::format(R"(<parkpos id="B{}" latitude="{:.8f}" longitude="{:.8f}" heading="0.0" radius="25.0"/>)",
                              i + 1, p.lat, p.lon);
    }
    const std::string file =
        "<?xml version=\"1.0\"?>\n"
        R"(<meta><info name="author" value="TLVR"/><info name="date" value="Dec 06, 2026"/>)"
        R"(<info name="version" value="1.0.0"/><info name="copyright" value="c"/></meta>)"
        R"(<parameters><parameter name="altitude" value="1416"/><parameter name="publisher" value="test"/></parameters>)"
        "<parkpositions>" + stands + "</parkpositions>\n";
    writeFile(std::filesystem::path("airports") / "my_thirdparty" / "LSZH.xml", file);
    ApfHeader header;
    QualityFactors qf = 0;
    ASSERT_EQ(gf_readApf("airports/my_thirdparty/LSZH.xml", header, qf), "");
    ASSERT_EQ(StandTable.size(), 3u);
}

// One feed position of a scripted track.
struct Fix {
    LatLon p;
    double altitudeFt = 0.0;  // 0: on the ground
    double speedKt = 0.0;
    double headingDeg = 0.0;
    double verticalRateFpm = 0.0;
};

// Fixes every `seconds` along straight legs at one speed, starting at from.
void rollAlong(std::vector<Fix>& track, LatLon from, const std::vector<std::pair<double, double>>& legs,
               double speedKt, double seconds = 5.0) {
    const double stepFt = speedKt * seconds / 3600.0 * 6076.11549;
    for (const auto& [headingDeg, metres] : legs) {
        const int steps = std::max(1, static_cast<int>(std::lround(metres * feetPerMetre / stepFt)));
        for (int i = 0; i < steps; ++i) {
            from = gf_destinationPoint(from, headingDeg * g_degToRad, metres * feetPerMetre / steps);
            track.push_back(Fix{from, 0.0, speedKt, headingDeg});
        }
    }
}

// A departure born at stand B3: parked, then the feed shows it pushed back
// (turning its nose west, or forward for a pull-out), waiting, taxiing west
// and south to the runway, rolling west and climbing away.
std::vector<Fix> departureTrack(bool pullOut) {
    std::vector<Fix> track;
    const LatLon stand = at(0.0, 120.0);
    for (int i = 0; i < 12; ++i) track.push_back(Fix{stand, 0.0, 0.0, 0.0});
    if (pullOut) {
        rollAlong(track, stand, {{0.0, 40.0}, {270.0, 40.0}}, 5.0);
    } else {
        // Tail first, the nose coming round to the west.
        const std::vector<std::pair<double, double>> push{{-6, 0}, {-18, 0}, {-32, 350}, {-45, 320}, {-55, 290}};
        for (const auto& [north, heading] : push) track.push_back(Fix{at(north, 120.0), 0.0, 3.0, heading});
        for (int i = 0; i < 4; ++i) track.push_back(Fix{at(-60.0, 120.0), 0.0, 0.0, 270.0});
    }
    LatLon p = track.back().p;
    const LatLon corner = at(-80.0, -400.0);
    rollAlong(track, p, {{270.0, metresBetween(p, corner) * 0.999}}, 15.0);
    rollAlong(track, corner, {{180.0, 520.0}}, 15.0);
    p = at(-600.0, -400.0);
    for (const double kt : {30.0, 60.0, 90.0, 120.0, 150.0}) {
        p = gf_destinationPoint(p, 270.0 * g_degToRad, kt * 5.0 / 3600.0 * 6076.11549);
        track.push_back(Fix{p, 0.0, kt, 270.0});
    }
    for (int i = 1; i <= 12; ++i) {
        p = gf_destinationPoint(p, 270.0 * g_degToRad, 160.0 * 5.0 / 3600.0 * 6076.11549);
        track.push_back(Fix{p, elevationFt + 125.0 * i, 160.0, 270.0, 1500.0});
    }
    return track;
}

struct PushbackSeen {
    bool pushedBack = false;
    bool pulledOut = false;
    LatLon end;             // where the pushback stopped (or the pull-out target was reached)
    double endHeadingDeg = 0.0;
    double northmost = -1e9;  // metres, while pushing back: never forward
    bool tookOff = false;
    bool flying = false;
};

class GroundScenario : public ::testing::Test {
protected:
    GroundScenario() { loadParkAirport(); }

    // Feeds the fixes one poll each; the check runs after every pass.
    void play(const Flight& f, const std::vector<Fix>& track, const std::function<void()>& check = [] {},
              int pollPasses = passesPerPoll) {
        for (const Fix& x : track) {
            ASSERT_TRUE(s.feedLive({s.record(f, x.p.lat, x.p.lon, x.altitudeFt, x.speedKt, x.headingDeg,
                                             x.verticalRateFpm)}));
            for (int k = 0; k < pollPasses; ++k) {
                s.pass();
                check();
            }
        }
    }
    // Plays a departure from stand B3 and watches it.
    void departure(const Flight& f, bool pullOut, PushbackSeen& seen);
    std::optional<standin::SimAircraft> objectOf(const std::string& callsign) {
        for (const auto& c : s.sim().creations()) {
            if (c.atcId != callsign) continue;
            for (const auto& o : s.sim().aiObjects())
                if (o.objectId == c.objectId) return o;
        }
        return std::nullopt;
    }
    int creationsOf(const std::string& callsign) {
        const auto creations = s.sim().creations();
        return static_cast<int>(std::count_if(creations.begin(), creations.end(),
                                              [&](const standin::SimAircraft& c) { return c.atcId == callsign; }));
    }
    // Plays the track with a feed poll every 2 s and records the first pass at
    // which the aircraft was gone again from the simulator after its creation.
    std::int32_t firstRemovalWhileReported(const Flight& f, const std::vector<Fix>& track) {
        std::int32_t removedAt = -1;
        play(
            f, track,
            [&] {
                if (removedAt < 0 && removed(f.callsign)) removedAt = s.tick();
            },
            fastPollPasses);
        return removedAt;
    }
    bool removed(const std::string& callsign) {
        const auto removals = s.sim().removals();
        for (const auto& c : s.sim().creations())
            if (c.atcId == callsign && std::count(removals.begin(), removals.end(), c.objectId) > 0) return true;
        return false;
    }
    std::vector<std::pair<std::string, std::uint32_t>> eventsOf(std::uint32_t objectId) {
        std::vector<std::pair<std::string, std::uint32_t>> events;
        for (const auto& e : s.sim().events())
            if (e.objectId == objectId && e.eventName.rfind("FREEZE", 0) != 0) events.emplace_back(e.eventName, e.data);
        return events;
    }
    static bool contains(const std::vector<std::pair<std::string, std::uint32_t>>& events,
                         const std::vector<std::pair<std::string, std::uint32_t>>& run) {
        return std::search(events.begin(), events.end(), run.begin(), run.end()) != events.end();
    }
    static std::vector<std::pair<std::string, std::uint32_t>> lights(std::uint32_t nav, std::uint32_t beacon,
                                                                      std::uint32_t landing, std::uint32_t taxi,
                                                                      std::uint32_t strobes, std::uint32_t logo,
                                                                      std::uint32_t cabin) {
        return {{"NAV_LIGHTS_SET", nav},     {"BEACON_LIGHTS_SET", beacon}, {"LANDING_LIGHTS_SET", landing},
                {"TAXI_LIGHTS_SET", taxi},   {"STROBES_SET", strobes},      {"LOGO_LIGHTS_SET", logo},
                {"CABIN_LIGHTS_SET", cabin}};
    }

    static ScenarioOptions options() {
        ScenarioOptions o;
        o.passesPerFrame = 20;  // ground movement needs no frame every pass; the run stays short
        return o;
    }
    TrafficScenario s{options()};  // its folder is the current directory, where airports/ goes
};

// The arrival: 140 kt on a three-degree path from the west onto the runway
// 600 m south of the apron, the roll-out, on along the runway, a turn north
// onto a taxiway and to a stop 12 m short of stand B2.
std::vector<Fix> arrivalTrack(bool lateOnTheGround = false, double seconds = 5.0) {
    std::vector<Fix> track;
    const LatLon touchdown = at(-600.0, -2000.0);
    const double stepNm = 140.0 * seconds / 3600.0;
    const int fixes = static_cast<int>(std::lround(120.0 / seconds));
    for (int toGo = fixes; toGo > 0; --toGo) {
        const LatLon p = gf_destinationPoint(touchdown, 270.0 * g_degToRad, toGo * stepNm * 6076.11549);
        track.push_back(Fix{p, elevationFt + toGo * 743.0 * seconds / 60.0, 140.0, 90.0, -743.0});
    }
    LatLon p = touchdown;
    const std::vector<double> roll = lateOnTheGround
                                         ? std::vector<double>{140.0, 125.0, 110.0, 95.0, 80.0, 65.0, 50.0, 35.0, 20.0}
                                         : std::vector<double>{140.0, 115.0, 90.0, 65.0, 40.0, 20.0};
    const double slowing = roll[0] - roll[1];
    for (const double kt : roll) {
        // A feed slow to see the landing reports the roll in the air for 40 s.
        const double altitude = lateOnTheGround && kt > 30.0 ? elevationFt + 10.0 : 0.0;
        track.push_back(Fix{p, altitude, kt, 90.0});
        p = gf_destinationPoint(p, g_pi / 2.0, (kt - slowing / 2.0) * seconds / 3600.0 * 6076.11549);
    }
    const LatLon turnOff = at(-600.0, 60.0);
    rollAlong(track, p, {{90.0, metresBetween(p, turnOff)}}, 18.0, seconds);
    if (lateOnTheGround) {
        rollAlong(track, turnOff, {{0.0, 80.0}}, 15.0);  // and then the feed ends
        return track;
    }
    rollAlong(track, turnOff, {{0.0, 588.0}}, 15.0, seconds);
    for (int i = 0; i < 4; ++i) track.push_back(Fix{at(-12.0, 60.0), 0.0, 0.0, 0.0});
    return track;
}

TEST_F(GroundScenario, AnArrivalLandsTaxisAndParksOnItsStand) {
    const Flight swr{0x4B3001, "SWR41", "A320", "HB-JLT", "LIRF", "LSZH"};
    std::vector<Fix> track = arrivalTrack();
    // The feed keeps reporting it where it stopped for ten minutes.
    for (int i = 0; i < 120; ++i) track.push_back(Fix{at(-12.0, 60.0), 0.0, 0.0, 0.0});
    std::int32_t parkedAt = -1;
    play(swr, track, [&] {
        const LiveAc* a = gf_findLive(swr.hexId);
        if (parkedAt < 0 && a != nullptr && a->st == MovementState::parked) parkedAt = s.tick();
    });
    ASSERT_GE(parkedAt, 0) << "it parked";
    EXPECT_FALSE(removed(swr.callsign)) << "not removed while the feed reports it at its stand";
    const auto o = objectOf(swr.callsign);
    ASSERT_TRUE(o.has_value());
    const Stand& b2 = StandTable[1];
    EXPECT_LT(metresBetween(LatLon{o->latitudeDeg, o->longitudeDeg}, LatLon{b2.lat, b2.lon}), 2.0);
    EXPECT_NEAR(std::remainder(o->headingDeg - 0.0, 360.0), 0.0, 1.0) << "the stand's heading";
    EXPECT_EQ(b2.liveParked, 1);
    const LiveAc* a = gf_findLive(swr.hexId);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->standId, b2.number);
    EXPECT_EQ(a->landed, 0);
    EXPECT_EQ(a->touchedDown, 0);

    const auto events = eventsOf(o->objectId);
    // Touchdown, turn-off, the shut-down at the stand.
    EXPECT_NE(std::find(events.begin(), events.end(), std::make_pair(std::string("SPOILERS_SET"), 16383u)), events.end());
    // Off the runway: flaps and spoilers in (the power went off in the flare), taxi lights.
    auto turnOff = std::vector<std::pair<std::string, std::uint32_t>>{{"FLAPS_SET", 0}, {"SPOILERS_SET", 0}};
    const auto taxiLights = lights(1, 1, 0, 1, 0, 1, 1);
    turnOff.insert(turnOff.end(), taxiLights.begin(), taxiLights.end());
    EXPECT_TRUE(contains(events, turnOff));
    EXPECT_TRUE(contains(events, {{"THROTTLE_SET", 0}}));
    EXPECT_TRUE(contains(events, {{"ENGINE_AUTO_SHUTDOWN", 0}}));
    EXPECT_TRUE(s.folder().logContains("B2      : SWR41    arrived at stand"));

    // A second aircraft stopping at the same place is not given the stand.
    const Flight ezy{0x4B3002, "EZY12", "A320", "HB-JXA", "", ""};
    std::vector<Fix> second;
    rollAlong(second, at(-80.0, 60.0), {{0.0, 68.0}}, 10.0);
    for (int i = 0; i < 6; ++i) second.push_back(Fix{at(-12.0, 60.0), 0.0, 0.0, 0.0});
    play(ezy, second);
    const LiveAc* b = gf_findLive(ezy.hexId);
    if (b != nullptr) EXPECT_NE(b->standId, b2.number);
    EXPECT_EQ(gf_findLive(swr.hexId)->standId, b2.number);
    EXPECT_EQ(gf_findLive(swr.hexId)->fs, LifecycleState::active);

    // Its feed ends: a parked aircraft stays (its one sample is due in a week).
    s.passes(60000);
    ASSERT_NE(gf_findLive(swr.hexId), nullptr);
    EXPECT_EQ(gf_findLive(swr.hexId)->fs, LifecycleState::active);
    EXPECT_EQ(gf_findLive(swr.hexId)->st, MovementState::parked);
}

TEST_F(GroundScenario, AnArrivalReportedLateOnTheGroundHoldsWhenItsFeedEndsAfterTheTurnOff) {
    MAX_HOLDING_MINUTES.value = 1;
    const Flight swr{0x4B3003, "SWR43", "A320", "HB-JLU", "LIRF", "LSZH"};
    bool touchdownRoll = false;
    play(swr, arrivalTrack(true), [&] {
        const LiveAc* a = gf_findLive(swr.hexId);
        if (a != nullptr && a->landed != 0 && a->touchedDown != 0) touchdownRoll = true;
    });
    ASSERT_TRUE(touchdownRoll) << "the simulator had it on the runway while the feed still reported it flying";
    // Its last samples become due; then nothing more comes.
    const LatLon lastReported = at(-600.0 + 80.0, 60.0);
    double farthest = 0.0;
    bool landedAfterFeedEnd = false;
    std::int32_t removedAt = -1;
    const std::int32_t feedEnd = s.tick() + 3000;
    for (int k = 0; k < 20000 && removedAt < 0; ++k) {
        s.pass();
        if (removed(swr.callsign)) {
            removedAt = s.tick();
            break;
        }
        const LiveAc* a = gf_findLive(swr.hexId);
        if (a == nullptr || s.tick() < feedEnd) continue;
        landedAfterFeedEnd = landedAfterFeedEnd || a->landed != 0;
        farthest = std::max(farthest, metresBetween(lastReported, LatLon{a->block.latitudeDeg, a->block.longitudeDeg}));
    }
    EXPECT_FALSE(landedAfterFeedEnd) << "the landing roll ended at the turn-off";
    EXPECT_LT(farthest, 30.0) << "it holds where the feed left it, no take-off run across the airport";
    ASSERT_GE(removedAt, 0) << "removed after holding";
    EXPECT_GE(removedAt, feedEnd + 6000);
    MAX_HOLDING_MINUTES.value = MAX_HOLDING_MINUTES.defaultValue;
}

void GroundScenario::departure(const Flight& f, bool pullOut, PushbackSeen& seen) {
    MovementState last = MovementState::birth;
    play(f, departureTrack(pullOut), [&] {
        const LiveAc* a = gf_findLive(f.hexId);
        if (a == nullptr || a->fs != LifecycleState::active) return;
        const LatLon here{a->block.latitudeDeg, a->block.longitudeDeg};
        if (a->st == MovementState::pushingBack)
            seen.northmost = std::max(seen.northmost, (here.lat - at(0.0, 120.0).lat) * 111132.95);
        if (a->st == MovementState::pushedBack && last == MovementState::pushingBack) {
            seen.pushedBack = true;
            seen.end = here;
            seen.endHeadingDeg = a->block.headingRad * g_radToDeg;
        }
        if (a->st == MovementState::takeOff) seen.tookOff = true;
        if (a->st == MovementState::flying && seen.tookOff) seen.flying = true;
        last = a->st;
    });
}

TEST_F(GroundScenario, ADepartureIsPushedBackTowardTheFedSideThenTaxisAndTakesOff) {
    const Flight swr{0x4B3011, "SWR52", "A320", "HB-JLQ", "LSZH", "LIRF"};
    PushbackSeen seen;
    departure(swr, false, seen);
    const auto creations = s.sim().creations();
    const auto created = std::find_if(creations.begin(), creations.end(),
                                      [&](const standin::SimAircraft& c) { return c.atcId == swr.callsign; });
    ASSERT_NE(created, creations.end());
    EXPECT_TRUE(created->onGround) << "born at its stand";
    EXPECT_LT(metresBetween(LatLon{created->latitudeDeg, created->longitudeDeg}, at(0.0, 120.0)), 1.0);
    EXPECT_NEAR(created->headingDeg, 0.0, 0.5);

    ASSERT_TRUE(seen.pushedBack);
    EXPECT_LT(seen.northmost, 0.5) << "tail first, never forward";
    const double halfSpan = 35.8 / 2.0;
    // 2.5 stand radii behind the stand, the tail swung east as the nose turned west.
    EXPECT_NEAR((seen.end.lat - at(0.0, 120.0).lat) * 111132.95, -62.5, 3.0);
    EXPECT_NEAR(metresBetween(at(-62.5, 120.0), seen.end), halfSpan, 3.0);
    EXPECT_GT(seen.end.lon, at(0.0, 120.0).lon);
    EXPECT_NEAR(std::remainder(seen.endHeadingDeg - 270.0, 360.0), 0.0, 10.0);
    EXPECT_TRUE(seen.tookOff);
    EXPECT_TRUE(seen.flying) << "climbed out";

    const auto o = objectOf(swr.callsign);
    ASSERT_TRUE(o.has_value());
    const auto events = eventsOf(o->objectId);
    EXPECT_TRUE(contains(events, lights(1, 1, 0, 1, 0, 1, 0))) << "pushback lights";
    EXPECT_TRUE(contains(events, {{"ENGINE_AUTO_START", 0}}));
    EXPECT_TRUE(contains(events, {{"FLAPS_SET", 3072}}));
    const auto runwayLights = lights(1, 1, 1, 1, 1, 1, 0);
    const auto roll = std::search(events.begin(), events.end(), runwayLights.begin(), runwayLights.end());
    ASSERT_NE(roll, events.end()) << "runway lights";
    const auto gear = std::find(roll, events.end(), std::make_pair(std::string("GEAR_SET"), 0u));
    EXPECT_NE(gear, events.end()) << "gear up after the take-off";
    EXPECT_NE(std::find(gear, events.end(), std::make_pair(std::string("THROTTLE_SET"), 11468u)), events.end());
    EXPECT_FALSE(removed(swr.callsign));
}

TEST_F(GroundScenario, WithStraightPushbacksOnlyOrAForwardDepartureThereIsNoTurn) {
    STRAIGHT_PBS_ONLY.value = true;
    const Flight straight{0x4B3012, "SWR53", "A320", "HB-JLR", "LSZH", "LIRF"};
    PushbackSeen seen;
    departure(straight, false, seen);
    ASSERT_TRUE(seen.pushedBack);
    EXPECT_LT(metresBetween(at(-62.5, 120.0), seen.end), 2.0) << "straight behind the stand";
    EXPECT_NEAR(std::remainder(seen.endHeadingDeg, 360.0), 0.0, 2.0);
    STRAIGHT_PBS_ONLY.value = false;

    const Flight forward{0x4B3013, "SWR54", "A320", "HB-JLS", "LSZH", "LIRF"};
    PushbackSeen pulled;
    departure(forward, true, pulled);
    EXPECT_FALSE(pulled.pushedBack);
    EXPECT_TRUE(s.folder().logContains("B3      : SWR54    pulling out"));
    EXPECT_TRUE(pulled.tookOff);
}

// Reported every 2 s standing on its stand, for five minutes: created once and
// never taken away while its reports keep coming.
TEST_F(GroundScenario, AnAircraftReportedStandingAtItsStandEveryTwoSecondsStaysCreated) {
    const Flight tra{0x4B3021, "TRA61", "B738", "PH-HXB", "LSZH", "LEPA"};
    std::vector<Fix> track(150, Fix{at(0.0, 0.0), 0.0, 0.0, 0.0});
    const std::int32_t removedAt = firstRemovalWhileReported(tra, track);
    EXPECT_EQ(removedAt, -1) << "removed " << removedAt / 100 << " s in while reported at its stand";
    EXPECT_EQ(creationsOf(tra.callsign), 1);
    const LiveAc* a = gf_findLive(tra.hexId);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->fs, LifecycleState::active);
    EXPECT_EQ(a->st, MovementState::parked);
}

// Taxiing on the apron (first seen on the move, away from the stands) with
// corners of 60 and 90 degrees, reported every 2 s: never removed on the way
// and, where the feed leaves it standing, it stays.
TEST_F(GroundScenario, AnAircraftTaxiingRoundCornersReportedEveryTwoSecondsIsNeverRemoved) {
    const Flight klm{0x4B3022, "KLM17", "B738", "PH-BXB", "EHAM", "LSZH"};
    std::vector<Fix> track;
    const LatLon start = at(-700.0, -1200.0);
    rollAlong(track, start, {{90.0, 400.0}, {30.0, 250.0}, {120.0, 300.0}, {30.0, 200.0}, {300.0, 250.0}}, 18.0,
              2.0);
    for (int i = 0; i < 30; ++i) track.push_back(Fix{track.back().p, 0.0, 0.0, 300.0});
    const std::int32_t removedAt = firstRemovalWhileReported(klm, track);
    EXPECT_EQ(removedAt, -1) << "removed " << removedAt / 100 << " s in while reported taxiing";
    EXPECT_EQ(creationsOf(klm.callsign), 1);
}

// After landing, the roll-out and a taxi with corners reported every 2 s.
TEST_F(GroundScenario, AnArrivalTaxiingRoundCornersReportedEveryTwoSecondsIsNeverRemoved) {
    const Flight klm{0x4B3023, "KLM13", "A320", "PH-EZB", "EDDF", "LSZH"};
    std::vector<Fix> track;
    const LatLon touchdown = at(-600.0, -2000.0);
    const double stepNm = 140.0 * 2.0 / 3600.0;
    for (int toGo = 40; toGo > 0; --toGo) {
        const LatLon p = gf_destinationPoint(touchdown, 270.0 * g_degToRad, toGo * stepNm * 6076.11549);
        track.push_back(Fix{p, elevationFt + toGo * 743.0 * 2.0 / 60.0, 140.0, 90.0, -743.0});
    }
    LatLon p = touchdown;
    for (double kt = 140.0; kt > 20.0; kt -= 8.0) {
        track.push_back(Fix{p, 0.0, kt, 90.0});
        p = gf_destinationPoint(p, g_pi / 2.0, (kt - 4.0) * 2.0 / 3600.0 * 6076.11549);
    }
    // On along the runway at taxi speed, then off it to the left and round corners.
    rollAlong(track, p, {{90.0, 500.0}}, 20.0, 2.0);
    const LatLon turnOff = track.back().p;
    rollAlong(track, turnOff, {{340.0, 200.0}, {60.0, 250.0}, {150.0, 200.0}, {60.0, 150.0}}, 20.0, 2.0);
    double nearestToTurnOff = 1e9;
    std::int32_t removedAt = -1;
    play(
        klm, track,
        [&] {
            if (removedAt < 0 && removed(klm.callsign)) removedAt = s.tick();
            if (const LiveAc* a = gf_findLive(klm.hexId); a != nullptr && a->fs == LifecycleState::active)
                nearestToTurnOff = std::min(
                    nearestToTurnOff, metresBetween(turnOff, LatLon{a->block.latitudeDeg, a->block.longitudeDeg}));
        },
        fastPollPasses);
    EXPECT_EQ(removedAt, -1) << "removed " << removedAt / 100 << " s in while reported";
    EXPECT_EQ(creationsOf(klm.callsign), 1);
    EXPECT_LT(nearestToTurnOff, 30.0) << "it turned where the feed turned, no corner cut short";
}

// An arrival reported every 2 s: lands, taxis and stays while the feed keeps
// reporting it where it stopped.
TEST_F(GroundScenario, AnArrivalReportedEveryTwoSecondsStaysWhereItStopped) {
    const Flight swr{0x4B3024, "SWR45", "A320", "HB-JLV", "LIRF", "LSZH"};
    std::vector<Fix> track = arrivalTrack(false, 2.0);
    for (int i = 0; i < 150; ++i) track.push_back(Fix{at(-12.0, 60.0), 0.0, 0.0, 0.0});
    const std::int32_t removedAt = firstRemovalWhileReported(swr, track);
    EXPECT_EQ(removedAt, -1) << "removed " << removedAt / 100 << " s in while reported";
    EXPECT_EQ(creationsOf(swr.callsign), 1);
    const LiveAc* a = gf_findLive(swr.hexId);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->fs, LifecycleState::active);
}

// Standing still for five minutes where there is no stand, reported every 2 s.
TEST_F(GroundScenario, AnAircraftStandingAwayFromTheStandsReportedEveryTwoSecondsStaysCreated) {
    const Flight klm{0x4B3025, "KLM19", "B738", "PH-BXC", "EHAM", "LSZH"};
    std::vector<Fix> track(150, Fix{at(-400.0, -900.0), 0.0, 0.0, 90.0});
    const std::int32_t removedAt = firstRemovalWhileReported(klm, track);
    EXPECT_EQ(removedAt, -1) << "removed " << removedAt / 100 << " s in while reported";
    EXPECT_EQ(creationsOf(klm.callsign), 1);
}

// A departure reported every 2 s: pushed back, taxis round its corner and takes off.
TEST_F(GroundScenario, ADepartureReportedEveryTwoSecondsIsNeverRemoved) {
    const Flight swr{0x4B3026, "SWR56", "A320", "HB-JLW", "LSZH", "LIRF"};
    std::vector<Fix> track;
    for (int i = 0; i < 60; ++i) track.push_back(Fix{at(0.0, 120.0), 0.0, 0.0, 0.0});
    const std::vector<std::pair<double, double>> push{{-3, 0}, {-8, 0}, {-14, 350}, {-22, 340}, {-30, 330},
                                                      {-38, 315}, {-45, 300}, {-52, 290}, {-57, 280}};
    for (const auto& [north, heading] : push) track.push_back(Fix{at(north, 120.0), 0.0, 3.0, heading});
    for (int i = 0; i < 10; ++i) track.push_back(Fix{at(-57.0, 120.0), 0.0, 0.0, 270.0});
    const LatLon p = track.back().p;
    const LatLon corner = at(-80.0, -400.0);
    rollAlong(track, p, {{270.0, metresBetween(p, corner) * 0.999}}, 15.0, 2.0);
    rollAlong(track, corner, {{180.0, 520.0}, {240.0, 200.0}}, 15.0, 2.0);
    const std::int32_t removedAt = firstRemovalWhileReported(swr, track);
    EXPECT_EQ(removedAt, -1) << "removed " << removedAt / 100 << " s in while reported";
    EXPECT_EQ(creationsOf(swr.callsign), 1);
}

}  // namespace
}  // namespace zrb::test
