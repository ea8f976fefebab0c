#pragma once
// The stand under the user aircraft: shown on the status display, offered to
// the feed (parked traffic is never put on it), and remembered for the park
// airport when the user has stopped on a stand other than the one stored.
//
// Threads: looking a stand up walks the manager's stand table and saving one
// writes the park-airport list and its file; all of these belong to the
// worker thread, so both are done there. The SimClient thread, which sees the
// events that call for a save, only records the user's state at that moment
// (lf_requestUserStandCheck); the worker acts on it when the run closes down,
// which each of those events brings about. g_simConnectMutex owns the stand
// text and that record.

#include <string>

#include "simlink/user_aircraft.h"

namespace zrb {

// A stand is saved only when the user moves no faster than this [kt].
inline constexpr double g_standStillMaxKt = 2.0;

// Worker thread: the stand at the user's position becomes the stand text (the
// display is repainted when it changes).
void lf_followUserStand(const UserAcData& user);
// Any thread: the stand the user stood on at the last lookup, empty when none.
std::string gf_getCurrentUserStand();

// SimClient thread ("FlightLoaded", a new flight file): keeps the user's state
// of this moment for the save; the first request of a run is kept.
void lf_requestUserStandCheck();
// Worker thread: with the recorded state (or the present one when none was
// recorded), stores the stand under the user in the front park airport and
// writes the file, when the user data is valid, the user has stopped, the stand
// is not empty, the front entry is the park airport and its stand differs.
void gf_checkUserStandChanged();

// A new run: no stand, no recorded state.
void gf_resetUserStand();

}  // namespace zrb
