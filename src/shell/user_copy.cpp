#include "shell/user_copy.h"

#include "shell/run.h"
#include "shell/run_services.h"

namespace zrb {

namespace {

int g_passesToRefresh = 0;  // worker thread only

}  // namespace

void lf_refreshUserCopy() {
    if (--g_passesToRefresh > 0) return;
    g_passesToRefresh = g_userCopyPasses;
    const UserAcData user = gf_runServices().userAcPosition();
    if (gf_hasPosition(user.lat, user.lon)) g_user = user;
}

void lf_resetUserCopy() { g_passesToRefresh = 0; }

}  // namespace zrb
