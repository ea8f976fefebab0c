#include "airports/airport_list.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

#include <pugixml.hpp>

#include "airports/airport_list_test_hook.h"
#include "airports/park_airport_file.h"
#include "config/paths.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "foundation/xml_file.h"

namespace zrb {

namespace {

constexpr double metresPerNm = 1852.0;
constexpr double nmPerDegreeLat = 60.0;
// Rounding room for the latitude pre-test [NM].
constexpr double rangeSlackNm = 1e-6;

std::vector<AirportData> g_airportList;
// Published once the list is complete; the list is never written after that.
std::atomic<bool> g_airportListRead{false};

// The standard text-to-double conversion of the C locale: leading blanks
// skipped, trailing text ignored. Throws with its error text for text that
// does not begin with a number and for a value out of range.
double lf_textToDouble(std::string_view text) {
    std::size_t start = 0;
    while (start < text.size() && std::isspace(static_cast<unsigned char>(text[start])) != 0) ++start;
    text.remove_prefix(start);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec == std::errc::invalid_argument) throw std::invalid_argument("invalid stod argument");
    if (ec == std::errc::result_out_of_range) throw std::out_of_range("stod argument out of range");
    return value;
}

void lf_readAirport(const pugi::xml_node& airport, const std::string& code) {
    const pugi::xml_attribute latText = airport.attribute("lat");
    const pugi::xml_attribute lonText = airport.attribute("lon");
    const pugi::xml_attribute altText = airport.attribute("alt");
    if (!latText || !lonText || !altText) {
        gf_logLine("Missing lat/lon/alt for airport '{}'", code);
        return;
    }
    AirportData data;
    try {
        data.elevationFt = lf_textToDouble(altText.value());
        data.lat = lf_textToDouble(latText.value());
        data.lon = lf_textToDouble(lonText.value());
    } catch (const std::exception& e) {
        gf_logLine("Error parsing coordinates for airport '{}': {}", code, e.what());
        return;
    }
    // "nan" and "inf" are numbers to the conversion, but no place on earth.
    if (!std::isfinite(data.elevationFt) || !std::isfinite(data.lat) || !std::isfinite(data.lon) ||
        std::abs(data.lat) > 90.0 || std::abs(data.lon) > 180.0) {
        gf_logLine("Error parsing coordinates for airport '{}': {}", code, "position out of range");
        return;
    }
    data.icao = code;
    data.iata = gf_getAttrString(airport, "iata");
    g_airportList.push_back(std::move(data));
}

void lf_readAirportFile(const std::filesystem::path& path) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = gf_loadXml(doc, path);
    if (!result) throw std::runtime_error(gf_pathText(path) + " not loaded: " + result.description());
    const pugi::xml_node root = doc.child("airports");
    if (!root) throw std::runtime_error("Missing <airports> root in: " + gf_pathText(path));
    for (const pugi::xml_node& airport : root.children("airport")) lf_readAirport(airport, gf_getAttrString(airport, "code"));
    std::stable_sort(g_airportList.begin(), g_airportList.end(),
                     [](const AirportData& a, const AirportData& b) { return a.icao < b.icao; });
    gf_logLine("{} airports read from '{}'", g_airportList.size(), gf_pathText(path));
}

}  // namespace

bool gf_readAirports(const std::string& fileName) {
    if (g_airportListRead.load(std::memory_order_acquire)) return !g_airportList.empty();
    g_airportList.clear();
    if (g_airportList.capacity() < g_airportListReserve) g_airportList.reserve(g_airportListReserve);
    const std::filesystem::path path = g_inputFolder / fileName;
    try {
        lf_readAirportFile(path);
    } catch (const std::exception& e) {
        g_airportList.clear();
        throw UserErrorException(88, e.what());
    }
    g_airportList.shrink_to_fit();
    g_airportListRead.store(true, std::memory_order_release);
    return !g_airportList.empty();
}

const std::vector<AirportData>& gf_airportList() {
    static const std::vector<AirportData> none;
    return g_airportListRead.load(std::memory_order_acquire) ? g_airportList : none;
}

std::optional<AirportData> gf_findAirport(std::string_view icao) {
    for (const AirportData& airport : gf_airportList())
        if (airport.icao == icao) return airport;
    return std::nullopt;
}

std::optional<AirportData> gf_closestAirport(double lat, double lon, bool* onItsWay) {
    // Every airport within range takes part, whatever its place in code order:
    // the nearest and the second nearest (the earlier code wins a tie).
    const AirportData* best = nullptr;
    const AirportData* neighbour = nullptr;
    double bestNm = 0.0;
    double neighbourNm = 0.0;
    for (const AirportData& airport : gf_airportList()) {
        // A great circle is never shorter than its difference of latitude
        // (60 NM a degree): most airports are passed over without trigonometry.
        if (std::abs(airport.lat - lat) * nmPerDegreeLat > g_closestAirportRangeNm + rangeSlackNm) continue;
        const double d = gf_distanceNm({lat, lon}, {airport.lat, airport.lon});
        if (!(d <= g_closestAirportRangeNm)) continue;
        if (best == nullptr || d < bestNm) {
            neighbour = best;
            neighbourNm = bestNm;
            best = &airport;
            bestNm = d;
        } else if (neighbour == nullptr || d < neighbourNm) {
            neighbour = &airport;
            neighbourNm = d;
        }
    }
    if (best == nullptr) return std::nullopt;
    if (neighbour == nullptr) return *best;
    gf_logLine("Airport {} is closest, neighbour is {}", best->icao, neighbour->icao);
    std::string bestStand;
    std::string neighbourStand;
    // Both are asked before either answer is awaited, so that both files come.
    const std::optional<double> d1 = gf_readDestApfForClosestStand(best->icao, lat, lon, bestStand);
    const std::optional<double> d2 = gf_readDestApfForClosestStand(neighbour->icao, lat, lon, neighbourStand);
    if (!d1 || !d2) {
        if (onItsWay != nullptr) *onItsWay = true;
        return std::nullopt;
    }
    if (*d2 >= *d1) return *best;
    gf_logLine("Airport {} is closest, but stand {} at neighbouring airport {} is closer at {:.0F} meters ...",
               best->icao, neighbourStand, neighbour->icao, *d2 * metresPerNm);
    return *neighbour;
}

void gf_forgetAirportListForTest() {
    g_airportListRead.store(false, std::memory_order_release);
    g_airportList.clear();
}

std::string gf_airportLabel(const AirportData& airport) {
    std::string label = airport.icao.empty() ? "?" : airport.icao;
    if (!airport.iata.empty()) label += " (" + airport.iata + ")";
    return label;
}

}  // namespace zrb
