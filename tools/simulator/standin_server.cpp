// The stand-in's sockets and threads, its control methods and its records.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <fcntl.h>
#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fstream>
#include <utility>

#include "simconnect/protocol.h"
#include "simulator/flight_record.h"
#include "simulator/standin_connection.h"

namespace zrb::standin {

namespace {

using namespace simconnect;

constexpr std::uint32_t kMaxClientPacketBytes = 1024 * 1024;
constexpr std::size_t kReadChunkBytes = 64 * 1024;
constexpr auto kOneSecond = std::chrono::seconds(1);
constexpr double kMaxFrameRateHz = 1000.0;
constexpr std::uint32_t kClientDataMessage = 16;  // SIMCONNECT_RECV_ID_CLIENT_DATA

int lf_listen(int family, std::uint16_t port, std::uint16_t& bound) {
    const int fd = ::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_storage address{};
    socklen_t length = 0;
    if (family == AF_INET) {
        auto* a = reinterpret_cast<sockaddr_in*>(&address);
        a->sin_family = AF_INET;
        a->sin_port = htons(port);
        a->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof(sockaddr_in);
    } else {
        auto* a = reinterpret_cast<sockaddr_in6*>(&address);
        a->sin6_family = AF_INET6;
        a->sin6_port = htons(port);
        a->sin6_addr = in6addr_loopback;
        ::setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
        length = sizeof(sockaddr_in6);
    }
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        return -1;
    }
    length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    bound = ntohs(family == AF_INET ? reinterpret_cast<sockaddr_in*>(&address)->sin_port
                                    : reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return fd;
}

// The top of every stand-in thread: nothing may escape it.
template <typename Body>
void lf_guarded(const char* name, Body body) {
    try {
        body();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "stand-in %s thread: %s\n", name, e.what());
    } catch (...) {
        std::fprintf(stderr, "stand-in %s thread: unknown exception\n", name);
    }
}

}  // namespace

std::string gf_lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c); });
    return text;
}

SimStandin::SimStandin(StandinOptions options) : m_options(options), m_frameRateHz(options.frameRateHz) {
    m_user.aircraft.objectId = 1;
    m_user.aircraft.title = "Stand-in User Aircraft";
    m_user.aircraft.atcId = "N12345";
    m_user.aircraft.atcModel = "B738";
    m_user.aircraft.latitudeDeg = 47.4647;
    m_user.aircraft.longitudeDeg = 8.5492;
    m_user.aircraft.altitudeFt = 1416.0;
    m_groundElevationFt = 1416.0;
}

SimStandin::~SimStandin() { stop(); }

bool SimStandin::start() {
    if (m_listenFd >= 0) return true;
    std::uint16_t bound = 0;
    m_listenFd = lf_listen(AF_INET, m_options.port, bound);
    if (m_listenFd < 0) return false;
    m_port.store(bound);
    if (m_options.listenIPv6) {
        m_listenFd6 = lf_listen(AF_INET6, m_options.portIPv6, bound);
        if (m_listenFd6 >= 0) m_portIPv6.store(bound);
    }
    if (::pipe2(m_wakePipe, O_CLOEXEC) != 0) return false;
    m_stopping.store(false);
    m_acceptThread = std::thread([this] { lf_guarded("accept", [this] { acceptLoop(); }); });
    m_tickerThread = std::thread([this] { lf_guarded("ticker", [this] { tickerLoop(); }); });
    return true;
}

