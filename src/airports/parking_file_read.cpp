// Reading airport parking files: stands with their options, the learned
// changes of a stand, and the header parameters. The files come from the
// download site, from the user and from add-on scenery: every value is
// checked before it reaches the planner.
#include <cmath>
#include <string>
#include <system_error>
#include <unordered_set>

#include <fmt/format.h>

#include "airports/parking_file.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/time.h"
#include "foundation/user_error.h"
#include "foundation/xml_file.h"
#include "liveries/dbase.h"

namespace zrb {

namespace {

constexpr std::int32_t lastWeekday = 7;
constexpr std::size_t standIdReserve = 512;

// Options of a learned file are numbered on from the stand's last one.
std::uint32_t lf_nextOptionId(const Stand& stand) {
    return stand.options.empty() ? 1 : stand.options.back().optionId + 1;
}

// An "opt" element without its day, numbering and origin.
StandOption lf_readOption(const pugi::xml_node& opt) {
    StandOption option;
    const std::string cs = gf_getAttrString(opt, "cs");
    if (const auto colon = cs.find(':'); colon != std::string::npos) {
        option.callsign = cs.substr(0, colon);
        option.coupledCallsign = cs.substr(colon + 1);
    } else {
        option.callsign = cs;
    }
    option.registration = gf_getAttrString(opt, "reg");
    if (const auto record = option.registration.empty() ? std::nullopt : gf_findDbaseRecord(option.registration)) {
        option.airline = record->opr.empty() ? record->airl : record->opr;
        option.type = record->type;
    } else {
        option.airline = gf_getAttrString(opt, "airl");
        option.type = gf_getAttrString(opt, "type");
    }
    option.halfHours = gf_hours2bitset(gf_getAttrString(opt, "hh"));
    option.real = opt.attribute("soft").as_bool() ? 0 : 1;
    return option;
}

bool lf_dayIsUsable(std::int32_t day, std::string_view standId) {
    if (day <= lastWeekday) return true;
    gf_logMarked("Option of parking position {} skipped: day {} is no weekday", standId, day);
    return false;
}

// Why the stand's values cannot be used; empty when they can.
std::string lf_standProblem(double lat, double lon, double headingDeg, double radiusMetres) {
    if (!std::isfinite(lat) || lat < -90.0 || lat > 90.0) return fmt::format("latitude {}", lat);
    if (!std::isfinite(lon) || lon < -180.0 || lon > 180.0) return fmt::format("longitude {}", lon);
    if (!std::isfinite(headingDeg)) return fmt::format("heading {}", headingDeg);
    if (!std::isfinite(radiusMetres) || radiusMetres < 0.0 || radiusMetres > g_maxStandRadiusMetres)
        return fmt::format("radius {}", radiusMetres);
    return {};
}

std::string lf_parameterXPath(std::string_view name) {
    return fmt::format("/parameters/parameter[@name='{}']", name);
}

// The parameter's element; null when absent (or when the name cannot be put
// into the query, which no parameter of the format needs).
pugi::xml_node lf_findParameter(const pugi::xml_node& doc, std::string_view name) {
    if (name.find('\'') != std::string_view::npos) return {};
    try {
        return doc.select_node(lf_parameterXPath(name).c_str()).node();
    } catch (const pugi::xpath_exception& e) {
        gf_logLine("{} {}", lf_parameterXPath(name), e.what());
        return {};
    }
}

}  // namespace

void lf_readParkPos(const pugi::xml_node& parkpos, std::string id, std::uint32_t origin, std::vector<Stand>& table) {
    const double lat = parkpos.attribute("latitude").as_double();
    const double lon = parkpos.attribute("longitude").as_double();
    if (lat == 0.0 && lon == 0.0) return;
    const double radiusMetres = parkpos.attribute("radius").as_double();
    const double headingDeg = parkpos.attribute("heading").as_double();
    if (const std::string problem = lf_standProblem(lat, lon, headingDeg, radiusMetres); !problem.empty()) {
        gf_logMarked("Parking position {} skipped: invalid {}", id, problem);
        return;
    }
    std::vector<StandOption> options;
    options.reserve(g_standOptionReserve);
    std::uint32_t optionId = 1;
    for (const pugi::xml_node& opt : parkpos.children("opt")) {
        StandOption option = lf_readOption(opt);
        const std::int32_t day = opt.attribute("day").as_int();
        if (!lf_dayIsUsable(day, id)) continue;
        option.day = day < 0 ? 0 : day;
        option.optionId = optionId++;
        option.origin = origin;
        options.push_back(std::move(option));
    }
    options.shrink_to_fit();
    const bool heli = parkpos.attribute("heli").as_bool();
    const bool ramp = parkpos.attribute("ramp").as_bool();
    const bool cargo = parkpos.attribute("cargo").as_bool();
    table.emplace_back(std::move(id), std::move(options), lat, lon, headingDeg * g_degToRad, radiusMetres, cargo ? 0 : 1,
                       ramp ? 0 : 1, heli ? 0 : 1);
}

void gf_readParkPositions(const pugi::xml_node& parkpositions, std::uint32_t origin, std::vector<Stand>& table,
                          std::string_view fileText) {
    std::unordered_set<std::string> ids;
    ids.reserve(standIdReserve);
    for (const pugi::xml_node& parkpos : parkpositions.children("parkpos")) {
        std::string id = gf_getAttrString(parkpos, "id");
        if (!ids.insert(id).second)
            throw UserErrorException(94, fmt::format("Parking position {} appears more than once?", id));
        if (table.size() >= g_maxParkingStands) {
            gf_logMarked("{}: more than {} parking positions, the rest is left out", fileText, g_maxParkingStands);
            return;
        }
        lf_readParkPos(parkpos, std::move(id), origin, table);
    }
}

bool lf_sameStandOption(const StandOption& a, const StandOption& b) {
    return a.day == b.day && a.real == b.real && a.registration == b.registration && a.airline == b.airline &&
           a.type == b.type && (a.halfHours & b.halfHours) != 0;
}

bool lf_applyParkPosChanges(const ParkPosChange& change, Stand& stand) {
    if (stand.id != change.id) return false;
    const pugi::xml_node& parkpos = change.parkpos;
    if (parkpos.attribute("radius_change").as_bool()) {
        const double radiusMetres = parkpos.attribute("radius").as_double();
        if (std::isfinite(radiusMetres) && radiusMetres >= 0.0 && radiusMetres <= g_maxStandRadiusMetres) {
            stand.radius = radiusMetres * g_nmPerMetre;
            stand.radiusChanged = 1;
        } else {
            gf_logMarked("Learned radius of parking position {} ignored: {}", change.id, radiusMetres);
            if (change.leftOut != nullptr) ++*change.leftOut;
        }
    }
    if (parkpos.attribute("cargo_change").as_bool()) {
        stand.cargo = parkpos.attribute("cargo").as_bool() ? 1 : 0;
        stand.cargoChanged = 1;
    }
    std::uint32_t next = lf_nextOptionId(stand);
    for (const pugi::xml_node& opt : parkpos.children("opt")) {
        StandOption option = lf_readOption(opt);
        // Unlike a base file, a learned day stays signed: it was written by us.
        option.day = opt.attribute("day").as_int();
        if (!lf_dayIsUsable(option.day, change.id)) {
            if (change.leftOut != nullptr) ++*change.leftOut;
            continue;
        }
        option.origin = 0;
        option.optionId = next;
        bool known = false;
        for (const StandOption& existing : stand.options) {
            if (lf_sameStandOption(existing, option)) {
                known = true;
                break;
            }
        }
        if (known) continue;
        stand.options.push_back(std::move(option));
        ++next;
    }
    return true;
}

std::optional<bool> lf_getApfBoolParameter(const pugi::xml_node& doc, std::string_view name) {
    const pugi::xml_node node = lf_findParameter(doc, name);
    if (!node) return std::nullopt;
    return node.attribute("value").as_bool();
}

std::optional<std::int32_t> lf_getApfIntParameter(const pugi::xml_node& doc, std::string_view name) {
    const pugi::xml_node node = lf_findParameter(doc, name);
    if (!node) return std::nullopt;
    return static_cast<std::int32_t>(node.attribute("value").as_int());
}

std::optional<std::string> lf_getApfStringParameter(const pugi::xml_node& doc, std::string_view name) {
    const pugi::xml_node node = lf_findParameter(doc, name);
    if (!node) return std::nullopt;
    return gf_getAttrString(node, "value");
}

bool gf_loadParkingXml(pugi::xml_document& doc, const std::filesystem::path& path, std::string& error) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (!ec && size > g_maxParkingFileBytes) {
        error = "file too large";
        return false;
    }
    const pugi::xml_parse_result result = gf_loadXml(doc, path);
    if (result) return true;
    error = result.description();
    return false;
}

}  // namespace zrb
