#pragma once
// What the window's controls do: the push buttons, the check boxes and the
// drop-down lists (WM_COMMAND), and Enter in the edit boxes. A change is
// saved to parameters.xml at once (parking_percentage and the time-shift
// values excepted) and takes effect at once, through a restart of the run, at
// the next parking renewal or at the next start.
//
// The handlers run on the GUI thread. What belongs to the worker (the
// manager's aircraft lists, the park-airport list, the livery lists) they
// never touch: they set the requests of gui_requests.h, which the worker
// serves.

#include <cstdint>

#include "airports/parking_controls.h"  // gf_enableParkingControls

namespace zrb {

// WM_COMMAND: push buttons, then check boxes, then drop-down lists (which
// react only to a selection change). False when nothing handled it; the
// middle band is then repainted.
bool lf_HandleWMCOMMAND(std::uint16_t id, std::uint16_t code);

// Enter in a subclassed edit box.
void lf_handleEditEnter(std::uint16_t id);

// The user's request for a new static parking, while the park airport's
// parking data are loaded: "{} will respond in {} second{} ..." and the
// renewal request, or, with INITIAL_LOAD_ONLY on, only a cleared message line.
void gf_requestParkingRenewal();

// Empties BLOCK_CALLSIGN (saved and shown), disables Unblock and asks the
// worker to stop blocking; nothing while no callsign is blocked.
void lf_unblockCallsign();

// AUTO_RANGE switched (after its value is saved): RANGE back to the user's
// own range, or the automatic choice asked of the worker.
void gf_autoRangeSwitched(bool on);

}  // namespace zrb
