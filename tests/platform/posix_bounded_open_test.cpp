// Opening a SimConnect stream never blocks for long: a connect that the other
// side never answers ends at the deadline, a cancel ends it within a slice,
// and a name lookup that hangs is left behind on its own thread.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/bounded_call.h"
#include "platform/platform.h"
#include "platform/simconnect_transport.h"
#include "support/posix_stalled_listener.h"

namespace zrb::platform {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void lf_ignore(void*, bool, std::uint32_t, std::uint32_t) {}

TEST(BoundedOpen, AConnectNobodyAnswersEndsAtTheDeadlineOrOnCancel) {
    const test::StalledListener listener;
    auto start = Clock::now();
    EXPECT_EQ(openTcpStream(2, u"127.0.0.1", listener.portText(), false, &lf_ignore, nullptr,
                            WaitLimits{Clock::now() + 300ms, {}}),
              nullptr);
    EXPECT_LT(Clock::now() - start, 1500ms);
    EXPECT_EQ(lastSystemError(), wsaErrorTimedOut);

    std::atomic<bool> stop{false};
    std::jthread stopper([&] {
        std::this_thread::sleep_for(200ms);
        stop = true;
    });
    start = Clock::now();
    EXPECT_EQ(openTcpStream(2, u"127.0.0.1", listener.portText(), false, &lf_ignore, nullptr,
                            WaitLimits{Clock::now() + 60s, [&] { return stop.load(); }}),
              nullptr);
    EXPECT_LT(Clock::now() - start, 1500ms);
}

TEST(BoundedOpen, ACallThatOutlivesItsWaitIsLeftToEndOnItsOwnThread) {
    std::atomic<bool> release{false};
    std::atomic<bool> ended{false};
    const auto start = Clock::now();
    const auto result = callBounded<int>(
        [&] {
            while (!release) std::this_thread::sleep_for(1ms);
            ended = true;
            return 7;
        },
        WaitLimits{Clock::now() + 200ms, {}});
    EXPECT_FALSE(result.has_value());
    EXPECT_LT(Clock::now() - start, 1000ms);
    release = true;
    // The kept thread ends by itself; the next bounded call joins it.
    while (!ended) std::this_thread::sleep_for(1ms);
    EXPECT_EQ(callBounded<int>([] { return 8; }, WaitLimits{Clock::now() + 5s, {}}), 8);
}

}  // namespace
}  // namespace zrb::platform
