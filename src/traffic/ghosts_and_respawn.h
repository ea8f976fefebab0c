#pragma once
// Ghost copies and the livery respawn of live aircraft. A ghost copy is a live
// aircraft whose callsign is another's followed by '_' (a second feed source
// of the same flight); it goes when the aircraft itself spawns. A live
// aircraft whose identity changed leaves the simulator and is created again,
// with the livery its new identity matches.
//
// Threads: worker thread.

#include <string>

#include "traffic/ai_aircraft.h"

namespace zrb {

// Removes the first live aircraft (not already on its way out) whose callsign
// is this one followed by '_', and remembers that callsign in the ghost list.
void lf_removeGhost(const std::string& callsign);
// Whether the live aircraft a ghost copy stands for (the callsign without its
// last character) is in the list and not on its way out.
bool lf_liveCopySourceExists(const std::string& callsign);
// The aircraft's object goes; when the simulator reports it gone the record
// is back in buffer and spawned again.
void liveryRespawn(LiveAc& aircraft);

}  // namespace zrb
