#include "traffic/ac_events.h"

#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "liveries/dbase.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_queues.h"

namespace zrb {

namespace {

constexpr std::uint32_t on = 1;
constexpr std::uint32_t off = 0;
constexpr std::uint32_t cabinDraws = 10;
constexpr std::uint32_t cabinOnBelow = 9;  // draws 0..8 of 0..9

bool lf_isRotorcraft(const AiAc& aircraft) { return aircraft.category == static_cast<std::uint32_t>(g_categoryRotorcraft); }

std::uint32_t lf_navWhileParked() { return NAV_LIGHTS_WHILE_PARKED.value ? on : off; }

}  // namespace

void gf_sendAcEvent(const AiAc& aircraft, std::uint32_t eventId, std::uint32_t data) {
    gf_queueClientEvent(ClientEventRequest{aircraft.objectId, eventId, data});
}

void gf_setAcLights(const AiAc& aircraft, const LightStates& states) { gf_setLights(aircraft.objectId, states); }

void gf_setThrottle(AiAc& aircraft, std::uint32_t index) {
    if (index == aircraft.throttleIndex) return;
    if (index < g_throttleValues.size()) gf_sendAcEvent(aircraft, evThrottleSet, g_throttleValues[index]);
    aircraft.throttleIndex = index;
}

void gf_setFlaps(AiAc& aircraft, std::uint32_t index) {
    if (index == aircraft.flapsIndex || lf_isRotorcraft(aircraft)) return;
    if (index > g_flapsNoneSent) {
        gf_logMarked("gf_setFlaps: invalid flaps index");
    } else if (index < g_flapsValues.size()) {
        gf_sendAcEvent(aircraft, evFlapsSet, g_flapsValues[index]);
    }
    aircraft.flapsIndex = index;
}

void gf_setSpoilers(const AiAc& aircraft, std::uint32_t data) {
    if (!lf_isRotorcraft(aircraft)) gf_sendAcEvent(aircraft, evSpoilersSet, data);
}

void gf_shutDownAc(AiAc& aircraft) {
    if (aircraft.throttleIndex != 0) {
        gf_sendAcEvent(aircraft, evThrottleSet, g_throttleValues[0]);
        aircraft.throttleIndex = 0;
    }
    gf_setFlaps(aircraft, 0);
    gf_sendAcEvent(aircraft, evEngineAutoShutdown);
    std::uint32_t cabin = off;
    if (aircraft.standCargo == 0) cabin = lf_initThreadRng()() % cabinDraws < cabinOnBelow ? on : off;
    gf_setAcLights(aircraft, {lf_navWhileParked(), off, off, off, off, on, cabin});
}

void gf_startPattern(LiveAc& aircraft) {
    if (aircraft.samples.empty()) return;
    const PosSample& front = aircraft.samples.front();
    if (front.airborne != 0) {
        const std::uint32_t low = front.altitude <= g_lightsHighAltitudeFt ? on : off;
        gf_sendAcEvent(aircraft, evEngineAutoStart);
        gf_setSpoilers(aircraft, 0);
        gf_setAcLights(aircraft, {on, on, low, off, on, low, aircraft.agl >= g_cabinLightsAglFt ? on : off});
        return;
    }
    const bool parked = aircraft.st == MovementState::parked;
    const bool taxi = aircraft.st == MovementState::taxi;
    gf_setSpoilers(aircraft, 0);
    gf_sendAcEvent(aircraft, parked ? evEngineAutoShutdown : evEngineAutoStart);
    gf_setAcLights(aircraft, {parked ? lf_navWhileParked() : on, parked ? off : on, off, taxi ? on : off, off, on, on});
    gf_setThrottle(aircraft, lf_isRotorcraft(aircraft) ? g_throttleFull : 0);
    gf_setFlaps(aircraft, taxi ? 1 : 0);
}

}  // namespace zrb
