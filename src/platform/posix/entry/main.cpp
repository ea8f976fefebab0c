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

// Blocked in every thread (threads inherit the mask), taken only by the
// watcher with sigwait, so no handler runs inside a lock.
void lf_watchSignals(sigset_t signals) {
    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) return;
        zrb::platform::postClose();
    }
}

}  // namespace

int main() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread(lf_watchSignals, signals).detach();
    return zrb::gf_programMain();
}
