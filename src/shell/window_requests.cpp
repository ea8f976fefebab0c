// The window's requests that the worker serves because what they change
// belongs to it: the destination (the airport list and the park-airport list)
// and the automatic range (the park-airport list, the traffic box).
#include <mutex>
#include <utility>

#include "config/parameter_controls.h"
#include "config/parameters.h"
#include "shell/common/message_line.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/run_services.h"

namespace zrb {

namespace {

// Owns g_destinationCode.
std::mutex g_destinationMutex;
std::string g_destinationCode;

}  // namespace

void gf_requestDestination(std::string code) {
    std::lock_guard lock(g_destinationMutex);
    g_destinationCode = std::move(code);
}

std::string gf_takeDestinationRequest() {
    std::lock_guard lock(g_destinationMutex);
    return std::exchange(g_destinationCode, {});
}

void gf_serveWindowRequests() {
    if (const std::string code = gf_takeDestinationRequest(); !code.empty()) {
        if (const auto airport = gf_runServices().findAirport(code)) {
            gf_applyDestination(airport->icao, airport->lat, airport->lon);
        } else {
            gf_showMessageF(true, "destination '{}' is unknown ...", code);
            gf_showTextParameter(DESTINATION);
        }
    }
    if (g_autoRangeRequest.exchange(false) && AUTO_RANGE.value) gf_setAutoRange();
}

}  // namespace zrb
