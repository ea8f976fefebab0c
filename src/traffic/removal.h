#pragma once
// Every removal of an AI aircraft goes through removeAircraftFromSim, which
// chooses by lifecycle state: drop a record the simulator never saw, withdraw
// a queued creation, or queue the object's removal (one every 10 passes). The
// record itself goes only when the simulator reports the removal. Also the
// capacity rules (live maximum, park maximum), the removal of long-parked
// live aircraft and the overlap of live with static aircraft.
//
// Threads: worker thread.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string_view>
#include <vector>

#include "simlink/sim_queues.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr std::int32_t g_maxLiveSelDefault = 500;  // MAX_LIVE_SEL's "no limit"
inline constexpr double g_farthestMarginNm = 0.1;
inline constexpr double g_staticCollisionFactor = 1.1;

// A live or static record; idempotent for a record already on its way out.
void removeAircraftFromSim(AiAc& aircraft);

// Removes the active live aircraft farthest from the user when it lies more
// than 0.1 NM farther than d; true when none was removed (also for NaN).
bool lf_removeFarthestLive(double d);
// While MAX_LIVE_SEL is not 500: removes the farthest active live aircraft
// until no more than MAX_LIVE_SEL are active.
void gf_trimLiveToMax();

// The park maximum: with "extra" parked live aircraft on their way, removes the
// longest parked live aircraft and the oldest static one when too many stand.
void lf_checkMaxPark(std::int32_t extra);

struct ParkedLive {
    std::uint32_t hexId = 0;
    std::int64_t minutes = 0;
};
// Active parked live aircraft with their whole minutes parked, longest first.
std::vector<ParkedLive> lf_listParkedLive();
// Removes the count longest parked live aircraft ("live parked {} at {} removed").
void gf_removeLiveParked(std::size_t count);

// The first active static aircraft with another callsign whose position lies
// within 1.1 × (both half spans) of the live aircraft is removed. Nothing
// while the live aircraft has touched down or rolls on the runway.
void gf_collisionAvoidanceRemove(LiveAc& live);
// The same for the live aircraft at that index (the shell's per-second rule).
void gf_collisionAvoidanceRemove(std::size_t liveIndex);

// Withdraws every queued create request with this callsign; true when one was.
bool gf_dropQueuedStaticCreate(std::deque<CreateAcRequest>& deque, std::string_view callsign);
// Withdraws the queued create request of this hex id; true when there was one.
bool gf_dropQueuedCreate(std::deque<CreateAcRequest>& deque, std::uint32_t hexId);

}  // namespace zrb
