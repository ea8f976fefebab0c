// The user's stand is looked up from another thread while the worker loads
// new park airports and grows their stands: the reader never sees a table
// being replaced (ThreadSanitizer runs this program).
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "simlink/sim_state.h"
#include "stand_table_fixture.h"
#include "traffic/stand_search.h"

namespace zrb::test {
namespace {

TEST(UserStandThreads, AnotherThreadLooksUpWhileTheWorkerReplacesTheTable) {
    g_userOnGround = true;
    std::atomic<bool> done{false};
    std::atomic<int> found{0};
    std::jthread reader([&] {
        while (!done.load()) {
            const std::string name = gf_getUserStand(offsetPoint(0.0, 0.0));
            if (!name.empty()) ++found;
            EXPECT_TRUE(name.empty() || name.front() == 'S') << name;
            // A position that misses the remembered answer walks the table again.
            (void)gf_getUserStand(offsetPoint(static_cast<double>(found.load() % 7), 0.0));
        }
    });
    for (int round = 0; round < 300; ++round) {
        std::vector<Stand> table;
        for (int i = 0; i < 40; ++i) addStand(table, "S" + std::to_string(round) + "-" + std::to_string(i), 5.0 * i, 0.0, 20.0);
        gf_replaceStandTable(std::move(table));
        // The worker's own changes to a stand's other fields need no lock.
        StandTable.front().radius *= 1.01;
        StandTable.front().liveParked = 1;
        if (round % 50 == 0) gf_clearStandTable();
    }
    while (found.load() == 0) std::this_thread::yield();
    done = true;
    reader.join();
    gf_clearStandTable();
    g_userOnGround = false;
}

}  // namespace
}  // namespace zrb::test
