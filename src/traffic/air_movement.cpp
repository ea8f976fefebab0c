#include "traffic/air_movement.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <stdexcept>

#include "airports/park_airport.h"
#include "liveries/dbase.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"
#include "traffic/ac_events.h"
#include "traffic/doubles_check_queue.h"
#include "traffic/feed_intake.h"
#include "traffic/sample_stepping.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

using CategoryTable = std::array<double, g_categoryCount>;
constexpr CategoryTable largestBankDeg{40.0, 35.0, 30.0, 20.0, 90.0, 75.0};
constexpr CategoryTable largestBankChangeDeg{0.035, 0.0275, 0.02, 0.015, 0.1, 0.06};
constexpr CategoryTable largestPitchChangeDeg{0.01, 0.0085, 0.0075, 0.005, 0.03, 0.03};

constexpr double climbCapFpm = 2400.0;
constexpr double descentCapFpm = -3000.0;
constexpr double basePitchRad = -3.0 * g_degToRad;  // level flight, nose up
constexpr double pitchPer600FpmRad = 2.2 * g_degToRad;
constexpr double fpmPerFtPerPass = 6000.0;           // ft per pass × 6000 = feet per minute
constexpr double touchdownRateFpm = -601.0;
constexpr double lowTouchdownRateFpm = -600.0;
constexpr double qnhFeetPerHpa = 6.0;
constexpr double descentRateAglFt = 100.0;
constexpr double neverDescendAglFt = 1000.0;
constexpr double neverDescendRate = 0.2;  // ft per pass
constexpr double climbingAwaySumFpm = 100.0;
constexpr double lowestClimbAwayFpm = 601.0;
constexpr std::size_t firstRetimeSample = 3;
constexpr std::size_t lastRetimeSample = 10;
constexpr double approachFallbackKt = 100.0;
constexpr double busyJetBandAglFt = 2050.0;  // categories 1..3
constexpr double otherBandAglFt = 625.0;
constexpr double gearUpAglFt = 2400.0;
constexpr double firstFlapsAglFt = 2000.0;
constexpr double descendingFpm = -250.0;
constexpr double climbingFpm = 400.0;
constexpr double goAroundFpm = 600.0;
constexpr double flapsHoldFpm = 100.0;
constexpr std::int32_t approachLateRollPasses = 5000;
constexpr std::int32_t approachLatePasses = 3000;
constexpr std::int32_t approachEarlyPasses = 3000;
constexpr std::uint32_t climbThrottle = 3;
constexpr std::uint32_t descentThrottle = 2;
constexpr std::uint32_t approachThrottle = 1;
constexpr std::uint32_t approachFlaps = 3;

// Flare stages: {height above the centre of gravity's parked height, feet per
// pass, the front sample's vertical rate}.
struct FlareStage {
    double aboveFt;
    double rateFtPerPass;
    double verticalRateFpm;
};
constexpr std::array<FlareStage, 4> flareStages{{{30.0, -0.1, -601.0},
                                                 {20.0, -0.075, -450.0},
                                                 {10.0, -0.05, -300.0},
                                                 {3.0, -0.025, -150.0}}};

constexpr const char* missingKeyText = "invalid unordered_map<K, T> key";

double lf_lookUp(const CategoryTable& table, std::uint32_t category) {
    if (category >= table.size()) throw std::out_of_range(missingKeyText);
    return table[category];
}

bool lf_isRotorcraft(const AiAc& a) { return a.category == static_cast<std::uint32_t>(g_categoryRotorcraft); }

std::uint32_t lf_throttleFor(const AiAc& a, std::uint32_t index) {
    return lf_isRotorcraft(a) ? g_throttleFull : index;
}

LatLon lf_pos(const PosSample& s) { return LatLon{s.lat, s.lon}; }

double lf_landingDescentRate(const LiveAc& a, const PosSample& f, const PosSample& n) {
    if (a.agl <= descentRateAglFt) return lowTouchdownRateFpm;
    const double qnh = static_cast<double>(g_qnh.load());
    return std::min(touchdownRateFpm, (f.verticalRate + n.verticalRate) / 2.0 - (qnh - g_standardQnh) * qnhFeetPerHpa);
}

// N, the block and the altitude rate take one descent rate.
void lf_descendAt(LiveAc& a, PosSample& n, double rateFpm) {
    n.verticalRate = rateFpm;
    a.block.verticalSpeedFtPerS = rateFpm / 60.0;
    a.altitudeRate = rateFpm / fpmPerFtPerPass;
}

