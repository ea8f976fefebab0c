#include "shell/common/message_line.h"

#include <algorithm>

#include "foundation/log.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_control.h"

namespace zrb {

namespace {

// Owns g_message, g_error, g_messageClock and g_messageShownAt.
std::mutex g_messageLineMutex;
std::string g_message;
std::string g_error;
std::uint32_t g_messageClock = 0;    // seconds of the per-second work
std::uint32_t g_messageShownAt = 0;  // clock value at which the message was shown, 0 = none

}  // namespace

void gf_showMessage(std::string_view text, bool log) {
    {
        std::lock_guard lock(g_messageLineMutex);
        if (!g_error.empty()) return;
        g_message.assign(text);
        g_messageShownAt = text.empty() ? 0 : std::max<std::uint32_t>(1, g_messageClock);
        // Logged under the message mutex so that lines keep the order of the
        // messages; the log mutex is the leaf of every lock order.
        if (log && !text.empty() && !gf_stopUnderWay()) gf_logLine(text);
    }
    gf_invalidateBand(g_messageBand);
}

void gf_clearMessage() { gf_showMessage({}, false); }

void gf_showError(std::string_view text) {
    {
        std::lock_guard lock(g_messageLineMutex);
        g_message.clear();
        g_messageShownAt = 0;
        g_error.assign(text);
        if (!gf_stopUnderWay()) gf_logLine("Error {}", text);
    }
    gf_invalidateBand(g_messageBand);
}

void gf_clearError() {
    {
        std::lock_guard lock(g_messageLineMutex);
        g_error.clear();
    }
    gf_invalidateBand(g_messageBand);
}

void gf_tickMessageClock() {
    bool expired = false;
    {
        // Cleared under the same lock as the test: a message shown by another
        // thread in between must not be taken for the old one.
        std::lock_guard lock(g_messageLineMutex);
        ++g_messageClock;
        expired = g_messageShownAt >= 1 && g_messageClock - g_messageShownAt >= g_messageLifetimeSeconds;
        if (expired) {
            g_message.clear();
            g_messageShownAt = 0;
        }
    }
    if (expired) gf_invalidateBand(g_messageBand);
}

void gf_resetMessageLine() {
    {
        std::lock_guard lock(g_messageLineMutex);
        g_message.clear();
        g_error.clear();
        g_messageClock = 0;
        g_messageShownAt = 0;
    }
    gf_invalidateBand(g_messageBand);
}

MessageLineView gf_messageLineView() {
    std::lock_guard lock(g_messageLineMutex);
    return {g_message, g_error, g_messageClock, g_messageShownAt};
}

}  // namespace zrb
