// The airport at which the user will arrive becomes the first park airport.
#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "shell/common/message_line.h"
#include "shell/run.h"
#include "shell/run_services.h"
#include "shell/window_text.h"

namespace zrb {

void gf_applyDestination(const std::string& icao, double lat, double lon) {
    gf_setStringParameter(DESTINATION, icao);
    gf_showTextParameter(DESTINATION);
    gf_showMessage(fmt::format("New destination: {}", icao), true);
    gf_runServices().setFirstParkAirport(icao, lat, lon);
    gf_enableControl(REREAD_BUTTON, false);
}

}  // namespace zrb
