#pragma once
// The lists the manager owns: the live and static aircraft, the spawn stack,
// the no-match set, the ghost list, the learned live aircraft, the create and
// removal deques, the manager's copy of the user aircraft, and lookups in them.
//
// Threads: everything here belongs to the worker thread (the manager's pass,
// the per-second work and the window's requests that the worker serves) and is
// used without locks. The pass tick (g_passTick, feed_intake.h) is the one
// value other threads read.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <unordered_set>
#include <vector>

#include "simlink/sim_queues.h"
#include "simlink/user_aircraft.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

struct Stand;

inline constexpr std::size_t g_liveListReserve = 512;
inline constexpr std::size_t g_staticListReserve = 256;

// Live aircraft of the feed, in no particular order (erasing moves the last
// record into the gap).
extern std::vector<LiveAc> g_liveList;
// Static parked aircraft.
extern std::vector<AiAc> g_staticList;
// Hex ids of live aircraft whose create request the next passes build.
extern std::vector<std::uint32_t> g_spawnStack;
// gf_airlineTypeRegKey texts of aircraft no livery was found for.
extern std::unordered_set<std::string> g_noMatchSet;
// Callsigns of ghost copies that were removed.
extern std::vector<std::string> g_ghostList;

// A live aircraft recorded as a parking observation, with the half-hour of
// the last record.
struct LearnedLive {
    std::uint32_t hexId = 0;
    std::uint32_t slot = 0;
};
extern std::vector<LearnedLive> LearnedLiveList;

// Create requests waiting for their turn (one every 50 passes, live first).
extern std::deque<CreateAcRequest> g_liveCreateDeque;
extern std::deque<CreateAcRequest> g_staticCreateDeque;
// Object ids waiting for their removal (one every 10 passes).
extern std::deque<std::uint32_t> g_removalDeque;

// Range requests every 20 passes instead of 100 while a landing flares.
extern bool g_fastRange;

// The user aircraft as the manager last copied it (every 100 passes and at
// the first pass of a run); every distance rule against the user reads it.
extern UserAcData g_userAcCopy;

// Stand options learned since the park airport's file was last saved ("#
// updates" in the window): the stand bookkeeping counts up, the airports' save
// sets it back. Written by the worker, read by any thread.
inline std::atomic<std::int32_t> g_learnedUpdates{0};

// A static record was flagged drop-from-list or cancelled: the pass erases such
// records at its end.
extern bool g_staticFlagged;

// ---------------------------------------------------------------- lookups (null when none)
LiveAc* gf_findLive(std::uint32_t hexId);
LiveAc* gf_findLiveByObject(std::uint32_t objectId);
AiAc* gf_findStatic(std::uint32_t hexId);
AiAc* gf_findStaticByObject(std::uint32_t objectId);
// The stand of StandTable with this number (0 never matches).
Stand* gf_standById(std::uint32_t standId);
// The stand's name; "sid==0?" for 0 and "unknown" when no stand has the id.
std::string lf_standName(std::uint32_t standId);

// Erases one live record by moving the last one into its place (the order of
// the list is not kept). The reference must be an element of g_liveList.
// Every erasure of a live record lets go of the stand it claimed
// (gf_settleStandClaim), whatever state the record was in.
void lf_eraseAc(LiveAc& aircraft);
void lf_eraseStaticAc(AiAc& aircraft);
// Erases the live / static records flagged drop-from-list or cancelled, the
// others keeping their order.
void lf_eraseFlaggedLive();
void lf_eraseFlaggedStatic();

}  // namespace zrb
