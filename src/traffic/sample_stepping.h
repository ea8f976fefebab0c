#pragma once
// Moving a live aircraft between the samples of its queue. Once per due
// sample the front sample is consumed and per-pass rates toward the next one
// are computed (lf_stepSample, with the ground or the air rules); every pass
// those rates are added to the position block (lf_followCurve). When the
// samples run out the aircraft holds, is dead-reckoned for a while or goes
// (lf_onQueueEnd). Also the small sample tools the ground rules share:
// midway samples, retiming inside the windows, the speed between two samples
// and the turn toward the leg after the next sample.
//
// Threads: worker thread.

#include <cstdint>

#include "traffic/ai_aircraft.h"

namespace zrb {

inline constexpr double g_passesPerHour = 360000.0;  // passes = NM × 360000 / knots
inline constexpr std::int32_t g_minStepPasses = 25;
inline constexpr std::int32_t g_windowFloorPasses = 1000;
inline constexpr std::int32_t g_windowShrinkPasses = 100;
inline constexpr double g_samePositionDeg = 1e-8;
inline constexpr std::int32_t g_holdSamplePasses = 300;       // a stop sample while holding on the ground
inline constexpr std::int32_t g_passesPerMinute = 6000;
inline constexpr std::int32_t g_weekPasses = 60480000;        // a parked aircraft's last sample
inline constexpr std::int32_t g_airExtrapolationRounds = 8;
inline constexpr std::int32_t g_groundExtrapolationRounds = 10;
inline constexpr double g_extrapolationRangeMarginNm = 0.5;
inline constexpr std::int32_t g_windowResetPasses = 3000;
inline constexpr std::int32_t g_lateWindowRollPasses = 5000;  // the late window during a runway roll

// Whole passes of a pass count computed in floating point. Throws
// gsl::narrowing_error when it is not finite or does not fit 32 bits, so a
// broken speed never becomes undefined behaviour.
std::int32_t gf_passCount(double passes);
// a + b passes, wrapping as the pass tick itself does.
std::int32_t gf_addPasses(std::int32_t a, std::int32_t b);

// dt of a step: passes until the next sample is due, at least 25.
double lf_stepPasses(const LiveAc& aircraft);
// Consumes the due front sample F and sets the rates toward the next sample N.
// Needs two samples.
void lf_stepSample(LiveAc& aircraft);
// Fewer than two samples left: true when the aircraft stays (a sample was
// appended or it waits), false when it is to be removed.
bool lf_onQueueEnd(LiveAc& aircraft);
// Dead reckoning: the hold marker becomes rounds and one sample is appended
// along the present heading.
void lf_extrapolate(LiveAc& aircraft, std::int32_t rounds);
// One pass of movement along the rates or the ground path.
void lf_followCurve(LiveAc& aircraft);

// Inserts a sample midway between the front sample and the next one.
void lf_insertMidSample(LiveAc& aircraft);
// N (the second sample) due after `passes`, kept inside the windows while the
// hold marker is below 1 and never before now.
void lf_retimeNext(LiveAc& aircraft, std::int32_t passes);
// Knots between two samples: the mean of their ground speeds, or, when both
// stand still by their speeds, the distance over the time between them.
double lf_sampleSpeed(const PosSample& f, const PosSample& n);
// Radians (−π..π) from the present heading to the leg after the next sample;
// 0 with fewer than three samples.
double lf_headingChange(const LiveAc& aircraft);
// A midway sample when the ground speed changes by more than 5 kt over 100 m or more.
void lf_checkSpeedChange(LiveAc& aircraft);

// Each window above 1000 passes shrinks by 100, to no less than 1000.
void gf_shrinkWindows(LiveAc& aircraft);
// The windows after a hold or a new leg: late 5000 during a runway roll, else
// 3000; early 3000.
void gf_resetWindows(LiveAc& aircraft);
// An angle brought into −π..π, and into 0..2π.
double gf_wrapPi(double radians);
double gf_normaliseRadians(double radians);
// Both coordinates within 1e-8 degrees.
bool gf_samePosition(const PosSample& a, const PosSample& b);

}  // namespace zrb
