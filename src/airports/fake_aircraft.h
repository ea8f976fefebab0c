#pragma once
// Made-up parked aircraft for an airport about which little has been learned:
// with PARK_FAKE on, every stand of a freshly loaded park airport gets one
// soft option for the current weekday and half-hour, of an aircraft that suits
// the stand (a helicopter on a helipad, a freighter on a cargo stand, general
// aviation on a ramp, a regional airliner elsewhere).
//
// Worker thread: the table is the park airport's, the random engine the
// calling thread's own.

#include <string>
#include <vector>

#include "airports/stand.h"

namespace zrb {

// Appends one fake option ("FAKE{k}", registration "REGFAKE{k}", k counting
// from 1 in stand order, origin g_optionOriginFake) to every stand for which
// a candidate fits. Throws std::out_of_range, before any stand is touched,
// when the clock gives no valid half-hour.
void lf_addFakeAircraft(const std::string& icao, std::vector<Stand>& table);

}  // namespace zrb
