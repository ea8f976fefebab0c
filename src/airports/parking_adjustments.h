#pragma once
// The renewal of the park airport's static parking, in place: every 20
// minutes, after a time shift and on the user's request, what stands now
// (static aircraft, parked live aircraft) is held against what the parked
// traffic and the options say for the current half-hour. What still fits
// stays untouched, what does not is removed, and what is missing is planned
// into PendingParkingList. Also the saving of what was learned at the airport
// when the user leaves it.
//
// Threads: worker thread only.

#include <cstdint>

#include "airports/static_parking_plan.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

// The renewal; full: every static aircraft from the options is replaced.
// Only while a park airport with stands is loaded.
void gf_parkingAdjustments(bool full);

// The static aircraft stands for the planned record: its callsign is the
// record's (or its coupled) callsign with '*', or the registrations are equal.
bool lf_pendingMatchesStatic(const AiAc& aircraft, const PendingParking& record);
// The kept aircraft and the planned records, beyond wanted: the last planned
// records go first, then the last kept aircraft, then the last parked live ones.
void lf_trimToWanted(std::int64_t wanted);

// Writes the learned file of the park airport (only options learned here,
// changed and manual stands; a handmade airport in full) next to where its
// reader looks for it, shows the result and sets the update counts back.
void gf_saveAirportFile();

}  // namespace zrb
