#pragma once
// The requests other threads make straight away instead of through the Frame
// queues: the per-second user data of the run's start, the aircraft in range,
// the centre of gravity of a new aircraft, the all-lights toggle, flight plans
// and the AI controls at touchdown.
//
// Each is sent under g_simConnectMutex, which also keeps the link from being
// closed under it. While the error flag is set or the link is closed nothing
// is sent. Any thread; callers may hold the notice mutex (it comes first), but
// not g_simConnectMutex.

#include <cstdint>
#include <string>

#include "simconnect/simconnect.h"

namespace zrb {

// Request 108 (definition 409, the user, every second), whose replies pace the
// main loop's second. False when the call failed.
bool gf_requestUserAcOnGround();
// Request 101 (definition 404, aircraft within the radius). A failure logs
// "SimConnect request ac within range fails" and is a request error.
void gf_requestAircraftInRange(std::uint32_t radiusMetres);
// Request 102 (definition 405, the object, once). A failure logs
// "SimConnect request StaticCG fails" and is a request error.
void gf_requestStaticCg(std::uint32_t objectId);
// ALL_LIGHTS_TOGGLE to the object at once. A failure logs
// "SimConnect gf_allLightsToggle fails" and is a request error.
void gf_allLightsToggle(std::uint32_t objectId);
// AISetAircraftFlightPlan (request 110) with a path in the narrow code page;
// the result is the caller's to judge (a closed link gives E_FAIL).
HRESULT gf_setAiFlightPlan(std::uint32_t objectId, const std::string& path);

// Definition 401: spoilers handle and the two throttle levers, percent.
struct AiControlsBlock {
    double spoilersPercent = 0.0;
    double throttle1Percent = 0.0;
    double throttle2Percent = 0.0;
};
static_assert(sizeof(AiControlsBlock) == 24, "definition 401 is three doubles");
// SetDataOnSimObject with definition 401; the result is not judged.
HRESULT gf_setAiControls(std::uint32_t objectId, const AiControlsBlock& controls);

}  // namespace zrb
