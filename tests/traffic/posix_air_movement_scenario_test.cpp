// Live aircraft in the air against the stand-in simulator: one follows its
// received track through a turn (every position on the path between the
// samples, never going back, bank and pitch inside the type's limits), is
// dead-reckoned when its stream ends near the user and then removed, while one
// far from the user goes at once; an arrival flies its approach and flare and
// comes down on the runway's elevation, neither below it nor floating above it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include "airports/park_airport.h"
#include "config/paths.h"
#include "foundation/geodesy.h"
#include "support/scenario/traffic_scenario.h"
#include "traffic/feed_intake.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

constexpr int passesPerPoll = 500;
constexpr double metresPerNm = 1852.0;

struct Point {
    double lat = 0.0;
    double lon = 0.0;
};

// Local metres east and north of an origin (flat, fine over a few miles).
struct Local {
    double x = 0.0;
    double y = 0.0;
};
Local local(const Point& origin, const Point& p) {
    return Local{(p.lon - origin.lon) * g_metresPerDegreeLat * std::cos(origin.lat * g_degToRad),
                 (p.lat - origin.lat) * g_metresPerDegreeLat};
}

struct OnPath {
    double off = 1e18;       // m from the path
    double along = 0.0;      // m along it
    double bearingDeg = 0;   // of its leg there
};

// The point of the polyline nearest to p.
OnPath nearestOnPath(const std::vector<Point>& path, const Point& p) {
    OnPath best;
    double walked = 0.0;
    const Local q = local(path[0], p);
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
        const Local a = local(path[0], path[i]);
        const Local b = local(path[0], path[i + 1]);
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double length = std::hypot(dx, dy);
        const double t = length > 0 ? std::clamp(((q.x - a.x) * dx + (q.y - a.y) * dy) / (length * length), 0.0, 1.0) : 0.0;
        const double d = std::hypot(a.x + t * dx - q.x, a.y + t * dy - q.y);
        if (d < best.off) best = OnPath{d, walked + t * length, std::atan2(dx, dy) * g_radToDeg};
        walked += length;
    }
    return best;
}

std::optional<standin::SimAircraft> objectOf(TrafficScenario& s, const std::string& callsign) {
    for (const auto& c : s.sim().creations()) {
        if (c.atcId != callsign) continue;
        for (const auto& o : s.sim().aiObjects())
            if (o.objectId == c.objectId) return o;
    }
    return std::nullopt;
}

bool removedOnce(TrafficScenario& s, const std::string& callsign) {
    const auto removals = s.sim().removals();
    for (const auto& c : s.sim().creations())
        if (c.atcId == callsign) return std::count(removals.begin(), removals.end(), c.objectId) == 1;
    return false;
}

// A track at 250 kt and 5000 ft: six polls east, a right turn of 15° a poll
// down to south, six polls south.
std::vector<std::pair<Point, double>> turningTrack(Point start) {
    std::vector<std::pair<Point, double>> track;
    double heading = 90.0;
    Point p = start;
    const double stepFt = 250.0 * 5.0 / 3600.0 * 6076.11549;
    for (int i = 0; i < 18; ++i) {
        track.emplace_back(p, heading);
        if (i >= 5 && i < 11) heading += 15.0;
        const LatLon next = gf_destinationPoint(LatLon{p.lat, p.lon}, heading * g_degToRad, stepFt);
        p = Point{next.lat, next.lon};
    }
    return track;
}

