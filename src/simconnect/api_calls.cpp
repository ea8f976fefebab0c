// The request calls: each builds exactly one packet in the connection's
// outgoing buffer and hands it on at once.
#include "simconnect/connection.h"
#include "simconnect/packet_writer.h"

namespace zrb {

namespace {

using namespace simconnect;

// Reserve, fill, flush under the client lock. fill returns false when a text
// does not fit; the packet is then released unsent (its send id stays used).
template <typename Fill>
HRESULT lf_buildAndSend(SimConnectHandle handle, std::uint64_t size, std::uint32_t opcode, Fill&& fill) {
    if (handle == nullptr) return hresult::fail;
    std::lock_guard lock(g_simClientLock);
    SimConnectConnection* const conn = lf_linkedConnectionLocked(handle);
    if (conn == nullptr) return hresult::fail;
    std::uint8_t* packet = nullptr;
    switch (lf_allocPacket(conn, size, packet)) {
        case AllocResult::ok: break;
        case AllocResult::nullHandle: return hresult::fail;
        case AllocResult::failed: return lf_recordedFailure(conn);
        case AllocResult::tooLarge: return hresult::invalidArg;
    }
    const auto bytes = static_cast<std::uint32_t>(size);
    PacketWriter w(packet, bytes);
    w.header(bytes, opcode);
    if (!fill(w)) {
        lf_freePacket(conn, packet, bytes);
        return hresult::textTooLong;
    }
    lf_flushSendBuffer(conn);
    return hresult::ok;
}

}  // namespace

HRESULT SimConnect_MapClientEventToSimEvent(SimConnectHandle handle, std::uint32_t eventId, const char* eventName) {
    return lf_buildAndSend(handle, kMapClientEventBytes, opMapClientEventToSimEvent, [&](PacketWriter& w) {
        w.u32(16, eventId);
        return w.text(20, eventName, kNameFieldBytes);
    });
}

HRESULT SimConnect_TransmitClientEvent(SimConnectHandle handle, std::uint32_t objectId, std::uint32_t eventId,
                                       std::uint32_t data, std::uint32_t groupId, std::uint32_t flags) {
    return lf_buildAndSend(handle, kTransmitClientEventBytes, opTransmitClientEvent, [&](PacketWriter& w) {
        w.u32(16, objectId);
        w.u32(20, eventId);
        w.u32(24, data);
        w.u32(28, groupId);
        w.u32(32, flags);
        return true;
    });
}

HRESULT SimConnect_AddClientEventToNotificationGroup(SimConnectHandle handle, std::uint32_t groupId,
                                                     std::uint32_t eventId, bool maskable) {
    return lf_buildAndSend(handle, kAddToGroupBytes, opAddClientEventToNotificationGroup, [&](PacketWriter& w) {
        w.u32(16, groupId);
        w.u32(20, eventId);
        w.u32(24, maskable ? 1 : 0);
        return true;
    });
}

HRESULT SimConnect_SetNotificationGroupPriority(SimConnectHandle handle, std::uint32_t groupId,
                                                std::uint32_t priority) {
    return lf_buildAndSend(handle, kGroupPriorityBytes, opSetNotificationGroupPriority, [&](PacketWriter& w) {
        w.u32(16, groupId);
        w.u32(20, priority);
        return true;
    });
}

HRESULT SimConnect_AddToDataDefinition(SimConnectHandle handle, std::uint32_t defineId, const char* datumName,
                                       const char* unitsName, std::uint32_t datumType, float epsilon,
                                       std::uint32_t datumId) {
    return lf_buildAndSend(handle, kAddToDataDefinitionBytes, opAddToDataDefinition, [&](PacketWriter& w) {
        w.u32(16, defineId);
        if (!w.text(20, datumName, kNameFieldBytes) || !w.text(276, unitsName, kNameFieldBytes)) return false;
        w.u32(532, datumType);
        w.f32(536, epsilon);
        w.u32(540, datumId);
        return true;
    });
}

HRESULT SimConnect_RequestDataOnSimObject(SimConnectHandle handle, std::uint32_t requestId, std::uint32_t defineId,
                                          std::uint32_t objectId, std::uint32_t period, std::uint32_t flags,
                                          std::uint32_t origin, std::uint32_t interval, std::uint32_t limit) {
    return lf_buildAndSend(handle, kRequestDataBytes, opRequestDataOnSimObject, [&](PacketWriter& w) {
        w.u32(16, requestId);
        w.u32(20, defineId);
        w.u32(24, objectId);
        w.u32(28, period);
        w.u32(32, flags);
        w.u32(36, origin);
        w.u32(40, interval);
        w.u32(44, limit);
        return true;
    });
}

HRESULT SimConnect_RequestDataOnSimObjectType(SimConnectHandle handle, std::uint32_t requestId,
                                              std::uint32_t defineId, std::uint32_t radiusMeters,
                                              std::uint32_t objectType) {
    return lf_buildAndSend(handle, kRequestDataByTypeBytes, opRequestDataOnSimObjectType, [&](PacketWriter& w) {
        w.u32(16, requestId);
        w.u32(20, defineId);
        w.u32(24, radiusMeters);
        w.u32(28, objectType);
        return true;
    });
}

HRESULT SimConnect_SetDataOnSimObject(SimConnectHandle handle, std::uint32_t defineId, std::uint32_t objectId,
                                      std::uint32_t flags, std::uint32_t arrayCount, std::uint32_t unitSize,
                                      const void* data) {
    const std::uint32_t count = arrayCount == 0 ? 1 : arrayCount;
    // In 64 bits the product cannot overflow; lf_allocPacket refuses what does
    // not fit the outgoing buffer.
    const std::uint64_t dataBytes = static_cast<std::uint64_t>(count) * unitSize;
    if (data == nullptr && dataBytes > 0) return handle == nullptr ? hresult::fail : hresult::invalidArg;
    return lf_buildAndSend(handle, kSetDataHeaderBytes + dataBytes, opSetDataOnSimObject, [&](PacketWriter& w) {
        w.u32(16, defineId);
        w.u32(20, objectId);
        w.u32(24, flags);
        w.u32(28, count);
        w.u32(32, unitSize);
        w.bytes(36, data, static_cast<std::size_t>(dataBytes));
        return true;
    });
}

HRESULT SimConnect_SubscribeToSystemEvent(SimConnectHandle handle, std::uint32_t eventId, const char* eventName) {
    return lf_buildAndSend(handle, kSubscribeBytes, opSubscribeToSystemEvent, [&](PacketWriter& w) {
        w.u32(16, eventId);
        return w.text(20, eventName, kNameFieldBytes);
    });
}

HRESULT SimConnect_AICreateNonATCAircraft(SimConnectHandle handle, const char* containerTitle, const char* tailNumber,
                                          const SimConnectInitPosition& p, std::uint32_t requestId) {
    return lf_buildAndSend(handle, kAICreateBytes, opAICreateNonATCAircraft, [&](PacketWriter& w) {
        if (!w.text(16, containerTitle, kNameFieldBytes) || !w.text(272, tailNumber, kTailNumberFieldBytes))
            return false;
        w.f64(284, p.latitudeDeg);
        w.f64(292, p.longitudeDeg);
        w.f64(300, p.altitudeFt);
        w.f64(308, p.pitchDeg);
        w.f64(316, p.bankDeg);
        w.f64(324, p.headingDeg);
        w.u32(332, p.onGround);
        w.u32(336, p.airspeedKt);
        w.u32(340, requestId);
        return true;
    });
}

HRESULT SimConnect_AIReleaseControl(SimConnectHandle handle, std::uint32_t objectId, std::uint32_t requestId) {
    return lf_buildAndSend(handle, kAIReleaseControlBytes, opAIReleaseControl, [&](PacketWriter& w) {
        w.u32(16, objectId);
        w.u32(20, requestId);
        return true;
    });
}

HRESULT SimConnect_AIRemoveObject(SimConnectHandle handle, std::uint32_t objectId, std::uint32_t requestId) {
    return lf_buildAndSend(handle, kAIRemoveObjectBytes, opAIRemoveObject, [&](PacketWriter& w) {
        w.u32(16, objectId);
        w.u32(20, requestId);
        return true;
    });
}

HRESULT SimConnect_AISetAircraftFlightPlan(SimConnectHandle handle, std::uint32_t objectId,
                                           const char* flightPlanPath, std::uint32_t requestId) {
    return lf_buildAndSend(handle, kAISetFlightPlanBytes, opAISetAircraftFlightPlan, [&](PacketWriter& w) {
        w.u32(16, objectId);
        if (!w.text(20, flightPlanPath, kFlightPlanPathFieldBytes)) return false;
        w.u32(280, requestId);
        return true;
    });
}

}  // namespace zrb
