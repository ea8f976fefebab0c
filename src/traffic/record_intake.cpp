// What one feed record does: it extends a known live aircraft (after the
// plausibility rules, which keep the feed's jumps out of the simulator), changes
// its identity (which may take it out of the simulator to be created again
// with another livery), starts a new live aircraft, or is dropped.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <optional>

#include "airports/aircraft_from_livery.h"
#include "airports/aircraft_keys.h"
#include "airports/park_airport.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "liveries/dbase.h"
#include "liveries/livery_tables.h"
#include "traffic/category_enabled.h"
#include "traffic/feed_intake.h"
#include "traffic/ghosts_and_respawn.h"
#include "traffic/new_samples.h"
#include "traffic/livery_bookkeeping.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr double sameTimeS = 1.0;
constexpr double slowKt = 5.0;
constexpr double speedJumpFactor = 10.0;
constexpr double standstillJumpKt = 80.0;
constexpr double airGapKt = 120.0;
constexpr double airGapHeadingDeg = 1.0;
constexpr double airGapNm = 0.2429805615550756;  // 450 m
constexpr double groundGapKt = 30.0;
constexpr double groundGapHeadingDeg = 2.0;
constexpr double groundGapNm = 0.010799136069114472;  // 20 m
constexpr double groundGapLongestS = 15.0;
constexpr double secondsPerHour = 3600.0;
constexpr double fieldBandTopFt = 10000.0;
constexpr double fieldBandFt = 120.0;
constexpr double noFieldElevationFt = -1000.0;

std::string lf_dbaseAirline(const DbaseRecord& record) { return record.opr.empty() ? record.airl : record.opr; }

bool lf_endsInUnderscore(const std::string& callsign) { return !callsign.empty() && callsign.back() == '_'; }

// An airborne record that claims to fly at the park airport's own elevation
// (or, without a park airport, nothing ever does).
bool lf_atFieldElevation(double altitudeFt) {
    if (altitudeFt <= 0.0 || altitudeFt >= fieldBandTopFt) return false;
    const CurrentParkAirportData park = gf_currentParkAirport();
    const double reference = park.icao.empty() ? noFieldElevationFt : park.elevation;
    return std::abs(altitudeFt - reference) <= fieldBandFt;
}

// The record repeats the last one or jumps in a way no aircraft does.
bool lf_implausibleNext(const LiveAc& a, const TrafficRecord& record) {
    const PosSample& last = a.samples.back();
    const double dt = static_cast<double>(record.time) - a.feedTime;
    const double g = record.sample.groundSpeed;
    const double big = last.groundSpeed;
    if (dt <= sameTimeS) return true;
    if ((big > slowKt && g >= speedJumpFactor * big) || (g > slowKt && big >= speedJumpFactor * g)) return true;
    if ((big <= slowKt && g >= standstillJumpKt) || (g <= slowKt && big >= standstillJumpKt)) return true;
    if (a.holdMarker >= 1) return false;
    // The plain difference: 359° against 1° is not "the same heading".
    const double turn = std::abs(record.sample.heading - last.heading);
    if (record.sample.airborne != 0)
        return g > airGapKt && turn <= airGapHeadingDeg && dt <= airGapNm / (g / secondsPerHour);
    if (g > groundGapKt || turn > groundGapHeadingDeg) return false;
    const double longest = g > 0.0 ? std::min(groundGapNm / (g / secondsPerHour), groundGapLongestS) : groundGapLongestS;
    return dt <= longest;
}

void lf_updateBufferedIdentity(LiveAc& a, const TrafficRecord& record) {
    if (!record.departure.empty()) a.departure = record.departure;
    if (!record.destination.empty()) a.destination = record.destination;
    if (!record.callsign.empty() && record.callsign != a.callsign) {
        a.callsign = record.callsign;
        a.text6 = record.callsign;
        a.text7.clear();
    }
    if (!record.registration.empty()) a.registration = record.registration;
}

// True when nothing was filled in and the route did not change.
bool lf_routeCheck(LiveAc& a, const TrafficRecord& record) {
    bool filled = false;
    if (a.departure.empty() && !record.departure.empty()) {
        a.departure = record.departure;
        filled = true;
    }
    if (a.destination.empty() && !record.destination.empty()) {
        a.destination = record.destination;
        filled = true;
    }
    if (filled) return false;
    if (a.departure.empty() || a.destination.empty() || record.departure.empty() || record.destination.empty() ||
        a.departure == record.departure || a.destination == record.destination)
        return true;
    const std::string secondCode = gf_currentParkAirport().secondCode;
    if (!secondCode.empty() && a.departure == secondCode && record.destination == a.departure) return true;
    a.departure = record.departure;
    a.destination = record.destination;
    if (a.onGround != 0 && a.st != MovementState::parking && a.st != MovementState::parked) {
        gf_setPhase(a, MovementState::taxi);
        a.trackHeading = a.block.headingRad;
    }
    return false;
}

struct RegistrationCheck {
    bool failed = false;
    std::optional<DbaseRecord> record;  // of the new registration
};

