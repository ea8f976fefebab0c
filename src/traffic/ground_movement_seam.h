#pragma once
// The ground half of the live movement in its least form, until it is built:
// a new sample is queued after the stationary check, a taxiing aircraft is
// retimed by its speed and rolls straight toward its next sample, a take-off
// starts when the next sample is airborne and climbs out to 800 ft, and an
// aircraft that drives onto a stand is parked there. No pushback, no runway
// events, no stand claims. The ground-movement issue replaces both files and
// keeps the names.
//
// Threads: worker thread.

#include "airports/stand.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

// A new feed sample of a known live aircraft: queued, dropped, or the
// aircraft removed (more than 200 queued).
void decodeExisting(LiveAc& aircraft, PosSample sample);
// Before the rates of a step on the ground: retiming of the next sample.
void lf_groundStep(LiveAc& aircraft);
// After the rates of a step on the ground (the next sample moves).
void lf_startGroundMotion(LiveAc& aircraft);
// Every pass during take_off.
void lf_climbOut(LiveAc& aircraft);
// The queue ran out while the aircraft drove onto its stand.
void lf_arrivedAtStand(LiveAc& aircraft);
// For an aircraft born on the ground at that stand: whether it may take it.
bool lf_claimStandOnSpawn(std::uint32_t standId, const std::string& callsign);
// The stand's cargo attribute after a cargo aircraft took it.
void lf_setCargoFalse(LiveAc& aircraft, Stand& stand);
// From the created notice, for an aircraft whose front sample is on the ground.
void lf_park(LiveAc& aircraft);
// Touchdown, from the simulator's ground data during a flare or an approach.
void lf_setOnGroundSlots(LiveAc& aircraft);

}  // namespace zrb
