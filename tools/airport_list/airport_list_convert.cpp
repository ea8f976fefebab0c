#include "airport_list/airport_list_convert.h"

#include <cctype>
#include <cmath>
#include <sstream>

#include <fmt/format.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

namespace zrb::tools {

namespace {

bool lf_isCode(const std::string& text, std::size_t length) {
    if (text.size() != length) return false;
    for (const char c : text)
        if (std::isupper(static_cast<unsigned char>(c)) == 0 && std::isdigit(static_cast<unsigned char>(c)) == 0)
            return false;
    return true;
}

std::string lf_text(const nlohmann::json& airport, const char* key) {
    const auto it = airport.find(key);
    return it != airport.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool lf_number(const nlohmann::json& airport, const char* key, double& value) {
    const auto it = airport.find(key);
    if (it == airport.end() || !it->is_number()) return false;
    value = it->get<double>();
    return std::isfinite(value);
}

}  // namespace

AirportListResult gf_convertAirportData(std::string_view json) {
    const nlohmann::json airports = nlohmann::json::parse(json);
    pugi::xml_document doc;
    pugi::xml_node root = doc.append_child("airports");
    AirportListResult result;
    for (const nlohmann::json& airport : airports) {
        const std::string icao = airport.is_object() ? lf_text(airport, "icao") : std::string();
        double lat = 0.0;
        double lon = 0.0;
        double alt = 0.0;
        if (!lf_isCode(icao, 4) || !lf_number(airport, "latitude", lat) || !lf_number(airport, "longitude", lon) ||
            !lf_number(airport, "altitude", alt)) {
            ++result.skipped;
            continue;
        }
        pugi::xml_node node = root.append_child("airport");
        node.append_attribute("code").set_value(icao.c_str());
        if (const std::string iata = lf_text(airport, "iata"); lf_isCode(iata, 3))
            node.append_attribute("iata").set_value(iata.c_str());
        node.append_attribute("lat").set_value(fmt::format("{}", lat).c_str());
        node.append_attribute("lon").set_value(fmt::format("{}", lon).c_str());
        node.append_attribute("alt").set_value(fmt::format("{}", alt).c_str());
        ++result.taken;
    }
    std::ostringstream out;
    doc.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
    result.xml = out.str();
    return result;
}

}  // namespace zrb::tools
