#include "demo/demo_scenario.h"

#include <cmath>

#include "demo/demo_airport.h"

namespace zrb::demo {

using zrb::tools::Scenario;
using zrb::tools::ScenarioAircraft;
using zrb::tools::ScenarioParked;
using zrb::tools::ScenarioWaypoint;

namespace {

constexpr double metresPerSecondPerKnot = 0.514444;
constexpr double feetPerMetre = 3.28084;
constexpr double glideSlopeRad = 3.0 * 0.017453292519943295;
constexpr double thresholdCrossingFt = 50.0;
constexpr double approachKt = 140.0;
constexpr double touchdownDistanceM = 400.0;
constexpr double taxiKt = 18.0;
constexpr double standApproachKt = 4.0;
constexpr double pushbackKt = 2.5;
constexpr double startT = -30.0;  // the paths start before the epoch: the program's history request

// A path made leg by leg: each leg's time follows from its length and the
// speeds at its ends, so the reported speeds and positions agree.
class Path {
public:
    Path(double t, double lat, double lon, double altitudeFt, double groundSpeedKt, double headingDeg) {
        m_points.push_back({t, lat, lon, altitudeFt, groundSpeedKt, headingDeg, false});
    }
    const ScenarioWaypoint& last() const { return m_points.back(); }

