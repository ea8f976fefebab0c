// The stand-in's world data: values of simulation variables by name for the
// user aircraft and the AI objects, and the data blocks of definitions.
#include <cmath>

#include "simconnect/protocol.h"
#include "simulator/flight_record.h"
#include "simulator/standin_connection.h"

namespace zrb::standin {

namespace {

using namespace simconnect;

constexpr double kDegToRad = 3.14159265358979323846 / 180.0;
constexpr double kOnGroundMarginFt = 1.0;

}  // namespace

std::uint32_t gf_datumBytes(std::uint32_t datumType) {
    switch (datumType) {
        case 1: return 4;    // INT32
        case 2: return 8;    // INT64
        case 3: return 4;    // FLOAT32
        case 4: return 8;    // FLOAT64
        case 5: return 8;    // STRING8
        case 6: return 32;   // STRING32
        case 7: return 64;   // STRING64
        case 8: return 128;  // STRING128
        case 9: return 256;  // STRING256
        case 10: return 260; // STRING260
        default: return 0;   // STRINGV and anything unknown
    }
}

SimAircraft* SimStandin::findAircraft(std::uint32_t objectId) {
    if (objectId == 0 || objectId == m_user.aircraft.objectId) return &m_user.aircraft;
    const auto it = m_objects.find(objectId);
    return it == m_objects.end() ? nullptr : &it->second;
}

std::vector<std::uint8_t> SimStandin::definitionData(const std::vector<Datum>& definition,
                                                     const SimAircraft& a) const {
    MessageBuilder block(0);  // only the body is used
    const bool isUser = a.objectId == m_user.aircraft.objectId;
    for (const auto& datum : definition) {
        const std::string& name = datum.key;
        const auto angle = [&](double degrees) { return datum.radians ? degrees * kDegToRad : degrees; };
        double value = 0.0;
        std::string text;
        bool isText = false;
        if (name == "plane latitude") value = angle(a.latitudeDeg);
        else if (name == "plane longitude") value = angle(a.longitudeDeg);
        else if (name == "plane pitch degrees") value = angle(a.pitchDeg);
        else if (name == "plane bank degrees") value = angle(a.bankDeg);
        else if (name == "plane heading degrees true") value = angle(a.headingDeg);
        else if (name == "plane altitude") value = a.altitudeFt;
        else if (name == "plane alt above ground") value = std::max(0.0, a.altitudeFt - m_groundElevationFt);
        else if (name == "ground altitude") value = m_groundElevationFt;
        else if (name == "ground velocity") value = a.groundSpeedKt;
        else if (name == "vertical speed") value = a.verticalSpeedFtPerS;
        else if (name == "airspeed true") value = a.trueAirspeedKt;
        else if (name == "sim on ground") value = a.onGround ? 1.0 : 0.0;
        else if (name == "zulu time") value = static_cast<double>(m_user.zuluTimeS);
        else if (name == "zulu day of year") value = static_cast<double>(m_user.zuluDayOfYear);
        else if (name == "zulu year") value = static_cast<double>(m_user.zuluYear);
        else if (name == "light states" || name == "light on states") value = static_cast<double>(a.lightStates);
        else if (name == "static cg to ground") value = a.staticCgFt;
        else if (name == "static pitch") value = angle(a.staticPitchDeg);
        else if (name == "title") isText = true, text = a.title;
        else if (name == "atc model") isText = true, text = a.atcModel;
        else if (name == "atc id") isText = true, text = isUser || !a.atcId.empty() ? a.atcId : std::string();
        else if (const auto it = a.controls.find(datum.name); it != a.controls.end()) value = it->second;

        switch (datum.type) {
            case 1: block.u32(static_cast<std::uint32_t>(static_cast<std::int32_t>(value))); break;
            case 2: block.i64(static_cast<std::int64_t>(value)); break;
            case 3: block.f32(static_cast<float>(value)); break;
            case 4: block.f64(value); break;
            case datumStringV: block.variableText(isText ? text : std::string()); break;
            default: block.fixedText(isText ? text : std::string(), gf_datumBytes(datum.type)); break;
        }
    }
    auto bytes = block.finish();
    bytes.erase(bytes.begin(), bytes.begin() + kReceiveHeaderBytes);
    return bytes;
}

void SimStandin::applyDefinitionData(const std::vector<Datum>& definition, std::span<const std::uint8_t> data,
                                     SimAircraft& a) {
    ByteReader r(data);
    std::size_t offset = 0;
    bool position = false;
    for (const auto& datum : definition) {
        const std::string& name = datum.key;
        double value = 0.0;
        switch (datum.type) {
            case 1: value = static_cast<std::int32_t>(r.u32(offset).value_or(0)); break;
            case 2: {
                const std::uint64_t low = r.u32(offset).value_or(0);
                const std::uint64_t high = r.u32(offset + 4).value_or(0);
                value = static_cast<double>(static_cast<std::int64_t>(low | (high << 32)));
                break;
            }
            case 3: value = r.f32(offset).value_or(0.0f); break;
            case 4: value = r.f64(offset).value_or(0.0); break;
            default: break;
        }
        offset += gf_datumBytes(datum.type);
        const double degrees = datum.radians ? value / kDegToRad : value;
        if (name == "plane latitude") a.latitudeDeg = degrees, position = true;
        else if (name == "plane longitude") a.longitudeDeg = degrees;
        else if (name == "plane pitch degrees") a.pitchDeg = degrees;
        else if (name == "plane bank degrees") a.bankDeg = degrees;
        else if (name == "plane heading degrees true") a.headingDeg = degrees;
        else if (name == "plane altitude") a.altitudeFt = value;
        else if (name == "vertical speed") a.verticalSpeedFtPerS = value;
        else if (name == "airspeed true") a.trueAirspeedKt = value;
        else a.controls[datum.name] = value;
    }
    if (!position) return;
    ++a.positionUpdates;
    if (m_flightRecord != nullptr && a.objectId != m_user.aircraft.objectId) m_flightRecord->moved(a);
    // Flat ground at the elevation: an AI object stands on it while its
    // centre of gravity is no higher than its height above the wheels.
    if (a.objectId != m_user.aircraft.objectId)
        a.onGround = a.altitudeFt - m_groundElevationFt <= a.staticCgFt + kOnGroundMarginFt;
}

std::vector<std::uint8_t> SimStandin::objectDataMessage(std::uint32_t messageId, std::uint32_t requestId,
                                                        std::uint32_t defineId, const SimAircraft& aircraft,
                                                        std::uint32_t entry, std::uint32_t outOf,
                                                        const std::vector<Datum>& definition) const {
    const auto data = definitionData(definition, aircraft);
    return MessageBuilder(messageId)
        .u32(requestId)
        .u32(aircraft.objectId)
        .u32(defineId)
        .u32(0)
        .u32(entry)
        .u32(outOf)
        .u32(static_cast<std::uint32_t>(definition.size()))
        .raw(data)
        .finish();
}

void SimStandin::answerPeriodic(std::uint32_t period) {
    for (const auto& c : m_connections) {
        if (!c->info.open) continue;
        std::erase_if(c->periodic, [&](const Connection::PeriodicRequest& q) {
            if (q.period != period) return false;
            const SimAircraft* aircraft = findAircraft(q.objectId);
            const auto definition = c->info.definitions.find(q.defineId);
            if (aircraft == nullptr || definition == c->info.definitions.end()) return true;  // its object is gone
            queue(*c, objectDataMessage(msgSimObjectData, q.requestId, q.defineId, *aircraft, 1, 1,
                                        definition->second));
            return false;
        });
    }
}

}  // namespace zrb::standin
