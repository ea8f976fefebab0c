// The least form of the park-airport choice and the planner: no park airport
// and no static parking.
#include "airports/airport_services_seam.h"

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"

namespace zrb {

bool lf_readMyParkAirports() { return true; }

bool gf_reloadParkAirports(bool /*fromUser*/, std::string& /*message*/) { return false; }

void gf_setFirstParkAirport(const std::string& /*icao*/, double /*lat*/, double /*lon*/) {}

std::optional<AirportData> gf_firstParkAirport() { return std::nullopt; }

void gf_checkStaticParking(bool /*atLoopStart*/) {}

void gf_parkingAdjustments(bool /*parkedTrafficOnlyChange*/) {}

void gf_clearParkAirportTraffic() {
    const std::int32_t remembered = g_userMaxLiveSel.load();
    if (MAX_LIVE_SEL.value != remembered) {
        MAX_LIVE_SEL.value = remembered;
        gf_saveIntParameter(MAX_LIVE_SEL);
    }
}

bool gf_parkAirportHasStands() { return false; }

}  // namespace zrb