    Path& to(double lat, double lon, double altitudeFt, double groundSpeedKt, bool backwards = false) {
        const ScenarioWaypoint& from = m_points.back();
        const double metres = gf_metresBetween(from.lat, from.lon, lat, lon);
        const double meanMps = std::max(0.5, (from.groundSpeedKt + groundSpeedKt) * 0.5 * metresPerSecondPerKnot);
        double heading = metres < 0.5 ? from.trackDeg : gf_bearingDeg(from.lat, from.lon, lat, lon);
        if (backwards && metres >= 0.5) heading = std::fmod(heading + 180.0, 360.0);
        m_points.push_back({from.t + metres / meanMps, lat, lon, altitudeFt, groundSpeedKt, heading, backwards});
        return *this;
    }
    // Along the current heading (or the one given) for a distance.
    Path& ahead(double metres, double altitudeFt, double groundSpeedKt, double headingDeg = -1.0) {
        const ScenarioWaypoint& from = m_points.back();
        double lat = 0.0;
        double lon = 0.0;
        gf_offset(from.lat, from.lon, headingDeg < 0.0 ? from.trackDeg : headingDeg, metres, lat, lon);
        return to(lat, lon, altitudeFt, groundSpeedKt);
    }
    Path& wait(double seconds) {
        ScenarioWaypoint still = m_points.back();
        still.t += seconds;
        still.groundSpeedKt = 0.0;
        still.backwards = false;
        m_points.push_back(still);
        return *this;
    }
    Path& waitUntil(double t) { return wait(std::max(0.0, t - m_points.back().t)); }
    std::vector<ScenarioWaypoint> done() const { return m_points; }

private:
    std::vector<ScenarioWaypoint> m_points;
};

ScenarioAircraft lf_aircraft(const char* hex, const char* callsign, const char* registration, const char* type,
                             const char* category, const char* departure, const char* destination, Path path) {
    ScenarioAircraft a;
    a.hexId = hex;
    a.callsign = callsign;
    a.registration = registration;
    a.type = type;
    a.category = category;
    a.departure = departure;
    a.destination = destination;
    a.path = path.done();
    const ScenarioWaypoint& first = a.path.front();
    a.lat = first.lat;
    a.lon = first.lon;
    a.trackDeg = first.trackDeg;
    a.groundSpeedKt = first.groundSpeedKt;
    a.altitudeFt = first.altitudeFt;
    return a;
}

// On final: crossing the threshold at `thresholdT`, from `startT`.
Path lf_final(const DemoRunway& runway, double thresholdT) {
    const double metres = (thresholdT - startT) * approachKt * metresPerSecondPerKnot;
    double lat = 0.0;
    double lon = 0.0;
    gf_offset(runway.lat, runway.lon, runway.headingDeg + 180.0, metres, lat, lon);
    const double altitudeFt = thresholdCrossingFt + metres * std::tan(glideSlopeRad) * feetPerMetre;
    Path path(startT, lat, lon, altitudeFt, approachKt, runway.headingDeg);
    path.to(runway.lat, runway.lon, thresholdCrossingFt, approachKt);
    return path;
}

// Touchdown, roll-out to taxi speed, then along the taxi points to the
// stand, nose in; the aircraft stays there until `endT`.
void lf_landAndPark(Path& path, double rollOutM, const std::vector<std::pair<double, double>>& taxiPoints,
                    const DemoStand& stand, double endT) {
    path.ahead(touchdownDistanceM, 0.0, approachKt - 8.0);
    path.ahead(rollOutM, 0.0, taxiKt + 5.0);
    for (const auto& [lat, lon] : taxiPoints) path.to(lat, lon, 0.0, taxiKt);
    double lat = 0.0;
    double lon = 0.0;
    gf_offset(stand.lat, stand.lon, stand.headingDeg + 180.0, 70.0, lat, lon);
    path.to(lat, lon, 0.0, standApproachKt);
    path.to(stand.lat, stand.lon, 0.0, 0.0);
    path.waitUntil(endT);
}

// From standing lined up: the roll to rotation, then the climb straight out
// until `endT`.
void lf_takeOff(Path& path, const DemoRunway& runway, double endT) {
    constexpr double rollM = 1700.0;
    constexpr double rotateKt = 150.0;
    constexpr double climbKt = 170.0;
    constexpr double climbFpm = 2200.0;
    path.ahead(rollM, 0.0, rotateKt, runway.headingDeg);
    path.ahead(1500.0, 500.0, climbKt);
    const double seconds = std::max(10.0, endT - path.last().t);
    path.ahead(seconds * climbKt * metresPerSecondPerKnot, path.last().altitudeFt + climbFpm * seconds / 60.0, climbKt);
}

// Standing at the stand until `pushT`, pushed back, engines started, then
// along the taxi points to the runway, lined up, the take-off roll and the
// climb until `endT`.
void lf_pushAndDepart(Path& path, const DemoStand& stand, double pushT,
                      const std::vector<std::pair<double, double>>& taxiPoints, const DemoRunway& runway, double endT) {
    path.waitUntil(pushT);
    double lat = 0.0;
    double lon = 0.0;
    gf_offset(stand.lat, stand.lon, stand.headingDeg + 180.0, 55.0, lat, lon);
    path.to(lat, lon, 0.0, pushbackKt, true);
    path.wait(12.0);
    for (const auto& [pLat, pLon] : taxiPoints) path.to(pLat, pLon, 0.0, taxiKt);
    path.to(runway.lat, runway.lon, 0.0, 6.0);
    path.wait(8.0);
    lf_takeOff(path, runway, endT);
}

// A straight line at constant speed from `startT` to `endT`.
Path lf_cruise(double lat, double lon, double altitudeFt, double headingDeg, double groundSpeedKt, double endAltFt,
               double endT) {
    Path path(startT, lat, lon, altitudeFt, groundSpeedKt, headingDeg);
    path.ahead((endT - startT) * groundSpeedKt * metresPerSecondPerKnot, endAltFt, groundSpeedKt);
    return path;
}

ScenarioParked lf_parked(const char* hex, const char* standId, const char* type, const char* registration,
                         double secondsAgo, const char* callsign) {
    const DemoStand& stand = gf_schipholStand(standId);
    return {hex, stand.lat, stand.lon, standId, type, registration, secondsAgo, callsign};
}

}  // namespace

Scenario gf_demoScenario(double epoch) {
    Scenario s;
    s.epoch = epoch;
    const DemoRunway& rwy06 = gf_schipholRunway("06");
    const DemoRunway& rwy18C = gf_schipholRunway("18C");
    const DemoRunway& rwy24 = gf_schipholRunway("24");

    // Lands on 06 about a minute in, vacates to the north and parks at H5.
    Path klm1762 = lf_final(rwy06, 40.0);
    lf_landAndPark(klm1762, 1300.0, {{52.3000, 4.7575}, {52.3035, 4.7660}}, gf_schipholStand("H5"), 400.0);
    // Lands on the Zwanenburgbaan later, vacates to the east and parks at C3.
    Path klm1394 = lf_final(rwy18C, 100.0);
    lf_landAndPark(klm1394, 1400.0, {{52.3140, 4.7450}, {52.3125, 4.7545}}, gf_schipholStand("C3"), 420.0);

    // Lined up on 24 at the start, holding long enough to be created on the
    // runway, then takes off: the demo shows a whole take-off roll.
    Path klm867(startT, rwy24.lat, rwy24.lon, 0.0, 0.0, rwy24.headingDeg);
    klm867.waitUntil(90.0);
    lf_takeOff(klm867, rwy24, 200.0);
    // At G5: pushes back, taxies to 24 and takes off.
    const DemoStand& g5 = gf_schipholStand("G5");
    Path tra5521(startT, g5.lat, g5.lon, 0.0, 0.0, g5.headingDeg);
    lf_pushAndDepart(tra5521, g5, 15.0, {{52.3040, 4.7705}, {52.3032, 4.7748}}, rwy24, 400.0);

    // Overflights, and an arrival whose stream ends in the air.
    const Path dlh4ab = lf_cruise(52.2700, 4.5200, 9000.0, 65.0, 280.0, 9000.0, 240.0);
    const Path uae147 = lf_cruise(52.4100, 4.5000, 34000.0, 115.0, 460.0, 34000.0, 200.0);
    const Path ezy7911 = lf_cruise(52.1800, 4.6600, 6000.0, 20.0, 220.0, 4500.0, 75.0);

    s.aircraft = {
        lf_aircraft("484506", "KLM1762", "PH-BXA", "B738", "A3", "EGLL", "EHAM", klm1762),
        lf_aircraft("484cb8", "KLM1394", "PH-EZA", "E190", "A3", "EDDF", "EHAM", klm1394),
        lf_aircraft("485789", "KLM867", "PH-BVA", "B77W", "A5", "EHAM", "KJFK", klm867),
        lf_aircraft("4851a2", "TRA5521", "PH-HXA", "B738", "A3", "EHAM", "LEPA", tra5521),
        lf_aircraft("3c6444", "DLH4AB", "D-AIA", "A321", "A3", "EDDM", "EGLL", dlh4ab),
        lf_aircraft("896185", "UAE147", "A6-EGA", "B77W", "A5", "OMDB", "EGLL", uae147),
        lf_aircraft("4ca7b5", "EZY7911", "G-EZA", "A320", "A3", "EGKK", "EHAM", ezy7911),
    };
    // Reported at their stands by the service's parked traffic.
    s.parked = {
        lf_parked("484a2f", "D6", "B77W", "PH-BVB", 900.0, "KLM605"),
        lf_parked("484b11", "D5", "B789", "PH-BHA", 2400.0, "KLM691"),
        lf_parked("4841b0", "B4", "E190", "PH-EZB", 600.0, "KLM1700"),
        lf_parked("4851b3", "H7", "B738", "PH-HXB", 1500.0, "TRA6011"),
        lf_parked("4ca9e2", "C6", "A320", "G-EZB", 1200.0, "EZY2752"),
        lf_parked("485f01", "S91", "B744", "PH-MPB", 7200.0, "MPH6432"),
        lf_parked("3b7a41", "B7", "A320", "F-HEB", 300.0, "AFR1241"),
    };
    return s;
}

}  // namespace zrb::demo
