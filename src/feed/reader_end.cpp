#include "feed/reader_end.h"

#include <string>

#include "feed/rt_api_client.h"
#include "foundation/log.h"
#include "foundation/program_id.h"
#include "foundation/time.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_control.h"

namespace zrb {

namespace {
constexpr std::int32_t statusReauthenticate = 401;
constexpr std::int32_t statusParameterFault = 400;
}  // namespace

void lf_readerEndedByStatus(std::string_view displayName, std::string_view shortName, std::int32_t status,
                            std::atomic<bool>& otherReaderStop) {
    if (status == statusReauthenticate) {
        gf_logMarked("re-authentication to RT API is needed, restart {}", g_programId);
    } else if (status == statusParameterFault) {
        gf_logMarked("{} RT API: parameter fault", shortName);
    } else {
        gf_logMarked("{} RT API error: {}", shortName, status);
    }
    otherReaderStop.store(true);
    gf_threadStoppedWithError(std::string(displayName), status == statusReauthenticate);
}

void lf_setTrafficLight(std::uint32_t light) {
    g_mainWindowState.trafficLight.store(light);
    gf_invalidateBand(g_statusBand);
}

void lf_setWeatherLight(std::uint32_t light) {
    g_mainWindowState.weatherLight.store(light);
    gf_invalidateBand(g_statusBand);
}

std::string lf_nowText() { return gf_timeText(gf_systemNow()); }

}  // namespace zrb
