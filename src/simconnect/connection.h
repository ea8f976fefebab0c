#pragma once
// Inside the SimConnect client: the connection object behind a handle, its
// transport state and the client-wide state. Only the client's own files
// include this header.
//
// Lock order: g_simClientLock, then a connection's transportMutex, then its
// sendListMutex. receiveListMutex is taken alone. No lock is held while a
// dispatch callback runs.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/simconnect_transport.h"
#include "simconnect/framing.h"
#include "simconnect/protocol.h"
#include "simconnect/simconnect.h"

namespace zrb {

// One packet on its way out or in.
struct PacketBuffer {
    std::vector<std::uint8_t> data;
    std::uint32_t connectionId = 0;
};

enum class FailKind : std::uint32_t {
    none = 0,
    tooLarge = 1,      // packet above MaxReceiveSize
    badSize = 2,       // size field 1..3 or negative
    outOfMemory = 3,   // while framing
    zeroRead = 4,      // the peer closed the stream
    peerGone = 5,      // disconnected, pipe broken, reset
    cancelled = 8,
    other = 9,         // any other I/O status
};

inline constexpr int kStateClosed = 0;
inline constexpr int kStateConnected = 2;
inline constexpr std::uint32_t kKindSocket = 0;
inline constexpr std::uint32_t kKindPipe = 1;

struct SimConnectConnection {
    // ---------------------------------------------------------- transport part
    std::uint32_t serial = 0;       // set at creation
    std::uintptr_t generation = 0;  // set at creation, never reused: the value of the handle
    std::uint32_t kind = kKindSocket;
    std::uint32_t maxReceiveSize = simconnect::kDefaultMaxReceiveSize;  // set before the transport starts
    bool disableNagle = false;
    std::uint32_t family = 0;

    std::mutex transportMutex;  // owns stream, writeInFlight, writeBlock and every state change
    std::unique_ptr<platform::ByteStream> stream;
    std::atomic<int> state{kStateClosed};  // written under transportMutex
    std::atomic<std::uint32_t> connectionId{0};  // 0 while closed
    bool writeInFlight = false;
    PacketBuffer writeBlock;  // the packet of the write in flight

    std::mutex sendListMutex;  // owns sendList
    std::deque<PacketBuffer> sendList;

    // I/O thread only: at most one read is outstanding at a time.
    ReceiveBuffer receive;
    PacketRecord record;

    // 1 for the connection itself plus 1 for each read or write in flight.
    std::atomic<std::uint32_t> refCount{1};

    // Failure record, written once under transportMutex: code before kind, so a
    // reader that sees the kind also sees its code.
    std::atomic<std::uint32_t> failedKind{0};
    std::atomic<HRESULT> failCode{0};
    std::atomic<std::uint32_t> failSystemError{0};

    // ---------------------------------------------------------- connection part
    std::mutex receiveListMutex;  // owns receiveList and the notification targets
    std::deque<PacketBuffer> receiveList;
    void* notifyWindow = nullptr;
    std::uint32_t notifyMessage = 0;
    void* notifyEvent = nullptr;

    // g_simClientLock owns everything below.
    bool enabled = true;
    bool linked = false;  // in g_simConnections
    SimConnectDispatchProc registeredCallback = nullptr;  // none in this program
    SimConnectDispatchProc lastCallback = nullptr;
    void* lastContext = nullptr;
    std::array<std::uint8_t, simconnect::kOutgoingBufferBytes> outgoing{};
    std::uint32_t writePos = 0;
    std::uint32_t sendCounter = 0;
    std::uint32_t pendingSendId = 0;  // dwSendID of the packet being built
    std::uint32_t lastSentId = 0;     // dwSendID of the last packet handed on
};

// ---------------------------------------------------------------- client-wide state
// Serialises every API call: it owns every connection's outgoing buffer and
// send counter, g_simConnections and g_wsaStarted.
extern std::mutex g_simClientLock;
extern std::vector<SimConnectConnection*> g_simConnections;  // in order of creation
extern std::atomic<int> g_simConnectionCount;  // linked connection objects
extern std::atomic<int> g_simTransportCount;   // connection objects not yet freed
extern bool g_wsaStarted;

// ---------------------------------------------------------------- life cycle
// A new linked, enabled connection (refCount 1).
SimConnectConnection* lf_createConnection(std::uint32_t kind);
// Drops one reference; the last one frees the connection.
void lf_release(SimConnectConnection* conn);
// The linked connection whose handle this is; null for a handle of a closed
// connection or none at all. Under g_simClientLock.
SimConnectConnection* lf_linkedConnectionLocked(SimConnectHandle handle);
// The handle callers get for the connection.
SimConnectHandle lf_handleOf(const SimConnectConnection* conn);

// Opens the transport (family 0 pipe, 2 IPv4, 23 IPv6) and arms the first
// read. 0 success, 1 failure.
int lf_openTransport(SimConnectConnection* conn, std::uint32_t family, const std::u16string& address,
                     const std::u16string& port, std::uint32_t maxReceiveSize, bool disableNagle);

// Flush, wait, drain without callbacks, unlink, close the transport, release.
HRESULT lf_closeConnection(SimConnectConnection* conn);

void lf_setNotifyTargets(SimConnectConnection* conn, void* window, std::uint32_t message, void* event);

// ---------------------------------------------------------------- building packets (g_simClientLock held)
enum class AllocResult : std::uint8_t { ok = 0, nullHandle = 1, failed = 2, tooLarge = 3 };
// Reserves a zero-filled block of `size` bytes, stamps dwSendID. tooLarge (no
// send id taken) when the packet would not fit the outgoing buffer.
AllocResult lf_allocPacket(SimConnectConnection* conn, std::uint64_t size, std::uint8_t*& packet);
void lf_freePacket(SimConnectConnection* conn, std::uint8_t* packet, std::uint32_t size);
void lf_flushSendBuffer(SimConnectConnection* conn);
// 0 when a packet was handed on, 1 when nothing was pending or the copy failed.
int lf_flushPending(SimConnectConnection* conn);

// ---------------------------------------------------------------- failures
void lf_failConnection(SimConnectConnection* conn, FailKind kind, HRESULT code);
HRESULT lf_recordedFailure(const SimConnectConnection* conn);

// ---------------------------------------------------------------- receiving
HRESULT lf_dispatchReceived(SimConnectConnection* conn, SimConnectDispatchProc callback, void* context);

// ---------------------------------------------------------------- delays of close (changeable by tests)
struct CloseDelays {
    std::chrono::milliseconds beforeDrain{100};
    std::chrono::milliseconds afterRelease{250};
    std::chrono::milliseconds transportWaitStep{250};
    int transportWaitSteps = 20;
};
CloseDelays lf_closeDelays();

}  // namespace zrb
