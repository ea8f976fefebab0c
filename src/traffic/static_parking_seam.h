#pragma once
// Static aircraft creation in its least form, until it is built: every 50th
// pass without a queued creation one planned entry of the pending parking
// list becomes a static aircraft at its stand, with a livery from the matcher
// and a create request in the static deque. No neighbour checks, no stand
// options; the parking controls are not locked. The static-parking issue
// replaces both files and keeps the names.
//
// Threads: worker thread, except gf_staticParkingComputing (any thread).

#include <atomic>
#include <cstdint>
#include <string>

#include "airports/stand.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr std::uint32_t g_staticNumbers = 10000;  // static hex ids run 1..9999

// The parking controls are locked while the planner works.
inline std::atomic<bool> g_uiBusy{false};

void lf_findStaticParking();
// "AB123_" -> "AB123*"; "AB123*" stays; "AB123" -> "AB123*".
std::string lf_starCallsign(std::string_view callsign);

void gf_lockUi();
void gf_unlockUi();
// A static-parking computation is under way (Re-read waits for it).
bool gf_staticParkingComputing();

// A new run: the static numbers start again.
void lf_resetStaticParking();

}  // namespace zrb
