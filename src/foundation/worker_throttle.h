#pragma once
// Keeps the scan tasks of the livery and airport scans to at most as many at
// once as the machine has hardware threads.
//
// A dispatcher of tasks follows this protocol, one dispatching thread at a time
// (the test and the increment are two steps):
//   1. gf_waitForFreeWorker();
//   2. gf_workerStarted();
//   3. start the task on a thread the dispatcher owns and joins;
//   4. the task holds a WorkerDoneGuard, so gf_workerDone runs on every way
//      out, exceptions included.
// gf_startWorkerTask does all four for a callable and hands back a WorkerResult,
// which owns the task's thread and joins it (in get(), or when it is destroyed).
//
// The count is never reset: each task gives back exactly the slot it took,
// whichever run started it, so a task of an earlier run that ends late can
// neither drive the count below 0 nor let a later run exceed the limit.
//
// Shared data: the running-task count and the limit are atomics; the waiting
// dispatcher sleeps on a condition variable under g_workerMutex, which owns no
// data of its own (it only orders the wake-up after gf_workerDone).

#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <type_traits>
#include <utility>

namespace zrb {

// Sets the limit; the worker main calls it at the start of each run. The
// running-task count is left alone (see above). A limit of 0 or less takes
// std::thread::hardware_concurrency, and at least 1 (the machine may not tell
// its count, and a limit of 0 would block the scans for ever).
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

// The outcome of a task started by gf_startWorkerTask: its value or its
// exception, handed over under a mutex, and the task's thread, which it owns.
// (Not std::future: the MinGW runtime's promise, built on call_once, is
// unreliable under Wine and hangs the scans.) Movable, not copyable; one owner
// calls get() once. Destroying it without get() still waits for the task.
template <typename Result>
class WorkerResult {
public:
    WorkerResult(WorkerResult&&) noexcept = default;
    WorkerResult& operator=(WorkerResult&&) noexcept = default;
    WorkerResult(const WorkerResult&) = delete;
    WorkerResult& operator=(const WorkerResult&) = delete;
    ~WorkerResult() = default;  // m_thread joins

    // Waits until the task's thread has ended; returns the task's value or
    // rethrows its exception. The task's slot is given back when this returns.
    Result get() {
        if (m_thread.joinable()) m_thread.join();
        std::unique_lock lock(m_state->mutex);
        m_state->ended.wait(lock, [this] { return m_state->done; });
        if (m_state->error) std::rethrow_exception(m_state->error);
        if constexpr (!std::is_void_v<Result>) return std::move(*m_state->value);
    }

private:
    template <typename Task>
    friend WorkerResult<std::invoke_result_t<std::decay_t<Task>>> gf_startWorkerTask(Task&& task);

    struct Value {};  // stands in for the value of a void task
    using Stored = std::conditional_t<std::is_void_v<Result>, Value, Result>;
    struct State {
        std::mutex mutex;  // owns done, value and error
        std::condition_variable ended;
        bool done = false;
        std::optional<Stored> value;
        std::exception_ptr error;
    };

    WorkerResult() : m_state(std::make_shared<State>()) {}

    template <typename Task>
    static void run(const std::shared_ptr<State>& state, Task& task) {
        std::optional<Stored> value;
        std::exception_ptr error;
        try {
            if constexpr (std::is_void_v<Result>) {
                task();
                value.emplace();
            } else {
                value.emplace(task());
            }
        } catch (...) {
            error = std::current_exception();
        }
        {
            std::lock_guard lock(state->mutex);
            state->value = std::move(value);
            state->error = error;
            state->done = true;
        }
        state->ended.notify_all();
    }

    std::shared_ptr<State> m_state;
    std::jthread m_thread;  // the task's thread; declared last, so it is joined first
};

// Waits for a free worker, counts it and runs the task on a thread of its own,
// owned by the returned WorkerResult. The task's result, or its exception,
// arrives through it.
template <typename Task>
WorkerResult<std::invoke_result_t<std::decay_t<Task>>> gf_startWorkerTask(Task&& task) {
    using Result = std::invoke_result_t<std::decay_t<Task>>;
    WorkerResult<Result> result;
    gf_waitForFreeWorker();
    gf_workerStarted();
    try {
        auto work = std::decay_t<Task>(std::forward<Task>(task));
        result.m_thread = std::jthread([state = result.m_state, work = std::move(work)]() mutable {
            WorkerDoneGuard guard;
            WorkerResult<Result>::run(state, work);  // a throwing task leaves its exception in the result
        });
    } catch (...) {
        gf_workerDone();  // no thread was started, so nothing else gives the slot back
        throw;
    }
    return result;
}

}  // namespace zrb
