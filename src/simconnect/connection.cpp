// The connection object: transport start, writes with at most one in flight,
// reads with their framing, failures and freeing.
#include "simconnect/connection.h"

#include <algorithm>
#include <cstring>

#include "foundation/log.h"
#include "platform/platform.h"
#include "simconnect/environment.h"

namespace zrb {

std::mutex g_simClientLock;
std::vector<SimConnectConnection*> g_simConnections;
std::atomic<int> g_simConnectionCount{0};
std::atomic<int> g_simTransportCount{0};
bool g_wsaStarted = false;

namespace {

std::atomic<std::uint32_t> g_transportSerial{0};
std::atomic<std::uintptr_t> g_handleGeneration{0};
std::atomic<std::uint32_t> g_connectionIdCounter{0};

std::uint32_t lf_nextConnectionId() {
    for (;;) {
        const std::uint32_t id = ++g_connectionIdCounter;
        if (id != 0) return id;
    }
}

HRESULT lf_hresultFromSystemError(std::uint32_t error) {
    if (error == 0) return hresult::fail;
    return static_cast<HRESULT>(0x80070000u | (error & 0xFFFFu));
}

// A read or write that cannot even be started because the other end has gone
// is the simulator leaving, as when a completion reports it; anything else is
// another failure.
FailKind lf_kindOfStartError(std::uint32_t error) {
    switch (error) {
        case platform::errorBrokenPipe:
        case platform::errorNoData:
        case platform::errorPipeNotConnected:
        case platform::errorNetnameDeleted:
        case platform::wsaErrorConnectionAborted:
        case platform::wsaErrorConnectionReset:
        case platform::wsaErrorNotConnected:
        case platform::wsaErrorShutdown: return FailKind::peerGone;
        default: return FailKind::other;
    }
}

void lf_notify(SimConnectConnection* conn) {
    void* window = nullptr;
    std::uint32_t message = 0;
    void* event = nullptr;
    {
        std::lock_guard lock(conn->receiveListMutex);
        window = conn->notifyWindow;
        message = conn->notifyMessage;
        event = conn->notifyEvent;
    }
    if (window != nullptr && message != 0) platform::notifyWindow(window, message);
    if (event != nullptr) platform::signalEvent(event);
}

// Closes the transport; transportMutex held. The stream object itself lives
// until the connection is freed: completions still outstanding refer to it.
void lf_closeTransportLocked(SimConnectConnection* conn, FailKind kind, HRESULT code, std::uint32_t systemError) {
    if (conn->state.load() == kStateClosed && conn->stream == nullptr) return;
    const bool wasOpen = conn->state.load() != kStateClosed;
    conn->state.store(kStateClosed);
    conn->connectionId = 0;
    if (kind != FailKind::none && wasOpen && conn->failedKind.load() == 0) {
        conn->failSystemError.store(systemError);
        conn->failCode.store(code);
        conn->failedKind.store(static_cast<std::uint32_t>(kind));
    }
    if (conn->stream) conn->stream->close();
}

void lf_failLocked(SimConnectConnection* conn, FailKind kind, HRESULT code) {
    lf_closeTransportLocked(conn, kind, code, platform::lastSystemError());
}

// Starts the next write unless one is in flight; transportMutex held. Linux
// may finish a write at once, then the next packet follows in the same loop.
void lf_writeTransportLocked(SimConnectConnection* conn, bool afterCompletion) {
    if (conn->writeInFlight && !afterCompletion) return;
    for (;;) {
        conn->writeBlock = {};
        PacketBuffer next;
        {
            std::lock_guard lock(conn->sendListMutex);
            if (conn->sendList.empty()) {
                conn->writeInFlight = false;
                return;
            }
            next = std::move(conn->sendList.front());
            conn->sendList.pop_front();
        }
        conn->writeBlock = std::move(next);
        conn->writeInFlight = true;
        conn->refCount.fetch_add(1);
        const auto started = conn->stream->startWrite(conn->writeBlock.data.data(),
                                                      static_cast<std::uint32_t>(conn->writeBlock.data.size()));
        if (started == platform::IoStart::pending) return;
        conn->refCount.fetch_sub(1);  // the caller holds another reference
        if (started == platform::IoStart::failed) {
            // Without a write in flight nothing would ever send again: fail the
            // connection so that callers learn of it.
            const std::uint32_t error = platform::lastSystemError();
            conn->writeBlock = {};
            conn->writeInFlight = false;
            lf_closeTransportLocked(conn, lf_kindOfStartError(error), lf_hresultFromSystemError(error), error);
            return;
        }
    }
}

// Arms the next read into the free end of the receive buffer; transportMutex held.
void lf_armReadLocked(SimConnectConnection* conn) {
    if (conn->state.load() != kStateConnected) return;
    auto& rb = conn->receive;
    const auto capacity = static_cast<std::uint32_t>(rb.bytes.size());
    if (rb.writePos >= capacity) {
        lf_closeTransportLocked(conn, FailKind::tooLarge, hresult::abort, 0);
        return;
    }
    conn->refCount.fetch_add(1);
    const auto started = conn->stream->startRead(rb.bytes.data() + rb.writePos, capacity - rb.writePos);
    if (started == platform::IoStart::failed) {
        conn->refCount.fetch_sub(1);
        // Without a read armed nothing would ever arrive: fail the connection.
        const std::uint32_t error = platform::lastSystemError();
        lf_closeTransportLocked(conn, lf_kindOfStartError(error), lf_hresultFromSystemError(error), error);
    }
}

void lf_queueReceived(SimConnectConnection* conn, PacketRecord& record) {
    PacketBuffer packet;
    packet.data = std::move(record.data);
    record.data.clear();
    {
        std::lock_guard lock(conn->receiveListMutex);
        packet.connectionId = conn->connectionId;
        conn->receiveList.push_back(std::move(packet));
    }
    lf_notify(conn);
}

FailKind lf_kindOfStatus(std::uint32_t status, bool pipe, bool& proceed) {
    proceed = false;
    switch (status) {
        case platform::ioStatusSuccess: proceed = true; return FailKind::none;
        case platform::ioStatusBufferOverflow:
            if (pipe) {
                proceed = true;
                return FailKind::none;
            }
            return FailKind::other;
        case platform::ioStatusCancelled: return FailKind::cancelled;
        case platform::ioStatusRemoteDisconnect:
        case platform::ioStatusPipeBroken:
        case platform::ioStatusConnectionReset: return FailKind::peerGone;
        default: return FailKind::other;
    }
}

void lf_readCompleted(SimConnectConnection* conn, std::uint32_t bytes) {
    auto& rb = conn->receive;
    rb.writePos += std::min<std::uint32_t>(bytes, static_cast<std::uint32_t>(rb.bytes.size()) - rb.writePos);
    for (;;) {
        const FrameResult result = lf_parseReceived(rb, conn->record, conn->maxReceiveSize);
        if (result == FrameResult::ready) {
            if (!conn->record.data.empty()) lf_queueReceived(conn, conn->record);
            continue;
        }
        if (result == FrameResult::needMore) break;
        const FailKind kind = result == FrameResult::tooLarge ? FailKind::tooLarge
                              : result == FrameResult::badSize ? FailKind::badSize
                                                               : FailKind::outOfMemory;
        const HRESULT code = kind == FailKind::outOfMemory ? hresult::outOfMemory : hresult::abort;
        lf_failConnection(conn, kind, code);
        return;
    }
    if (!lf_makeReceiveRoom(rb)) {
        lf_failConnection(conn, FailKind::tooLarge, hresult::abort);
        return;
    }
    std::lock_guard lock(conn->transportMutex);
    lf_armReadLocked(conn);
}

// The completion routine of every transport.
void lf_ioCompletion(void* context, bool isWrite, std::uint32_t status, std::uint32_t bytes) {
    auto* conn = static_cast<SimConnectConnection*>(context);
    struct Release {
        SimConnectConnection* c;
        ~Release() { lf_release(c); }
    } release{conn};
    try {
        if (conn->state.load() == kStateClosed) return;
        bool proceed = false;
        const FailKind kind = lf_kindOfStatus(status, conn->kind == kKindPipe, proceed);
        if (!proceed) {
            lf_failConnection(conn, kind, static_cast<HRESULT>(status));
            return;
        }
        if (bytes == 0 && status == platform::ioStatusSuccess) {
            lf_failConnection(conn, FailKind::zeroRead, hresult::statusZeroByteRead);
            return;
        }
        if (isWrite) {
            std::lock_guard lock(conn->transportMutex);
            if (conn->state.load() == kStateConnected) lf_writeTransportLocked(conn, true);
            return;
        }
        lf_readCompleted(conn, bytes);
    } catch (const std::exception& e) {
        // An I/O thread must never end by an exception; the connection cannot go on.
        gf_logLine("SimConnect I/O completion: {}", e.what());
        lf_failConnection(conn, FailKind::outOfMemory, hresult::outOfMemory);
    }
}

}  // namespace

SimConnectConnection* lf_createConnection(std::uint32_t kind) {
    auto* conn = new SimConnectConnection();
    conn->serial = ++g_transportSerial;
    conn->generation = ++g_handleGeneration;
    conn->kind = kind;
    gf_initReceiveBuffer(conn->receive);
    g_simTransportCount.fetch_add(1);
    std::lock_guard lock(g_simClientLock);
    conn->linked = true;
    g_simConnections.push_back(conn);
    g_simConnectionCount.fetch_add(1);
    return conn;
}

void lf_release(SimConnectConnection* conn) {
    if (conn->refCount.fetch_sub(1) != 1) return;
    delete conn;
    g_simTransportCount.fetch_sub(1);
}

SimConnectConnection* lf_linkedConnectionLocked(SimConnectHandle handle) {
    const auto generation = reinterpret_cast<std::uintptr_t>(handle);
    if (generation == 0) return nullptr;
    const auto it = std::find_if(g_simConnections.begin(), g_simConnections.end(),
                                 [generation](const SimConnectConnection* c) { return c->generation == generation; });
    return it == g_simConnections.end() ? nullptr : *it;
}

SimConnectHandle lf_handleOf(const SimConnectConnection* conn) {
    return reinterpret_cast<SimConnectHandle>(conn->generation);
}

int lf_openTransport(SimConnectConnection* conn, std::uint32_t family, const std::u16string& address,
                     const std::u16string& port, std::uint32_t maxReceiveSize, bool disableNagle) {
    const auto environment = lf_simConnectEnvironment();
    std::lock_guard lock(conn->transportMutex);
    conn->family = family;
    conn->maxReceiveSize = gf_effectiveMaxReceiveSize(maxReceiveSize);
    conn->disableNagle = disableNagle;
    auto stream = environment.openStream(family, address, port, disableNagle, &lf_ioCompletion, conn);
    if (!stream) return 1;
    conn->stream = std::move(stream);
    conn->connectionId = lf_nextConnectionId();
    conn->state.store(kStateConnected);
    lf_armReadLocked(conn);
    return conn->state.load() == kStateConnected ? 0 : 1;
}

void lf_setNotifyTargets(SimConnectConnection* conn, void* window, std::uint32_t message, void* event) {
    std::lock_guard lock(conn->receiveListMutex);
    conn->notifyWindow = window;
    conn->notifyMessage = message;
    conn->notifyEvent = event;
}

void lf_failConnection(SimConnectConnection* conn, FailKind kind, HRESULT code) {
    {
        std::lock_guard lock(conn->transportMutex);
        lf_failLocked(conn, kind, code);
    }
    if (kind != FailKind::none) lf_notify(conn);
}

HRESULT lf_recordedFailure(const SimConnectConnection* conn) {
    if (conn->failedKind.load() == 0) return hresult::ok;
    return conn->failCode.load();
}

// ---------------------------------------------------------------- building and sending

AllocResult lf_allocPacket(SimConnectConnection* conn, std::uint64_t size, std::uint8_t*& packet) {
    packet = nullptr;
    if (conn == nullptr) return AllocResult::nullHandle;
    if (conn->failedKind.load() != 0) return AllocResult::failed;
    if (size < simconnect::kSendHeaderBytes || size > conn->outgoing.size() - conn->writePos)
        return AllocResult::tooLarge;
    do {
        ++conn->sendCounter;
    } while (conn->sendCounter == 0);
    conn->pendingSendId = conn->sendCounter;
    packet = conn->outgoing.data() + conn->writePos;
    std::memset(packet, 0, static_cast<std::size_t>(size));
    packet[12] = static_cast<std::uint8_t>(conn->sendCounter);
    packet[13] = static_cast<std::uint8_t>(conn->sendCounter >> 8);
    packet[14] = static_cast<std::uint8_t>(conn->sendCounter >> 16);
    packet[15] = static_cast<std::uint8_t>(conn->sendCounter >> 24);
    conn->writePos += static_cast<std::uint32_t>(size);
    return AllocResult::ok;
}

void lf_freePacket(SimConnectConnection* conn, std::uint8_t* packet, std::uint32_t size) {
    std::memset(packet, 0, size);
    conn->writePos = static_cast<std::uint32_t>(packet - conn->outgoing.data());
}

static bool lf_queueSend(SimConnectConnection* conn, PacketBuffer packet) {
    std::lock_guard lock(conn->transportMutex);
    if (conn->state.load() != kStateConnected) return false;  // dropped; the call that built it still succeeds
    packet.connectionId = conn->connectionId;
    {
        std::lock_guard sendLock(conn->sendListMutex);
        conn->sendList.push_back(std::move(packet));
    }
    lf_writeTransportLocked(conn, false);
    return true;
}

int lf_flushPending(SimConnectConnection* conn) {
    if (conn->writePos == 0) return 1;
    PacketBuffer packet;
    try {
        packet.data.assign(conn->outgoing.begin(), conn->outgoing.begin() + conn->writePos);
    } catch (const std::bad_alloc&) {
        std::memset(conn->outgoing.data(), 0, conn->writePos);
        conn->writePos = 0;
        return 1;
    }
    std::memset(conn->outgoing.data(), 0, conn->writePos);
    conn->writePos = 0;
    conn->lastSentId = conn->pendingSendId;
    lf_queueSend(conn, std::move(packet));
    return 0;
}

void lf_flushSendBuffer(SimConnectConnection* conn) { lf_flushPending(conn); }

// ---------------------------------------------------------------- receiving

HRESULT lf_dispatchReceived(SimConnectConnection* conn, SimConnectDispatchProc callback, void* context) {
    for (;;) {
        // Taken before the list is seen empty: a read queues its packets before
        // it records the failure it ends with (a bad size, the peer gone), so
        // the caller gets those packets before the code. Read only after the
        // list ran empty, a failure recorded in between would end the link with
        // the simulator's last messages undelivered.
        const HRESULT failure = lf_recordedFailure(conn);
        PacketBuffer packet;
        {
            std::lock_guard lock(conn->receiveListMutex);
            if (conn->receiveList.empty()) return failure;
            packet = std::move(conn->receiveList.front());
            conn->receiveList.pop_front();
        }
        // The packet is freed when this scope ends, also when the callback throws.
        if (packet.data.size() >= simconnect::kReceiveHeaderBytes)
            callback(packet.data.data(), static_cast<std::uint32_t>(packet.data.size()), context);
    }
}

// ---------------------------------------------------------------- close

CloseDelays lf_closeDelays() {
    const auto environment = lf_simConnectEnvironment();
    CloseDelays delays;
    delays.beforeDrain = environment.closeDelayBeforeDrain;
    delays.afterRelease = environment.closeDelayAfterRelease;
    delays.transportWaitStep = environment.transportWaitStep;
    return delays;
}

}  // namespace zrb