void lf_climbToward(LiveAc& a, const PosSample& n) {
    const double dt = lf_stepPasses(a);
    a.altitudeRate = n.altitude > a.block.altitudeFt
                         ? std::min((n.altitude - a.block.altitudeFt) / dt, gf_climbLimit(a.category))
                         : 0.0;
}

// Drops the samples between F and the k-th (1-based) when that one is
// airborne, and heads for it.
bool lf_retimeToAirborne(LiveAc& a, std::size_t k) {
    if (a.samples.size() < k || a.samples[k - 1].airborne == 0) return false;
    for (std::size_t i = 0; i + 2 < k && a.samples.size() >= 3; ++i) a.samples.erase(a.samples.begin() + 1);
    const PosSample& f = a.samples[0];
    const PosSample& n = a.samples[1];
    const double travel = gf_distanceNm(lf_pos(f), lf_pos(n)) * g_passesPerHour / lf_sampleSpeed(f, n);
    lf_retimeNext(a, std::max(gf_passCount(travel), g_minStepPasses));
    // The rates of the step pointed at a sample that is gone.
    const double dt = lf_stepPasses(a);
    a.latRate = (a.samples[1].lat - a.block.latitudeDeg) / dt;
    a.lonRate = (a.samples[1].lon - a.block.longitudeDeg) / dt;
    lf_climbToward(a, a.samples[1]);
    return true;
}

void lf_groundSamplesInAir(LiveAc& a) {
    const double sum = std::accumulate(a.samples.begin(), a.samples.end(), 0.0,
                                       [](double s, const PosSample& x) { return s + x.verticalRate; });
    if (a.approach == 0 && sum > climbingAwaySumFpm) {
        const std::size_t last = std::min(a.samples.size() - 1, lastRetimeSample);
        for (std::size_t k = firstRetimeSample; k <= last; ++k) {
            if (lf_retimeToAirborne(a, k)) {
                gf_setGear(a, true);
                return;
            }
        }
        lf_descendAt(a, a.samples[1], std::max(a.samples[1].verticalRate, lowestClimbAwayFpm));
    } else {
        lf_descendAt(a, a.samples[1], lf_landingDescentRate(a, a.samples[0], a.samples[1]));
    }
    gf_setGear(a, true);
}

void lf_altitudeRate(LiveAc& a) {
    PosSample& f = a.samples[0];
    PosSample& n = a.samples[1];
    const double dt = lf_stepPasses(a);
    const double limit = gf_climbLimit(a.category);
    if (f.airborne == 0 && n.airborne == 0) {
        lf_groundSamplesInAir(a);
    } else if (f.airborne == 0) {
        lf_climbToward(a, n);
    } else if (n.airborne == 0) {
        const CurrentParkAirportData park = gf_currentParkAirport();
        const std::int32_t qnh = g_qnh.load();
        if (qnh > g_standardQnh || park.icao.empty()) {
            lf_descendAt(a, n, qnh <= g_standardQnh ? touchdownRateFpm : lf_landingDescentRate(a, f, n));
        } else {
            a.altitudeRate = (std::trunc(park.elevation) - a.block.altitudeFt) / dt;
        }
        gf_setGear(a, true);
    } else if (a.approach == 0) {
        const double r = (n.altitude - a.block.altitudeFt) / dt;
        a.altitudeRate = a.agl > neverDescendAglFt ? std::min(r, limit) : std::min(std::max(r, neverDescendRate), limit);
    } else if (f.altitude != n.altitude || a.agl > neverDescendAglFt ||
               f.verticalRate + n.verticalRate > climbingAwaySumFpm) {
        a.altitudeRate = (n.altitude - a.block.altitudeFt) / dt;
    } else {
        lf_descendAt(a, n, lf_landingDescentRate(a, f, n));
    }
}

void lf_pitchRate(LiveAc& a, const PosSample& n) {
    const double target = gf_pitchForVerticalRate(n.verticalRate);
    const double limit = gf_largestPitchChange(a.category);
    a.pitchRate = std::clamp((target - a.block.pitchRad) / lf_stepPasses(a), -limit, limit);
}

void lf_headingAndBank(LiveAc& a, const PosSample& n) {
    const double dt = lf_stepPasses(a);
    const double trackBelow = a.approach != 0 ? g_trackUseApproachAglFt : g_trackUseAglFt;
    const bool useTrack = n.precise != 0 && n.bankKnown != 0 && n.trackKnown != 0 && a.agl < trackBelow;
    const double change = gf_wrapPi(useTrack ? n.track - a.block.headingRad : lf_headingChange(a));
    a.headingRate = change / dt;
    if (n.bankKnown != 0) {
        a.bankRate = (n.bank - a.block.bankRad) / dt;
        return;
    }
    const double largest = gf_largestBank(a.category);
    const double target = std::clamp(change, -largest, largest);
    const double step = gf_largestBankChange(a.category);
    a.bankRate = std::clamp((-target - a.block.bankRad) / std::trunc(dt), -step, step);
}

