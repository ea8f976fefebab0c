#include "traffic/flight_plans.h"

#include <fmt/format.h>

#include <algorithm>
#include <fstream>
#include <system_error>

#include "airports/aircraft_keys.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/ansi_text.h"
#include "simlink/sim_requests.h"

namespace zrb {

namespace {

constexpr const char* folderName = "orig_dest";
constexpr std::size_t minCodeChars = 3;
constexpr std::size_t maxCodeChars = 4;
constexpr std::uint32_t firstIfrCategory = 1;  // Buzjets, Large, Heavy fly IFR
constexpr std::uint32_t lastIfrCategory = 3;

// The codes go into XML as they are: only airport codes are written, so no
// text from the feed can change the document.
bool lf_isAirportCode(std::string_view code) {
    if (code.size() < minCodeChars || code.size() > maxCodeChars) return false;
    return std::all_of(code.begin(), code.end(), [](char c) { return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); });
}

std::string lf_planText(const LiveAc& aircraft) {
    const bool ifr = aircraft.category >= firstIfrCategory && aircraft.category <= lastIfrCategory;
    std::string text = fmt::format("{}\n{}\n{}\n{}{}{}\n{}{}{}\n{}{}{}\n{}\n{}", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>",
                                   "<SimBase.Document Type=\"AceXML\" version=\"4,3\">", "<FlightPlan.FlightPlan>",
                                   "<FPType>", ifr ? "IFR" : "VFR", "</FPType>", "<DepartureID>", aircraft.departure,
                                   "</DepartureID>", "<DestinationID>", aircraft.destination, "</DestinationID>",
                                   "</FlightPlan.FlightPlan>", "</SimBase.Document>");
    text += '\n';
    // The simulator's own files end their lines with CR LF.
    std::string crlf;
    crlf.reserve(text.size() + 8);
    for (const char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    return crlf;
}

void lf_removeFile(const std::filesystem::path& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

}  // namespace

std::filesystem::path gf_flightPlanFolder() { return gf_programDataFolder() / folderName; }

std::filesystem::path lf_flightPlanPath(std::uint32_t objectId) {
    return gf_flightPlanFolder() / fmt::format("{}.pln", objectId);
}

bool gf_createFlightPlanFolder() {
    const std::filesystem::path folder = gf_flightPlanFolder();
    std::error_code ec;
    if (std::filesystem::exists(folder)) {
        // Plans of an earlier process that ended without its clean-up.
        for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
            if (entry.path().extension() == ".pln") lf_removeFile(entry.path());
    } else {
        std::filesystem::create_directories(folder, ec);
        if (ec) gf_logMarked("Creating the flight-plan folder failed: {}", ec.message());
    }
    return std::filesystem::exists(folder);
}

void gf_removeFlightPlanFolder() {
    try {
        std::filesystem::remove_all(gf_flightPlanFolder());
    } catch (const std::exception& e) {
        gf_logLine("gf_removeFlightPlanFolder: {}", e.what());
    }
}

bool lf_writeFlightPlan(const std::filesystem::path& path, const LiveAc& aircraft) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    const std::string text = lf_planText(aircraft);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    return static_cast<bool>(out);
}

void lf_createFlightPlan(LiveAc& aircraft) {
    if (aircraft.departure.empty() || aircraft.destination.empty()) return;
    if (!lf_isAirportCode(aircraft.departure) || !lf_isAirportCode(aircraft.destination)) {
        if (LOG.value) gf_logLine("{} no flight plan for route '{}' -> '{}'", gf_callsignRegKey(aircraft), aircraft.departure,
                                  aircraft.destination);
        return;
    }
    const std::filesystem::path path = lf_flightPlanPath(aircraft.objectId);
    if (lf_writeFlightPlan(path, aircraft)) {
        const std::u8string utf8 = path.u8string();
        const std::string narrow = gf_utf8ToAnsi(std::string_view(reinterpret_cast<const char*>(utf8.data()), utf8.size()));
        if (gf_setAiFlightPlan(aircraft.objectId, narrow) == 0) {
            aircraft.flightPlanWritten = 1;
            return;
        }
        lf_removeFile(path);
    } else {
        lf_removeFile(path);
    }
    gf_logMarked("{} creating a flight plan failed", gf_callsignRegKey(aircraft));
    aircraft.flightPlanWritten = 0;
}

void gf_deleteFlightPlan(LiveAc& aircraft) {
    if (aircraft.flightPlanWritten == 0) return;
    lf_removeFile(lf_flightPlanPath(aircraft.objectId));
    aircraft.flightPlanWritten = 0;
}

}  // namespace zrb
