// The worker, a feed thread and the SimClient thread on one link at once: the
// queues, the position double buffer and the user record stay whole, and a
// busy mutex costs a pass of position updates only at low frame rates.
#include <future>

#include "standin_fixture.h"

namespace zrb::test {
namespace {

using namespace simconnect;

constexpr double userLat = 47.4647;
constexpr double userLon = 8.5492;

std::uint32_t lf_addAircraft(standin::SimStandin& standin) {
    standin::SimAircraft ai;
    ai.title = "Foreign";
    ai.atcId = "FOR1";
    ai.latitudeDeg = userLat;
    ai.longitudeDeg = userLon + 0.01;
    return standin.addForeignAircraft(ai);
}

PosUpdate lf_update(std::uint32_t objectId, double lat) {
    PosUpdate u;
    u.objectId = objectId;
    u.block.latitudeDeg = lat;
    u.block.longitudeDeg = userLon;
    u.block.altitudeFt = 2000.0;
    return u;
}

class FastFrames : public StandinTest {
protected:
    FastFrames() : StandinTest(400.0) {}
};

TEST_F(FastFrames, TheWorkerQueuesWhileTheSimClientThreadFlushes) {
    connect();
    const std::uint32_t a = lf_addAircraft(*m_standin);
    drain();
    constexpr int passes = 1500;
    constexpr int eventEvery = 10;
    std::atomic<bool> workerDone{false};
    std::thread worker([&] {
        for (int i = 0; i < passes; ++i) {
            gf_writePosUpdate(lf_update(a, userLat + i * 1e-6));
            (void)gf_exchangePosUpdates();
            if (i % eventEvery == 0)
                gf_queueClientEvent(ClientEventRequest{a, evTaxiLightsSet, static_cast<std::uint32_t>(i / eventEvery % 2)});
            if (i % 100 == 0) (void)gf_getUserAcPosition();
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        workerDone = true;
    });
    std::thread feed([&] {
        while (!workerDone) {
            (void)gf_feedUserPosition();
            (void)gf_getCurrentUserStand();
            (void)gf_queuedClientEvents();
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
    });
    worker.join();
    feed.join();
    EXPECT_TRUE(eventually([&] { return m_standin->events().size() == passes / eventEvery; }));
    EXPECT_TRUE(eventually([&] {
        for (const auto& o : m_standin->aiObjects())
            if (o.objectId == a) return o.positionUpdates > 0;
        return false;
    }));
    EXPECT_FALSE(m_folder.logContains("SIMCONNECT_EXCEPTION"));
    EXPECT_FALSE(g_simConnectError);
}

class ManualFrames : public StandinTest {};

// Holds g_simConnectMutex on a thread of its own until released.
class MutexHolder {
public:
    MutexHolder()
        : m_thread([this] {
              const std::lock_guard lock(g_simConnectMutex);
              m_held.set_value();
              m_release.get_future().wait();
          }) {
        m_held.get_future().wait();
    }
    ~MutexHolder() { release(); }
    void release() {
        if (!m_thread.joinable()) return;
        m_release.set_value();
        m_thread.join();
    }

private:
    std::promise<void> m_held;
    std::promise<void> m_release;
    std::thread m_thread;
};

TEST_F(ManualFrames, ABusyMutexDropsThePassAtLowFrameRatesAndWaitsAtHighOnes) {
    connect();
    const std::uint32_t a = lf_addAircraft(*m_standin);
    drain();
    m_standin->clearPacketLog();

    g_simFrameRate = 30.0F;
    {
        MutexHolder holder;
        gf_writePosUpdate(lf_update(a, userLat + 0.001));
        EXPECT_FALSE(gf_exchangePosUpdates());  // returns at once, the pass is dropped
    }
    m_standin->emitFrame();
    drain();
    EXPECT_TRUE(clientPackets().empty());

    g_simFrameRate = 60.0F;
    std::future<bool> exchanged;
    {
        MutexHolder holder;
        exchanged = std::async(std::launch::async, [&] {
            gf_writePosUpdate(lf_update(a, userLat + 0.002));
            return gf_exchangePosUpdates();  // waits for the holder
        });
        holder.release();
        EXPECT_TRUE(exchanged.get());
    }
    m_standin->emitFrame();
    ASSERT_TRUE(eventually([&] { return !clientPackets().empty(); }));
    EXPECT_EQ(clientPackets()[0].id, opSetDataOnSimObject);
}

}  // namespace
}  // namespace zrb::test
