#include "simulator/vocabulary.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <string>

namespace zrb::standin {

namespace {

std::string lf_lower(std::string_view text) {
    std::string lower(text);
    std::ranges::transform(lower, lower.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

const std::vector<std::string_view> angleUnits{"degree", "degrees", "radian", "radians"};
const std::vector<std::string_view> feetUnits{"feet", "foot", "ft"};
const std::vector<std::string_view> knotUnits{"knots", "knot", "kt"};

const std::map<std::string, VariableInfo, std::less<>>& lf_variables() {
    static const std::map<std::string, VariableInfo, std::less<>> variables{
        {"plane latitude", {VariableKind::number, angleUnits}},
        {"plane longitude", {VariableKind::number, angleUnits}},
        {"plane pitch degrees", {VariableKind::number, angleUnits}},
        {"plane bank degrees", {VariableKind::number, angleUnits}},
        {"plane heading degrees true", {VariableKind::number, angleUnits}},
        {"plane altitude", {VariableKind::number, feetUnits}},
        {"plane alt above ground", {VariableKind::number, feetUnits}},
        {"ground altitude", {VariableKind::number, feetUnits}},
        {"static cg to ground", {VariableKind::number, feetUnits}},
        {"static pitch", {VariableKind::number, angleUnits}},
        {"vertical speed", {VariableKind::number, {"feet per second", "feet/second"}}},
        {"airspeed true", {VariableKind::number, knotUnits}},
        {"ground velocity", {VariableKind::number, knotUnits}},
        {"zulu time", {VariableKind::number, {"seconds", "second"}}},
        {"zulu day of year", {VariableKind::number, {"number"}}},
        {"zulu year", {VariableKind::number, {"number"}}},
        {"light states", {VariableKind::number, {"mask"}}},
        {"light on states", {VariableKind::number, {"mask"}}},
        {"sim on ground", {VariableKind::number, {"bool"}}},
        {"spoilers handle position", {VariableKind::number, {"percent"}}},
        {"general eng throttle lever position:1", {VariableKind::number, {"percent"}}},
        {"general eng throttle lever position:2", {VariableKind::number, {"percent"}}},
        {"title", {VariableKind::text, {}}},
        {"atc model", {VariableKind::text, {}}},
        {"atc id", {VariableKind::text, {}}},
    };
    return variables;
}

constexpr std::array<std::string_view, 6> systemEvents{"sim",           "objectadded", "objectremoved",
                                                       "positionchanged", "flightloaded", "frame"};

constexpr std::array<std::string_view, 17> clientEvents{
    "gear_set",        "engine_auto_start", "engine_auto_shutdown", "throttle_set",     "flaps_set",
    "spoilers_set",    "nav_lights_set",    "beacon_lights_set",    "landing_lights_set", "taxi_lights_set",
    "strobes_set",     "logo_lights_set",   "cabin_lights_set",     "all_lights_toggle",
    "freeze_latitude_longitude_set",        "freeze_altitude_set",  "freeze_attitude_set"};

constexpr std::uint32_t firstTextType = 5;  // STRING8
constexpr std::uint32_t lastTextType = 11;  // STRINGV

}  // namespace

bool gf_knownSystemEvent(std::string_view name) { return std::ranges::find(systemEvents, lf_lower(name)) != systemEvents.end(); }

bool gf_knownClientEvent(std::string_view name) { return std::ranges::find(clientEvents, lf_lower(name)) != clientEvents.end(); }

const VariableInfo* gf_findVariable(std::string_view name) {
    const auto& variables = lf_variables();
    const auto it = variables.find(lf_lower(name));
    return it == variables.end() ? nullptr : &it->second;
}

bool gf_unitsFit(const VariableInfo& variable, std::string_view units) {
    if (variable.kind == VariableKind::text) return units.empty();
    return std::ranges::find(variable.units, lf_lower(units)) != variable.units.end();
}

bool gf_isTextDatumType(std::uint32_t type) { return type >= firstTextType && type <= lastTextType; }

}  // namespace zrb::standin
