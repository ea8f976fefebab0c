#include "simlink/sim_link.h"

namespace zrb {

void gf_resetSimLink(std::int32_t simVersion) {
    g_simNotConnected = true;
    g_simRunning = false;
    g_simConnectError = false;
    g_secondTick = false;
    g_userDataValid = false;
    g_userOnGround = false;
    g_userObjectId = g_firstUserObjectId;
    g_simFrameRate = 0.0F;
    gf_resetUserAircraft();
    gf_resetUserStand();
    gf_resetSimQueues(simVersion);
}

}  // namespace zrb
