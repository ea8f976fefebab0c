#include "service/scenario.h"

#include <algorithm>
#include <cmath>

namespace zrb::tools {

namespace {
constexpr double degToRad = 0.017453292519943295;
constexpr double nmPerDegreeLat = 60.0;
constexpr std::size_t arrayElements = 48;

ScenarioAircraft lf_aircraft(std::string hex, std::string cs, std::string reg, std::string type, std::string cat,
                             std::string dep, std::string dest, double lat, double lon, double track, double gs,
                             double alt, double vs) {
    ScenarioAircraft a;
    a.hexId = std::move(hex);
    a.callsign = std::move(cs);
    a.registration = std::move(reg);
    a.type = std::move(type);
    a.category = std::move(cat);
    a.departure = std::move(dep);
    a.destination = std::move(dest);
    a.lat = lat;
    a.lon = lon;
    a.trackDeg = track;
    a.groundSpeedKt = gs;
    a.altitudeFt = alt;
    a.verticalRateFpm = vs;
    return a;
}

bool lf_inBox(double lat, double lon, double top, double bottom, double left, double right) {
    return lat <= top && lat >= bottom && lon >= left && lon <= right;
}

// What an aircraft reports at a moment.
struct Report {
    double lat = 0.0;
    double lon = 0.0;
    double altitudeFt = 0.0;
    double groundSpeedKt = 0.0;
    double trackDeg = 0.0;
    double verticalRateFpm = 0.0;
};

// On a path's leg the speed changes evenly, so the share of the leg flown
// after `dt` of its `duration` s is the distance so far over the whole.
Report lf_pathReport(const std::vector<ScenarioWaypoint>& path, double seconds) {
    const auto next = std::find_if(path.begin(), path.end(), [&](const ScenarioWaypoint& w) { return w.t > seconds; });
    if (next == path.begin() || next == path.end()) {
        const ScenarioWaypoint& w = next == path.begin() ? path.front() : path.back();
        return {w.lat, w.lon, w.altitudeFt, 0.0, w.trackDeg, 0.0};
    }
    const ScenarioWaypoint& a = *(next - 1);
    const ScenarioWaypoint& b = *next;
    const double duration = b.t - a.t;
    const double dt = seconds - a.t;
    const double v0 = a.groundSpeedKt;
    const double v1 = b.groundSpeedKt;
    const double whole = (v0 + v1) * 0.5 * duration;
    const double share = whole > 0.0 ? (v0 * dt + 0.5 * (v1 - v0) * dt * dt / duration) / whole : dt / duration;
    Report r;
    r.lat = a.lat + (b.lat - a.lat) * share;
    r.lon = a.lon + (b.lon - a.lon) * share;
    r.altitudeFt = a.altitudeFt + (b.altitudeFt - a.altitudeFt) * share;
    r.groundSpeedKt = v0 + (v1 - v0) * dt / duration;
    r.trackDeg = b.trackDeg;
    r.verticalRateFpm = (b.altitudeFt - a.altitudeFt) / duration * 60.0;
    return r;
}

Report lf_report(const ScenarioAircraft& a, double epoch, double t) {
    if (!a.path.empty()) return lf_pathReport(a.path, t - epoch);
    Report r;
    gf_positionAt(a, epoch, t, r.lat, r.lon, r.altitudeFt);
    r.groundSpeedKt = a.groundSpeedKt;
    r.trackDeg = a.trackDeg;
    r.verticalRateFpm = r.altitudeFt > 0.0 ? a.verticalRateFpm : 0.0;
    return r;
}
}  // namespace

Scenario gf_amsterdamScenario(double epoch) {
    Scenario s;
    s.epoch = epoch;
    s.aircraft = {
        lf_aircraft("484506", "KLM1023", "PH-BXA", "B738", "A3", "EHAM", "EGLL", 52.3200, 4.7400, 240.0, 160.0, 500.0, 2000.0),
        lf_aircraft("4ca7b5", "EZY45", "G-EZWA", "A320", "A3", "EGKK", "EHAM", 52.4500, 4.9500, 210.0, 180.0, 4000.0, -800.0),
        lf_aircraft("3c6444", "DLH9", "D-AISA", "A321", "A3", "EDDF", "EGLL", 52.1000, 4.2000, 60.0, 450.0, 35000.0, 0.0),
        lf_aircraft("485789", "KLM64", "PH-BVA", "B77W", "A5", "EHAM", "KJFK", 52.3050, 4.7700, 90.0, 15.0, 0.0, 0.0),
        lf_aircraft("484cb8", "TRA6", "PH-HSD", "B738", "A3", "EHAM", "LEPA", 52.6000, 5.3000, 180.0, 420.0, 28000.0, 0.0),
        lf_aircraft("48ae01", "PHGLD", "PH-1234", "GLID", "B1", "null", "null", 52.2000, 5.1000, 90.0, 50.0, 3000.0, 0.0),
    };
    s.parked = {
        {"484a2f", 52.3083, 4.7612, "D7", "B738", "PH-BXB", 600.0, "KLM1391."},
        {"4ca9e2", 52.3104, 4.7668, "E18", "A320", "EI-DEA", 1800.0, "EIN605"},
        {"485a3e", 52.3072, 4.7650, "F4", "B747", "PH-BFT", 7200.0, "null"},
        {"4841b0", 52.3095, 4.7590, "G3", "E190", "PH-EZA", 900.0, "KLM1700"},
        {"3c4b26", 52.3060, 4.7700, "H1", "A332", "D-AXYZ", 40000.0, "N00000X"},
    };
    return s;
}

bool gf_isReported(const ScenarioAircraft& a, double epoch, double t) {
    // Times are seconds since 1970 in a double: their last bits are noise.
    constexpr double slackS = 1e-3;
    return a.path.empty() || (t - epoch >= a.path.front().t - slackS && t - epoch <= a.path.back().t + slackS);
}

void gf_positionAt(const ScenarioAircraft& a, double epoch, double t, double& lat, double& lon, double& altitudeFt) {
    if (!a.path.empty()) {
        const Report r = lf_pathReport(a.path, t - epoch);
        lat = r.lat;
        lon = r.lon;
        altitudeFt = r.altitudeFt;
        return;
    }
    const double hours = (t - epoch) / 3600.0;
    const double distanceNm = a.groundSpeedKt * hours;
    const double track = a.trackDeg * degToRad;
    lat = a.lat + distanceNm * std::cos(track) / nmPerDegreeLat;
    lon = a.lon + distanceNm * std::sin(track) / (nmPerDegreeLat * std::cos(a.lat * degToRad));
    altitudeFt = std::max(0.0, a.altitudeFt + a.verticalRateFpm * hours * 60.0);
}

nlohmann::json gf_trafficArray(const ScenarioAircraft& a, double epoch, double t) {
    const Report r = lf_report(a, epoch, t);
    const double lat = r.lat;
    const double lon = r.lon;
    const double alt = r.altitudeFt;
    nlohmann::json v = nlohmann::json::array();
    for (std::size_t i = 0; i < arrayElements; ++i) v.push_back(nullptr);
    v[0] = a.hexId;
    v[1] = lat;
    v[2] = lon;
    v[3] = r.trackDeg;
    v[4] = alt;
    v[5] = r.groundSpeedKt;
    v[8] = a.type;
    v[9] = a.registration;
    v[10] = t;
    v[11] = a.departure;
    v[12] = a.destination;
    v[13] = a.callsign;
    v[15] = r.verticalRateFpm;
    v[17] = a.adsbTrueHeading ? "adsb_icao" : "mlat";
    v[18] = alt;
    v[20] = -1;
    v[23] = 0.0;
    v[25] = r.trackDeg;
    v[28] = a.category;
    return v;
}

nlohmann::json gf_trafficData(const Scenario& s, double top, double bottom, double left, double right, double t) {
    nlohmann::json data = nlohmann::json::object();
    std::size_t count = 0;
    for (const ScenarioAircraft& a : s.aircraft) {
        if (!gf_isReported(a, s.epoch, t)) continue;
        double lat = 0.0;
        double lon = 0.0;
        double alt = 0.0;
        gf_positionAt(a, s.epoch, t, lat, lon, alt);
        if (!lf_inBox(lat, lon, top, bottom, left, right)) continue;
        data[a.hexId] = gf_trafficArray(a, s.epoch, t);
        ++count;
    }
    if (s.addCounters) {
        data["full_count"] = count;
        data["source"] = "standin";
    }
    return data;
}

nlohmann::json gf_parkedData(const Scenario& s, double top, double bottom, double left, double right, double t) {
    nlohmann::json data = nlohmann::json::object();
    for (const ScenarioParked& p : s.parked) {
        if (!lf_inBox(p.lat, p.lon, top, bottom, left, right)) continue;
        data[p.hexId] = nlohmann::json::array({p.lat, p.lon, p.stand, p.type, p.registration, t - p.secondsAgo, p.callsign});
    }
    return data;
}

}  // namespace zrb::tools
