// The automatic traffic range: small on the ground and near airports, larger
// on the way, largest at cruise height.
#include <algorithm>
#include <cmath>

#include <gsl/narrow>

#include "config/parameter_controls.h"
#include "config/parameters.h"
#include "airports/park_airport_choice.h"
#include "config/paths.h"
#include "foundation/geodesy.h"
#include "shell/common/message_line.h"
#include "shell/common/run_state.h"
#include "shell/control_handlers.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/window_text.h"
#include "shell/run_services.h"
#include "shell/version_update.h"

namespace zrb {

namespace {

constexpr std::int32_t groundRangeNm = 10;
constexpr std::int32_t cruiseRangeNm = 100;
constexpr std::int32_t climbRangeNm = 40;
constexpr double nearAirportNm = 7.0;
constexpr double farAirportNm = 37.0;
constexpr std::int32_t approachMarginNm = 3;
constexpr double noAirportDistanceNm = 10000.0;

}  // namespace

void gf_setAutoRange() {
    auto& services = gf_runServices();
    const UserAcData user = services.userAcPosition();
    std::int32_t r = climbRangeNm;
    if (user.onGround) {
        r = groundRangeNm;
    } else if (user.altitudeFt > AR_ABOVE_HEIGHT.value) {
        r = cruiseRangeNm;
    } else if (user.altitudeFt > AIRP_HEIGHT.value) {
        r = climbRangeNm;
    } else {
        double d = noAirportDistanceNm;
        if (const auto airport = services.firstParkAirport())
            d = gf_distanceNm({user.lat, user.lon}, {airport->lat, airport->lon});
        if (d <= nearAirportNm)
            r = groundRangeNm;
        else if (d < farAirportNm)
            r = gf_quantizeRange(gsl::narrow<std::int32_t>(std::lround(d)) + approachMarginNm);
        else
            r = climbRangeNm;
    }
    const std::int32_t before = RANGE.value;
    RANGE.value = std::clamp(r, RANGE.min, RANGE.max);
    gf_setWorkingRange(r);
    if (RANGE.value != before) {
        gf_showIntParameter(RANGE);
        services.updateTrafficBox();
    }
}

void gf_autoRangeSwitched(bool on) {
    g_apfChanged = true;
    gf_enableControl(RANGE, !on);
    gf_enableControl(AR_ABOVE_HEIGHT, on);
    if (on) {
        g_manualRange = RANGE.value.load();
        // The choice reads the park-airport list, which is the worker's.
        g_autoRangeRequest = true;
        return;
    }
    // The user's own range again (not saved).
    RANGE.value = std::clamp(g_manualRange.load(), RANGE.min, RANGE.max);
    gf_setWorkingRange(RANGE.value);
    gf_showIntParameter(RANGE);
    gf_clearMessage();
}

}  // namespace zrb
