// Scheduling of feed records and their hand-over to the worker.
#include "traffic/feed_intake.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>

#include "foundation/time.h"

namespace zrb {

namespace {
constexpr int passesPerSecond = 100;
}  // namespace

std::mutex g_runMutex;
bool g_trafficActive = false;
std::vector<TrafficRecord> g_pendingTrafficRecords;
std::deque<TrafficRecord> g_pendingHistoryRecords;
std::atomic<std::int32_t> g_passTick{0};
std::atomic<std::int32_t> g_qnh{g_standardQnh};

std::int32_t gf_duePass(std::int32_t passTick, int delaySeconds, double medianTime, double recordTime) {
    const double early = std::trunc(10.0 * (medianTime - recordTime));
    const double due = static_cast<double>(passTick) + passesPerSecond * delaySeconds - 10.0 * early;
    // A time stamp far off the batch's (a missing one reads as 0) must not
    // overflow the pass count: such a record is simply due at once or never.
    return static_cast<std::int32_t>(std::clamp(due, static_cast<double>(std::numeric_limits<std::int32_t>::min()),
                                                static_cast<double>(std::numeric_limits<std::int32_t>::max())));
}

void gf_scheduleTrafficRecords(std::vector<TrafficRecord>& batch, int delaySeconds) {
    if (batch.empty()) {
        g_latestRecordTime.store(0.0);
        return;
    }
    std::vector<double> times;
    times.reserve(batch.size());
    for (const TrafficRecord& r : batch) times.push_back(static_cast<double>(r.time));
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    const std::int32_t tick = g_passTick.load();
    for (TrafficRecord& r : batch) r.sample.duePass = gf_duePass(tick, delaySeconds, median, static_cast<double>(r.time));

    std::lock_guard lock(g_runMutex);
    if (delaySeconds != g_livePollDelaySeconds)
        std::move(batch.begin(), batch.end(), std::back_inserter(g_pendingHistoryRecords));
    else if (g_trafficActive && g_pendingTrafficRecords.empty())
        g_pendingTrafficRecords.swap(batch);
    batch.clear();
}

}  // namespace zrb
