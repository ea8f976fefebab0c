#include "simlink/user_stand.h"

#include <mutex>
#include <optional>

#include "airports/park_airport.h"
#include "airports/park_airport_list.h"
#include "shell/common/main_window_state.h"
#include "simlink/sim_state.h"
#include "traffic/stand_search.h"

namespace zrb {

namespace {

struct StandCheckState {
    bool dataValid = false;
    UserAcData user;
};

// Guarded by g_simConnectMutex.
std::string g_userStand;
std::optional<StandCheckState> g_pendingStandCheck;

}  // namespace

void lf_followUserStand(const UserAcData& user) {
    const std::string stand = gf_getUserStand(LatLon{user.lat, user.lon});
    std::string previous;
    {
        std::lock_guard lock(g_simConnectMutex);
        previous = g_userStand;
        g_userStand = stand;
    }
    if (stand == previous) return;
    gf_setDisplayText(DisplayText::userStand, stand);
    gf_invalidateBand(g_statusBand);
}

std::string gf_getCurrentUserStand() {
    std::lock_guard lock(g_simConnectMutex);
    return g_userStand;
}

void lf_requestUserStandCheck() {
    const bool valid = g_userDataValid.load();
    const UserAcData user = gf_userAcRecord();
    std::lock_guard lock(g_simConnectMutex);
    if (!g_pendingStandCheck) g_pendingStandCheck = StandCheckState{valid, user};
}

void gf_checkUserStandChanged() {
    std::optional<StandCheckState> state;
    {
        std::lock_guard lock(g_simConnectMutex);
        state.swap(g_pendingStandCheck);
    }
    if (!state) state = StandCheckState{g_userDataValid.load(), gf_userAcRecord()};
    if (!state->dataValid || state->user.groundSpeedKt > g_standStillMaxKt) return;
    const std::string stand = gf_getUserStand(LatLon{state->user.lat, state->user.lon});
    gf_serveFirstParkAirportRequests();
    if (stand.empty() || ParkAirportList.empty()) return;
    ParkAirport& front = ParkAirportList.front();
    const CurrentParkAirportData park = gf_currentParkAirport();
    if (park.icao.empty() || front.icao != park.icao || front.reservedStand == stand) return;
    front.reservedStand = stand;
    gf_writeMyParkAirports();
}

void gf_resetUserStand() {
    std::lock_guard lock(g_simConnectMutex);
    g_userStand.clear();
    g_pendingStandCheck.reset();
}

}  // namespace zrb
