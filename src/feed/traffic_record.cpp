// Conversion of one live-traffic array into a TrafficRecord, with the filters
// that keep what the manager must never see out of the batch.
#include <charconv>
#include <cmath>
#include <stdexcept>

#include <fmt/format.h>

#include "airports/park_airport.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "feed/feed_shared.h"
#include "feed/traffic_reader.h"
#include "foundation/aircraft_filter.h"
#include "foundation/geodesy.h"
#include "foundation/log_repeats.h"
#include "foundation/time.h"
#include "shell/common/message_line.h"
#include "traffic/sim_notice.h"

namespace zrb {

namespace {
// Indices of the live-traffic array.
constexpr std::size_t eHexId = 0;
constexpr std::size_t eLat = 1;
constexpr std::size_t eLon = 2;
constexpr std::size_t eTrack = 3;
constexpr std::size_t eAltitude = 4;
constexpr std::size_t eGroundSpeed = 5;
constexpr std::size_t eType = 8;
constexpr std::size_t eRegistration = 9;
constexpr std::size_t eTime = 10;
constexpr std::size_t eDeparture = 11;
constexpr std::size_t eDestination = 12;
constexpr std::size_t eCallsign = 13;
constexpr std::size_t eVerticalRate = 15;
constexpr std::size_t eSource = 17;
constexpr std::size_t eAltitude2 = 18;
constexpr std::size_t eSpeed = 20;
constexpr std::size_t eBank = 23;
constexpr std::size_t eTrueHeading = 25;
constexpr std::size_t eCategory = 28;

constexpr std::uint32_t minLiveHexId = 10000;  // ids up to this are static aircraft
constexpr std::size_t maxRegistrationLength = 12;
// Longer callsigns cannot be given to a simulator object; such texts are junk.
constexpr std::size_t maxCallsignLength = 11;
constexpr double noPositionDeg = 0.0001;
constexpr double feetPerHpa = 30.0;
constexpr double groundCheckCeilingFt = 14000.0;
constexpr double alwaysGroundSpeedKt = 35.0;
constexpr double maxRecordTime = 1e15;  // s; beyond any real time stamp
// Beyond these no aircraft flies, climbs or banks: such a record is junk, and
// its other values are not to be trusted either.
constexpr double minAltitudeFt = -2000.0;
constexpr double maxAltitudeFt = 100000.0;
constexpr double maxSpeedKt = 2000.0;
constexpr double maxVerticalRateFpm = 30000.0;
constexpr double maxBankDeg = 180.0;
constexpr double maxTrackDeg = 360.0;
constexpr std::size_t loggedHexIdChars = 8;

RepeatedLogLines g_impossibleValueLines(LogLineKind::marked, "Traffic records dropped for values no aircraft can have");
RepeatedLogLines g_processLineErrors(LogLineKind::plain, "processLine: records dropped");

bool lf_isNumber(const nlohmann::json& a, std::size_t i) { return i < a.size() && a[i].is_number(); }
double lf_number(const nlohmann::json& a, std::size_t i) { return lf_isNumber(a, i) ? a[i].get<double>() : 0.0; }
std::string lf_text(const nlohmann::json& a, std::size_t i) { return i < a.size() ? lf_jsonToString(a[i]) : std::string{}; }
std::string lf_nullToEmpty(std::string text) { return text == "null" ? std::string{} : text; }

// The first value of the array that no aircraft can have, as "name value"; empty
// when all are possible. Values that are not numbers count as not given.
std::string lf_impossibleValue(const nlohmann::json& a) {
    const auto beyond = [&](std::size_t i, double low, double high) {
        const double v = lf_number(a, i);
        return !std::isfinite(v) || v < low || v > high;
    };
    const std::size_t altitude = lf_isNumber(a, eAltitude) ? eAltitude : eAltitude2;
    if (beyond(altitude, minAltitudeFt, maxAltitudeFt)) return fmt::format("altitude {} ft", lf_number(a, altitude));
    if (beyond(eGroundSpeed, -maxSpeedKt, maxSpeedKt)) return fmt::format("ground speed {} kt", lf_number(a, eGroundSpeed));
    if (beyond(eSpeed, -maxSpeedKt, maxSpeedKt)) return fmt::format("speed {} kt", lf_number(a, eSpeed));
    if (beyond(eVerticalRate, -maxVerticalRateFpm, maxVerticalRateFpm))
        return fmt::format("vertical rate {} ft/min", lf_number(a, eVerticalRate));
    if (beyond(eBank, -maxBankDeg, maxBankDeg)) return fmt::format("bank {} degrees", lf_number(a, eBank));
    if (beyond(eTrack, -maxTrackDeg, maxTrackDeg)) return fmt::format("track {} degrees", lf_number(a, eTrack));
    return {};
}

double lf_defaultSpeed(double altitudeFt) {
    if (altitudeFt <= 2000.0) return 180.0;
    if (altitudeFt <= 5000.0) return 220.0;
    if (altitudeFt <= 10000.0) return 250.0;
    if (altitudeFt <= 20000.0) return 350.0;
    return 430.0;
}
}  // namespace

std::string lf_jsonToString(const nlohmann::json& value) {
    return value.is_string() ? value.get<std::string>() : std::string{};
}

std::string lf_formatLatLon(double lat, double lon) { return fmt::format("{:.6f},{:.6f}", lat, lon); }

std::string lf_formatTrueHeading(double heading) { return fmt::format("true heading: {:.2F}", heading); }

std::optional<std::uint32_t> lf_parseHexId(std::string_view text) {
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc()) return std::nullopt;  // no digit, or beyond 32 bits
    return value;
}