void lf_climbCruiseStep(LiveAc& a, const PosSample& f) {
    gf_shrinkWindows(a);
    gf_setCabinLights(a.objectId, 1);
    a.landed = 0;
    a.approach = 0;
    const double v = f.verticalRate;
    if (v <= descendingFpm && a.throttleIndex == climbThrottle)
        gf_setThrottle(a, lf_throttleFor(a, descentThrottle));
    else if (v > climbingFpm && a.throttleIndex == g_throttleFull)
        gf_setThrottle(a, lf_throttleFor(a, climbThrottle));
    if (a.agl >= gearUpAglFt) {
        gf_setGear(a, false);
        gf_setFlaps(a, 0);
    } else if (v <= flapsHoldFpm) {
        if (a.flapsIndex == 0)
            gf_setFlaps(a, 1);
        else if (a.agl < firstFlapsAglFt && a.flapsIndex == 1)
            gf_setFlaps(a, 2);
    }
}

void lf_lowAltitudeStep(LiveAc& a, const PosSample& f) {
    gf_setCabinLights(a.objectId, 0);
    const CurrentParkAirportData park = gf_currentParkAirport();
    const bool near = !park.icao.empty() &&
                      gf_distanceNm(LatLon{a.block.latitudeDeg, a.block.longitudeDeg}, LatLon{park.lat, park.lon}) <=
                          g_approachRangeNm;
    const double v = f.verticalRate;
    if (v > descendingFpm) {
        if (v <= goAroundFpm && (a.approach == 0 || near)) return;
        if (a.climbOut != 0) return;
        // Climbing away low, or an approach away from the park airport: go around.
        gf_shrinkWindows(a);
        gf_setThrottle(a, g_throttleFull);
        gf_setGear(a, false);
        gf_setFlaps(a, 0);
        a.climbOut = 1;
        a.flareStage = 0;
        a.approach = 0;
        return;
    }
    if (a.approach != 0 || !near) return;
    gf_setThrottle(a, lf_throttleFor(a, approachThrottle));
    gf_setFlaps(a, approachFlaps);
    gf_setGear(a, true);
    lf_queueDoublesCheck(a.hexId);
    a.approach = 1;
    a.climbOut = 0;
    a.lat = 0.0;
    a.lon = 0.0;
    a.heading = 0.0;
    a.standId = 0;
    a.standCargo = 0;
    a.lateWindow = a.landed != 0 ? approachLateRollPasses : approachLatePasses;
    a.earlyWindow = approachEarlyPasses;
    a.phaseCounter = 1;
}

void lf_altitudeBand(LiveAc& a, const PosSample& f) {
    if (f.altitude < g_highBandFt) {
        if (a.lightsLow == 0) {
            a.lightsLow = 1;
            a.lightsHigh = 0;
            gf_setAcLights(a, {1, 1, 1, 1, 1, 1, 1});
        }
        const bool busyJet = a.category >= 1 && a.category <= 3;
        if (a.agl > (busyJet ? busyJetBandAglFt : otherBandAglFt))
            lf_climbCruiseStep(a, f);
        else
            lf_lowAltitudeStep(a, f);
        return;
    }
    if (a.lightsHigh != 0) return;
    a.lightsHigh = 1;
    a.lightsLow = 0;
    gf_setAcLights(a, {1, 1, 0, 0, 0, 0, 1});
    gf_setThrottle(a, lf_throttleFor(a, climbThrottle));
    gf_setGear(a, false);
    gf_setFlaps(a, 0);
}

}  // namespace

double gf_largestBank(std::uint32_t category) { return lf_lookUp(largestBankDeg, category) * g_degToRad; }
double gf_largestBankChange(std::uint32_t category) { return lf_lookUp(largestBankChangeDeg, category) * g_degToRad; }
double gf_largestPitchChange(std::uint32_t category) {
    return lf_lookUp(largestPitchChangeDeg, category) * g_degToRad;
}
double gf_climbLimit(std::uint32_t category) { return gf_maxSpeedChange(category); }

