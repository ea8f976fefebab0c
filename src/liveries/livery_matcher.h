#pragma once
// The livery matcher: the installed livery title for an AI aircraft about to be
// created, from the most exact match to the loosest, as far down as
// MATCHING_DEPTH (1..4) allows:
//   1 its registration's own livery;
//   2 its airline and type (a cargo aircraft: cargo liveries first);
//   3 a similar type of its airline;
//   4 a generic livery ("ZZZ") of its type;
//   5 any airline's livery of its type;
//   6 a livery of a similar type, or of a random installed type of its category.
// A private aircraft ("PVT") tries the generic livery first. Titles the
// simulator refused are never given again, and titles reserved for their own
// registrations never to another aircraft.
//
// Threads: worker thread only (the traffic manager's creations and the shell's
// summary). Reads the livery tables without a lock; draws from the worker's own
// random engine.

#include <array>
#include <cstdint>

#include "airports/aircraft_identity.h"
#include "airports/stand.h"

namespace zrb {

inline constexpr std::size_t g_matchStepCount = 6;

// Live aircraft matched at each step 1..6, over every run of the process.
extern std::array<std::uint32_t, g_matchStepCount> g_matchCounts;

// Sets the live aircraft's title (empty: no installed livery fits, or the fit
// was refused) and, on a match, its FSLTL flag and the step's count.
void gf_matchLiveryLive(AcIdentity& aircraft);

// A static aircraft at a stand: keeps a title the record already holds;
// otherwise takes the stand's cargo flag and matches as the live matcher does.
// True when the record holds a usable title.
bool gf_matchLiveryStatic(AcIdentity& aircraft, const Stand& stand);

// The counts of every step and the liveries the simulator refused, to Log.txt.
void gf_logLiveryMatchingSummary();

}  // namespace zrb
