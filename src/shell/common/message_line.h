#pragma once
// The message line at the foot of the window: one line of text that tells the
// user what just happened. A message (green band) clears itself 25 seconds
// after it was shown; an error (red band) stays until the run is restarted or
// the program ends, and while it is held every message is ignored.
//
// Every thread may call these. g_messageLineMutex owns the message text, the
// error text and the shown-at value; it is never held while calling into the
// window or while anything else is locked, except the log (message -> log).

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include <fmt/format.h>

namespace zrb {

inline constexpr std::uint32_t g_messageLifetimeSeconds = 25;

// Shows the text (empty clears). log: also write it to Log.txt as a plain line
// (never an empty text, and not while a stop is under way).
void gf_showMessage(std::string_view text, bool log);
void gf_clearMessage();
// Enters error mode: empties the message, stores the error, logs "Error {}".
void gf_showError(std::string_view text);
// Leaves error mode (restart, reset before a run, install-path edit, renewal).
void gf_clearError();

// "{}"-formatted variant of gf_showMessage.
template <typename... Args>
void gf_showMessageF(bool log, fmt::format_string<Args...> format, Args&&... args) {
    gf_showMessage(std::string_view(fmt::format(format, std::forward<Args>(args)...)), log);
}

// The per-second expiry: advances the message clock and clears a message that
// has been shown for 25 seconds or more. Called by the main loop's second.
void gf_tickMessageClock();

// Back to the start of a run: both texts empty, clock and shown-at 0.
void gf_resetMessageLine();

// What the band shows, for painting and tests.
struct MessageLineView {
    std::string message;
    std::string error;
    std::uint32_t clock = 0;
    std::uint32_t shownAt = 0;
    bool red() const { return !error.empty(); }
};
MessageLineView gf_messageLineView();

}  // namespace zrb
