#include "traffic/sample_stepping.h"

#include <gsl/narrow>

#include <algorithm>
#include <cmath>
#include <limits>

#include "airports/aircraft_keys.h"
#include "airports/stand.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "simlink/user_aircraft.h"
#include "traffic/air_movement.h"
#include "traffic/category_enabled.h"
#include "traffic/feed_intake.h"
#include "traffic/ground_movement.h"
#include "traffic/parking.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr double feetPerNm = 6076.11549;
constexpr double groundStepSeconds = 3.0;
constexpr double airStepSeconds = 8.0;
constexpr int passesPerSecond = 100;
constexpr double airDecay = 0.95;
constexpr double approachDecay = 0.9;
constexpr std::int32_t approachDecayFromRound = 4;
constexpr double lowestExtrapolatedKt = 1.0;
constexpr double approachDescentFtPerS = 10.005;
constexpr double approachVerticalRateFpm = -667.0;
constexpr double takeOffClimbFtPerS = 25.0;
constexpr double takeOffVerticalRateFpm = 1500.0;
constexpr double taxiHoldFactor = 1.2;  // × both half spans: another aircraft taxiing this near
constexpr double curveEnd = 0.999999;
constexpr double headingSnapRad = 0.5 * g_degToRad;
constexpr double speedChangeKt = 5.0;
constexpr double speedChangeDistanceNm = 100.0 / 1852.0;

// Take-off acceleration while dead-reckoning a runway roll: {up to kt, new kt, vertical rate}.
struct SpeedStep {
    double upTo;
    double speed;
    double verticalRate;
};
constexpr SpeedStep takeOffSteps[] = {{30.0, 40.0, 0.0},    {60.0, 80.0, 0.0},     {100.0, 110.0, 0.0},
                                      {140.0, 150.0, 600.0}, {160.0, 170.0, 1200.0}};
constexpr SpeedStep takeOffTop{0.0, 180.0, 2400.0};
// Landing roll: {from kt, new kt}; below all of them 20 kt.
constexpr std::pair<double, double> rollOutSteps[] = {{140.0, 100.0}, {100.0, 80.0}, {80.0, 60.0}, {60.0, 30.0}};
constexpr double rollOutSlowest = 20.0;

LatLon lf_pos(const PosSample& s) { return LatLon{s.lat, s.lon}; }
LatLon lf_pos(const LiveAc& a) { return LatLon{a.block.latitudeDeg, a.block.longitudeDeg}; }

// Turns the heading toward the target by at most the turn rate, when they
// differ by more than half a degree.
void lf_turnToward(LiveAc& a, double target) {
    const double diff = gf_wrapPi(target - a.block.headingRad);
    if (std::abs(diff) <= headingSnapRad) return;
    const double step = std::min(std::abs(diff), std::abs(a.workingTurnStep));
    a.block.headingRad = gf_normaliseRadians(a.block.headingRad + std::copysign(step, diff));
}

bool lf_otherTaxiingNear(const LiveAc& a) {
    const LatLon here = lf_pos(a);
    return std::any_of(g_liveList.begin(), g_liveList.end(), [&](const LiveAc& o) {
        return &o != &a && o.fs == LifecycleState::active && o.onGround != 0 && o.st == MovementState::taxi &&
               gf_distanceNm(here, lf_pos(o)) <= (a.halfSpan + o.halfSpan) * taxiHoldFactor;
    });
}

// Holding on the ground with a stop sample ahead; false when the hold is over.
bool lf_holdOnGround(LiveAc& a) {
    if (lf_otherTaxiingNear(a)) {
        a.waiting = 0;
        a.waitingSince = 0;
        return false;
    }
    const std::int32_t now = g_passTick.load();
    if (a.waiting != 0 && (now - a.waitingSince) / g_passesPerMinute > MAX_HOLDING_MINUTES.value) return false;
    if (a.waiting == 0) a.waitingSince = now;
    a.waiting = 1;
    PosSample stop = a.samples.front();
    stop.groundSpeed = 0.0;
    stop.stationary = 1;
    stop.duePass = gf_addPasses(now, g_holdSamplePasses);
    a.samples.push_back(stop);
    a.holdMarker = 1;
    return true;
}

bool lf_userPositionKnown() {
    return std::abs(g_userAcCopy.lat) > g_noPositionDeg || std::abs(g_userAcCopy.lon) > g_noPositionDeg;
}

