#pragma once
// Keeps the scan tasks of the livery and airport scans to at most as many at
// once as the machine has hardware threads.
//
// A dispatcher of tasks follows this protocol, one dispatching thread at a time
// (the test and the increment are two steps):
//   1. gf_waitForFreeWorker();
//   2. gf_workerStarted();
//   3. start the task on a detached thread;
//   4. the task holds a WorkerDoneGuard, so gf_workerDone runs on every way
//      out, exceptions included.
// gf_startWorkerTask does all four for a callable and hands back its future.
//
// Shared data: the running-task count and the limit are atomics; the waiting
// dispatcher sleeps on a condition variable under g_workerMutex, which owns no
// data of its own (it only orders the wake-up after gf_workerDone).

#include <cstdint>
#include <future>
#include <thread>
#include <type_traits>
#include <utility>

namespace zrb {

// Sets the limit and stores 0 into the running-task count; the worker main
// calls it at the start of each run, before any task starts. A limit of 0 or
// less takes std::thread::hardware_concurrency, and at least 1 (the machine
// may not tell its count, and a limit of 0 would block the scans for ever).
void gf_initWorkerThrottle(std::int32_t limit = 0);

// Returns once fewer tasks run than the limit allows. No time-out: tasks end.
void gf_waitForFreeWorker();

// Counts one more running task (step 2 of the protocol).
void gf_workerStarted();

// Counts one task less and wakes a waiting dispatcher.
void gf_workerDone();

std::int32_t gf_runningWorkers();
std::int32_t gf_workerLimit();

// Calls gf_workerDone when the task ends, however it ends.
class WorkerDoneGuard {
public:
    WorkerDoneGuard() = default;
    ~WorkerDoneGuard() { gf_workerDone(); }
    WorkerDoneGuard(const WorkerDoneGuard&) = delete;
    WorkerDoneGuard& operator=(const WorkerDoneGuard&) = delete;
};

// Waits for a free worker, counts it and runs the task on a detached thread.
// The task's result, or its exception, arrives through the future.
template <typename Task>
std::future<std::invoke_result_t<std::decay_t<Task>>> gf_startWorkerTask(Task&& task) {
    using Result = std::invoke_result_t<std::decay_t<Task>>;
    std::packaged_task<Result()> packaged(std::forward<Task>(task));
    auto future = packaged.get_future();
    gf_waitForFreeWorker();
    gf_workerStarted();
    try {
        std::thread([packaged = std::move(packaged)]() mutable {
            WorkerDoneGuard guard;
            packaged();  // a throwing task leaves its exception in the future
        }).detach();
    } catch (...) {
        gf_workerDone();  // no thread was started, so nothing else gives the slot back
        throw;
    }
    return future;
}

}  // namespace zrb