void SimStandin::stop() {
    if (m_stopping.exchange(true)) return;
    if (m_wakePipe[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] auto n = ::write(m_wakePipe[1], &byte, 1);
    }
    // The ticker tests the flag and starts waiting under m_stateMutex: once the
    // mutex was had here, it either sees the flag or is waiting for this call.
    { std::lock_guard lock(m_stateMutex); }
    m_tickerWake.notify_all();
    if (m_acceptThread.joinable()) m_acceptThread.join();
    if (m_tickerThread.joinable()) m_tickerThread.join();
    std::vector<ConnectionPtr> connections;
    std::vector<std::thread> readers;
    {
        std::lock_guard lock(m_stateMutex);
        connections = m_connections;
        readers.swap(m_readers);
    }
    for (const auto& c : connections) {
        std::lock_guard sendLock(c->sendMutex);
        if (c->fd >= 0) ::shutdown(c->fd, SHUT_RDWR);
    }
    for (auto& reader : readers)
        if (reader.joinable()) reader.join();
    for (int* fd : {&m_listenFd, &m_listenFd6, &m_wakePipe[0], &m_wakePipe[1]}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
}

std::filesystem::path SimStandin::writeSimConnectCfg(const std::filesystem::path& folder) const {
    const auto path = folder / "SimConnect.cfg";
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "[SimConnect]\r\nProtocol=IPv4\r\nAddress=127.0.0.1\r\nPort=" << port() << "\r\n";
    return path;
}

void SimStandin::acceptLoop() {
    while (!m_stopping.load()) {
        pollfd fds[3] = {{m_wakePipe[0], POLLIN, 0}, {m_listenFd, POLLIN, 0}, {m_listenFd6, POLLIN, 0}};
        const nfds_t count = m_listenFd6 >= 0 ? 3 : 2;
        if (::poll(fds, count, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[0].revents != 0 || m_stopping.load()) return;
        for (nfds_t i = 1; i < count; ++i) {
            if ((fds[i].revents & POLLIN) == 0) continue;
            const int fd = ::accept4(fds[i].fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0) continue;
            const int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
            auto connection = std::make_shared<Connection>();
            connection->fd = fd;
            std::lock_guard lock(m_stateMutex);
            connection->id = m_nextConnectionId++;
            connection->info.id = connection->id;
            m_connections.push_back(connection);
            m_readers.emplace_back([this, connection] {
                lf_guarded("reader", [&] { readerLoop(connection); });
                closeConnection(connection, false);
            });
        }
    }
}

void SimStandin::readerLoop(ConnectionPtr connection) {
    std::vector<std::uint8_t> pending;
    std::vector<std::uint8_t> chunk(kReadChunkBytes);
    bool protocolError = false;
    while (!m_stopping.load() && !connection->closed.load()) {
        const ssize_t n = ::recv(connection->fd, chunk.data(), chunk.size(), 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.insert(pending.end(), chunk.begin(), chunk.begin() + n);
        std::size_t consumed = 0;
        for (;;) {
            ClientPacket packet;
            const ClientFrame result = gf_frameClientPacket(pending, consumed, packet, kMaxClientPacketBytes);
            if (result == ClientFrame::needMore) break;
            if (result == ClientFrame::bad) {
                std::fprintf(stderr, "stand-in: connection %u sent a bad packet size, closing it\n", connection->id);
                protocolError = true;
                break;
            }
            m_clientPackets.fetch_add(1);
            logPacket(PacketLogEntry{connection->id, true, packet.opcode(), packet.sendId, packet.bytes});
            std::lock_guard lock(m_stateMutex);
            handlePacket(*connection, packet);
        }
        pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(consumed));
        flushOutboxes();
        { std::lock_guard lock(m_stateMutex); }
        m_handled.notify_all();
        if (protocolError) break;
    }
    if (connection->resetOnClose.load()) {
        std::lock_guard sendLock(connection->sendMutex);
        const linger hard{1, 0};
        ::setsockopt(connection->fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
        ::close(connection->fd);
        connection->fd = -1;
    }
    closeConnection(connection, false);
}

void SimStandin::closeConnection(const ConnectionPtr& connection, bool reset) {
    // Asked before the connection counts as closed: a reader that sees it
    // closed between its packets, without the shutdown's wake-up, must still
    // close with the reset.
    if (reset) connection->resetOnClose.store(true);
    if (connection->closed.exchange(true)) return;
    {
        std::lock_guard sendLock(connection->sendMutex);
        if (reset) {
            // Wakes the reader, which then closes the socket with linger 0 so
            // that the peer sees a reset; only the reader closes the descriptor.
            if (connection->fd >= 0) ::shutdown(connection->fd, SHUT_RD);
        } else if (connection->fd >= 0) {
            ::shutdown(connection->fd, SHUT_RDWR);
        }
    }
    {
        std::lock_guard lock(m_stateMutex);
        std::erase(m_connections, connection);
        // A client that goes away takes its AI objects with it, so that restarts
        // of the program do not pile up orphans.
        removeObjectsOf(connection->id);
    }
    flushOutboxes();
}

void SimStandin::tickerLoop() {
    using Clock = std::chrono::steady_clock;
    auto nextFrame = Clock::now();
    auto nextSecond = Clock::now() + kOneSecond;
    std::unique_lock lock(m_stateMutex);
    while (!m_stopping.load()) {
        const double rate = std::min(m_frameRateHz, kMaxFrameRateHz);
        const auto now = Clock::now();
        auto wakeAt = m_options.secondTicks ? nextSecond : now + kOneSecond;
        if (rate > 0.0) wakeAt = std::min(wakeAt, nextFrame);
        m_tickerWake.wait_until(lock, wakeAt);
        if (m_stopping.load()) break;
        const auto later = Clock::now();
        bool due = false;
        if (rate > 0.0 && later >= nextFrame) {
            lock.unlock();
            emitFrame();
            lock.lock();
            const auto interval = std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / rate));
            nextFrame += interval;
            if (nextFrame < later) nextFrame = later + interval;  // do not try to catch up a stall
            due = true;
        }
        if (m_options.secondTicks && later >= nextSecond) {
            nextSecond += kOneSecond;
            if (nextSecond < later) nextSecond = later + kOneSecond;
            answerPeriodic(periodSecond);
            due = true;
        }
        if (due) {
            lock.unlock();
            flushOutboxes();
            lock.lock();
        }
    }
}

void SimStandin::queue(Connection& c, std::vector<std::uint8_t> message) {
    ByteReader reader(message);
    logPacket(PacketLogEntry{c.id, false, reader.u32(8).value_or(0), 0, message});
    std::lock_guard lock(c.outMutex);
    c.outbox.push_back(std::move(message));
}

void SimStandin::flushOutboxes() {
    std::vector<ConnectionPtr> connections;
    {
        std::lock_guard lock(m_stateMutex);
        connections = m_connections;
    }
    for (const auto& c : connections) {
        std::lock_guard sendLock(c->sendMutex);
        while (!c->closed.load()) {
            std::vector<std::uint8_t> message;
            {
                std::lock_guard lock(c->outMutex);
                if (c->outbox.empty()) break;
                message = std::move(c->outbox.front());
                c->outbox.pop_front();
            }
            std::size_t done = 0;
            while (done < message.size() && !c->closed.load()) {
                const ssize_t n = ::send(c->fd, message.data() + done, message.size() - done, MSG_NOSIGNAL);
                if (n < 0 && errno == EINTR) continue;
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
        }
    }
}

void SimStandin::logPacket(PacketLogEntry entry) {
    std::lock_guard lock(m_logMutex);
    m_packetLog.push_back(std::move(entry));
    while (m_packetLog.size() > m_options.packetLogLimit) m_packetLog.pop_front();
}

void SimStandin::queueException(Connection& c, std::uint32_t code, std::uint32_t sendId, std::uint32_t index) {
    queue(c, MessageBuilder(msgException).u32(code).u32(sendId).u32(index).finish());
}

void SimStandin::queueSystemEvent(const std::string& eventName,
                                  const std::function<std::vector<std::uint8_t>(std::uint32_t)>& build) {
    const std::string key = gf_lower(eventName);
    for (const auto& c : m_connections) {
        const auto it = c->systemEvents.find(key);
        if (it != c->systemEvents.end() && c->info.open) queue(*c, build(it->second));
    }
}

void SimStandin::queueSimState() {
    const std::uint32_t running = (m_running && !m_paused) ? 1 : 0;
    queueSystemEvent("Sim", [&](std::uint32_t eventId) {
        return MessageBuilder(msgEvent).u32(kUnknownGroup).u32(eventId).u32(running).finish();
    });
}

// ---------------------------------------------------------------- control

void SimStandin::setIdentity(const SimIdentity& identity) {
    std::lock_guard lock(m_stateMutex);
    m_identity = identity;
}

void SimStandin::setUser(const UserState& user) {
    std::lock_guard lock(m_stateMutex);
    const std::uint32_t id = m_user.aircraft.objectId;
    m_user = user;
    if (m_user.aircraft.objectId == 0) m_user.aircraft.objectId = id;
    if (m_flightRecord != nullptr) m_flightRecord->user(m_user.aircraft);
}

UserState SimStandin::user() const {
    std::lock_guard lock(m_stateMutex);
    return m_user;
}

void SimStandin::setUserPosition(double latitudeDeg, double longitudeDeg, double altitudeFt) {
    std::lock_guard lock(m_stateMutex);
    m_user.aircraft.latitudeDeg = latitudeDeg;
    m_user.aircraft.longitudeDeg = longitudeDeg;
    m_user.aircraft.altitudeFt = altitudeFt;
    if (m_flightRecord != nullptr) m_flightRecord->user(m_user.aircraft);
}

void SimStandin::setUserOnGround(bool onGround) {
    std::lock_guard lock(m_stateMutex);
    m_user.aircraft.onGround = onGround;
}

void SimStandin::setPaused(bool paused) {
    {
        std::lock_guard lock(m_stateMutex);
        m_paused = paused;
        queueSimState();
    }
    flushOutboxes();
}

void SimStandin::setRunning(bool running) {
    {
        std::lock_guard lock(m_stateMutex);
        m_running = running;
        queueSimState();
    }
    flushOutboxes();
}

void SimStandin::setFrameRate(double hz) {
    {
        std::lock_guard lock(m_stateMutex);
        m_frameRateHz = std::max(0.0, hz);
    }
    m_tickerWake.notify_all();
}

void SimStandin::setGroundElevationFt(double feet) {
    std::lock_guard lock(m_stateMutex);
    m_groundElevationFt = feet;
}

void SimStandin::setLiveries(std::vector<std::string> titles) {
    std::lock_guard lock(m_stateMutex);
    m_liveries = std::move(titles);
}

std::uint32_t SimStandin::addForeignAircraft(const SimAircraft& aircraft) {
    std::uint32_t id = 0;
    {
        std::lock_guard lock(m_stateMutex);
        id = m_nextObjectId++;
        SimAircraft object = aircraft;
        object.objectId = id;
        object.ownerConnection = 0;
        m_objects[id] = object;
        queueSystemEvent("ObjectAdded", [&](std::uint32_t eventId) {
            return MessageBuilder(msgEventObjectAddRemove).u32(kUnknownGroup).u32(eventId).u32(id).u32(
                kObjectTypeAircraft).finish();
        });
    }
    flushOutboxes();
    return id;
}

void SimStandin::setRefusedTitles(std::vector<std::string> titles) {
    std::lock_guard lock(m_stateMutex);
    m_refusedTitles = std::move(titles);
}

void SimStandin::setFlightRecord(FlightRecord* record) {
    std::lock_guard lock(m_stateMutex);
    m_flightRecord = record;
    if (m_flightRecord != nullptr) m_flightRecord->user(m_user.aircraft);
}

void SimStandin::setNewObjectCg(double cgFt, double pitchDeg) {
    std::lock_guard lock(m_stateMutex);
    m_newObjectCgFt = cgFt;
    m_newObjectPitchDeg = pitchDeg;
}

void SimStandin::setReportedFrameRate(double hz) {
    std::lock_guard lock(m_stateMutex);
    m_reportedFrameRateHz = hz;
}

bool SimStandin::waitHandled(std::uint32_t sendId, std::chrono::milliseconds timeout) const {
    std::unique_lock lock(m_stateMutex);
    return m_handled.wait_for(lock, timeout, [&] {
        return std::any_of(m_connections.begin(), m_connections.end(),
                           [&](const ConnectionPtr& c) { return c->info.lastSendId >= sendId; });
    });
}

void SimStandin::sendMarker(std::uint32_t marker) {
    {
        std::lock_guard lock(m_stateMutex);
        for (const auto& c : m_connections)
            if (c->info.open) queue(*c, MessageBuilder(kClientDataMessage).u32(marker).finish());
    }
    flushOutboxes();
}

void SimStandin::failNextCreates(int count, std::uint32_t code) {
    std::lock_guard lock(m_stateMutex);
    m_failCreates = count;
    m_failCreatesCode = code;
}

void SimStandin::delayNextCreates(int count) {
    std::lock_guard lock(m_stateMutex);
    m_delayCreates = count;
}

void SimStandin::releaseDelayedCreates() {
    {
        std::lock_guard lock(m_stateMutex);
        for (const auto& [connectionId, packet] : std::exchange(m_delayedCreates, {})) {
            const auto c = std::find_if(m_connections.begin(), m_connections.end(),
                                        [id = connectionId](const ConnectionPtr& x) { return x->id == id; });
            if (c != m_connections.end() && !(*c)->closed.load()) makeCreation(**c, packet);
        }
    }
    flushOutboxes();
}

void SimStandin::forgetObject(std::uint32_t objectId) {
    std::lock_guard lock(m_stateMutex);
    m_objects.erase(objectId);
}

void SimStandin::failNextFlightPlans(int count) {
    std::lock_guard lock(m_stateMutex);
    m_failFlightPlans = count;
}

void SimStandin::emitException(std::uint32_t code, std::uint32_t sendId, std::uint32_t index) {
    {
        std::lock_guard lock(m_stateMutex);
        for (const auto& c : m_connections) queueException(*c, code, sendId, index);
    }
    flushOutboxes();
}

void SimStandin::emitQuit() {
    std::vector<ConnectionPtr> connections;
    {
        std::lock_guard lock(m_stateMutex);
        connections = m_connections;
        for (const auto& c : connections) queue(*c, MessageBuilder(msgQuit).finish());
    }
    flushOutboxes();
    for (const auto& c : connections) closeConnection(c, false);
}

void SimStandin::emitFlightLoaded(const std::string& fileName) {
    {
        std::lock_guard lock(m_stateMutex);
        queueSystemEvent("FlightLoaded", [&](std::uint32_t eventId) {
            return MessageBuilder(msgEventFilename)
                .u32(kUnknownGroup)
                .u32(eventId)
                .u32(0)
                .fixedText(fileName, kFilenameFieldBytes)
                .u32(0)
                .finish();
        });
    }
    flushOutboxes();
}

void SimStandin::emitPositionChanged() {
    {
        std::lock_guard lock(m_stateMutex);
        queueSystemEvent("PositionChanged", [&](std::uint32_t eventId) {
            return MessageBuilder(msgEvent).u32(kUnknownGroup).u32(eventId).u32(0).finish();
        });
    }
    flushOutboxes();
}

void SimStandin::emitFrame() {
    {
        std::lock_guard lock(m_stateMutex);
        const auto rate = static_cast<float>(m_reportedFrameRateHz >= 0.0 ? m_reportedFrameRateHz : m_frameRateHz);
        queueSystemEvent("Frame", [&](std::uint32_t eventId) {
            return MessageBuilder(msgEventFrame).u32(kUnknownGroup).u32(eventId).u32(0).f32(rate).f32(1.0f).finish();
        });
        answerPeriodic(periodVisualFrame);
        answerPeriodic(periodSimFrame);
    }
    flushOutboxes();
}

void SimStandin::tickSecond() {
    {
        std::lock_guard lock(m_stateMutex);
        answerPeriodic(periodSecond);
    }
    flushOutboxes();
}

void SimStandin::sendRaw(const std::vector<std::uint8_t>& bytes) {
    std::lock_guard lock(m_stateMutex);
    for (const auto& c : m_connections) {
        std::lock_guard sendLock(c->sendMutex);
        std::size_t done = 0;
        while (done < bytes.size() && !c->closed.load()) {
            const ssize_t n = ::send(c->fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
    }
}

void SimStandin::dropClients(bool reset) {
    std::vector<ConnectionPtr> connections;
    {
        std::lock_guard lock(m_stateMutex);
        connections = m_connections;
    }
    for (const auto& c : connections) closeConnection(c, reset);
}

// ---------------------------------------------------------------- records

std::vector<SimAircraft> SimStandin::aiObjects() const {
    std::lock_guard lock(m_stateMutex);
    std::vector<SimAircraft> objects;
    for (const auto& [id, object] : m_objects) objects.push_back(object);
    return objects;
}

std::vector<RecordedEvent> SimStandin::events() const {
    std::lock_guard lock(m_stateMutex);
    return m_events;
}

std::vector<RecordedFlightPlan> SimStandin::flightPlans() const {
    std::lock_guard lock(m_stateMutex);
    return m_flightPlans;
}

std::vector<SimAircraft> SimStandin::creations() const {
    std::lock_guard lock(m_stateMutex);
    return m_creations;
}

std::vector<std::uint32_t> SimStandin::removals() const {
    std::lock_guard lock(m_stateMutex);
    return m_removals;
}

std::vector<PacketLogEntry> SimStandin::packetLog() const {
    std::lock_guard lock(m_logMutex);
    return {m_packetLog.begin(), m_packetLog.end()};
}

void SimStandin::clearPacketLog() {
    std::lock_guard lock(m_logMutex);
    m_packetLog.clear();
}

std::vector<ConnectionInfo> SimStandin::connections() const {
    std::lock_guard lock(m_stateMutex);
    std::vector<ConnectionInfo> infos;
    for (const auto& c : m_connections) infos.push_back(c->info);
    return infos;
}

bool SimStandin::waitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) const {
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

}  // namespace zrb::standin