void lf_flareOrMove(LiveAc& a) {
    if (a.agl <= g_flareStartAglFt && a.approach != 0 && a.onGround == 0) lf_flare(a);
    if (a.touchedDown != 0 && a.onGround != 0 && a.flareStage != 0) {
        // Nose lowering after touchdown; the flare ends when the nose is down.
        const double target = a.parkedPitch;
        const double next = a.block.pitchRad + a.pitchRate;
        const bool reached = a.pitchRate >= 0.0 ? next >= target : next <= target;
        const bool away = (target - a.block.pitchRad) * a.pitchRate < 0.0;
        if (reached || away || a.pitchRate == 0.0) {
            a.block.pitchRad = target;
            a.flareStage = 0;
        } else {
            a.block.pitchRad = next;
        }
        a.block.bankRad = 0.0;
    } else if (a.flareStage != 0 && a.onGround == 0) {
        a.block.bankRad += a.bankRate;
        a.block.altitudeFt += a.altitudeRate;
        // The nose comes up to the flare attitude and no further.
        const double next = a.block.pitchRad + a.pitchRate;
        a.block.pitchRad = a.pitchRate < 0.0 ? std::max(next, g_flarePitchRad) : std::min(next, g_flarePitchRad);
    } else if (a.onGround != 0) {
        a.block.pitchRad = a.parkedPitch;
    } else {
        a.block.bankRad += a.bankRate;
        a.block.pitchRad += a.pitchRate;
        a.block.altitudeFt += a.altitudeRate;
    }
}

}  // namespace

std::int32_t gf_passCount(double passes) {
    const double whole = std::round(passes);
    if (!std::isfinite(whole) || whole < static_cast<double>(std::numeric_limits<std::int32_t>::min()) ||
        whole > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        throw gsl::narrowing_error();
    return gsl::narrow<std::int32_t>(whole);
}

std::int32_t gf_addPasses(std::int32_t a, std::int32_t b) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(a) + static_cast<std::uint32_t>(b));
}

double gf_normaliseRadians(double radians) {
    double r = std::fmod(radians, g_twoPi);
    if (r < 0.0) r += g_twoPi;
    return r;
}

bool gf_samePosition(const PosSample& a, const PosSample& b) {
    return std::abs(a.lat - b.lat) < g_samePositionDeg && std::abs(a.lon - b.lon) < g_samePositionDeg;
}

double gf_wrapPi(double radians) {
    double r = std::fmod(radians, g_twoPi);
    if (r > g_pi) r -= g_twoPi;
    if (r < -g_pi) r += g_twoPi;
    return r;
}

void gf_shrinkWindows(LiveAc& a) {
    if (a.earlyWindow > g_windowFloorPasses)
        a.earlyWindow = std::max(a.earlyWindow - g_windowShrinkPasses, g_windowFloorPasses);
    if (a.lateWindow > g_windowFloorPasses)
        a.lateWindow = std::max(a.lateWindow - g_windowShrinkPasses, g_windowFloorPasses);
}

void gf_resetWindows(LiveAc& a) {
    a.lateWindow = a.landed != 0 ? g_lateWindowRollPasses : g_windowResetPasses;
    a.earlyWindow = g_windowResetPasses;
}

double lf_sampleSpeed(const PosSample& f, const PosSample& n) {
    if (f.groundSpeed == 0.0 && n.groundSpeed == 0.0) {
        const double passes = std::max<double>(static_cast<double>(n.duePass) - f.duePass, g_minStepPasses);
        return std::max(gf_distanceNm(lf_pos(f), lf_pos(n)) * g_passesPerHour / passes, 1.0);
    }
    const double mean = (f.groundSpeed + n.groundSpeed) / 2.0;
    // A negative or broken speed would make a travel time without meaning.
    return std::isfinite(mean) && mean > 0.0 ? mean : 1.0;
}

double lf_headingChange(const LiveAc& a) {
    if (a.samples.size() < 3) return 0.0;
    return gf_wrapPi(gf_initialBearing(lf_pos(a.samples[1]), lf_pos(a.samples[2])) - a.block.headingRad);
}

void lf_retimeNext(LiveAc& a, std::int32_t passes) {
    if (a.samples.size() < 2) return;
    PosSample& n = a.samples[1];
    const std::int64_t now = g_passTick.load();
    std::int64_t t = now + passes;
    if (a.holdMarker < 1) {
        const std::int64_t late = static_cast<std::int64_t>(n.duePass) + a.lateWindow;
        if (t > late)
            t = late;
        else
            t = std::max<std::int64_t>(t, static_cast<std::int64_t>(n.duePass) - a.earlyWindow);
    }
    t = std::clamp<std::int64_t>(std::max(t, now), std::numeric_limits<std::int32_t>::min(),
                                 std::numeric_limits<std::int32_t>::max());
    n.duePass = static_cast<std::int32_t>(t);
}

