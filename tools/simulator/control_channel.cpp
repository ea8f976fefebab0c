#include "simulator/control_channel.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace zrb::standin {

namespace {

using nlohmann::json;

std::string lf_hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (const auto b : bytes) {
        text.push_back(digits[b >> 4]);
        text.push_back(digits[b & 15]);
    }
    return text;
}

json lf_aircraftJson(const SimAircraft& a) {
    return json{{"objectId", a.objectId},
                {"title", a.title},
                {"atcId", a.atcId},
                {"lat", a.latitudeDeg},
                {"lon", a.longitudeDeg},
                {"altFt", a.altitudeFt},
                {"pitchDeg", a.pitchDeg},
                {"bankDeg", a.bankDeg},
                {"headingDeg", a.headingDeg},
                {"onGround", a.onGround},
                {"released", a.released},
                {"frozen", a.frozenLatLon && a.frozenAltitude && a.frozenAttitude},
                {"positionUpdates", a.positionUpdates},
                {"flightPlan", a.flightPlan},
                {"lightStates", a.lightStates},
                {"lastEvents", a.lastEvents}};
}

json lf_run(SimStandin& s, const json& c) {
    const std::string cmd = c.at("cmd").get<std::string>();
    if (cmd == "status") {
        return json{{"port", s.port()}, {"connections", s.connections().size()}, {"objects", s.aiObjects().size()}};
    }
    if (cmd == "setUser") {
        UserState u = s.user();
        auto& a = u.aircraft;
        a.latitudeDeg = c.value("lat", a.latitudeDeg);
        a.longitudeDeg = c.value("lon", a.longitudeDeg);
        a.altitudeFt = c.value("altFt", a.altitudeFt);
        a.headingDeg = c.value("headingDeg", a.headingDeg);
        a.pitchDeg = c.value("pitchDeg", a.pitchDeg);
        a.bankDeg = c.value("bankDeg", a.bankDeg);
        a.groundSpeedKt = c.value("groundSpeedKt", a.groundSpeedKt);
        a.onGround = c.value("onGround", a.onGround);
        a.title = c.value("title", a.title);
        a.atcModel = c.value("atcModel", a.atcModel);
        a.atcId = c.value("atcId", a.atcId);
        u.zuluTimeS = c.value("zuluTime", u.zuluTimeS);
        u.zuluDayOfYear = c.value("zuluDayOfYear", u.zuluDayOfYear);
        u.zuluYear = c.value("zuluYear", u.zuluYear);
        s.setUser(u);
        return json::object();
    }
    if (cmd == "pause") return s.setPaused(true), json::object();
    if (cmd == "run") return s.setPaused(false), s.setRunning(true), json::object();
    if (cmd == "stop") return s.setRunning(false), json::object();
    if (cmd == "setFrameRate") return s.setFrameRate(c.at("hz").get<double>()), json::object();
    if (cmd == "setIdentity") {
        SimIdentity identity;
        identity.name = c.value("name", identity.name);
        if (c.contains("version")) {
            const auto& v = c.at("version");
            identity.versionMajor = v.at(0).get<std::uint32_t>();
            identity.versionMinor = v.at(1).get<std::uint32_t>();
            identity.buildMajor = v.at(2).get<std::uint32_t>();
            identity.buildMinor = v.at(3).get<std::uint32_t>();
        }
        s.setIdentity(identity);
        return json::object();
    }
    if (cmd == "setLiveries") return s.setLiveries(c.at("titles").get<std::vector<std::string>>()), json::object();
    if (cmd == "refuseTitles") return s.setRefusedTitles(c.at("titles").get<std::vector<std::string>>()), json::object();
    if (cmd == "setNewObjectCg") {
        s.setNewObjectCg(c.value("cgFt", 8.0), c.value("pitchDeg", 0.0));
        return json::object();
    }
    if (cmd == "setGroundElevation") return s.setGroundElevationFt(c.at("ft").get<double>()), json::object();
    if (cmd == "failCreates") return s.failNextCreates(c.value("count", 1)), json::object();
    if (cmd == "failFlightPlans") return s.failNextFlightPlans(c.value("count", 1)), json::object();
    if (cmd == "exception") {
        s.emitException(c.at("code").get<std::uint32_t>(), c.value("sendId", 0u), c.value("index", 0u));
        return json::object();
    }
    if (cmd == "quit") return s.emitQuit(), json::object();
    if (cmd == "flightLoaded") return s.emitFlightLoaded(c.value("file", std::string("flights\\other.fxml"))), json::object();
    if (cmd == "positionChanged") return s.emitPositionChanged(), json::object();
    if (cmd == "frame") return s.emitFrame(), json::object();
    if (cmd == "second") return s.tickSecond(), json::object();
    if (cmd == "drop") return s.dropClients(c.value("reset", false)), json::object();
    if (cmd == "addForeign") {
        SimAircraft a;
        a.title = c.value("title", std::string("Foreign Aircraft"));
        a.atcId = c.value("atcId", std::string("FOREIGN"));
        a.latitudeDeg = c.value("lat", s.user().aircraft.latitudeDeg);
        a.longitudeDeg = c.value("lon", s.user().aircraft.longitudeDeg);
        a.altitudeFt = c.value("altFt", 0.0);
        a.onGround = c.value("onGround", true);
        return json{{"objectId", s.addForeignAircraft(a)}};
    }
    if (cmd == "listObjects") {
        json list = json::array();
        for (const auto& a : s.aiObjects()) list.push_back(lf_aircraftJson(a));
        return json{{"objects", list}};
    }
    if (cmd == "events") {
        json list = json::array();
        for (const auto& e : s.events())
            list.push_back({{"objectId", e.objectId}, {"eventId", e.eventId}, {"name", e.eventName},
                            {"data", e.data}, {"groupId", e.groupId}});
        return json{{"events", list}};
    }
    if (cmd == "flightPlans") {
        json list = json::array();
        for (const auto& p : s.flightPlans())
            list.push_back({{"objectId", p.objectId}, {"path", p.path}, {"accepted", p.accepted},
                            {"departure", p.departure}, {"destination", p.destination}});
        return json{{"flightPlans", list}};
    }
    if (cmd == "connections") {
        json list = json::array();
        for (const auto& i : s.connections())
            list.push_back({{"id", i.id}, {"open", i.open}, {"name", i.applicationName},
                            {"lastSendId", i.lastSendId}, {"subscriptions", i.subscriptions}});
        return json{{"connections", list}};
    }
    if (cmd == "packetLog") {
        const auto log = s.packetLog();
        const std::size_t last = c.value("last", log.size());
        json list = json::array();
        for (std::size_t i = log.size() - std::min(last, log.size()); i < log.size(); ++i)
            list.push_back({{"connection", log[i].connection}, {"fromClient", log[i].fromClient},
                            {"id", log[i].id}, {"sendId", log[i].sendId}, {"bytes", lf_hex(log[i].bytes)}});
        return json{{"packets", list}};
    }
    if (cmd == "clearPacketLog") return s.clearPacketLog(), json::object();
    throw std::invalid_argument("unknown command '" + cmd + "'");
}

}  // namespace

