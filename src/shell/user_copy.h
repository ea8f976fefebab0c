#pragma once
// The worker's copy of the user's aircraft (g_user, run.h), refreshed once a
// second while the simulation runs, so that the feed's reference position and
// query box and the collision avoidance follow the user's flight instead of
// the place where the run began. The traffic manager's pass keeps a copy of
// its own every 100 passes; once the shell reads that one, this piece goes.
//
// Worker thread only.

namespace zrb {

inline constexpr int g_userCopyPasses = 100;  // one second of main-loop passes

// Called once per running pass: every 100th asks the simulator layer for a
// fresh record (services' userAcPosition) and copies it into g_user, unless it
// holds no position yet.
void lf_refreshUserCopy();
// The next pass refreshes (the start of a main loop).
void lf_resetUserCopy();

}  // namespace zrb
