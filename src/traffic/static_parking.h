#pragma once
// Static aircraft from the planner's pending parking list: every 50th pass
// without a queued creation one planned entry becomes a static aircraft at
// its stand, unless a live or static aircraft stands there or on an
// overlapping stand. Also the create-deque operations and the two predicates
// with which the schedule search asks whether an option's aircraft is planned
// or stands already.
//
// A static aircraft's hex id is its static number (1..9999, unique among the
// static records), which tells the simulator's notices about it apart from
// those of live aircraft (hex id above 10000); liveHexId keeps the live
// aircraft it stands for, text6/text7 its option's callsign and coupled
// callsign.
//
// Threads: worker thread.

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

#include "airports/static_parking_plan.h"
#include "airports/stand.h"
#include "simlink/sim_queues.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr std::uint32_t g_staticNumbers = 10000;  // static numbers run 1..9999

// Takes the last entry of the pending parking list and, when its stand is free,
// builds the static aircraft and queues its creation.
void lf_findStaticParking();

// The callsign of a planned entry: its callsign when it stays into the next
// half-hour, else its coupled callsign; the other one when that is empty;
// starred. Empty (and logged) when both are empty.
std::string lf_detcs(const PendingParking& entry);
// "AB123_" -> "AB123*"; "AB123*" stays; "AB123" -> "AB123*".
std::string lf_starCallsign(std::string_view callsign);

// Appends a copy of the request.
void lf_pushCreateRequest(std::deque<CreateAcRequest>& deque, const CreateAcRequest& request);
// Empties the deque and gives its storage back.
void lf_freeCreateDeque(std::deque<CreateAcRequest>& deque);

// The static aircraft stands for the option: its option callsign (text6) is
// the option's callsign or coupled callsign, or its registration is the given
// one. Empty texts never match.
bool lf_staticHasOptionCallsign(const AiAc& aircraft, const StandOption& option, std::string_view registration);
// The planned entry's callsign is the option's callsign or coupled callsign.
// Empty texts never match.
bool lf_pendingHasOptionCallsign(const PendingParking& entry, const StandOption& option);

// A new run: the static numbers start again.
void lf_resetStaticParking();

}  // namespace zrb
