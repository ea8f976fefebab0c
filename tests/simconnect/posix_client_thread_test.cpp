// Several threads call the client on one connection while another dispatches
// and the stand-in sends Frame events and is steered from yet another thread:
// every packet arrives whole, once, with its own send id.
#include <atomic>
#include <set>
#include <thread>

#include "loopback_support.h"
#include "simconnect/protocol.h"

namespace zrb {
namespace {

using namespace simconnect;

TEST(ClientThreads, ConcurrentCallsArriveWholeWithDistinctSendIds) {
    test::TempFolder folder;
    standin::StandinOptions options;
    options.frameRateHz = 200.0;
    standin::SimStandin standin(options);
    ASSERT_TRUE(standin.start());
    standin.writeSimConnectCfg(folder.path());
    test::useLoopbackEnvironment(folder.path());

    SimConnectHandle handle = nullptr;
    ASSERT_EQ(SimConnect_Open(&handle, "TLVR_P3D", nullptr, 0, nullptr, 0), hresult::ok);
    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(handle, 204, "Frame"), hresult::ok);
    for (const auto& [name, units] : std::vector<std::pair<const char*, const char*>>{
             {"Plane Latitude", "degree"}, {"Plane Longitude", "degree"}, {"Plane Pitch degrees", "radians"},
             {"Plane Bank degrees", "radians"}, {"Plane Heading degrees true", "radians"}, {"Plane Altitude", "feet"},
             {"Vertical Speed", "feet per second"}, {"Airspeed True", "knots"}})
        ASSERT_EQ(SimConnect_AddToDataDefinition(handle, 402, name, units, 4, 0.0f, 0xFFFFFFFF), hresult::ok);
    ASSERT_EQ(SimConnect_MapClientEventToSimEvent(handle, 208, "NAV_LIGHTS_SET"), hresult::ok);
    const std::uint32_t setupPackets = 1 + 1 + 8 + 1;

    constexpr int kThreads = 4;
    constexpr int kCallsPerThread = 300;
    std::atomic<bool> done{false};
    std::atomic<int> failures{0};
    test::Inbox inbox;
    std::atomic<bool> sawFrame{false};
    std::thread dispatcher([&] {
        while (!done.load()) {
            if (SimConnect_CallDispatch(handle, test::Inbox::collect, &inbox) != hresult::ok) failures.fetch_add(1);
            if (!sawFrame.load() && !inbox.withId(msgEventFrame).empty()) sawFrame.store(true);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    std::thread steering([&] {
        for (int i = 0; i < 200 && !done.load(); ++i) {
            standin.setUserPosition(47.0 + i * 1e-4, 8.0, 1000.0);
            (void)standin.aiObjects();
            (void)standin.connections();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
    });
    std::vector<std::thread> callers;
    for (int t = 0; t < kThreads; ++t) {
        callers.emplace_back([&, t] {
            double block[8] = {};
            for (int i = 0; i < kCallsPerThread; ++i) {
                block[0] = t * 1000 + i;
                const HRESULT hr = (i % 3 == 0) ? SimConnect_TransmitClientEvent(handle, 0, 208, 1, 301, 0)
                                                : SimConnect_SetDataOnSimObject(handle, 402, 0, 0, 0, sizeof block, block);
                if (hr != hresult::ok) failures.fetch_add(1);
            }
        });
    }
    for (auto& c : callers) c.join();
    const std::uint64_t expected = setupPackets + kThreads * kCallsPerThread;
    EXPECT_TRUE(standin.waitFor([&] { return standin.clientPacketCount() == expected; }));
    // On a fast machine the calls can all be through before the first Frame.
    EXPECT_TRUE(standin.waitFor([&] { return sawFrame.load(); }));
    done.store(true);
    dispatcher.join();
    steering.join();

    EXPECT_EQ(failures.load(), 0);
    EXPECT_TRUE(inbox.withId(msgException).empty());  // every packet was whole and valid
    EXPECT_FALSE(inbox.withId(msgEventFrame).empty());
    std::set<std::uint32_t> sendIds;
    for (const auto& entry : standin.packetLog())
        if (entry.fromClient) sendIds.insert(entry.sendId);
    EXPECT_EQ(sendIds.size(), expected);
    EXPECT_EQ(*sendIds.begin(), 1u);
    EXPECT_EQ(*sendIds.rbegin(), expected);
    EXPECT_EQ(standin.events().size(), static_cast<std::size_t>(kThreads * kCallsPerThread / 3));

    EXPECT_EQ(SimConnect_Close(handle), hresult::ok);
    standin.stop();
    gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
}

}  // namespace
}  // namespace zrb
