// Writing an airport parking file: a generated airport (every stand in full,
// no options) or a learned overlay (the settings the user had there, the
// learned radius and cargo changes, manual stands, and the options).
#include <string>

#include <fmt/format.h>

#include "airports/park_airport_file.h"
#include "airports/parking_file.h"
#include "config/meta_info.h"
#include "config/parameters.h"
#include "foundation/geodesy.h"
#include "foundation/time.h"
#include "foundation/xml_file.h"
#include "liveries/dbase.h"

namespace zrb {

namespace {

constexpr double metresPerNm = 1852.0;
// The default of MAX_LIVE_SEL is left out of a learned file.
constexpr std::int32_t defaultMaxLive = 500;

std::string lf_boolText(bool value) { return value ? "true" : "false"; }

bool lf_addParameter(pugi::xml_node parameters, std::string_view name, const std::string& value) {
    return gf_appendParameterNode(parameters, name, value);
}

bool lf_addParameter(pugi::xml_node parameters, std::string_view name, std::int64_t value) {
    return gf_appendParameterNode(parameters, name, fmt::format("{}", value));
}

bool lf_addParameter(pugi::xml_node parameters, std::string_view name, bool value) {
    return gf_appendParameterNode(parameters, name, lf_boolText(value));
}

// The "parameters" element. A handmade airport is only ever the park airport,
// so its marks belong to learned files; a generated file never carries them.
bool lf_writeApfHeader(pugi::xml_node doc, const AddonAirport& airport, std::uint32_t mode) {
    if (doc.type() != pugi::node_document && doc.type() != pugi::node_element) return false;
    pugi::xml_node p = doc.append_child("parameters");
    if (!p) return false;
    const bool learned = mode == g_apfModeLearned;
    const bool handmade = learned && g_handmadeAirport.load();
    bool ok = lf_addParameter(p, "airport_name", airport.name) && lf_addParameter(p, "publisher", airport.publisher);
    if (handmade) ok = ok && lf_addParameter(p, "handmade", true);
    if (!learned || handmade) ok = ok && lf_addParameter(p, "altitude", std::int64_t{airport.altitude});
    ok = ok && lf_addParameter(p, "num_parkpos", static_cast<std::int64_t>(airport.stands.size()));
    if (handmade) {
        ok = ok && lf_addParameter(p, "Qf_real", std::int64_t{airport.qfReal}) &&
             lf_addParameter(p, "Qf_soft", std::int64_t{airport.qfSoft});
    }
    if (airport.publisher == "unknown") ok = ok && lf_addParameter(p, "BGLpath", airport.bglPath);
    if (!learned) return ok;
    // The older names LATERAL_RANGE and MAX_LIVE carry RANGE and MAX_LIVE_SEL.
    ok = ok && lf_addParameter(p, "LATERAL_RANGE", std::int64_t{RANGE.value}) &&
         lf_addParameter(p, "AUTO_RANGE", AUTO_RANGE.value.load()) &&
         // The reader takes WEEK as a boolean: a number would always read as false.
         lf_addParameter(p, "WEEK", WEEK.value.load()) && lf_addParameter(p, "PARK_FAKE", PARK_FAKE.value.load()) &&
         lf_addParameter(p, "PARK_SOFT", PARK_SOFT.value.load()) &&
         lf_addParameter(p, "parking_percentage", std::int64_t{parking_percentage.value}) &&
         lf_addParameter(p, "INITIAL_LOAD_ONLY", INITIAL_LOAD_ONLY.value.load()) &&
         lf_addParameter(p, "MAX_FIT", std::int64_t{MAX_FIT.value}) &&
         lf_addParameter(p, "RT_PARKTRAFFIC_ONLY", RT_PARKTRAFFIC_ONLY.value.load());
    if (MAX_LIVE_SEL.value != defaultMaxLive) ok = ok && lf_addParameter(p, "MAX_LIVE", std::int64_t{MAX_LIVE_SEL.value});
    return ok && lf_addParameter(p, "LEARN_SOFT", LEARN_SOFT.value.load());
}

void lf_setAttribute(pugi::xml_node node, const char* name, const std::string& value) {
    node.append_attribute(name).set_value(value.c_str());
}

void lf_writeFullStand(pugi::xml_node parkpos, const Stand& stand) {
    lf_setAttribute(parkpos, "latitude", fmt::format("{:.6f}", stand.lat));
    lf_setAttribute(parkpos, "longitude", fmt::format("{:.6f}", stand.lon));
    lf_setAttribute(parkpos, "heading", fmt::format("{:.1f}", stand.heading * g_radToDeg));
    lf_setAttribute(parkpos, "radius", fmt::format("{:.1f}", stand.radius * metresPerNm));
    if (stand.heli != 0) lf_setAttribute(parkpos, "heli", "true");
    else lf_setAttribute(parkpos, "cargo", lf_boolText(stand.cargo != 0));
    lf_setAttribute(parkpos, "ramp", lf_boolText(stand.ramp != 0));
    if (stand.manual != 0) lf_setAttribute(parkpos, "manual", "true");
}

void lf_writeChangedStand(pugi::xml_node parkpos, const Stand& stand) {
    if (stand.radiusChanged != 0) {
        lf_setAttribute(parkpos, "radius_change", "true");
        lf_setAttribute(parkpos, "radius", fmt::format("{:.1f}", stand.radius * metresPerNm));
    }
    if (stand.cargoChanged != 0) {
        lf_setAttribute(parkpos, "cargo_change", "true");
        lf_setAttribute(parkpos, "cargo", lf_boolText(stand.cargo != 0));
    }
}

void lf_writeOptions(pugi::xml_node parkpos, const Stand& stand) {
    for (const StandOption& option : stand.options) {
        if (option.optionId == 0) continue;
        pugi::xml_node opt = parkpos.append_child("opt");
        lf_setAttribute(opt, "reg", option.registration);
        // A known registration takes its airline and type from the database when read.
        if (!gf_findDbaseRecord(option.registration)) {
            lf_setAttribute(opt, "airl", option.airline);
            lf_setAttribute(opt, "type", option.type);
        }
        if (option.real == 0) lf_setAttribute(opt, "soft", "true");
        lf_setAttribute(opt, "day", fmt::format("{}", option.day));
        lf_setAttribute(opt, "hh", gf_bitset2hours(option.halfHours));
        if (!option.callsign.empty()) {
            lf_setAttribute(opt, "cs", option.coupledCallsign.empty() ? option.callsign
                                                                      : option.callsign + ":" + option.coupledCallsign);
        }
    }
}

}  // namespace

bool gf_writeApf(const AddonAirport& airport, const std::filesystem::path& path, std::uint32_t mode) {
    pugi::xml_document doc;
    if (!gf_writeMetaInfo(doc)) return false;
    if (!lf_writeApfHeader(doc, airport, mode)) return false;
    pugi::xml_node parkpositions = doc.append_child("parkpositions");
    if (!parkpositions) return false;
    const bool learned = mode == g_apfModeLearned;
    const bool handmade = learned && g_handmadeAirport.load();
    for (const Stand& stand : airport.stands) {
        pugi::xml_node parkpos = parkpositions.append_child("parkpos");
        lf_setAttribute(parkpos, "id", stand.id);
        if (!learned || stand.manual != 0 || handmade) lf_writeFullStand(parkpos, stand);
        else lf_writeChangedStand(parkpos, stand);
        if (learned) lf_writeOptions(parkpos, stand);
    }
    return gf_writeXml(doc, path);
}

}  // namespace zrb
