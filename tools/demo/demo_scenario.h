#pragma once
// The stand-in service's traffic for the demo: Schiphol with arrivals that
// land and taxi to a stand, departures that push back, taxi and take off,
// overflights, an aircraft whose stream ends in the air, and parked aircraft
// at stands of the demo's parking file. Every aircraft flies a registration
// of the demo's generated liveries.

#include "service/scenario.h"

namespace zrb::demo {

// Times are seconds after `epoch` (s since 1970), at which the scenario
// starts; the paths begin 30 s before it, so that the history the program
// asks for at its start is there.
zrb::tools::Scenario gf_demoScenario(double epoch);

}  // namespace zrb::demo
