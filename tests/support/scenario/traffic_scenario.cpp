#include "support/scenario/traffic_scenario.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <stdexcept>
#include <thread>

#include "build_config.h"
#include "config/parameters.h"
#include "config/settings_fixture.h"
#include "config/paths.h"
#include "liveries/dbase.h"
#include "liveries/livery_fixture.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "simconnect/loopback_support.h"
#include "simconnect/received.h"
#include "simlink/sim_client.h"
#include "simlink/sim_link.h"
#include "simlink/sim_setup.h"
#include "traffic/traffic_manager.h"
#include "traffic/stand_search.h"

namespace zrb::test {

namespace {

constexpr std::uint32_t clientDataMessage = 16;  // the stand-in's marker
constexpr int passesPerSecond = 100;
constexpr int maxSettleRounds = 1000;
constexpr auto settleLimit = std::chrono::seconds(10);

// The virtual system clock (gf_setSystemClock takes a plain function).
std::atomic<Seconds> g_virtualNow{0};
Seconds lf_virtualClock() { return g_virtualNow.load(); }

// One generic livery per type of the sample database.
std::vector<FixtureLivery> lf_sampleLiveries() {
    std::vector<FixtureLivery> liveries;
    for (const char* type : {"A319", "A320", "A20N", "A321", "A388", "B738", "B744", "B748", "B763", "B77L", "B77W",
                             "MD11", "C172", "PA28", "C56X", "GLF5", "CRJ9", "EC35", "R44", "F16"})
        liveries.push_back(FixtureLivery{"ZZZ", type, std::string("Stand-in ") + type});
    return liveries;
}

void lf_resetManagerAndLink() {
    g_stopProgram = false;
    gf_resetStopState();
    gf_resetSimLink(5);
    lf_resetDispatchState();
    gf_resetMessageLine();
    gf_clearStandTable();
    gf_resetTraffic();
    (void)gf_takeSimNotices();
    g_passTick = 0;
}

}  // namespace

TrafficScenario::TrafficScenario(ScenarioOptions options) : m_options(options) {
    g_virtualNow = m_options.start;
    gf_setSystemClock(&lf_virtualClock);
    resetAllParameters();
    LOG.value = m_options.log;
    SIM_INSTALL_PATH.value = std::string("C:\\Prepar3D v5");
    gf_setWorkingRange(RANGE.value);
    gf_setProgramDataFolderForTest(dataFolder());
    std::filesystem::create_directories(dataFolder());
    gf_readDbaseXml(std::filesystem::path(build::sourceDir) / "tests" / "data" / "dbase_sample.xml");
    buildLiveryTables(lf_sampleLiveries());
    g_failedKeys.clear();

    standin::StandinOptions standinOptions;
    standinOptions.frameRateHz = 0.0;     // Frames only from the passes
    standinOptions.secondTicks = false;   // per-second answers only from the passes
    m_sim = std::make_unique<standin::SimStandin>(standinOptions);
    if (!m_sim->start()) throw std::runtime_error("the stand-in simulator does not start");
    m_sim->setReportedFrameRate(m_options.frameRate);
    m_sim->setGroundElevationFt(m_options.groundElevationFt);
    standin::UserState user = m_sim->user();
    user.aircraft.latitudeDeg = m_options.userLat;
    user.aircraft.longitudeDeg = m_options.userLon;
    user.aircraft.altitudeFt = m_options.groundElevationFt;
    user.aircraft.onGround = true;
    m_sim->setUser(user);
    // Small packets go out at once: Nagle's delay would cost 40 ms a round.
    writeFile(m_folder.path() / "SimConnect.cfg", "[SimConnect]\r\nProtocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" +
                                                    std::to_string(m_sim->port()) + "\r\nDisableNagle=1\r\n");
    useLoopbackEnvironment(m_folder.path());

    lf_resetManagerAndLink();
    gf_reserveTrafficLists();
    gf_createFlightPlanFolder();
    {
        std::lock_guard lock(g_runMutex);
        g_trafficActive = true;
    }

    // The run's start as the SimClient thread and lf_run make it.
    if (!gf_succeeded(SimConnect_Open(&m_handle, g_simConnectClientName, nullptr, 0, nullptr, 0)) || m_handle == nullptr)
        throw std::runtime_error("SimConnect_Open to the stand-in failed");
    {
        std::lock_guard lock(g_simConnectMutex);
        g_hSimConnect = m_handle;
    }
    g_simNotConnected = false;
    lf_setupSimConnect(m_handle);
    settle();
    if (!g_simRunning) throw std::runtime_error("the stand-in does not report a running simulator");
    gf_requestUserAcOnGround();
    gf_requestUserAcTitleAndModel();
    (void)gf_getUserAcPosition();
    m_sim->tickSecond();
    m_inbound = true;
    settle();
}

TrafficScenario::~TrafficScenario() {
    {
        std::lock_guard lock(g_runMutex);
        g_trafficActive = false;
    }
    {
        std::lock_guard lock(g_simConnectMutex);
        g_hSimConnect = nullptr;
    }
    if (m_handle != nullptr) SimConnect_Close(m_handle);
    m_sim->stop();
    gf_setSimConnectEnvironment(gf_defaultSimConnectEnvironment());
    lf_resetManagerAndLink();
    gf_removeFlightPlanFolder();
    resetLiveryTables();
    g_failedKeys.clear();
    gf_setProgramDataFolderForTest({});
    gf_setSystemClock(nullptr);
    resetAllParameters();
}

std::filesystem::path TrafficScenario::dataFolder() const { return m_folder.path() / "data"; }

void TrafficScenario::pass() {
    lf_handleAddingStack();
    ++m_passes;
    g_virtualNow = m_options.start + m_passes / passesPerSecond;
    if (m_passes % m_options.passesPerFrame == 0) {
        m_sim->emitFrame();
        m_inbound = true;
    }
    const bool second = m_passes % passesPerSecond == 0;
    if (second) {
        m_sim->tickSecond();
        m_inbound = true;
    }
    settle();
    if (second && everySecond) everySecond();
}

void TrafficScenario::passes(int count) {
    for (int i = 0; i < count; ++i) pass();
}

bool TrafficScenario::passUntil(const std::function<bool()>& condition, int maxPasses) {
    for (int i = 0; i < maxPasses; ++i) {
        if (condition()) return true;
        pass();
    }
    return condition();
}

std::int32_t TrafficScenario::tick() const { return g_passTick.load(); }

Seconds TrafficScenario::now() const { return g_virtualNow.load(); }

TrafficRecord TrafficScenario::record(const Flight& flight, double lat, double lon, double altitudeFt,
                                      double groundSpeedKt, double headingDeg, double verticalRateFpm,
                                      double secondsLater) const {
    TrafficRecord r;
    r.type = flight.type;
    r.departure = flight.departure;
    r.destination = flight.destination;
    r.callsign = flight.callsign;
    r.registration = flight.registration;
    r.hexId = flight.hexId;
    r.time = now() + static_cast<Seconds>(secondsLater);
    PosSample& s = r.sample;
    s.lat = lat;
    s.lon = lon;
    s.altitude = altitudeFt;
    s.groundSpeed = groundSpeedKt;
    s.speed = groundSpeedKt;
    s.heading = headingDeg;
    s.verticalRate = verticalRateFpm;
    s.airborne = altitudeFt > 0.0 ? 1 : 0;
    return r;
}

bool TrafficScenario::feedLive(std::vector<TrafficRecord> batch) {
    bool free = false;
    {
        std::lock_guard lock(g_runMutex);
        free = g_pendingTrafficRecords.empty();
    }
    gf_scheduleTrafficRecords(batch, g_livePollDelaySeconds);
    return free;
}

void TrafficScenario::setUser(double lat, double lon, double altitudeFt, bool onGround) {
    standin::UserState user = m_sim->user();
    user.aircraft.latitudeDeg = lat;
    user.aircraft.longitudeDeg = lon;
    user.aircraft.altitudeFt = altitudeFt;
    user.aircraft.onGround = onGround;
    m_sim->setUser(user);
}

void TrafficScenario::frame() {
    m_sim->emitFrame();
    m_inbound = true;
    settle();
}

std::uint32_t TrafficScenario::lastSentId() const {
    std::uint32_t id = 0;
    if (!gf_succeeded(SimConnect_GetLastSentPacketID(m_handle, &id))) throw std::runtime_error("the link is gone");
    return id;
}

void TrafficScenario::settle() {
    for (int round = 0; round < maxSettleRounds; ++round) {
        const std::uint32_t sent = lastSentId();
        if (sent == m_settledSendId && !m_inbound) return;
        if (!m_sim->waitHandled(sent, settleLimit))
            throw std::runtime_error("the stand-in did not handle the client's packets in time");
        m_inbound = false;
        const std::uint32_t marker = ++m_marker;
        m_sim->sendMarker(marker);
        dispatchUntilMarker(marker);
        m_settledSendId = sent;
    }
    throw std::runtime_error("the client and the stand-in do not come to rest");
}

void TrafficScenario::dispatchUntilMarker(std::uint32_t marker) {
    const auto until = std::chrono::steady_clock::now() + settleLimit;
    while (m_seenMarker != marker) {
        if (!gf_succeeded(SimConnect_CallDispatch(m_handle, &TrafficScenario::lf_harnessDispatch, this)))
            throw std::runtime_error("the link to the stand-in broke");
        if (m_seenMarker == marker) return;
        if (std::chrono::steady_clock::now() > until) throw std::runtime_error("the marker did not come back");
        std::this_thread::yield();
    }
}

void TrafficScenario::lf_harnessDispatch(const std::uint8_t* message, std::uint32_t size, void* context) {
    const auto header = gf_recvHeader(message, size);
    if (header && header->id == clientDataMessage && size >= 16) {
        std::uint32_t marker = 0;
        std::memcpy(&marker, message + 12, sizeof marker);
        static_cast<TrafficScenario*>(context)->m_seenMarker = marker;
        return;
    }
    lf_dispatch(message, size, nullptr);
}

}  // namespace zrb::test
