#pragma once
// Tests only: where the planner gets the service's parked traffic from. The
// program asks the Traffic Reader (gf_requestParkedTraffic); a test answers
// at once with records of its own, or with a failure.

#include <vector>

#include "feed/parked_traffic_record.h"

namespace zrb {

// Fills the records (aged, youngest first, as the feed leaves them) and
// returns true, or returns false for no answer.
using ParkedTrafficSource = bool (*)(std::vector<ParkedTrafficRecord>& records);

// Worker thread (set while no computation runs); nullptr: the service again.
void gf_setParkedTrafficSource(ParkedTrafficSource source);

}  // namespace zrb
