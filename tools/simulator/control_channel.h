#pragma once
// The stand-in's control channel for the demo and for tests of other parts: a
// second loopback port that takes one JSON object per line and answers each
// with one JSON line: {"ok":true,...} or {"ok":false,"error":"..."}.
//
// Commands ("cmd"): "status"; "setUser" (lat, lon, altFt, headingDeg, pitchDeg,
// bankDeg, groundSpeedKt, onGround, title, atcModel, atcId, zuluTime,
// zuluDayOfYear, zuluYear); "pause"; "run"; "stop" (running off);
// "setFrameRate" (hz); "setIdentity" (name, version [4 numbers]);
// "setLiveries" (titles); "refuseTitles" (titles); "setNewObjectCg" (cgFt,
// pitchDeg); "setGroundElevation" (ft); "failCreates" (count);
// "failFlightPlans" (count); "exception" (code, sendId, index); "quit";
// "flightLoaded" (file); "positionChanged"; "frame"; "second";
// "drop" (reset); "addForeign" (title, atcId, lat, lon, altFt, onGround);
// "listObjects"; "events"; "flightPlans"; "connections";
// "packetLog" (last: how many, default all), "clearPacketLog".

#include <atomic>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "simulator/standin.h"

namespace zrb::standin {

// Carries out one command; never throws.
nlohmann::json gf_controlCommand(SimStandin& standin, const nlohmann::json& command);

class ControlChannel {
public:
    explicit ControlChannel(SimStandin& standin) : m_standin(standin) {}
    ~ControlChannel();
    ControlChannel(const ControlChannel&) = delete;
    ControlChannel& operator=(const ControlChannel&) = delete;

    bool start(std::uint16_t port);  // 0: the system picks
    void stop();
    std::uint16_t port() const { return m_port.load(); }

private:
    void acceptLoop();
    void serve(int fd);

    SimStandin& m_standin;
    std::atomic<std::uint16_t> m_port{0};
    std::atomic<bool> m_stopping{false};
    int m_listenFd = -1;
    std::thread m_acceptThread;
    std::mutex m_mutex;  // owns m_clients and m_clientFds
    std::vector<std::thread> m_clients;
    std::vector<int> m_clientFds;
};

}  // namespace zrb::standin
