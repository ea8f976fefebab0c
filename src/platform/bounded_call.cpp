#include "platform/bounded_call.h"

#include <vector>

#include "platform/simconnect_transport.h"

namespace zrb::platform {

namespace {

struct KeptCall {
    std::jthread thread;
    std::shared_ptr<const std::atomic<bool>> finished;
};

// The threads of calls that outlived their callers' waits. Destroyed with the
// program's globals, it joins what is left.
class Keeper {
public:
    void keep(KeptCall call) {
        std::lock_guard lock(m_mutex);
        reapLocked();
        m_calls.push_back(std::move(call));
    }
private:
    void reapLocked() {
        std::erase_if(m_calls, [](KeptCall& call) {
            if (!call.finished->load()) return false;
            call.thread.join();
            return true;
        });
    }
    std::mutex m_mutex;  // owns m_calls
    std::vector<KeptCall> m_calls;
};

Keeper& lf_keeper() {
    static Keeper keeper;
    return keeper;
}

}  // namespace

bool waitOver(const WaitLimits& limits) {
    if (limits.cancelled && limits.cancelled()) return true;
    return std::chrono::steady_clock::now() >= limits.deadline;
}

WaitLimits defaultOpenLimits() { return WaitLimits{std::chrono::steady_clock::now() + g_openStreamTimeout, {}}; }

void keepRunningCall(std::jthread thread, std::shared_ptr<const std::atomic<bool>> finished) {
    lf_keeper().keep(KeptCall{std::move(thread), std::move(finished)});
}

}  // namespace zrb::platform