double gf_pitchForVerticalRate(double verticalRateFpm) {
    const double v = verticalRateFpm >= 0.0 ? std::min(verticalRateFpm, climbCapFpm)
                                            : std::max(verticalRateFpm, descentCapFpm) * 0.5;
    return basePitchRad - v / 600.0 * pitchPer600FpmRad;
}

void gf_setGear(const AiAc& aircraft, bool down) {
    if (!lf_isRotorcraft(aircraft)) gf_sendAcEvent(aircraft, evGearSet, down ? 1 : 0);
}

void lf_airStep(LiveAc& a) {
    if (a.samples.size() < 2) return;
    const PosSample& f = a.samples[0];
    const PosSample& n = a.samples[1];
    if (n.stationary != 0) {
        // A rotorcraft hovers: it holds its place, climbs or sinks to the
        // sample's height and levels its wings (lf_hover, pass by pass). A
        // sample on the ground has no height (0 ft): it comes down at touchdown
        // rate until the simulator reports it on the ground.
        if (lf_isRotorcraft(a)) {
            const double dt = lf_stepPasses(a);
            a.altitudeRate =
                n.airborne != 0 ? (n.altitude - a.block.altitudeFt) / dt : touchdownRateFpm / fpmPerFtPerPass;
            a.headingRate = 0.0;
            a.pitchRate = 0.0;
            a.bankRate = -a.block.bankRad / dt;
        }
        return;
    }
    const double nm = gf_distanceNm(lf_pos(f), lf_pos(n));
    double knots = lf_sampleSpeed(f, n);
    if (a.approach != 0 && n.airborne == 0) knots = f.groundSpeed > 0.0 ? f.groundSpeed : approachFallbackKt;
    lf_retimeNext(a, std::max(gf_passCount(nm * g_passesPerHour / knots), g_minStepPasses));
}

void lf_hover(LiveAc& a) {
    if (!lf_isRotorcraft(a) || a.onGround != 0 || a.samples.empty()) return;
    const PosSample& front = a.samples.front();
    // Past its due pass the front sample's own step sets new rates; until then
    // the hover's rates hold, as nothing else moves an aircraft that stands still.
    if (front.stationary == 0 || g_passTick.load() >= front.duePass) return;
    a.block.altitudeFt += a.altitudeRate;
    a.block.bankRad += a.bankRate;
}

void lf_updateAirborneStep(LiveAc& a) {
    if (a.samples.size() < 2) return;
    if (a.st != MovementState::takeOff && a.st != MovementState::flying) gf_setPhase(a, MovementState::flying);
    // A flare left over from the last landing would freeze altitude and pitch
    // for the rest of the flight.
    if (a.flareStage != 0 && a.approach == 0) a.flareStage = 0;
    {
        const PosSample& n = a.samples[1];
        a.block.trueAirspeedKt = n.speed;
        a.block.verticalSpeedFtPerS = n.verticalRate / 60.0;
    }
    if (a.flareStage == 0) lf_altitudeRate(a);
    // The altitude rules may have dropped samples: F and N again.
    const PosSample f = a.samples[0];
    const PosSample& n = a.samples[1];
    if (a.flareStage == 0 && a.st != MovementState::takeOff) lf_pitchRate(a, n);
    lf_headingAndBank(a, n);
    lf_altitudeBand(a, f);
}

void lf_flare(LiveAc& a) {
    if (a.flareStage < 0 || a.flareStage >= static_cast<std::int32_t>(flareStages.size())) return;
    const FlareStage& next = flareStages[static_cast<std::size_t>(a.flareStage)];
    double height = a.agl;
    if (a.flareStage == 0) {
        if (a.referenceKnown == 0) {
            const CurrentParkAirportData park = gf_currentParkAirport();
            if (!park.icao.empty()) {
                a.referenceElevation = park.elevation;
                a.referenceKnown = 1;
            }
        }
        if (a.referenceKnown != 0) height = std::min(a.block.altitudeFt - a.referenceElevation, a.agl);
    }
    if (a.cgHeight + next.aboveFt < height) return;
    if (a.flareStage == 0) {
        const double passes = std::max<double>(a.landingPitchPasses, 1.0);
        a.pitchRate = (g_flarePitchRad - a.block.pitchRad) / passes;
        g_fastRange = true;
    } else {
        a.referenceKnown = 0;
    }
    if (a.flareStage == 2) gf_setThrottle(a, 0);
    a.altitudeRate = next.rateFtPerPass;
    if (!a.samples.empty()) a.samples.front().verticalRate = next.verticalRateFpm;
    ++a.flareStage;
}

}  // namespace zrb
