#pragma once
// Where the live-traffic feed hands its batches to the traffic manager.
//
// Live batches cross from the Traffic Reader to the worker thread only through
// the pending vector under g_runMutex, and only while the manager accepts
// traffic and has taken the previous batch; otherwise the batch is dropped.
// The buffered history comes before the reader reports that it receives; it
// waits in its own queue under the same mutex and the worker's passes process
// it first, so that the live list is only ever touched by the worker (a run
// whose receive wait timed out may still be in its main loop while the reader
// converts the history).
//
// Scheduling and the hand-over are in feed_intake.cpp, the processing of one
// record in record_intake.cpp.

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

#include "feed/traffic_record.h"

namespace zrb {

// Owns g_trafficActive and g_pendingTrafficRecords.
extern std::mutex g_runMutex;
// Guarded by g_runMutex: the manager accepts live batches.
extern bool g_trafficActive;
// Guarded by g_runMutex: at most one batch waiting for the manager.
extern std::vector<TrafficRecord> g_pendingTrafficRecords;
// Guarded by g_runMutex: the history's records, oldest batch first, waiting
// for the worker (taken from the front, before any live record).
extern std::deque<TrafficRecord> g_pendingHistoryRecords;

// Count of manager passes (10 ms each while the simulation runs). The worker
// advances it; the Traffic Reader reads it to stamp due passes.
extern std::atomic<std::int32_t> g_passTick;

// The QNH (hPa) the manager places aircraft with; written by the Weather
// Reader, set back to 1013 by the manager's reset.
extern std::atomic<std::int32_t> g_qnh;
inline constexpr std::int32_t g_standardQnh = 1013;

// Seconds of delay of a live poll's batch.
inline constexpr int g_livePollDelaySeconds = 30;

// Stamps every record with its due pass and hands the batch on (see above).
// Traffic Reader thread. Leaves the batch empty.
void gf_scheduleTrafficRecords(std::vector<TrafficRecord>& batch, int delaySeconds);

// One record taken from the history queue or a pending batch: it extends a
// known live aircraft, changes its identity, starts a new one, or is dropped.
// Worker thread.
void gf_processTrafficRecord(const TrafficRecord& record);

// Due pass of a record of time t (s) in a batch whose median time is m, with
// the pass tick P: P + 100 × delay − 10 × trunc(10 × (m − t)).
std::int32_t gf_duePass(std::int32_t passTick, int delaySeconds, double medianTime, double recordTime);

}  // namespace zrb
