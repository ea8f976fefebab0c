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

// A gate the tasks of a test wait at until the test opens it.
class Gate {
public:
    void wait() {
        std::unique_lock lock(m_mutex);
        m_opened.wait(lock, [this] { return m_open; });
    }
    void open() {
        {
            std::lock_guard lock(m_mutex);
            m_open = true;
        }
        m_opened.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_opened;
    bool m_open = false;
};

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
    Gate gate;
    std::vector<WorkerResult<void>> tasks;
    for (int i = 0; i < 4; ++i) tasks.push_back(gf_startWorkerTask([&] { gate.wait(); }));
    EXPECT_EQ(gf_runningWorkers(), 4);

    std::atomic<bool> passed{false};
    std::thread dispatcher([&] {
        gf_waitForFreeWorker();
        passed = true;
    });
    // Only a weak check: however long we look, the dispatcher must still wait.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(passed.load());

    gate.open();
    dispatcher.join();  // returns only once a task has given its slot back
    EXPECT_TRUE(passed.load());
    for (auto& task : tasks) task.get();
    EXPECT_EQ(gf_runningWorkers(), 0);
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
        std::jthread walker([] {
            try {
                WorkerDoneGuard guard;
                throw std::runtime_error("walk failed");
            } catch (const std::exception&) {
            }
        });
    }
    gf_waitForFreeWorker();
    EXPECT_EQ(gf_runningWorkers(), 0);
}

// A new run sets the limit while a task of the run before still works: when
// that task ends late it gives back its own slot, and the count stays true.
TEST(WorkerThrottle, ATaskOfTheRunBeforeEndingLateKeepsTheCountAndTheLimit) {
    gf_initWorkerThrottle(1);
    Gate gate;
    auto late = gf_startWorkerTask([&] { gate.wait(); });
    gf_initWorkerThrottle(1);
    EXPECT_EQ(gf_runningWorkers(), 1);
    gate.open();
    late.get();
    EXPECT_EQ(gf_runningWorkers(), 0);

    // With the count right, the limit of one still holds.
    std::atomic<int> running{0};
    std::atomic<int> highest{0};
    std::vector<WorkerResult<void>> tasks;
    for (int i = 0; i < 8; ++i)
        tasks.push_back(gf_startWorkerTask([&] {
            const int now = ++running;
            int seen = highest.load();
            while (now > seen && !highest.compare_exchange_weak(seen, now)) {
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            --running;
        }));
    for (auto& task : tasks) task.get();
    EXPECT_EQ(highest.load(), 1);
}

// The result owns the task's thread: once get() returns, or the result is
// gone, the thread has ended, down to the destruction of what the task held.
TEST(WorkerThrottle, TheTaskThreadHasEndedWhenItsResultIsTakenOrDropped) {
    gf_initWorkerThrottle(2);
    struct SlowToLetGo {
        explicit SlowToLetGo(std::atomic<bool>* flag) : released(flag) {}
        SlowToLetGo(const SlowToLetGo&) = delete;
        SlowToLetGo& operator=(const SlowToLetGo&) = delete;
        ~SlowToLetGo() {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            released->store(true);
        }
        std::atomic<bool>* released;
    };
    std::atomic<bool> firstReleased{false};
    auto first = gf_startWorkerTask([held = std::make_shared<SlowToLetGo>(&firstReleased)] { return 1; });
    EXPECT_EQ(first.get(), 1);
    EXPECT_TRUE(firstReleased.load());

    std::atomic<bool> secondReleased{false};
    {
        auto dropped = gf_startWorkerTask([held = std::make_shared<SlowToLetGo>(&secondReleased)] {});
    }
    EXPECT_TRUE(secondReleased.load());
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
    EXPECT_EQ(gf_runningWorkers(), 0);
}

}  // namespace
}  // namespace zrb
