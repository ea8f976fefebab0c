// How a converted batch reaches the manager: due passes around the batch's
// median time, the history into its own queue in batch order, live batches
// only into an empty pending vector while the manager accepts traffic.
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "foundation/time.h"
#include "traffic/feed_intake.h"

using namespace zrb;

namespace {
TrafficRecord lf_record(std::uint32_t hexId, std::int64_t time) {
    TrafficRecord r;
    r.hexId = hexId;
    r.time = time;
    return r;
}

std::vector<TrafficRecord> lf_batch() { return {lf_record(1, 1012), lf_record(2, 1010), lf_record(3, 1011)}; }

void lf_accept(bool accept) {
    std::lock_guard lock(g_runMutex);
    g_trafficActive = accept;
    g_pendingTrafficRecords.clear();
}

std::vector<TrafficRecord> lf_pending() {
    std::lock_guard lock(g_runMutex);
    return g_pendingTrafficRecords;
}

std::vector<TrafficRecord> lf_takeHistory() {
    std::lock_guard lock(g_runMutex);
    std::vector<TrafficRecord> history(g_pendingHistoryRecords.begin(), g_pendingHistoryRecords.end());
    g_pendingHistoryRecords.clear();
    return history;
}
}  // namespace

TEST(DuePass, AroundTheMedianAndNeverOverflowing) {
    EXPECT_EQ(gf_duePass(1000, 30, 100.0, 98.75), 1000 + 3000 - 120) << "1.25 s older: 120 passes earlier";
    EXPECT_EQ(gf_duePass(1000, 30, 100.0, 101.25), 1000 + 3000 + 120);
    // A missing time stamp (0) or one far in the future beside real ones.
    EXPECT_EQ(gf_duePass(0, 30, 1.7e9, 0.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(gf_duePass(0, 30, 1.7e9, 1e15), std::numeric_limits<std::int32_t>::max());
}

TEST(ScheduleTrafficRecords, HistoryAtOnceLiveOnlyIntoAnEmptyAcceptingHandOver) {
    g_passTick = 500;
    lf_accept(true);
    std::vector<TrafficRecord> batch = lf_batch();
    gf_scheduleTrafficRecords(batch, 12);
    EXPECT_TRUE(batch.empty());
    const std::vector<TrafficRecord> history = lf_takeHistory();
    ASSERT_EQ(history.size(), 3U);
    // The median of 1010, 1011, 1012 is 1011.
    EXPECT_EQ(history[0].sample.duePass, 500 + 1200 + 100);
    EXPECT_EQ(history[1].sample.duePass, 500 + 1200 - 100);
    EXPECT_EQ(history[2].sample.duePass, 500 + 1200);
    EXPECT_TRUE(lf_pending().empty()) << "the history does not go through the pending vector";
    // Nor does it depend on the manager accepting live traffic yet.
    lf_accept(false);
    batch = lf_batch();
    gf_scheduleTrafficRecords(batch, 0);
    EXPECT_EQ(lf_takeHistory().size(), 3U);
    lf_accept(true);

    batch = lf_batch();
    gf_scheduleTrafficRecords(batch, g_livePollDelaySeconds);
    EXPECT_TRUE(batch.empty());
    ASSERT_EQ(lf_pending().size(), 3U);
    EXPECT_EQ(lf_pending()[2].sample.duePass, 500 + 3000);
    // The manager has not taken it yet: the next batch is dropped.
    batch = {lf_record(9, 2000)};
    gf_scheduleTrafficRecords(batch, g_livePollDelaySeconds);
    EXPECT_TRUE(batch.empty());
    EXPECT_EQ(lf_pending().size(), 3U);
    EXPECT_EQ(lf_pending()[0].hexId, 1U);
    // Nor is anything handed over while the manager does not accept traffic.
    lf_accept(false);
    batch = lf_batch();
    gf_scheduleTrafficRecords(batch, g_livePollDelaySeconds);
    EXPECT_TRUE(batch.empty());
    EXPECT_TRUE(lf_pending().empty());
    EXPECT_TRUE(lf_takeHistory().empty());

    // An empty batch means no feed time.
    g_latestRecordTime = 1700000000.0;
    batch.clear();
    gf_scheduleTrafficRecords(batch, g_livePollDelaySeconds);
    EXPECT_EQ(g_latestRecordTime.load(), 0.0);
    g_passTick = 0;
}
