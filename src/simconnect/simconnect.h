#pragma once
// The program's own SimConnect client: the public calls Tolvaren makes to the
// simulator over a named pipe or TCP. Every call returns an HRESULT and throws
// nothing of its own. Exceptions thrown by a dispatch callback pass through
// SimConnect_CallDispatch unchanged (the layer above relies on that); the packet
// being dispatched is freed and no lock is held while the callback runs.
//
// Every call may come from any thread: building a packet and handing it to the
// transport happen under the client-wide lock g_simClientLock, so packets of
// different threads never interleave.

#include <cstddef>
#include <cstdint>

namespace zrb {

using HRESULT = std::int32_t;

// Results. Names avoid the Windows macros S_OK, E_FAIL, ... on purpose.
namespace hresult {
inline constexpr HRESULT ok = 0;
inline constexpr HRESULT fail = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT invalidArg = static_cast<HRESULT>(0x80070057);
inline constexpr HRESULT abort = static_cast<HRESULT>(0x80004004);
inline constexpr HRESULT outOfMemory = static_cast<HRESULT>(0x8007000E);
// A text does not fit its fixed-size field (HRESULT of ERROR_INSUFFICIENT_BUFFER).
inline constexpr HRESULT textTooLong = static_cast<HRESULT>(0x8007007A);
// Completion statuses recorded when a connection fails (the failure code).
inline constexpr HRESULT statusZeroByteRead = static_cast<HRESULT>(0xC000013E);
inline constexpr HRESULT statusRemoteDisconnect = static_cast<HRESULT>(0xC000013C);
inline constexpr HRESULT statusPipeBroken = static_cast<HRESULT>(0xC000014B);
inline constexpr HRESULT statusConnectionReset = static_cast<HRESULT>(0xC000020D);
inline constexpr HRESULT statusCancelled = static_cast<HRESULT>(0xC0000120);
inline constexpr HRESULT statusBufferOverflow = static_cast<HRESULT>(0x80000005);
}  // namespace hresult

inline bool gf_succeeded(HRESULT hr) { return hr >= 0; }

// The handle of one connection; opaque to callers. It carries a number that no
// other connection of the process ever gets, never a connection's address: a
// handle kept after its connection was closed is refused, even when a new
// connection now lives at the old one's address.
struct SimConnectHandleTag;
using SimConnectHandle = SimConnectHandleTag*;

// Called by SimConnect_CallDispatch on the dispatching thread with one received
// message (at least 12 bytes: dwSize, dwVersion, dwID) and its size.
using SimConnectDispatchProc = void (*)(const std::uint8_t* message, std::uint32_t size, void* context);

// InitPos of SimConnect_AICreateNonATCAircraft, 56 bytes on the wire in this
// order; it is written field by field (little-endian), never copied as memory.
struct SimConnectInitPosition {
    double latitudeDeg = 0.0;
    double longitudeDeg = 0.0;
    double altitudeFt = 0.0;
    double pitchDeg = 0.0;
    double bankDeg = 0.0;
    double headingDeg = 0.0;
    std::uint32_t onGround = 0;
    std::uint32_t airspeedKt = 0;
};

// ---------------------------------------------------------------- connection
// Finds SimConnect.cfg (Public Documents, Documents, current directory), opens a
// pipe or a TCP socket with the fallbacks between them and sends the Open packet.
// configIndex 0 reads section "SimConnect", n reads "SimConnect.n", 0xFFFFFFFF
// reads no file. On any failure *handle stays null.
HRESULT SimConnect_Open(SimConnectHandle* handle, const char* name, void* windowHandle,
                        std::uint32_t userMessageId, void* eventHandle, std::uint32_t configIndex);

// Delivers every message received so far to the callback (or to the one given
// at open when callback is null), then returns S_OK, or the failure code once
// the connection has failed.
HRESULT SimConnect_CallDispatch(SimConnectHandle handle, SimConnectDispatchProc callback, void* context);

// Flushes, closes and frees the connection. Blocks about 350 ms.
HRESULT SimConnect_Close(SimConnectHandle handle);

// The dwSendID of the last packet handed to the transport on this connection.
HRESULT SimConnect_GetLastSentPacketID(SimConnectHandle handle, std::uint32_t* sendId);

// ---------------------------------------------------------------- requests (one packet each)
HRESULT SimConnect_MapClientEventToSimEvent(SimConnectHandle handle, std::uint32_t eventId, const char* eventName);
HRESULT SimConnect_TransmitClientEvent(SimConnectHandle handle, std::uint32_t objectId, std::uint32_t eventId,
                                       std::uint32_t data, std::uint32_t groupId, std::uint32_t flags);
HRESULT SimConnect_AddClientEventToNotificationGroup(SimConnectHandle handle, std::uint32_t groupId,
                                                     std::uint32_t eventId, bool maskable);
HRESULT SimConnect_SetNotificationGroupPriority(SimConnectHandle handle, std::uint32_t groupId, std::uint32_t priority);
HRESULT SimConnect_AddToDataDefinition(SimConnectHandle handle, std::uint32_t defineId, const char* datumName,
                                       const char* unitsName, std::uint32_t datumType, float epsilon,
                                       std::uint32_t datumId);
HRESULT SimConnect_RequestDataOnSimObject(SimConnectHandle handle, std::uint32_t requestId, std::uint32_t defineId,
                                          std::uint32_t objectId, std::uint32_t period, std::uint32_t flags,
                                          std::uint32_t origin, std::uint32_t interval, std::uint32_t limit);
HRESULT SimConnect_RequestDataOnSimObjectType(SimConnectHandle handle, std::uint32_t requestId, std::uint32_t defineId,
                                              std::uint32_t radiusMeters, std::uint32_t objectType);
// ArrayCount 0 is sent as 1; the data holds max(arrayCount, 1) x unitSize bytes.
// A packet that would not fit the 41088-byte outgoing buffer (or whose size
// overflows) returns E_INVALIDARG and sends nothing.
HRESULT SimConnect_SetDataOnSimObject(SimConnectHandle handle, std::uint32_t defineId, std::uint32_t objectId,
                                      std::uint32_t flags, std::uint32_t arrayCount, std::uint32_t unitSize,
                                      const void* data);
HRESULT SimConnect_SubscribeToSystemEvent(SimConnectHandle handle, std::uint32_t eventId, const char* eventName);
HRESULT SimConnect_AICreateNonATCAircraft(SimConnectHandle handle, const char* containerTitle, const char* tailNumber,
                                          const SimConnectInitPosition& initPosition, std::uint32_t requestId);
HRESULT SimConnect_AIReleaseControl(SimConnectHandle handle, std::uint32_t objectId, std::uint32_t requestId);
HRESULT SimConnect_AIRemoveObject(SimConnectHandle handle, std::uint32_t objectId, std::uint32_t requestId);
HRESULT SimConnect_AISetAircraftFlightPlan(SimConnectHandle handle, std::uint32_t objectId,
                                           const char* flightPlanPath, std::uint32_t requestId);

}  // namespace zrb