json gf_controlCommand(SimStandin& standin, const json& command) {
    try {
        json answer = lf_run(standin, command);
        answer["ok"] = true;
        return answer;
    } catch (const std::exception& e) {
        return json{{"ok", false}, {"error", e.what()}};
    }
}

ControlChannel::~ControlChannel() { stop(); }

bool ControlChannel::start(std::uint16_t port) {
    m_listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) return false;
    const int on = 1;
    ::setsockopt(m_listenFd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(m_listenFd, 4) != 0) {
        ::close(m_listenFd);
        m_listenFd = -1;
        return false;
    }
    ::getsockname(m_listenFd, reinterpret_cast<sockaddr*>(&address), &length);
    m_port.store(ntohs(address.sin_port));
    m_acceptThread = std::thread([this] { acceptLoop(); });
    return true;
}

void ControlChannel::stop() {
    if (m_stopping.exchange(true)) return;
    if (m_listenFd >= 0) ::shutdown(m_listenFd, SHUT_RDWR);
    if (m_acceptThread.joinable()) m_acceptThread.join();
    std::vector<std::thread> clients;
    {
        std::lock_guard lock(m_mutex);
        for (const int fd : m_clientFds) ::shutdown(fd, SHUT_RDWR);
        clients.swap(m_clients);
    }
    for (auto& t : clients) t.join();
    if (m_listenFd >= 0) ::close(m_listenFd);
    m_listenFd = -1;
}

void ControlChannel::acceptLoop() {
    while (!m_stopping.load()) {
        const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR) continue;
            return;
        }
        std::lock_guard lock(m_mutex);
        m_clientFds.push_back(fd);
        m_clients.emplace_back([this, fd] {
            try {
                serve(fd);
            } catch (const std::exception& e) {
                std::fprintf(stderr, "stand-in control thread: %s\n", e.what());
            }
            std::lock_guard cleanup(m_mutex);
            std::erase(m_clientFds, fd);
            ::close(fd);
        });
    }
}

void ControlChannel::serve(int fd) {
    std::string pending;
    char chunk[4096];
    while (!m_stopping.load()) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(chunk, static_cast<std::size_t>(n));
        std::size_t end = 0;
        while ((end = pending.find('\n')) != std::string::npos) {
            const std::string line = pending.substr(0, end);
            pending.erase(0, end + 1);
            if (line.find_first_not_of(" \t\r") == std::string::npos) continue;
            const json command = json::parse(line, nullptr, false);
            const json answer = command.is_object() ? gf_controlCommand(m_standin, command)
                                                    : json{{"ok", false}, {"error", "not a JSON object"}};
            const std::string text = answer.dump(-1, ' ', false, json::error_handler_t::replace) + "\n";
            std::size_t done = 0;
            while (done < text.size()) {
                const ssize_t sent = ::send(fd, text.data() + done, text.size() - done, MSG_NOSIGNAL);
                if (sent <= 0) break;
                done += static_cast<std::size_t>(sent);
            }
        }
    }
}

}  // namespace zrb::standin
