#pragma once
// Live aircraft on the ground for the ground rules' tests: samples at metre
// offsets from the reference point, the client events sent to one object.

#include <utility>
#include <vector>

#include "airports/park_airport.h"
#include "airports/park_airport_file.h"
#include "foundation/random.h"
#include "manager_fixture.h"
#include "simlink/sim_state.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "stand_table_fixture.h"

namespace zrb::test {

using Event = std::pair<std::uint32_t, std::uint32_t>;  // event id, data

inline std::vector<Event> takeEvents(std::uint32_t objectId) {
    std::vector<Event> events;
    for (const ClientEventRequest& e : gf_queuedClientEvents())
        if (e.objectId == objectId) events.emplace_back(e.eventId, e.data);
    gf_resetSimQueues(5);
    return events;
}

inline bool hasEvent(const std::vector<Event>& events, std::uint32_t id, std::uint32_t data) {
    return std::find(events.begin(), events.end(), Event{id, data}) != events.end();
}

inline std::vector<Event> lightEvents(std::uint32_t nav, std::uint32_t beacon, std::uint32_t landing,
                                      std::uint32_t taxi, std::uint32_t strobes, std::uint32_t logo,
                                      std::uint32_t cabin) {
    return {{evNavLightsSet, nav},   {evBeaconLightsSet, beacon}, {evLandingLightsSet, landing},
            {evTaxiLightsSet, taxi}, {evStrobesSet, strobes},     {evLogoLightsSet, logo},
            {evCabinLightsSet, cabin}};
}

inline bool containsRun(const std::vector<Event>& events, const std::vector<Event>& run) {
    return std::search(events.begin(), events.end(), run.begin(), run.end()) != events.end();
}

inline PosSample groundSample(double northMetres, double eastMetres, double groundSpeedKt, std::int32_t due,
                              bool stationary = false) {
    const LatLon p = offsetPoint(northMetres, eastMetres);
    PosSample s;
    s.lat = p.lat;
    s.lon = p.lon;
    s.groundSpeed = groundSpeedKt;
    s.duePass = due;
    s.stationary = stationary ? 1 : 0;
    return s;
}

class GroundTest : public ManagerTest {
protected:
    GroundTest() { gf_seedThreadRng(11); }
    ~GroundTest() override {
        g_parkingDataLoaded = false;
        g_userOnGround = false;
        gf_clearCurrentParkAirport();
    }
    // A taxiing live aircraft, active and on the ground at the offset, heading north.
    static LiveAc& taxiingAt(std::uint32_t hexId, const std::string& callsign, const std::string& type,
                             double northMetres = 0.0, double eastMetres = 0.0) {
        const LatLon p = offsetPoint(northMetres, eastMetres);
        LiveAc& a = addLive(hexId, callsign, type, LifecycleState::active, p.lat, p.lon, false);
        a.onGround = 1;
        a.agl = 0.0;
        a.st = MovementState::taxi;
        a.prevSt = MovementState::taxi;
        a.samples.front() = groundSample(northMetres, eastMetres, 10.0, 0);
        return a;
    }
    // The stand table in use, as a loaded park airport's.
    static void useStands(std::vector<Stand> table) {
        gf_replaceStandTable(std::move(table));
        g_parkingDataLoaded = true;
    }
};

}  // namespace zrb::test
