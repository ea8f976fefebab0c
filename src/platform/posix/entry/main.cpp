// The Linux program's entry: SIGINT and SIGTERM do what the window's close
// button does, so a terminal's Ctrl+C ends the program cleanly.
#include <pthread.h>
#include <signal.h>

#include <thread>

#include "platform/window.h"

namespace zrb {
int gf_programMain();
}

namespace {

// Sent by the program's end to the watcher alone, so that it stops waiting.
constexpr int endOfProgramSignal = SIGUSR1;

// Blocked in every thread (threads inherit the mask), taken only by the
// watcher with sigwait, so no handler runs inside a lock.
void lf_watchSignals(sigset_t signals) {
    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0 || signal == endOfProgramSignal) return;
        zrb::platform::postClose();
    }
}

}  // namespace

int main() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, endOfProgramSignal);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::jthread watcher(lf_watchSignals, signals);
    const int code = zrb::gf_programMain();
    pthread_kill(watcher.native_handle(), endOfProgramSignal);
    return code;  // the watcher is joined here
}