void lf_insertMidSample(LiveAc& a) {
    if (a.samples.size() < 2) return;
    const PosSample& f = a.samples[0];
    const PosSample& n = a.samples[1];
    PosSample mid = f;
    mid.lat = (f.lat + n.lat) / 2.0;
    mid.lon = (f.lon + n.lon) / 2.0;
    mid.groundSpeed = (f.groundSpeed + n.groundSpeed) / 2.0;
    mid.duePass = gf_passCount((static_cast<double>(f.duePass) + n.duePass) / 2.0);
    mid.altitude = (f.altitude + n.altitude) / 2.0;
    mid.airborne = mid.altitude > 0.0 ? 1 : 0;
    if (mid.airborne == 0) mid.altitude = 0.0;
    mid.stationary = 0;
    a.samples.insert(a.samples.begin() + 1, mid);
}

void lf_checkSpeedChange(LiveAc& a) {
    if (a.samples.size() < 2) return;
    const PosSample& f = a.samples[0];
    const PosSample& n = a.samples[1];
    if ((f.groundSpeed > 0.0 || n.groundSpeed > 0.0) && std::abs(f.groundSpeed - n.groundSpeed) > speedChangeKt &&
        gf_distanceNm(lf_pos(f), lf_pos(n)) >= speedChangeDistanceNm)
        lf_insertMidSample(a);
}

void lf_stepSample(LiveAc& a) {
    if (a.samples.size() < 2) return;
    a.curve = CurvePath{};
    a.curveProgress = 0.0;
    {
        const PosSample& f = a.samples[0];
        PosSample& n = a.samples[1];
        if (n.stationary == 0 && gf_samePosition(f, n)) n.stationary = 1;
        if (n.stationary == 0) a.pathBearing = gf_initialBearing(lf_pos(f), lf_pos(n));
    }
    if (a.onGround != 0)
        lf_groundStep(a);
    else
        lf_airStep(a);
    // The ground rules may have inserted or taken samples: N is looked up again.
    if (a.samples.size() >= 2) {
        const PosSample& n = a.samples[1];
        if (n.stationary != 0) {
            a.latRate = 0.0;
            a.lonRate = 0.0;
            if (a.touchedDown == 0 && a.landed == 0) gf_shrinkWindows(a);
        } else {
            const double dt = lf_stepPasses(a);
            a.latRate = (n.lat - a.block.latitudeDeg) / dt;
            a.lonRate = (n.lon - a.block.longitudeDeg) / dt;
            if (a.onGround != 0)
                lf_startGroundMotion(a);
            else
                lf_updateAirborneStep(a);
        }
    }
    a.samples.pop_front();
}

double lf_stepPasses(const LiveAc& a) {
    if (a.samples.size() < 2) return g_minStepPasses;
    const std::int64_t dt = static_cast<std::int64_t>(a.samples[1].duePass) - g_passTick.load();
    return static_cast<double>(std::max<std::int64_t>(dt, g_minStepPasses));
}

bool lf_onQueueEnd(LiveAc& a) {
    if (a.samples.empty()) return false;
    if (a.st == MovementState::parking) {
        lf_arrivedAtStand(a);
        // The arrival may have ended the aircraft or left it waiting at the stand.
        if (a.fs != LifecycleState::active) return true;
        if (a.st == MovementState::parking) return true;
    }
    const bool taxiing = a.st == MovementState::taxi && a.landed == 0 && a.touchedDown == 0;
    if (a.st == MovementState::pushedBack || taxiing) return lf_holdOnGround(a);
    if (a.holdMarker < 0) return false;
    if (a.holdMarker == 1) {
        a.holdMarker = -1;
        return false;
    }
    if (a.holdMarker > 1) {
        lf_extrapolate(a, a.holdMarker - 1);
        return true;
    }
    if (!gf_categoryEnabled(a.category)) return false;
    if (a.onGround == 0) {
        const double range = g_workingRangeNm.load() - g_extrapolationRangeMarginNm;
        const LatLon user{g_userAcCopy.lat, g_userAcCopy.lon};
        if (!lf_userPositionKnown() || gf_distanceNm(user, lf_pos(a)) < range) {
            lf_extrapolate(a, g_airExtrapolationRounds);
            return true;
        }
        return false;
    }
    lf_extrapolate(a, a.st == MovementState::parked ? 1 : g_groundExtrapolationRounds);
    return true;
}

