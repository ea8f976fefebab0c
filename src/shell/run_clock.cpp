#include "shell/run_clock.h"

#include <algorithm>
#include <thread>

#include "shell/common/run_control.h"

namespace zrb {

namespace {

RunClock& lf_clock() {
    static RunClock clock = gf_realRunClock();
    return clock;
}

}  // namespace

RunClock gf_realRunClock() {
    return {
        [] { return std::chrono::steady_clock::now(); },
        [](SteadyTime deadline) { std::this_thread::sleep_until(deadline); },
        [] {
            return std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                .count();
        },
    };
}

void gf_setRunClock(RunClock clock) { lf_clock() = std::move(clock); }

SteadyTime gf_steadyNow() { return lf_clock().now(); }

void gf_sleepUntil(SteadyTime deadline) { lf_clock().sleepUntil(deadline); }

void gf_sleepMs(std::int64_t ms) { gf_sleepUntil(gf_steadyNow() + std::chrono::milliseconds(ms)); }

std::int64_t gf_systemSeconds() { return lf_clock().systemSeconds(); }

bool gf_sleepUnlessStopping(std::int64_t ms, std::int64_t stepMs) {
    while (ms > 0) {
        if (gf_stopUnderWay()) return false;
        const std::int64_t step = std::min(ms, std::max<std::int64_t>(stepMs, 1));
        gf_sleepMs(step);
        ms -= step;
    }
    return !gf_stopUnderWay();
}

}  // namespace zrb
