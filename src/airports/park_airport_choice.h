#pragma once
// The park airport: the one airport at a time whose stands get static
// aircraft. On the ground it is the airport the user stands at; in the air it
// is the front entry of the park-airport list once it is in sight (within
// AIRP_RANGE and below AIRP_HEIGHT). Choosing it loads its parking file and
// starts the planner; leaving it (out of sight, a nearer list airport in
// sight, the end of the run) saves what was learned there and removes its
// static aircraft and the live aircraft on its ground.
//
// Threads: the worker thread runs all of it inside the main loop (the check
// every 16 seconds, the Re-read request, the end of a run). The window reads
// the atomics below.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

#include "airports/airport_list.h"
#include "airports/park_airport.h"
#include "airports/park_airport_file.h"
#include "airports/park_airport_list.h"

namespace zrb {

// Soft options may still be learned at the park airport: a well-learned
// airport (Qf_real 45 or more and 20 stands or more) learns real stays only.
// Worker thread.
inline bool g_softLearningAllowed = true;

// The park airport's parking file is to be saved with changed settings (the
// window's handlers set it while a file is loaded; the save clears it).
inline std::atomic<bool> g_apfChanged{false};

// The user's MAX_LIVE_SEL, remembered at the start of a run and at each change
// of its box; a park airport's learned file may set another one, which
// leaving the airport undoes. Worker and GUI thread.
inline std::atomic<std::int32_t> g_userMaxLiveSel{500};

// The file the park airport's stands were read from, as lf_findApf named it;
// its learned file is saved where the reader looks for it. Worker thread.
extern std::string g_parkAirportSourcePath;

// The 16-second check (now: the one before the main loop's first pass): ends
// the parking controls' lock once the plan is created, runs a requested
// computation, refreshes the list's distances and order, and chooses or
// watches the park airport.
void gf_checkStaticParking(bool now);

// Re-reads my_park_airports.txt; with check, takes over a changed reserved
// stand for the park airport. True when the caller is to show the message.
bool gf_reloadParkAirports(bool check, std::string& message);

// Leaves the park airport: its plan emptied, its static aircraft and the live
// aircraft on its ground removed, the airport forgotten (its learned file
// saved when there is something to save), MAX_LIVE_SEL back to the user's.
void gf_clearParkAirportTraffic();

// A park airport is loaded and has stands.
bool gf_parkAirportHasStands();

// Loads the park airport's parking file into the stand table; empty on
// success, else the error text to show; nullopt while the file is on its way
// from the download site (asked for; a later check loads it).
std::optional<std::string> lf_readParkedFile();
// Forgets the park airport, saving its learned file first when it changed.
void lf_resetParkAirport();

// A new run: nothing requested, no refresh position, no airport passed over.
void gf_resetParkAirportChoice();

}  // namespace zrb
