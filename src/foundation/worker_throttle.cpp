#include "foundation/worker_throttle.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace zrb {

namespace {

std::int32_t lf_hardwareLimit() {
    const auto threads = static_cast<std::int32_t>(std::thread::hardware_concurrency());
    return threads < 1 ? 1 : threads;
}

std::atomic<std::int32_t> g_runningWorkers{0};
std::atomic<std::int32_t> g_workerLimit{lf_hardwareLimit()};
std::mutex g_workerMutex;
std::condition_variable g_workerFreed;

void lf_wakeDispatcher() {
    // Taking the mutex before notifying means a dispatcher that has just found
    // no free slot is already asleep and cannot miss this wake-up.
    const std::lock_guard lock(g_workerMutex);
    g_workerFreed.notify_all();
}

}  // namespace

void gf_initWorkerThrottle(std::int32_t limit) {
    if (limit <= 0) limit = lf_hardwareLimit();
    g_workerLimit.store(limit);
    lf_wakeDispatcher();
}

void gf_waitForFreeWorker() {
    std::unique_lock lock(g_workerMutex);
    g_workerFreed.wait(lock, [] { return g_runningWorkers.load() < g_workerLimit.load(); });
}

void gf_workerStarted() { g_runningWorkers.fetch_add(1); }

void gf_workerDone() {
    g_runningWorkers.fetch_sub(1);
    lf_wakeDispatcher();
}

std::int32_t gf_runningWorkers() { return g_runningWorkers.load(); }

std::int32_t gf_workerLimit() { return g_workerLimit.load(); }

}  // namespace zrb