RegistrationCheck lf_registrationCheck(LiveAc& a, const TrafficRecord& record) {
    RegistrationCheck check;
    if (record.registration.empty()) return check;
    const bool changed = a.registration != record.registration;
    check.record = gf_findDbaseRecord(record.registration);
    const bool otherAircraft =
        changed && check.record && (lf_dbaseAirline(*check.record) != a.airline || check.record->type != a.type);
    const bool ownRegistration = (!a.registration.empty() && a.registration != a.callsign) || !changed;
    if (ownRegistration) {
        check.failed = otherAircraft;
    } else {
        const auto named = g_regcodeMap.find(record.registration);
        check.failed = (named != g_regcodeMap.end() && named->second != a.title) || otherAircraft;
    }
    a.registration = record.registration;
    return check;
}

// The aircraft is matched anew at its respawn: the database's airline and
// type, no remembered livery, back to birth.
void lf_forgetLivery(LiveAc& a, const std::optional<DbaseRecord>& record) {
    if (record) {
        a.airline = lf_dbaseAirline(*record);
        if (!record->type.empty() && record->type != a.type) {
            // Another type brings its own category values.
            AcIdentityRecord texts = a;
            texts.type = record->type;
            const AcIdentity rebuilt = gf_aircraftFromLivery(texts, a.hexId);
            lf_copyIdentity(a, rebuilt);
            a.workingTurnStep = a.turnStep;
            a.maxSpeedChange = gf_maxSpeedChange(a.category);
            a.standApproachSpeed = gf_standApproachSpeed(a.category);
        }
    }
    g_rememberedLiveries.erase(a.hexId);
    a.title = {};
    gf_setPhase(a, MovementState::birth);
}

// False when the record must not be applied.
bool lf_checkRespawn(LiveAc& a, const TrafficRecord& record) {
    if (a.landed != 0 || a.approach != 0) return true;
    if (a.fs == LifecycleState::buffer) {
        lf_updateBufferedIdentity(a, record);
        return true;
    }
    if (a.fs != LifecycleState::active || a.st == MovementState::pushingBack || a.holdMarker >= 1) return true;
    const bool routeKept = lf_routeCheck(a, record);
    const RegistrationCheck registration = lf_registrationCheck(a, record);
    bool newCallsign = false;
    if (!record.callsign.empty() && record.callsign != a.callsign && record.callsign != a.registration) {
        if (!lf_endsInUnderscore(record.callsign))
            lf_removeGhost(record.callsign);
        else if (lf_liveCopySourceExists(record.callsign))
            return false;
        a.callsign = record.callsign;
        a.text6 = record.callsign;
        a.text7.clear();
        newCallsign = true;
    }
    if (routeKept && !registration.failed && !newCallsign) return true;
    // Without respawns the aircraft flies on as it was created; its livery is
    // only forgotten when it is created again.
    if (!GUID_CHANGES.value) return true;
    if (registration.failed) lf_forgetLivery(a, registration.record);
    if (LOG.value) gf_logLine("          {} respawns", gf_routeCallsignReg(a));
    liveryRespawn(a);
    return false;
}

void lf_newLiveAc(const TrafficRecord& record, const std::string& type) {
    const auto category = static_cast<std::uint32_t>(gf_typeCategory(type));
    if (!gf_categoryEnabled(category)) return;
    if (lf_atFieldElevation(record.sample.altitude)) return;
    AcIdentityRecord texts;
    texts.airline = record.airline;
    texts.type = type;
    texts.departure = record.departure;
    texts.destination = record.destination;
    texts.callsign = record.callsign;
    texts.text6 = record.callsign;
    texts.registration = record.registration;
    AcIdentity identity = gf_aircraftFromLivery(texts, record.hexId);
    identity.workingTurnStep = identity.turnStep;
    identity.maxSpeedChange = gf_maxSpeedChange(category);
    identity.standApproachSpeed = gf_standApproachSpeed(category);
    g_liveList.emplace_back(record.sample, identity, static_cast<double>(record.time));
}

void lf_completeNewLiveAc(const TrafficRecord& record) {
    std::string type = record.type;
    if (type.empty()) {
        if (const auto db = gf_findDbaseRecord(record.registration)) type = db->type;
    }
    if (!gf_isKnownType(type)) {
        const auto db = gf_findDbaseRecord(record.registration);
        if (!db || db->type.empty()) return;
        type = db->type;
    }
    lf_newLiveAc(record, type);
}

void lf_extendKnown(LiveAc& a, const TrafficRecord& record) {
    if (a.fs == LifecycleState::liveryrespawn || a.fs == LifecycleState::removingfromsim) return;
    if (!a.samples.empty() && lf_implausibleNext(a, record)) return;
    if (a.fs == LifecycleState::buffer && lf_atFieldElevation(record.sample.altitude)) return;
    if (!lf_checkRespawn(a, record)) return;
    a.feedTime = static_cast<double>(record.time);
    decodeExisting(a, record.sample);
}

}  // namespace

void gf_processTrafficRecord(const TrafficRecord& record) {
    // The feed's own checks let a missing number (NaN) or time stamp through.
    if (!gf_samplePlausible(record.sample) || record.time <= 0) {
        static std::atomic<bool> logged{false};
        if (!logged.exchange(true))
            gf_logMarked("feed record of hexid {} with a position off the globe or without a time dropped",
                         record.hexId);
        return;
    }
    if (LiveAc* a = gf_findLive(record.hexId)) {
        lf_extendKnown(*a, record);
        return;
    }
    const bool twin = !record.callsign.empty() && std::any_of(g_liveList.begin(), g_liveList.end(), [&](const LiveAc& a) {
        return a.callsign == record.callsign && a.type == record.type;
    });
    if (!twin) lf_completeNewLiveAc(record);
}

}  // namespace zrb