TEST(AirMovementScenario, AnAircraftFollowsItsTrackIsDeadReckonedNearTheUserAndRemovedFarAway) {
    TrafficScenario s;
    // A range of 20 NM: the simulator reports new objects within 25.4 NM.
    gf_setWorkingRange(20);
    const Flight near{0x4B1001, "SWR100", "A320", "", "", ""};
    const Flight far{0x4B1002, "SWR200", "A320", "", "", ""};
    const auto track = turningTrack(Point{47.55, 8.40});     // some 8 NM from the user
    const auto farTrack = turningTrack(Point{47.86, 8.45});  // 24 NM, ending beyond 19.5 NM
    ASSERT_LT(gf_distanceNm(LatLon{47.4647, 8.5492}, LatLon{47.86, 8.45}), 25.0);
    ASSERT_GT(gf_distanceNm(LatLon{47.4647, 8.5492}, LatLon{farTrack.back().first.lat, farTrack.back().first.lon}),
              19.6);
    std::vector<Point> path;
    for (const auto& [p, h] : track) path.push_back(p);

    struct Seen {
        std::int32_t tick;
        standin::SimAircraft object;
    };
    std::vector<Seen> seen;
    std::int32_t lastFeedTick = 0;
    for (std::size_t i = 0; i < track.size(); ++i) {
        ASSERT_TRUE(s.feedLive({s.record(near, track[i].first.lat, track[i].first.lon, 5000, 250, track[i].second),
                                s.record(far, farTrack[i].first.lat, farTrack[i].first.lon, 5000, 250,
                                         farTrack[i].second)}));
        lastFeedTick = s.tick();
        for (int k = 0; k < passesPerPoll; ++k) {
            s.pass();
            if (const auto o = objectOf(s, near.callsign); o && o->positionUpdates > 0) seen.push_back({s.tick(), *o});
        }
    }
    const std::int32_t lastDue = lastFeedTick + 3000;
    std::int32_t nearRemovedAt = -1;
    std::int32_t farRemovedAt = -1;
    for (int k = 0; k < 9000 && nearRemovedAt < 0; ++k) {
        s.pass();
        if (farRemovedAt < 0 && removedOnce(s, far.callsign)) farRemovedAt = s.tick();
        if (removedOnce(s, near.callsign))
            nearRemovedAt = s.tick();
        else if (const auto o = objectOf(s, near.callsign))
            seen.push_back({s.tick(), *o});
    }

    // Along the received track: on the path, never back, wings and nose within the type's limits.
    ASSERT_GT(seen.size(), 3000u);
    double progress = 0.0;
    std::size_t onPath = 0;
    for (std::size_t i = 0; i < seen.size(); ++i) {
        const auto& o = seen[i].object;
        if (seen[i].tick <= lastDue) {
            const OnPath at = nearestOnPath(path, Point{o.latitudeDeg, o.longitudeDeg});
            EXPECT_LT(at.off, 30.0) << "tick " << seen[i].tick;
            EXPECT_GE(at.along, progress - 1.0) << "tick " << seen[i].tick;
            progress = std::max(progress, at.along);
            // Turning toward the next leg, never more than one leg's turn off its own.
            const double headingOff = std::remainder(o.headingDeg - at.bearingDeg, 360.0);
            EXPECT_LE(std::abs(headingOff), 16.0) << "tick " << seen[i].tick;
            ++onPath;
        }
        EXPECT_LE(std::abs(o.bankDeg), 30.0 + 1e-6);
        if (i > 0 && seen[i].tick == seen[i - 1].tick + 1) {
            EXPECT_LE(std::abs(o.pitchDeg - seen[i - 1].object.pitchDeg), 0.0075 + 1e-6);
            EXPECT_LE(std::abs(o.bankDeg - seen[i - 1].object.bankDeg), 0.02 + 1e-6);
        }
    }
    EXPECT_GT(onPath, 3000u);
    EXPECT_GT(progress, 0.9 * 17 * 0.3472 * metresPerNm) << "it flew the whole track";
    // It banked into the turn (to the right: negative) and flew out level.
    const auto mostBank = std::min_element(seen.begin(), seen.end(), [](const Seen& a, const Seen& b) {
        return a.object.bankDeg < b.object.bankDeg;
    });
    EXPECT_LT(mostBank->object.bankDeg, -5.0);
    EXPECT_NEAR(std::abs(seen.back().object.bankDeg), 0.0, 1.0);
    EXPECT_NEAR(seen.back().object.headingDeg, 180.0, 5.0);

    // The stream ended: near the user eight legs of 8 s straight on, then the removal.
    EXPECT_GE(nearRemovedAt, lastDue + 6400 - 1000);
    EXPECT_LE(nearRemovedAt, lastDue + 6400 + 1000 + 20);
    const auto lastSeen = seen.back().object;
    EXPECT_LT(lastSeen.latitudeDeg, path.back().lat - 0.9 * 8 * 8 * 250 / 3600.0 / 60.0 * 0.6)
        << "dead-reckoned south";
    // Far from the user: removed when its samples ran out.
    ASSERT_GE(farRemovedAt, 0);
    EXPECT_LE(farRemovedAt, lastDue + 1000 + 20);
    EXPECT_TRUE(g_liveList.empty() || g_liveList.front().fs == LifecycleState::removingfromsim);
}

