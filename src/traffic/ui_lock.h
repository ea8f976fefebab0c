#pragma once
// The parking controls are locked while the static-parking planner works and
// until the manager has created every aircraft it planned: the user cannot
// change what the plan is being built from, "Flush static" cannot empty the
// stands half-way, and "Re-read" waits.
//
// Threads: the lock and unlock run on the worker thread (the planner), never
// with a lock held (the window's controls answer on the GUI thread);
// g_uiBusy is read by any thread.

#include <atomic>

namespace zrb {

// Set while the parking controls are locked.
inline std::atomic<bool> g_uiBusy{false};

// Sets the busy flag, disables the parking controls, "Flush static" and
// "Re-read", clears the message line and redraws.
void gf_lockUi();
// Clears the busy flag, enables MAX_PARK_SEL, RT_PARKTRAFFIC_ONLY, "Flush
// static" and "Re-read" and the other parking controls as the run offers
// them, clears the message line and redraws.
void gf_unlockUi();
// A static-parking computation holds the controls (Re-read waits for it).
bool gf_staticParkingComputing();

}  // namespace zrb
