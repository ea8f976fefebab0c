#pragma once
// The client connected to the stand-in simulator over loopback TCP.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "simconnect/environment.h"
#include "simconnect/received.h"
#include "simconnect/simconnect.h"
#include "simulator/standin.h"
#include "support/temp_folder.h"

namespace zrb::test {

// The platform's real transports, with SimConnect.cfg looked up in `folder`
// only, no registry ports and short close delays.
inline void useLoopbackEnvironment(const std::filesystem::path& folder) {
    auto environment = gf_defaultSimConnectEnvironment();
    environment.cfgFolder = [folder](platform::CfgFolder which) -> std::optional<std::filesystem::path> {
        if (which == platform::CfgFolder::current) return folder;
        return std::nullopt;
    };
    environment.registryPort = [](bool, std::u16string&) { return false; };
    environment.closeDelayBeforeDrain = std::chrono::milliseconds(0);
    environment.closeDelayAfterRelease = std::chrono::milliseconds(0);
    environment.transportWaitStep = std::chrono::milliseconds(5);
    gf_setSimConnectEnvironment(environment);
}

struct Inbox {
    std::vector<std::vector<std::uint8_t>> messages;

    static void collect(const std::uint8_t* data, std::uint32_t size, void* context) {
        static_cast<Inbox*>(context)->messages.emplace_back(data, data + size);
    }
    // Messages with this id, in order of arrival.
    std::vector<std::vector<std::uint8_t>> withId(std::uint32_t id) const {
        std::vector<std::vector<std::uint8_t>> found;
        for (const auto& m : messages) {
            const auto header = gf_recvHeader(m.data(), static_cast<std::uint32_t>(m.size()));
            if (header && header->id == id) found.push_back(m);
        }
        return found;
    }
};

// Dispatches until the condition holds (true) or 10 s have passed (false);
// last holds the last dispatch result.
inline bool pumpUntil(SimConnectHandle handle, Inbox& inbox, const std::function<bool()>& condition,
                      HRESULT* last = nullptr) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (;;) {
        const HRESULT hr = SimConnect_CallDispatch(handle, Inbox::collect, &inbox);
        if (last) *last = hr;
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

class LoopbackFixture : public ::testing::Test {
protected:
    void SetUp() override {
        standin::StandinOptions options;
        options.frameRateHz = 0.0;     // Frame events only on command
        options.secondTicks = false;   // once-a-second answers only on command
        m_standin = std::make_unique<standin::SimStandin>(options);
        ASSERT_TRUE(m_standin->start());
        m_standin->writeSimConnectCfg(m_folder.path());
        useLoopbackEnvironment(m_folder.path());
    }
    void TearDown() override {
        if (m_handle) {
            EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);
        }
        m_standin->stop();
        gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
    }
    void openAndWaitForReply() {
        // Forget an earlier connection's Open reply, so the wait is for this one's.
        m_inbox.messages.clear();
        ASSERT_EQ(SimConnect_Open(&m_handle, "TLVR_P3D", nullptr, 0, nullptr, 0), hresult::ok);
        ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return !m_inbox.withId(2).empty(); }));
    }

    TempFolder m_folder;
    std::unique_ptr<standin::SimStandin> m_standin;
    SimConnectHandle m_handle = nullptr;
    Inbox m_inbox;
};

}  // namespace zrb::test
