#pragma once
// The clock and the sleeps of a run: the main loop's 10 ms grid, the waits of
// start-up and closing down, the restart countdown. They all go through one
// seam so that tests run the 15/16/30/60/61/1200/86400-second schedule, the
// countdowns and the waits in milliseconds with a clock of their own.
//
// Set before any run starts (tests: before the worker thread exists); read by
// the worker thread.

#include <chrono>
#include <cstdint>
#include <functional>

namespace zrb {

using SteadyTime = std::chrono::steady_clock::time_point;

struct RunClock {
    std::function<SteadyTime()> now;                 // the steady clock
    std::function<void(SteadyTime)> sleepUntil;      // on the steady clock
    std::function<std::int64_t()> systemSeconds;     // system clock, seconds since 1970
};

// The real clock.
RunClock gf_realRunClock();
// Replaces the clock (tests); gf_setRunClock(gf_realRunClock()) puts it back.
void gf_setRunClock(RunClock clock);

SteadyTime gf_steadyNow();
void gf_sleepUntil(SteadyTime deadline);
void gf_sleepMs(std::int64_t ms);
std::int64_t gf_systemSeconds();

// Sleeps ms milliseconds in steps of at most stepMs and tests both stop flags
// after each step. False as soon as a stop is under way.
bool gf_sleepUnlessStopping(std::int64_t ms, std::int64_t stepMs);

}  // namespace zrb