void TrafficReader::refreshLineContext() {
    const TrafficQueryState query = queryState();
    const CurrentParkAirportData park = gf_currentParkAirport();
    lineContext.refLat = query.refLat;
    lineContext.refLon = query.refLon;
    lineContext.rangeNm = g_workingRangeNm.load();
    lineContext.qnh = qnh.load();
    lineContext.parkElevation = g_referenceElevation.load();
    lineContext.parkAirportSet = !park.icao.empty();
    lineContext.parkLat = park.lat;
    lineContext.parkLon = park.lon;
    lineContext.blockCallsign = BLOCK_CALLSIGN.value.get();
    lineContext.reservedStand = gf_reservedStand();
    lineContext.userStand = gf_feedUserStand();
}

void TrafficReader::convertTrafficMembers(nlohmann::json data) {
    if (!data.is_object() && !data.is_array()) return;
    for (auto& member : data) {
        if (!member.is_array() || member.size() < g_trafficArrayElements) continue;
        record = std::move(member);
        processLine();
    }
}

bool TrafficReader::lf_readHexId(TrafficRecord& r) const {
    const std::optional<std::uint32_t> id = lf_parseHexId(lf_text(record, eHexId));
    r.hexId = id.value_or(0);
    return r.hexId > minLiveHexId;
}

bool TrafficReader::lf_readLiveRegistration(TrafficRecord& r) const {
    std::string reg = lf_text(record, eRegistration);
    if (reg.size() > maxRegistrationLength) return false;
    r.registration = lf_nullToEmpty(std::move(reg));
    return true;
}

bool TrafficReader::lf_checkTargetCategory(const TrafficRecord& r) const {
    return gf_isAircraftTarget(r.type, lf_text(record, eCategory));
}

void TrafficReader::lf_deriveLiveAltitude(TrafficRecord& r) const {
    PosSample& s = r.sample;
    double a = 0.0;
    if (lf_isNumber(record, eAltitude)) {
        a = lf_number(record, eAltitude);
    } else if (lf_isNumber(record, eAltitude2)) {
        a = lf_number(record, eAltitude2);
    }
    if (a <= 0.0) {
        s.altitude = 0.0;
        return;
    }
    a = std::max(0.0, a + static_cast<double>(lineContext.qnh - 1013) * feetPerHpa);
    const double g = s.groundSpeed;
    if (a > 0.0 && a < groundCheckCeilingFt) {
        const double h = a - lineContext.parkElevation.value_or(g_noReferenceElevationFt);
        const double ah = std::fabs(h);
        if (h <= 0.0 || (ah <= 45.0 && g <= 120.0) || (ah <= 90.0 && g <= 80.0) || (ah <= 120.0 && g <= 43.0)) a = 0.0;
    }
    if (g <= alwaysGroundSpeedKt && a > 0.0) a = 0.0;
    s.altitude = a;
}

bool TrafficReader::lf_checkBlockedCallsign(TrafficRecord& r) {
    std::string cs = lf_text(record, eCallsign);
    if (cs == "null" || cs.find('@') != std::string::npos || cs.size() > maxCallsignLength) {
        r.callsign.clear();
        return true;
    }
    if (cs == "ERARMTR0" || cs == "AIRPORT1") return false;
    r.callsign = cs;
    const std::string& block = lineContext.blockCallsign;
    if (block.empty() || block != cs) return true;
    if (blockArmed) {
        blockArmed = false;
        blockedCallsign = block;
        SimNotice notice;
        notice.hexId = r.hexId;
        notice.kind = static_cast<std::uint32_t>(SimNoticeKind::blocked);
        gf_pushSimNotice(notice);
        gf_showMessage("Reader: Live aircraft " + cs + " blocked", true);
    } else if (block != blockedCallsign) {
        gf_showMessage("Reader: Live aircraft " + blockedCallsign + " no longer blocked", true);
        blockArmed = true;
        blockedCallsign.clear();
    }
    return false;
}

