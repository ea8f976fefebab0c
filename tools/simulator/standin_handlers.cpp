// How the stand-in answers each packet of the client. Every handler runs with
// m_stateMutex held and queues its answers; the reader flushes them.
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>

#include "simconnect/protocol.h"
#include "simulator/flight_record.h"
#include "simulator/standin_connection.h"
#include "simulator/vocabulary.h"

namespace zrb::standin {

namespace {

using namespace simconnect;

constexpr std::uint32_t kExceptionUnopened = 4;
constexpr std::uint32_t kUnusedDatumId = 0xFFFFFFFF;
constexpr std::uint32_t kRequestFlagChanged = 1;  // the only flag the stand-in serves (no tagged data)
constexpr std::uint32_t kLastObjectType = 5;      // SIMOBJECT_TYPE_GROUND
constexpr std::uint32_t kMaxRadiusM = 200000;     // the simulator's largest radius
constexpr std::size_t kMaxAiObjects = 1000;
constexpr double kEarthRadiusM = 6371008.8;
constexpr double kPi = 3.14159265358979323846;

std::uint32_t lf_fixedSize(std::uint32_t opcode) {
    switch (opcode) {
        case opOpen: return kOpenBytes;
        case opMapClientEventToSimEvent: return kMapClientEventBytes;
        case opTransmitClientEvent: return kTransmitClientEventBytes;
        case opAddClientEventToNotificationGroup: return kAddToGroupBytes;
        case opSetNotificationGroupPriority: return kGroupPriorityBytes;
        case opAddToDataDefinition: return kAddToDataDefinitionBytes;
        case opRequestDataOnSimObject: return kRequestDataBytes;
        case opRequestDataOnSimObjectType: return kRequestDataByTypeBytes;
        case opSubscribeToSystemEvent: return kSubscribeBytes;
        case opAICreateNonATCAircraft: return kAICreateBytes;
        case opAIReleaseControl: return kAIReleaseControlBytes;
        case opAIRemoveObject: return kAIRemoveObjectBytes;
        case opAISetAircraftFlightPlan: return kAISetFlightPlanBytes;
        default: return 0;  // variable (SetData) or unknown
    }
}

double lf_distanceM(double lat1, double lon1, double lat2, double lon2) {
    const double toRad = kPi / 180.0;
    const double dLat = (lat2 - lat1) * toRad;
    const double dLon = (lon2 - lon1) * toRad;
    const double a = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(lat1 * toRad) * std::cos(lat2 * toRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2.0 * kEarthRadiusM * std::asin(std::min(1.0, std::sqrt(a)));
}

std::uint64_t lf_lightBit(const std::string& eventName) {
    static const std::map<std::string, std::uint64_t> bits = {
        {"NAV_LIGHTS_SET", 0x1},     {"BEACON_LIGHTS_SET", 0x2}, {"LANDING_LIGHTS_SET", 0x4},
        {"TAXI_LIGHTS_SET", 0x8},    {"STROBES_SET", 0x10},      {"LOGO_LIGHTS_SET", 0x100},
        {"CABIN_LIGHTS_SET", 0x200},
    };
    const auto it = bits.find(eventName);
    return it == bits.end() ? 0 : it->second;
}

}  // namespace

void SimStandin::handlePacket(Connection& c, const ClientPacket& p) {
    c.info.lastSendId = p.sendId;
    if ((p.id & 0xF0000000u) != kOpcodeFlag) {
        queueException(c, excError, p.sendId, 0);
        return;
    }
    if (p.version != kProtocolVersion) {
        queueException(c, excVersionMismatch, p.sendId, 1);
        return;
    }
    const std::uint32_t opcode = p.opcode();
    if (!c.info.open && opcode != opOpen) {
        queueException(c, kExceptionUnopened, p.sendId, 0);
        return;
    }
    const std::uint32_t fixed = lf_fixedSize(opcode);
    if (fixed != 0 && p.size != fixed) {
        queueException(c, excSizeMismatch, p.sendId, 0);
        return;
    }
    ByteReader r(p.bytes);
    switch (opcode) {
        case opOpen: onOpen(c, p); break;
        case opSubscribeToSystemEvent: onSubscribe(c, p); break;
        case opMapClientEventToSimEvent: {
            bool terminated = false;
            const auto name = r.text(20, kNameFieldBytes, &terminated);
            if (!terminated) {
                queueException(c, excError, p.sendId, 2);
                break;
            }
            if (!gf_knownClientEvent(*name)) {
                queueException(c, excNameUnrecognized, p.sendId, 2);
                break;
            }
            c.info.mappedEvents[*r.u32(16)] = *name;
            break;
        }
        case opAddClientEventToNotificationGroup: {
            const std::uint32_t eventId = *r.u32(20);
            const std::uint32_t maskable = *r.u32(24);
            if (c.info.mappedEvents.count(eventId) == 0) {
                queueException(c, excUnrecognizedId, p.sendId, 2);
                break;
            }
            if (maskable > 1) {  // a BOOL
                queueException(c, excError, p.sendId, 3);
                break;
            }
            c.info.groups[*r.u32(16)].push_back(eventId);
            c.info.maskable[eventId] = maskable != 0;
            break;
        }
        case opSetNotificationGroupPriority:
            if (c.info.groups.count(*r.u32(16)) == 0) {
                queueException(c, excUnrecognizedId, p.sendId, 1);
                break;
            }
            c.info.groupPriorities[*r.u32(16)] = *r.u32(20);
            break;
        case opAddToDataDefinition: onAddToDataDefinition(c, p); break;
        case opRequestDataOnSimObject: onRequestData(c, p); break;
        case opRequestDataOnSimObjectType: onRequestDataByType(c, p); break;
        case opSetDataOnSimObject: onSetData(c, p); break;
        case opAICreateNonATCAircraft: onCreate(c, p); break;
        case opAIReleaseControl: onReleaseControl(c, p); break;
        case opAIRemoveObject: onRemove(c, p); break;
        case opTransmitClientEvent: onTransmitEvent(c, p); break;
        case opAISetAircraftFlightPlan: onFlightPlan(c, p); break;
        default: queueException(c, excError, p.sendId, 0); break;
    }
}

void SimStandin::onOpen(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    bool terminated = false;
    const auto name = r.text(16, kNameFieldBytes, &terminated);
    std::uint32_t wrongField = 0;
    if (!terminated || name->empty()) wrongField = 1;
    else if (*r.u32(272) != 0) wrongField = 2;
    else if (!std::equal(std::begin(kOpenMagic), std::end(kOpenMagic), p.bytes.begin() + 276)) wrongField = 3;
    else if (*r.u32(280) != kOpenWord280 || *r.u32(284) != kOpenWord284) wrongField = 4;
    else if (*r.u32(288) != 0 || *r.u32(292) != 0) wrongField = 5;
    if (wrongField != 0) {
        queueException(c, excVersionMismatch, p.sendId, wrongField);
        return;
    }
    c.info.open = true;
    c.info.applicationName = *name;
    queue(c, MessageBuilder(msgOpen)
                 .fixedText(m_identity.name, kNameFieldBytes)
                 .u32(m_identity.versionMajor)
                 .u32(m_identity.versionMinor)
                 .u32(m_identity.buildMajor)
                 .u32(m_identity.buildMinor)
                 .u32(m_identity.versionMajor)  // SimConnect version: that of the simulator
                 .u32(0)
                 .u32(0)
                 .u32(0)
                 .u32(0)
                 .u32(0)
                 .finish());
}

void SimStandin::onSubscribe(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    bool terminated = false;
    const auto name = r.text(20, kNameFieldBytes, &terminated);
    if (!terminated || name->empty()) {
        queueException(c, excError, p.sendId, 2);
        return;
    }
    if (!gf_knownSystemEvent(*name)) {
        queueException(c, excNameUnrecognized, p.sendId, 2);
        return;
    }
    const std::uint32_t eventId = *r.u32(16);
    c.systemEvents[gf_lower(*name)] = eventId;
    c.info.subscriptions.push_back(*name);
    if (gf_lower(*name) == "sim") {
        const std::uint32_t running = (m_running && !m_paused) ? 1 : 0;
        queue(c, MessageBuilder(msgEvent).u32(kUnknownGroup).u32(eventId).u32(running).finish());
    }
}

void SimStandin::onAddToDataDefinition(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    bool nameEnds = false;
    bool unitsEnd = false;
    const auto name = r.text(20, kNameFieldBytes, &nameEnds);
    const auto units = r.text(276, kNameFieldBytes, &unitsEnd);
    if (!nameEnds || name->empty()) {
        queueException(c, excError, p.sendId, 2);
        return;
    }
    if (!unitsEnd) {
        queueException(c, excError, p.sendId, 3);
        return;
    }
    const VariableInfo* variable = gf_findVariable(*name);
    if (variable == nullptr) {
        queueException(c, excNameUnrecognized, p.sendId, 2);
        return;
    }
    if (!gf_unitsFit(*variable, *units)) {
        queueException(c, excNameUnrecognized, p.sendId, 3);
        return;
    }
    const std::uint32_t type = *r.u32(532);
    const bool knownType = gf_datumBytes(type) != 0 || type == datumStringV;
    if (!knownType || gf_isTextDatumType(type) != (variable->kind == VariableKind::text)) {
        queueException(c, excInvalidDataType, p.sendId, 4);
        return;
    }
    const float epsilon = *r.f32(536);
    if (!std::isfinite(epsilon) || epsilon < 0.0F) {
        queueException(c, excError, p.sendId, 5);
        return;
    }
    if (*r.u32(540) != kUnusedDatumId) {  // a datum id only serves tagged data, which the stand-in has not
        queueException(c, excError, p.sendId, 6);
        return;
    }
    c.info.definitions[*r.u32(16)].push_back(
        Datum{*name, *units, *r.u32(532), gf_lower(*name), gf_lower(*units).rfind("rad", 0) == 0});
}

void SimStandin::onRequestData(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    const std::uint32_t requestId = *r.u32(16);
    const std::uint32_t defineId = *r.u32(20);
    const std::uint32_t objectId = *r.u32(24);
    const std::uint32_t period = *r.u32(28);
    if (period > periodSecond) {
        queueException(c, excInvalidEnum, p.sendId, 4);
        return;
    }
    if ((*r.u32(32) & ~kRequestFlagChanged) != 0) {
        queueException(c, excError, p.sendId, 5);
        return;
    }
    // Origin, interval and limit (frames to skip, between, and how many
    // answers): the program asks for none, and the stand-in serves none.
    for (std::uint32_t field = 0; field < 3; ++field) {
        if (*r.u32(36 + 4 * field) != 0) {
            queueException(c, excError, p.sendId, 6 + field);
            return;
        }
    }
    std::erase_if(c.periodic, [&](const auto& q) { return q.requestId == requestId; });
    if (period == periodNever) return;
    const auto definition = c.info.definitions.find(defineId);
    if (definition == c.info.definitions.end()) {
        queueException(c, excUnrecognizedId, p.sendId, 2);
        return;
    }
    const SimAircraft* aircraft = findAircraft(objectId);
    if (aircraft == nullptr) {
        queueException(c, excUnrecognizedId, p.sendId, 3);
        return;
    }
    if (period == periodOnce) {
        queue(c, objectDataMessage(msgSimObjectData, requestId, defineId, *aircraft, 1, 1, definition->second));
        return;
    }
    c.periodic.push_back(Connection::PeriodicRequest{requestId, defineId, objectId, period});
}

void SimStandin::onRequestDataByType(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    const std::uint32_t requestId = *r.u32(16);
    const std::uint32_t defineId = *r.u32(20);
    const double radiusM = *r.u32(24);
    const std::uint32_t type = *r.u32(28);
    if (radiusM > kMaxRadiusM) {
        queueException(c, excError, p.sendId, 3);
        return;
    }
    if (type > kLastObjectType) {
        queueException(c, excInvalidEnum, p.sendId, 4);
        return;
    }
    const auto definition = c.info.definitions.find(defineId);
    if (definition == c.info.definitions.end()) {
        queueException(c, excUnrecognizedId, p.sendId, 2);
        return;
    }
    std::vector<const SimAircraft*> found{&m_user.aircraft};
    if (type != 0) {  // 0: the user only
        for (const auto& [id, object] : m_objects) {
            if (lf_distanceM(m_user.aircraft.latitudeDeg, m_user.aircraft.longitudeDeg, object.latitudeDeg,
                             object.longitudeDeg) <= radiusM)
                found.push_back(&object);
        }
    }
    const auto outOf = static_cast<std::uint32_t>(found.size());
    for (std::uint32_t i = 0; i < outOf; ++i)
        queue(c, objectDataMessage(msgSimObjectDataByType, requestId, defineId, *found[i], i + 1, outOf,
                                   definition->second));
}

void SimStandin::onSetData(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    if (p.size < kSetDataHeaderBytes) {
        queueException(c, excSizeMismatch, p.sendId, 0);
        return;
    }
    const std::uint32_t defineId = *r.u32(16);
    const std::uint32_t objectId = *r.u32(20);
    const std::uint32_t count = *r.u32(28);
    const std::uint32_t unitSize = *r.u32(32);
    if (kSetDataHeaderBytes + static_cast<std::uint64_t>(count) * unitSize != p.size || count == 0) {
        queueException(c, excSizeMismatch, p.sendId, 4);
        return;
    }
    const auto definition = c.info.definitions.find(defineId);
    if (definition == c.info.definitions.end()) {
        queueException(c, excUnrecognizedId, p.sendId, 1);
        return;
    }
    SimAircraft* aircraft = findAircraft(objectId);
    if (aircraft == nullptr) {
        queueException(c, excUnrecognizedId, p.sendId, 2);
        return;
    }
    std::uint32_t expected = 0;
    for (const auto& datum : definition->second) expected += gf_datumBytes(datum.type);
    if (unitSize != expected || expected == 0) {
        queueException(c, excInvalidDataSize, p.sendId, 5);
        return;
    }
    applyDefinitionData(definition->second, r.tail(kSetDataHeaderBytes).first(unitSize), *aircraft);
}

void SimStandin::onCreate(Connection& c, const ClientPacket& p) {
    if (m_delayCreates > 0) {
        --m_delayCreates;
        m_delayedCreates.emplace_back(c.id, p);
        return;
    }
    makeCreation(c, p);
}

void SimStandin::makeCreation(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    bool titleEnds = false;
    bool tailEnds = false;
    // A simulator knows a livery by the bytes of its title in the aircraft.cfg,
    // whatever their code page, and creates nothing by any other bytes.
    const std::optional<std::string> title = r.text(16, kNameFieldBytes, &titleEnds);
    const auto tail = r.text(272, kTailNumberFieldBytes, &tailEnds);
    const bool knownTitle =
        (m_liveries.empty() || std::find(m_liveries.begin(), m_liveries.end(), *title) != m_liveries.end()) &&
        std::find(m_refusedTitles.begin(), m_refusedTitles.end(), *title) == m_refusedTitles.end();
    const auto refuse = [&](std::uint32_t code, std::uint32_t index) {
        if (m_flightRecord != nullptr) m_flightRecord->refused(title.value_or(""), tail.value_or(""), code);
        queueException(c, code, p.sendId, index);
    };
    if (!titleEnds || title->empty() || !knownTitle) return refuse(excCreateObjectFailed, 1);
    if (!tailEnds) return refuse(excCreateObjectFailed, 2);
    if (m_failCreates > 0) {
        --m_failCreates;
        return refuse(m_failCreatesCode, 0);
    }
    if (m_objects.size() >= kMaxAiObjects) return refuse(excTooManyObjects, 0);
    SimAircraft object;
    object.objectId = m_nextObjectId++;
    object.title = *title;
    object.atcId = *tail;
    object.latitudeDeg = *r.f64(284);
    object.longitudeDeg = *r.f64(292);
    object.altitudeFt = *r.f64(300);
    object.pitchDeg = *r.f64(308);
    object.bankDeg = *r.f64(316);
    object.headingDeg = *r.f64(324);
    object.onGround = *r.u32(332) != 0;
    object.trueAirspeedKt = *r.u32(336);
    object.createRequestId = *r.u32(340);
    object.ownerConnection = c.id;
    object.staticCgFt = m_newObjectCgFt;
    object.staticPitchDeg = m_newObjectPitchDeg;
    const std::uint32_t id = object.objectId;
    m_creations.push_back(object);
    if (m_flightRecord != nullptr) m_flightRecord->created(object);
    m_objects[id] = std::move(object);
    queue(c, MessageBuilder(msgAssignedObjectId).u32(m_objects[id].createRequestId).u32(id).finish());
    queueSystemEvent("ObjectAdded", [&](std::uint32_t eventId) {
        return MessageBuilder(msgEventObjectAddRemove).u32(kUnknownGroup).u32(eventId).u32(id).u32(
            kObjectTypeAircraft).finish();
    });
}

void SimStandin::onRemove(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    const std::uint32_t objectId = *r.u32(16);
    if (objectId == m_user.aircraft.objectId || objectId == 0) {
        queueException(c, excOperationInvalidForObjectType, p.sendId, 1);
        return;
    }
    if (m_objects.erase(objectId) == 0) {
        queueException(c, excUnrecognizedId, p.sendId, 1);
        return;
    }
    m_removals.push_back(objectId);
    if (m_flightRecord != nullptr) m_flightRecord->removed(objectId, "client");
    queueSystemEvent("ObjectRemoved", [&](std::uint32_t eventId) {
        return MessageBuilder(msgEventObjectAddRemove).u32(kUnknownGroup).u32(eventId).u32(objectId).u32(
            kObjectTypeAircraft).finish();
    });
}

void SimStandin::onReleaseControl(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    const std::uint32_t objectId = *r.u32(16);
    if (objectId == m_user.aircraft.objectId || objectId == 0) {
        queueException(c, excOperationInvalidForObjectType, p.sendId, 1);
        return;
    }
    const auto it = m_objects.find(objectId);
    if (it == m_objects.end()) {
        queueException(c, excUnrecognizedId, p.sendId, 1);
        return;
    }
    it->second.released = true;
}

void SimStandin::onTransmitEvent(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    RecordedEvent event{c.id, *r.u32(16), *r.u32(20), {}, *r.u32(24), *r.u32(28), *r.u32(32)};
    SimAircraft* aircraft = findAircraft(event.objectId);
    if (aircraft == nullptr) {
        queueException(c, excUnrecognizedId, p.sendId, 1);
        return;
    }
    const auto mapped = c.info.mappedEvents.find(event.eventId);
    if (mapped == c.info.mappedEvents.end()) {
        queueException(c, excUnrecognizedId, p.sendId, 2);
        return;
    }
    event.eventName = mapped->second;
    const std::string name = mapped->second;
    aircraft->lastEvents[name] = event.data;
    if (name == "FREEZE_LATITUDE_LONGITUDE_SET") aircraft->frozenLatLon = event.data != 0;
    else if (name == "FREEZE_ALTITUDE_SET") aircraft->frozenAltitude = event.data != 0;
    else if (name == "FREEZE_ATTITUDE_SET") aircraft->frozenAttitude = event.data != 0;
    else if (name == "ALL_LIGHTS_TOGGLE") aircraft->lightStates ^= 0x3FF;
    else if (const auto bit = lf_lightBit(name); bit != 0) {
        if (event.data != 0) aircraft->lightStates |= bit;
        else aircraft->lightStates &= ~bit;
    }
    m_events.push_back(std::move(event));
}

void SimStandin::onFlightPlan(Connection& c, const ClientPacket& p) {
    ByteReader r(p.bytes);
    const std::uint32_t objectId = *r.u32(16);
    bool terminated = false;
    const auto path = r.text(20, kFlightPlanPathFieldBytes, &terminated);
    RecordedFlightPlan plan{objectId, *path, false, {}, {}};
    const auto object = m_objects.find(objectId);
    if (object == m_objects.end()) {
        m_flightPlans.push_back(plan);
        queueException(c, excUnrecognizedId, p.sendId, 1);
        return;
    }
    std::filesystem::path file(*path);
    if (!file.has_extension()) file += ".pln";
    pugi::xml_document document;
    const bool parsed = terminated && !path->empty() && document.load_file(file.c_str());
    const auto flightPlan = document.child("SimBase.Document").child("FlightPlan.FlightPlan");
    if (!parsed || !flightPlan || m_failFlightPlans > 0) {
        if (m_failFlightPlans > 0) --m_failFlightPlans;
        m_flightPlans.push_back(plan);
        queueException(c, excLoadFlightPlanFailed, p.sendId, 2);
        return;
    }
    plan.accepted = true;
    plan.departure = flightPlan.child_value("DepartureID");
    plan.destination = flightPlan.child_value("DestinationID");
    object->second.flightPlan = *path;
    m_flightPlans.push_back(std::move(plan));
}

void SimStandin::removeObjectsOf(std::uint32_t connectionId) {
    for (auto it = m_objects.begin(); it != m_objects.end();) {
        if (it->second.ownerConnection != connectionId) {
            ++it;
            continue;
        }
        const std::uint32_t objectId = it->first;
        it = m_objects.erase(it);
        if (m_flightRecord != nullptr) m_flightRecord->removed(objectId, "connection closed");
        queueSystemEvent("ObjectRemoved", [&](std::uint32_t eventId) {
            return MessageBuilder(msgEventObjectAddRemove).u32(kUnknownGroup).u32(eventId).u32(objectId).u32(
                kObjectTypeAircraft).finish();
        });
    }
}

}  // namespace zrb::standin
