#pragma once
// A blocking system call that has no time-out of its own (a host name lookup)
// made on a thread of its own, so that its caller waits only until a deadline
// and a cancel request ends the wait within a slice.
//
// A call that outlives its caller's wait runs to its end on its thread; the
// thread is kept by a process-wide keeper and joined there: by a later bounded
// call once it has finished, or when the program's globals are destroyed (the
// system's own time-outs end such a call). Any thread; the keeper's list is
// owned by its mutex, each call's result by the mutex of its shared state.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace zrb::platform {

// How long a wait may last and what ends it early (tested every slice).
struct WaitLimits {
    std::chrono::steady_clock::time_point deadline;
    std::function<bool()> cancelled;  // may be empty
};
inline constexpr std::chrono::milliseconds g_waitSlice{100};

// True when the wait is over: the deadline has passed or cancelled() holds.
bool waitOver(const WaitLimits& limits);

// Takes the thread of a bounded call whose caller stopped waiting; finished
// is set by the thread as its last act.
void keepRunningCall(std::jthread thread, std::shared_ptr<const std::atomic<bool>> finished);

template <typename Result>
std::optional<Result> callBounded(std::function<Result()> call, const WaitLimits& limits) {
    struct State {
        std::mutex mutex;  // owns result and done
        std::condition_variable ended;
        std::optional<Result> result;
        bool done = false;
    };
    auto state = std::make_shared<State>();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::jthread thread([state, finished, call = std::move(call)] {
        std::optional<Result> result;
        try {
            result.emplace(call());
        } catch (...) {
            // No result: the caller sees a failed call.
        }
        {
            std::lock_guard lock(state->mutex);
            state->result = std::move(result);
            state->done = true;
            state->ended.notify_all();
        }
        finished->store(true);
    });
    {
        std::unique_lock lock(state->mutex);
        while (!state->done && !waitOver(limits)) state->ended.wait_for(lock, g_waitSlice);
        if (state->done) {
            lock.unlock();
            thread.join();
            return std::move(state->result);
        }
    }
    keepRunningCall(std::move(thread), std::move(finished));
    return std::nullopt;
}

}  // namespace zrb::platform
