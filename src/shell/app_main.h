#pragma once
// The program's life on the GUI thread: one instance only, the log, the
// window, the data folder, the first run, and the message loop until the end.

namespace zrb {

// The single-instance name (a named mutex on Windows).
inline constexpr const char* g_singleInstanceName = "Local\\$Tolvaren_P3D$";

// Called by the entry point of each platform. -1 when another instance runs
// (nothing logged, no window); else the message loop's exit code, or 0 when
// the window could not be set up.
int gf_programMain();

// Class, window, data folder, the first WM_APP + 1, message loop.
int gf_initInstanceAndRun();

}  // namespace zrb
