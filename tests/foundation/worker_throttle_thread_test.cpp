#include "foundation/worker_throttle.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace zrb {
namespace {

// A task's future is ready a moment before its guard gives the slot back; the
// next test resets the count, so every test waits for the last slot here.
void lf_waitUntilNoTaskRuns() {
    while (gf_runningWorkers() > 0) std::this_thread::yield();
}

TEST(WorkerThrottle, LimitFallsBackToTheMachineAndNeverZero) {
    gf_initWorkerThrottle(0);
    EXPECT_GE(gf_workerLimit(), 1);
    gf_initWorkerThrottle(-5);
    EXPECT_GE(gf_workerLimit(), 1);
    gf_initWorkerThrottle(3);
    EXPECT_EQ(gf_workerLimit(), 3);
    EXPECT_EQ(gf_runningWorkers(), 0);
}

TEST(WorkerThrottle, DispatcherWaitsUntilOneOfFourTasksIsDone) {
    gf_initWorkerThrottle(4);
    std::mutex releaseMutex;
    std::condition_variable releaseSignal;
    bool released = false;
    std::vector<WorkerResult<void>> tasks;
    for (int i = 0; i < 4; ++i)
        tasks.push_back(gf_startWorkerTask([&] {
            std::unique_lock lock(releaseMutex);
            releaseSignal.wait(lock, [&] { return released; });
        }));
    EXPECT_EQ(gf_runningWorkers(), 4);

    std::atomic<bool> passed{false};
    std::thread dispatcher([&] {
        gf_waitForFreeWorker();
        passed = true;
    });
    // Only a weak check: however long we look, the dispatcher must still wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(passed.load());

    {
        std::lock_guard lock(releaseMutex);
        released = true;
    }
    releaseSignal.notify_all();
    dispatcher.join();  // returns only once a task has given its slot back
    EXPECT_TRUE(passed.load());
    for (auto& task : tasks) task.get();
    lf_waitUntilNoTaskRuns();
}

TEST(WorkerThrottle, ThrowingTaskGivesItsSlotBack) {
    gf_initWorkerThrottle(1);
    auto failing = gf_startWorkerTask([]() -> int { throw std::runtime_error("cfg unreadable"); });
    EXPECT_THROW(failing.get(), std::runtime_error);
    // With a limit of 1 this would wait for ever if the slot had leaked.
    gf_waitForFreeWorker();
    EXPECT_EQ(gf_runningWorkers(), 0);

    {
        gf_workerStarted();
        std::thread([] {
            try {
                WorkerDoneGuard guard;
                throw std::runtime_error("walk failed");
            } catch (const std::exception&) {
            }
        }).detach();
    }
    gf_waitForFreeWorker();
    EXPECT_EQ(gf_runningWorkers(), 0);
}

TEST(WorkerThrottle, NeverMoreTasksAtOnceThanTheLimit) {
    constexpr int limit = 3;
    constexpr int taskCount = 60;
    gf_initWorkerThrottle(limit);
    std::atomic<int> running{0};
    std::atomic<int> highest{0};
    std::vector<WorkerResult<int>> results;
    for (int i = 0; i < taskCount; ++i) {
        results.push_back(gf_startWorkerTask([&running, &highest, i] {
            const int now = ++running;
            int seen = highest.load();
            while (now > seen && !highest.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::yield();
            --running;
            return i;
        }));
    }
    int sum = 0;
    for (auto& result : results) sum += result.get();
    EXPECT_EQ(sum, taskCount * (taskCount - 1) / 2);
    EXPECT_LE(highest.load(), limit);
    EXPECT_GE(highest.load(), 1);
    lf_waitUntilNoTaskRuns();
    EXPECT_EQ(gf_runningWorkers(), 0);
}

}  // namespace
}  // namespace zrb
