// The position double buffer when another thread holds the SimConnect mutex:
// at 50 frames per second or less the pass drops its updates instead of
// waiting; above, it waits and its updates go with the next Frame.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "simlink/sim_state.h"
#include "support/scenario/traffic_scenario.h"
#include "traffic/traffic_lists.h"
#include "traffic/traffic_manager.h"

namespace zrb::test {
namespace {

const Flight dlh{0x3C6444, "DLH4AB", "A320", "D-AIZA", "", ""};

// Holds the mutex from construction until released, or for at most 2 s.
class MutexHolder {
public:
    explicit MutexHolder(std::chrono::milliseconds hold = std::chrono::seconds(2))
        : m_thread([this, hold](std::stop_token stop) {
              std::unique_lock lock(g_simConnectMutex);
              m_locked = true;
              const auto until = std::chrono::steady_clock::now() + hold;
              while (!stop.stop_requested() && std::chrono::steady_clock::now() < until) std::this_thread::yield();
          }) {
        while (!m_locked) std::this_thread::yield();
    }

private:
    std::atomic<bool> m_locked{false};
    std::jthread m_thread;
};

TEST(BusyMutexThread, SlowFramesDropThePassesUpdatesFastFramesWaitForTheMutex) {
    TrafficScenario s;
    for (int poll = 0; poll < 7; ++poll) {
        ASSERT_TRUE(s.feedLive({s.record(dlh, 47.5, 8.55 + 0.005 * poll, 6000, 250, 90)}));
        s.passes(500);
    }
    ASSERT_TRUE(s.passUntil([&] { return gf_findLive(dlh.hexId)->fs == LifecycleState::active; }, 1000));
    // A pass that sends nothing else under the mutex: no removal, creation or range turn.
    ASSERT_TRUE(s.passUntil([&] { return s.tick() % 10 == 5; }, 20));
    const auto updates = [&] { return s.sim().aiObjects().front().positionUpdates; };
    const std::uint64_t before = updates();

    g_simFrameRate = 40.0F;
    {
        MutexHolder holder;
        lf_handleAddingStack();
    }
    s.frame();
    EXPECT_EQ(updates(), before) << "the pass's updates were dropped";

    g_simFrameRate = 60.0F;
    {
        MutexHolder holder(std::chrono::milliseconds(20));
        lf_handleAddingStack();  // waits until the holder lets go
    }
    s.frame();
    EXPECT_EQ(updates(), before + 1);
}

}  // namespace
}  // namespace zrb::test