void lf_extrapolate(LiveAc& a, std::int32_t rounds) {
    if (a.samples.empty()) return;
    a.holdMarker = rounds;
    const PosSample& f = a.samples.front();
    PosSample s = f;
    const bool ground = a.onGround != 0;
    const bool parked = a.st == MovementState::parked;
    const double step = ground ? groundStepSeconds : airStepSeconds;
    const double g = f.groundSpeed;
    if (f.stationary != 0 || parked) {
        s.groundSpeed = 0.0;
        s.stationary = 1;
    } else if (!ground) {
        if (a.approach == 0)
            s.groundSpeed = std::max(g * airDecay, lowestExtrapolatedKt);
        else if (rounds >= approachDecayFromRound)
            s.groundSpeed = std::max(g * approachDecay, lowestExtrapolatedKt);
    } else if (a.touchedDown != 0) {
        s.groundSpeed = rollOutSlowest;
        for (const auto& [from, speed] : rollOutSteps) {
            if (g >= from) {
                s.groundSpeed = speed;
                break;
            }
        }
    } else if (a.landed != 0) {
        SpeedStep chosen = takeOffTop;
        for (const SpeedStep& st : takeOffSteps) {
            if (g <= st.upTo) {
                chosen = st;
                break;
            }
        }
        s.groundSpeed = chosen.speed;
        if (chosen.verticalRate != 0.0) s.verticalRate = chosen.verticalRate;
    } else {
        s.groundSpeed = 0.0;
        s.stationary = 1;
    }
    const double distanceFt = step * passesPerSecond * s.groundSpeed * feetPerNm / g_passesPerHour;
    const LatLon from = lf_pos(f);
    const LatLon to = distanceFt > 0.0 ? gf_destinationPoint(from, a.block.headingRad, distanceFt) : from;
    s.lat = to.lat;
    s.lon = to.lon;
    s.stationary = gf_samePosition(s, f) ? 1 : 0;
    if (s.stationary != 0) s.groundSpeed = 0.0;
    if (a.approach != 0 && a.flareStage == 0) {
        s.altitude = f.altitude - approachDescentFtPerS * step;
        s.verticalRate = approachVerticalRateFpm;
    } else if (a.st == MovementState::takeOff) {
        s.altitude = f.altitude + takeOffClimbFtPerS * step;
        s.verticalRate = takeOffVerticalRateFpm;
    }
    s.airborne = s.altitude > 0.0 ? 1 : 0;
    if (s.airborne == 0) s.altitude = 0.0;
    if (parked) {
        s.duePass = gf_addPasses(f.duePass, g_weekPasses);
        if (Stand* stand = gf_standById(a.standId)) stand->occupied = 0;
        a.atStandChecked = 0;
    } else {
        s.duePass = gf_addPasses(f.duePass, static_cast<std::int32_t>(step) * passesPerSecond);
    }
    a.samples.push_back(s);
}

void lf_followCurve(LiveAc& a) {
    const bool curved = !std::isnan(a.curve.ctrlEast) && !std::isnan(a.curve.ctrlNorth);
    if (curved) {
        a.curveProgress = std::clamp(a.curveProgress + a.curveStep, 0.0, curveEnd);
        LatLon p{a.block.latitudeDeg, a.block.longitudeDeg};
        double heading = a.block.headingRad;
        if (gf_curvePointAt(a.curve, a.curveProgress, p, heading)) {
            a.block.latitudeDeg = p.lat;
            a.block.longitudeDeg = p.lon;
            if (a.st == MovementState::pushingBack) heading = gf_normaliseRadians(heading + g_pi);
            lf_turnToward(a, heading);
        } else if (LOG.value) {
            gf_logLine("{} error in curve at index: {:.2F}", gf_acLogKey(a), a.curveProgress);
        }
    } else {
        switch (a.st) {
            case MovementState::takeOff:
            case MovementState::flying:
            case MovementState::parked:
            case MovementState::birth: a.block.headingRad = gf_normaliseRadians(a.block.headingRad + a.headingRate); break;
            default:
                if (a.st == MovementState::parking || a.headingOff != 0) lf_turnToward(a, a.pathBearing);
                break;
        }
        a.block.latitudeDeg += a.latRate;
        a.block.longitudeDeg += a.lonRate;
    }
    if (a.st != MovementState::takeOff)
        lf_flareOrMove(a);
    else
        lf_climbOut(a);
    // Across a pole the latitude folds back; the longitude stays in −180..180.
    double& lat = a.block.latitudeDeg;
    double& lon = a.block.longitudeDeg;
    if (lat > 90.0) {
        lat = 180.0 - lat;
        lon += 180.0;
    } else if (lat < -90.0) {
        lat = -180.0 - lat;
        lon += 180.0;
    }
    lon = std::remainder(lon, 360.0);
    if (lon == -180.0) lon = 180.0;
}

}  // namespace zrb
