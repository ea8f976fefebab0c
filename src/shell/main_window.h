#pragma once
// The main window: its creation at the stored position, its controls, and
// what the GUI thread does with the run's messages and the user's actions.
//
// GUI thread only.

#include <cstdint>
#include <filesystem>
#include <string>

#include "platform/window.h"

namespace zrb {

// Loads MAIN_WINDOW_X/Y from parameters.xml (defaults when it cannot be read),
// creates the 880x516 window there and its controls. False when the window
// cannot be created.
bool gf_createMainWindow(const std::u16string& title);
// A coordinate stuck at its limit (-30000 or 30000, as a minimised window
// leaves it) becomes the given value, clamped and saved.
void lf_resetWindowPosition(std::int32_t x, std::int32_t y);
// WM_APP + 2: saves the window position, logs the time and ends the loop.
void lf_endProgram();
// The first part of that, done once per window.
void lf_saveWindowPosition();
// WM_ENDSESSION: the program stops as at the close button and waits, at most
// g_sessionEndWaitMs, for the run's closing down to save what it saves; then
// what WM_APP + 2 does (only the position is saved while the worker is still
// closing down: its own WM_APP + 2 ends the loop).
void lf_endSession();
inline constexpr std::int64_t g_sessionEndWaitMs = 4000;
// WM_CLOSE: a stop request; the run closes down and ends the program.
void lf_closeWindow();
// WM_APP + 1: joins the worker of the run before and starts a new run on a
// new worker thread.
void lf_startRun();
// Joins the worker thread (the end of the program, after the message loop).
void gf_joinWorker();
// The worker thread could not be created: the reason in the error band, SYSTEM
// ERROR, and the window's close ends the program at once.
void lf_runNotStarted(const std::string& why);

// What the GUI thread does with each message of the main window.
platform::WindowHandlers gf_mainWindowHandlers();

// The user's AppData folder; empty (and a warning logged) when the system
// cannot tell.
std::filesystem::path gf_getAppDataPath();

}  // namespace zrb