// An arrival from the west onto a runway at the park airport, 140 kt on a
// three-degree path, then rolling out.
struct Arrival {
    Point runway{47.40, 8.62};
    double elevation = 1416.0;
    int airPolls = 32;
};

void flyArrival(TrafficScenario& s, const Flight& f, const Arrival& a, std::int32_t& firstGroundDue,
                const std::function<void()>& everyPass) {
    const double stepNm = 140.0 * 5.0 / 3600.0;
    const double dropFt = 743.0 * 5.0 / 60.0;
    for (int i = 0; i < a.airPolls + 6; ++i) {
        const int toGo = a.airPolls - i;
        const double distanceFt = toGo * stepNm * 6076.11549;
        const LatLon p = gf_destinationPoint(LatLon{a.runway.lat, a.runway.lon}, 270.0 * g_degToRad, distanceFt);
        TrafficRecord r = toGo > 0 ? s.record(f, p.lat, p.lon, a.elevation + toGo * dropFt, 140, 90, -743)
                                   : s.record(f, p.lat, p.lon, 0, std::max(140.0 + 25.0 * toGo, 20.0), 90);
        if (toGo == 0) firstGroundDue = s.tick() + 3000;
        ASSERT_TRUE(s.feedLive({r}));
        for (int k = 0; k < passesPerPoll; ++k) {
            s.pass();
            everyPass();
        }
    }
}

std::vector<std::pair<std::string, std::uint32_t>> eventsOf(TrafficScenario& s, std::uint32_t objectId) {
    std::vector<std::pair<std::string, std::uint32_t>> events;
    for (const auto& e : s.sim().events())
        if (e.objectId == objectId && e.eventName.rfind("FREEZE", 0) != 0) events.emplace_back(e.eventName, e.data);
    return events;
}

void expectLandingOnTheRunway(std::int32_t qnh) {
    SCOPED_TRACE(qnh);
    TrafficScenario s;
    const Arrival arrival;
    gf_setCurrentParkAirport(CurrentParkAirportData{"LSZH", "", 47.4647, 8.5492, arrival.elevation});
    g_qnh = qnh;
    const Flight f{0x4B2001, "SWR300", "A320", "", "LIRF", "LSZH"};
    const double cg = 8.0;  // the stand-in's default centre of gravity above the wheels
    double lowest = 1e9;
    std::int32_t touchdown = -1;
    std::int32_t firstGroundDue = 0;
    const auto watch = [&] {
        const auto o = objectOf(s, f.callsign);
        if (!o || o->positionUpdates == 0) return;
        lowest = std::min(lowest, o->altitudeFt);
        if (touchdown < 0 && o->onGround && gf_findLive(f.hexId)->onGround != 0) touchdown = s.tick();
    };
    flyArrival(s, f, arrival, firstGroundDue, watch);
    for (int k = 0; k < 2000 && touchdown < 0; ++k) {
        s.pass();
        watch();
    }
    ASSERT_GE(touchdown, 0) << "it came down";
    EXPECT_GE(lowest, arrival.elevation + cg - 1.0) << "never below the runway";
    EXPECT_LE(touchdown, firstGroundDue + 1500) << "not floating above it";
    const auto o = objectOf(s, f.callsign);
    ASSERT_TRUE(o.has_value());
    EXPECT_NEAR(o->altitudeFt, arrival.elevation + cg, 0.6);

    // The approach began with its commands, and the touchdown set the spoilers.
    const auto events = eventsOf(s, o->objectId);
    const std::vector<std::pair<std::string, std::uint32_t>> approach{
        {"THROTTLE_SET", 4914}, {"FLAPS_SET", 16383}, {"GEAR_SET", 1}};
    EXPECT_NE(std::search(events.begin(), events.end(), approach.begin(), approach.end()), events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), std::make_pair(std::string("SPOILERS_SET"), 16383u)),
              events.end());
    EXPECT_NE(std::find(events.begin(), events.end(), std::make_pair(std::string("THROTTLE_SET"), 0u)), events.end())
        << "power off in the flare";
    EXPECT_FALSE(g_fastRange) << "the fast range ends at the touchdown";
    // Once the nose is down the flare is over, so a later take-off climbs again.
    s.passes(500);
    EXPECT_EQ(gf_findLive(f.hexId)->flareStage, 0);
}

TEST(AirMovementScenario, AnArrivalComesDownOnTheRunwayElevation) {
    expectLandingOnTheRunway(1013);
    expectLandingOnTheRunway(1025);
}

}  // namespace
}  // namespace zrb::test
