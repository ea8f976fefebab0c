// The manager's least form: no aircraft are managed, so every list is empty
// and every job has nothing to do.
#include "traffic/manager_seam.h"

namespace zrb {

void gf_reserveTrafficLists() {}
void lf_handleAddingStack() {}
void gf_processSimNotices() {}
void gf_resetTraffic() {}
void gf_logNoMatches() {}
void gf_clearRememberedLiveries() {}
void gf_createFlightPlanFolder() {}
void gf_removeFlightPlanFolder() {}
void gf_clearSharedStringList() {}
void gf_lockUi() {}
bool gf_staticParkingComputing() { return false; }
void gf_clearReservedStand() {}
void gf_removeAllStatic() {}
void gf_trimLiveToMax() {}
void gf_setParkedNavLights(bool /*on*/) {}
void gf_clearTrafficForTimeShift() {}

std::vector<AircraftView> gf_liveAircraftViews() { return {}; }
std::vector<AircraftView> gf_staticAircraftViews() { return {}; }
void gf_removeLiveAircraftAt(std::size_t /*index*/) {}
void gf_removeStaticAircraftAt(std::size_t /*index*/) {}
void gf_collisionAvoidanceRemove(std::size_t /*liveIndex*/) {}

std::optional<std::uint32_t> gf_checkQueueFront() { return std::nullopt; }
void gf_popCheckQueue() {}
bool gf_coupledSearchDone(std::uint32_t /*hexId*/) { return true; }
void gf_searchCoupledCallsigns(std::uint32_t /*hexId*/) {}
void gf_removeStaticDoubles(std::uint32_t /*hexId*/, bool /*onGround*/) {}

ParkedCount gf_countLiveParked() { return {}; }
ParkedCount gf_countStaticParked() { return {}; }

}  // namespace zrb
