#pragma once
// Scripted traffic for the stand-in service: aircraft that move along straight
// tracks at constant speed (departing, arriving, cruising, taxiing), parked
// aircraft at stands, the nearest METAR station and the weather's QNH. Every
// position is computed for the time asked, so time stamps, positions and the
// history buffers agree with each other and with the time shift.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace zrb::tools {

// A point of a scripted path: where the aircraft is at time t.
struct ScenarioWaypoint {
    double t = 0.0;  // s after the scenario's epoch
    double lat = 0.0;
    double lon = 0.0;
    double altitudeFt = 0.0;  // 0 on the ground
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0;    // where the nose points on the leg that ends here
    bool backwards = false;   // that leg is pushed back
};

struct ScenarioAircraft {
    std::string hexId;  // "4ca7b5"
    std::string callsign;
    std::string registration;
    std::string type;      // ICAO type code
    std::string category;  // ADS-B emitter category ("A3", "null", ...)
    std::string departure;
    std::string destination;
    double lat = 0.0;  // degrees at the scenario's epoch
    double lon = 0.0;
    double trackDeg = 0.0;
    double groundSpeedKt = 0.0;
    double altitudeFt = 0.0;
    double verticalRateFpm = 0.0;
    bool adsbTrueHeading = true;  // source "adsb_icao" with a true heading
    // When set, the aircraft follows these points instead of the straight
    // track above, with the speed changing evenly along each leg, and exists
    // only from the first point's time to the last's: its stream ends there.
    std::vector<ScenarioWaypoint> path;
};

struct ScenarioParked {
    std::string hexId;
    double lat = 0.0;
    double lon = 0.0;
    std::string stand;
    std::string type;
    std::string registration;
    double secondsAgo = 0.0;  // when it was seen, before the time asked
    std::string callsign;
};

struct Scenario {
    double epoch = 0.0;  // s since 1970: where the aircraft are at their start positions
    std::vector<ScenarioAircraft> aircraft;
    std::vector<ScenarioParked> parked;
    std::optional<std::string> metarStation = "EHAM";
    nlohmann::json qnh = 1013;  // the "QNH" member as sent; null = left out
    int rrl = 2000;   // ms
    int wrrl = 2000;  // ms
    // Members of "data" that are not aircraft (the service sends counters).
    bool addCounters = true;
};

// Traffic around Amsterdam: departures, arrivals, overflights, a taxiing
// aircraft and parked aircraft at stands; epoch = now.
Scenario gf_amsterdamScenario(double epoch);

// The 48-value array of one aircraft at time t (s since 1970).
nlohmann::json gf_trafficArray(const ScenarioAircraft& aircraft, double epoch, double t);
// Its position at time t.
void gf_positionAt(const ScenarioAircraft& aircraft, double epoch, double t, double& lat, double& lon, double& altitudeFt);
// Whether the service reports it at time t.
bool gf_isReported(const ScenarioAircraft& aircraft, double epoch, double t);

// The "data" object of a location-traffic reply for a box at time t.
nlohmann::json gf_trafficData(const Scenario& scenario, double top, double bottom, double left, double right, double t);
// The parked-traffic "data" object for a box at time t.
nlohmann::json gf_parkedData(const Scenario& scenario, double top, double bottom, double left, double right, double t);

}  // namespace zrb::tools
