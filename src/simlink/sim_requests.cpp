#include "simlink/sim_requests.h"

#include <mutex>
#include <string_view>

#include "foundation/log.h"
#include "simconnect/protocol.h"
#include "simlink/data_block.h"
#include "simlink/sim_ids.h"
#include "simlink/sim_object_lists.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_state.h"

namespace zrb {

namespace {

// The call under the mutex; a closed link or a set error flag sends nothing
// and counts as no failure.
template <typename Call>
bool lf_sendGuarded(Call call) {
    std::lock_guard lock(g_simConnectMutex);
    if (g_hSimConnect == nullptr || g_simConnectError.load()) return true;
    return gf_succeeded(call(g_hSimConnect));
}

// The failure is reported after the mutex is let go.
template <typename Call>
void lf_requestOrError(std::string_view failText, Call call) {
    if (lf_sendGuarded(call)) return;
    gf_logMarked(failText);
    gf_simConnectRequestError();
}

}  // namespace

bool gf_requestUserAcOnGround() {
    return lf_sendGuarded([](SimConnectHandle h) {
        return SimConnect_RequestDataOnSimObject(h, reqUserOnGround, defUserOnGround, g_userObject,
                                                 simconnect::periodSecond, 0, 0, 0, 0);
    });
}

void gf_requestAircraftInRange(std::uint32_t radiusMetres) {
    lf_requestOrError("SimConnect request ac within range fails", [radiusMetres](SimConnectHandle h) {
        const HRESULT hr =
            SimConnect_RequestDataOnSimObjectType(h, reqInRange, defInRange, radiusMetres, g_objectTypeAircraft);
        if (gf_succeeded(hr)) g_rangeRequestsSent.fetch_add(1);
        return hr;
    });
}

void gf_requestStaticCg(std::uint32_t objectId) {
    lf_requestOrError("SimConnect request StaticCG fails", [objectId](SimConnectHandle h) {
        return SimConnect_RequestDataOnSimObject(h, reqStaticCg, defStaticCg, objectId, simconnect::periodOnce, 0, 0,
                                                 0, 0);
    });
}

void gf_allLightsToggle(std::uint32_t objectId) {
    lf_requestOrError("SimConnect gf_allLightsToggle fails", [objectId](SimConnectHandle h) {
        return SimConnect_TransmitClientEvent(h, objectId, evAllLightsToggle, 0, GROUP_AI, 0);
    });
}

HRESULT gf_setAiFlightPlan(std::uint32_t objectId, const std::string& path) {
    std::lock_guard lock(g_simConnectMutex);
    if (g_hSimConnect == nullptr) return hresult::fail;
    return SimConnect_AISetAircraftFlightPlan(g_hSimConnect, objectId, path.c_str(), reqFlightPlan);
}

HRESULT gf_setAiControls(std::uint32_t objectId, const AiControlsBlock& controls) {
    std::lock_guard lock(g_simConnectMutex);
    if (g_hSimConnect == nullptr) return hresult::fail;
    const auto bytes = gf_controlsBlockBytes(controls);
    return SimConnect_SetDataOnSimObject(g_hSimConnect, defAiControls, objectId, 0, 0,
                                         static_cast<std::uint32_t>(bytes.size()), bytes.data());
}

}  // namespace zrb
