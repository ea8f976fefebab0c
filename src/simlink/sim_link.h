#pragma once
// Everything the run and the main loop use of the simulator link, in one
// include: the shared flags, the SimClient thread, the user aircraft and its
// stand, the queues and the direct requests.

#include <cstdint>

#include "simlink/sim_client.h"
#include "simlink/sim_queues.h"
#include "simlink/sim_requests.h"
#include "simlink/sim_state.h"
#include "simlink/user_aircraft.h"
#include "simlink/user_stand.h"

namespace zrb {

// Puts the link back to its start values for a new run: flags, the user
// aircraft's record and stand, the user object id and the queues.
void gf_resetSimLink(std::int32_t simVersion);

}  // namespace zrb
