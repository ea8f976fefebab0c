#pragma once
// The real SimClient thread against the stand-in simulator on loopback, with
// Log.txt in a temporary current directory. Frame events and the per-second
// answers come only on the test's command, so every step is the test's.

#include <atomic>
#include <memory>
#include <thread>

#include "simconnect/loopback_support.h"
#include "simlink_test_support.h"

namespace zrb::test {

class StandinTest : public ::testing::Test {
protected:
    explicit StandinTest(double frameRateHz = 0.0) {
        resetLink();
        standin::StandinOptions options;
        options.frameRateHz = frameRateHz;
        options.secondTicks = false;
        m_standin = std::make_unique<standin::SimStandin>(options);
        EXPECT_TRUE(m_standin->start());
        m_standin->writeSimConnectCfg(m_folder.path());
        useLoopbackEnvironment(m_folder.path());
    }
    ~StandinTest() override {
        stopClient();
        m_standin->stop();
        gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
        resetLink();
    }

    // A run's start: the queues, then the thread.
    void startClient() {
        gf_resetSimQueues(5);
        m_ended = false;
        m_client = std::jthread([this](std::stop_token stop) {
            gf_simClientThread(stop);
            m_ended = true;
        });
    }
    void stopClient() {
        if (!m_client.joinable()) return;
        m_client.request_stop();
        m_client.join();
    }
    // Started, connected and told that the simulator runs.
    void connect() {
        startClient();
        ASSERT_TRUE(eventually([] { return g_simRunning.load(); }));
        // "Sim" can arrive before the stand-in has taken the later subscriptions;
        // an event emitted before them would be dropped as unsubscribed.
        constexpr std::uint64_t openAndSetUpPackets = 74;
        ASSERT_TRUE(m_standin->waitFor([&] { return m_standin->clientPacketCount() >= openAndSetUpPackets; }));
    }
    bool ended() const { return m_ended.load(); }

    // The client's packets since the log was last cleared.
    std::vector<standin::PacketLogEntry> clientPackets() const {
        std::vector<standin::PacketLogEntry> packets;
        for (auto& entry : m_standin->packetLog())
            if (entry.fromClient) packets.push_back(std::move(entry));
        return packets;
    }
    std::vector<std::uint32_t> clientOpcodes() const {
        std::vector<std::uint32_t> opcodes;
        for (const auto& p : clientPackets()) opcodes.push_back(p.id);
        return opcodes;
    }
    // Every message sent before this one has been dispatched when it returns:
    // the simulator's "Sim" state goes off and on again through the same link.
    void drain() {
        m_standin->setRunning(false);
        ASSERT_TRUE(eventually([] { return !g_simRunning.load(); }));
        m_standin->setRunning(true);
        ASSERT_TRUE(eventually([] { return g_simRunning.load(); }));
    }

    LoggedFolder m_folder;
    std::unique_ptr<standin::SimStandin> m_standin;
    std::jthread m_client;
    std::atomic<bool> m_ended{false};
};

}  // namespace zrb::test
