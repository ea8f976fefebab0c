#pragma once
// The two flags that end a run or the whole program. They live here, below
// the configuration and every subsystem, so that any library (the settings
// store's rule that drops value lines while stopping, the scanners, the feed)
// can test them without linking the application shell. Why a run stops, and
// who may set the flags how, is the shell's (shell/common/run_control.h).
//
// Both are atomics: any thread reads and sets them.

#include <atomic>

namespace zrb {

// Stop the current run. Set by exchange; cleared only by the reset before a new run.
inline std::atomic<bool> g_stopRun{false};
// The user closed the window (or a fatal error elsewhere): no further run.
inline std::atomic<bool> g_stopProgram{false};
// Windows is ending the session (logoff, shutdown): the process may be ended a
// few seconds from now. Set with both flags above and never cleared; closing
// down still saves what it saves, but what only waits (the logout, pauses) is
// cut short.
inline std::atomic<bool> g_sessionEnding{false};

// Either stop flag is set: waits end, scans skip their remaining work, value
// lines of the settings store are dropped.
inline bool gf_stopUnderWay() {
    return g_stopRun.load(std::memory_order_acquire) || g_stopProgram.load(std::memory_order_acquire);
}

}  // namespace zrb
