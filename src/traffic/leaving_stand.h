#pragma once
// A live aircraft at its stand stays still while the feed reports it there.
// When the feed shows it moving away, the stand is released and the aircraft
// leaves: forward (pull-out, one wingspan ahead) when it heads within 90° of
// the stand heading, else tail first (pushback, 2.5 stand radii behind, with
// a 90° turn to the side the feed shows), then waits until the feed shows it
// taxiing away.
//
// Threads: worker thread.

#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr double g_standWatchNm = 0.0458963282937365;       // 85 m
inline constexpr double g_standMoveStepNm = 0.0016198704103671706;  // 3 m
inline constexpr double g_standLostNm = 0.10799136069114472;        // 200 m
inline constexpr double g_pushbackRadii = 2.5;
inline constexpr double g_waitReleaseSpans = 2.75;
inline constexpr double g_waitReleaseFarSpans = 6.0;
inline constexpr double g_waitDistanceStart = 900.0;  // NM: no sample seen yet

// A new feed sample of a parking or parked aircraft: whether it is queued
// (the aircraft departs, or drives on when it never reached the stand). The
// aircraft is removed when the sample is more than 200 m from its stand.
bool lf_checkParkedMovement(LiveAc& aircraft, PosSample& sample);
// The stand is left: the turnaround check, the stay recorded, the stand released.
void lf_leaveStand(LiveAc& aircraft);
// Ground step of a parked aircraft: when it departs, pull-out or pushback.
void lf_chooseWayOff(LiveAc& aircraft);
void lf_pullOut(LiveAc& aircraft);
void lf_startPushback(LiveAc& aircraft);
// Ground step while pushing back: the last leg (with its turn), then the stop.
void lf_pushedBack(LiveAc& aircraft);
// A new feed sample while pushing back decides the side of the turn; never queued.
void lf_decidePushbackTurn(LiveAc& aircraft, const PosSample& sample);
// A new feed sample after the pushback: queued once it shows the aircraft taxiing away.
bool lf_waitAfterPushback(LiveAc& aircraft, PosSample& sample);

}  // namespace zrb