void TrafficReader::processLine() {
    try {
        TrafficRecord r;
        PosSample& s = r.sample;
        // The data time moves on with every array, kept or not.
        const double t = lf_number(record, eTime);
        g_latestRecordTime.store(t);
        if (!std::isfinite(t) || std::fabs(t) > maxRecordTime) throw std::runtime_error("time");
        r.time = static_cast<std::int64_t>(t);
        // Registration and type: what kind of target it is.
        if (!lf_readLiveRegistration(r)) return;
        r.type = lf_text(record, eType);
        if (r.type == "0" || r.type == "ZZZZ") r.type.clear();
        if (!lf_checkTargetCategory(r)) return;
        // Position on the globe and within the range round the user.
        s.lat = lf_number(record, eLat);
        s.lon = lf_number(record, eLon);
        if (!(s.lat >= -90.0 && s.lat <= 90.0 && s.lon >= -180.0 && s.lon <= 180.0) ||
            (std::fabs(s.lat) <= noPositionDeg && std::fabs(s.lon) <= noPositionDeg)) {
            throw std::runtime_error("lalo: " + lf_formatLatLon(s.lat, s.lon));
        }
        if (gf_distanceNm(LatLon{lineContext.refLat, lineContext.refLon}, LatLon{s.lat, s.lon}) > lineContext.rangeNm) return;
        if (const std::string what = lf_impossibleValue(record); !what.empty()) {
            g_impossibleValueLines.write("Traffic record {} dropped: {} is no value an aircraft can have",
                                         lf_text(record, eHexId).substr(0, loggedHexIdChars), what);
            return;
        }
        // A true heading from an ADS-B source is the precise track.
        if (lf_text(record, eSource) == "adsb_icao" && lf_isNumber(record, eTrueHeading)) {
            const double v = lf_number(record, eTrueHeading);
            if (v > 360.0) throw std::runtime_error(lf_formatTrueHeading(v));
            if (v == 0.0) {
                s.track = g_twoPi;
            } else if (v > 0.0) {
                s.track = v * g_degToRad;
            }
            if (v >= 0.0) {
                s.trackKnown = 1;
                s.precise = 1;
            }
        }
        // Hex id, speed over ground, altitude and the ground decision.
        if (!lf_readHexId(r)) return;
        s.groundSpeed = lf_number(record, eGroundSpeed);
        lf_deriveLiveAltitude(r);
        s.airborne = s.altitude > 0.0 ? 1 : 0;
        // Callsign (or the blocked one), and the ids the planner collects.
        if (!lf_checkBlockedCallsign(r)) return;
        if (r.callsign.empty() && r.registration.empty()) return;
        if (g_collectFeedIds.load()) {
            std::lock_guard lock(g_feedIdsMutex);
            if (!r.callsign.empty()) g_feedIds.callsigns.insert(r.callsign);
            g_feedIds.hexIds.insert(r.hexId);
        }
        // Ground traffic only near the park airport.
        if (s.airborne == 0) {
            if (!lineContext.parkAirportSet) return;
            if (gf_distanceNm(LatLon{lineContext.parkLat, lineContext.parkLon}, LatLon{s.lat, s.lon}) > g_groundTrafficRadiusNm) return;
        }
        // The rest of the sample.
        s.heading = lf_number(record, eTrack);
        if (s.heading == 0.0 && s.trackKnown != 0) s.heading = s.track * g_radToDeg;
        s.verticalRate = lf_number(record, eVerticalRate);
        r.departure = lf_nullToEmpty(lf_text(record, eDeparture));
        r.destination = lf_nullToEmpty(lf_text(record, eDestination));
        if (s.airborne != 0 && lf_isNumber(record, eBank)) {
            const double bank = lf_number(record, eBank);
            if (bank != 0.0 && bank != -1.0) {
                s.bank = -bank * g_degToRad;
                s.bankKnown = 1;
            }
        }
        const bool speedGiven = lf_isNumber(record, eSpeed) && lf_number(record, eSpeed) != -1.0;
        s.speed = speedGiven ? lf_number(record, eSpeed) : lf_defaultSpeed(s.altitude);
        // 20.
        records.push_back(std::move(r));
    } catch (const std::runtime_error&) {
        // A malformed position or heading drops its record without a word.
    } catch (const std::exception& e) {
        g_processLineErrors.write("{}: {}", "processLine", e.what());
    }
}

}  // namespace zrb
