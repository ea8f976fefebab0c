#pragma once
// A stand-in service on loopback with the feed pointed at it, and the feed's
// state put back to the start of a run around each test.

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include <gtest/gtest.h>

#include "../feed_test_support.h"
#include "feed/service_endpoint.h"
#include "feed/session.h"
#include "service/service_standin.h"
#include "shell/common/main_window_state.h"
#include "shell/common/run_control.h"
#include "support/temp_folder.h"

namespace zrb::test {

// Polls the condition every 10 ms for at most the time given; a bound, not a
// measurement: a healthy run meets the condition long before.
inline bool eventually(const std::function<bool()>& condition, int boundMs = 20000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(boundMs);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

class ServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        service = std::make_unique<tools::ServiceStandIn>(certificates.path());
        tools::Scenario s = service->scenario();
        s.rrl = 250;
        s.wrrl = 250;
        service->setScenario(s);
        gf_setServiceEndpointForTest(service->baseUrl(), service->caFile());
        gf_setServiceKey("key&=+% 1");
        gf_resetStopState();
        gf_resetRtReaders();
        g_mainWindowState.session = false;
        g_mainWindowState.qnh = 0;
        resetConversion();
        gf_setUserPositionSource([] { return FeedUserPosition{g_ehamLat, g_ehamLon, 0.7}; });
        gf_updateTrafficBox();
        {
            std::lock_guard lock(g_runMutex);
            g_trafficActive = true;
            g_pendingTrafficRecords.clear();
            g_pendingHistoryRecords.clear();
        }
    }

    void TearDown() override {
        EXPECT_TRUE(gf_stopRtReaders(20000));
        service->releaseStalls();
        service->stop();
        gf_setUserPositionSource(nullptr);
        gf_setFeedSleepHookForTest(nullptr);
    }

    // A session as the run's login step makes it.
    void login() {
        gf_authenticater();
        ASSERT_TRUE(g_trafficReader.hasSession());
    }

    bool logContains(const std::string& text) const { return folder.logContains(text); }

    LoggedFolder folder;
    TempFolder certificates;
    std::unique_ptr<tools::ServiceStandIn> service;
};

}  // namespace zrb::test
