#include "airports/park_airport_list.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>
#include <unordered_set>
#include <utility>

#include <fmt/format.h>

#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "shell/common/message_line.h"

namespace zrb {

std::vector<ParkAirport> ParkAirportList;

namespace {

namespace fs = std::filesystem;

constexpr const char* parkFileName = "my_park_airports.txt";
constexpr std::size_t icaoAndStandFields = 2;

struct FirstParkAirportRequest {
    std::string icao;
    double lat = 0.0;
    double lon = 0.0;
};

// Owns g_firstParkAirportRequests.
std::mutex g_firstParkAirportMutex;
std::vector<FirstParkAirportRequest> g_firstParkAirportRequests;

std::string lf_frontLine() {
    const ParkAirport& front = ParkAirportList.front();
    return front.reservedStand.empty() ? front.icao : front.icao + "," + front.reservedStand;
}

// The whole file or nothing: a crash while writing leaves the old list.
bool lf_replaceFile(const std::vector<std::string>& lines) {
    fs::path temp = g_myParkAirportsFile;
    temp += ".tmp";
    std::error_code ec;
    if (!gf_writeLines(lines, temp)) {
        fs::remove(temp, ec);
        return false;
    }
    fs::rename(temp, g_myParkAirportsFile, ec);
    if (!ec) return true;
    fs::remove(temp, ec);
    return false;
}

void lf_readLines(std::ifstream& in, std::unordered_set<std::string>& seen, bool& allKnown) {
    std::vector<std::string> lines;
    gf_readLines(in, lines);
    for (const std::string& line : lines) {
        const std::vector<std::string> fields = gf_split(line, ',');
        if (fields.empty()) continue;
        if (fields.size() > icaoAndStandFields) {
            gf_logMarked("{}:{} wrong syntax, skipped", parkFileName, line);
            continue;
        }
        const std::string& icao = fields.front();
        if (seen.contains(icao)) {
            gf_logMarked("{}:{} double, skipped", parkFileName, icao);
            continue;
        }
        const auto airport = gf_findAirport(icao);
        if (!airport) {
            gf_showMessage(fmt::format("airport {} is unknown", icao), true);
            allKnown = false;
            continue;
        }
        const std::string stand = fields.size() == icaoAndStandFields ? fields[1] : std::string();
        ParkAirportList.push_back(ParkAirport{icao, stand, airport->lat, airport->lon, 0.0});
        seen.insert(icao);
    }
}

void lf_putFirst(const FirstParkAirportRequest& request) {
    const auto it = std::find_if(ParkAirportList.begin(), ParkAirportList.end(),
                                 [&](const ParkAirport& p) { return p.icao == request.icao; });
    if (it != ParkAirportList.end()) {
        std::rotate(ParkAirportList.begin(), it, std::next(it));
        return;
    }
    ParkAirportList.insert(ParkAirportList.begin(), ParkAirport{request.icao, "", request.lat, request.lon, 0.0});
    gf_writeMyParkAirports();
}

}  // namespace

bool lf_readMyParkAirports() {
    ParkAirportList.clear();
    bool result = true;
    try {
        std::error_code ec;
        const auto size = fs::file_size(g_myParkAirportsFile, ec);
        std::ifstream in;
        if (!ec && size > g_maxParkAirportsFileBytes) {
            gf_logMarked("{} is too large ({} bytes), not read", gf_pathText(g_myParkAirportsFile), size);
            result = false;
        } else {
            in.open(g_myParkAirportsFile, std::ios::binary);
        }
        if (result && !in.is_open()) {
            gf_logLine("{} not found", gf_pathText(g_myParkAirportsFile));
        } else if (result) {
            std::unordered_set<std::string> seen;
            lf_readLines(in, seen, result);
        }
        const std::size_t n = ParkAirportList.size();
        if (n > 0) gf_logLine("{} park airport{} read from '{}'", n, gf_plural(n), parkFileName);
        if (n > g_manyParkAirports) {
            gf_showMessage(fmt::format("Warning: There are a lot of airports ({}), that will cost TLVR much cpu time "
                                       "and may cause stutters",
                                       n),
                           true);
        }
        lf_addThirdPartyParkAirports();
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}", "lf_readMyParkAirports", e.what());
        return false;
    }
    return result;
}

void lf_addThirdPartyParkAirports() {
    // The start of a run creates the folder; without it there is nothing to add.
    if (!fs::is_directory(g_myThirdpartyFolder)) return;
    const std::size_t before = ParkAirportList.size();
    for (const fs::directory_entry& entry : fs::directory_iterator(g_myThirdpartyFolder)) {
        if (!entry.is_regular_file()) continue;
        const std::string icao = gf_pathText(entry.path().stem());
        const bool listed = std::any_of(ParkAirportList.begin(), ParkAirportList.end(),
                                        [&](const ParkAirport& p) { return p.icao == icao; });
        if (listed) continue;
        if (const auto airport = gf_findAirport(icao))
            ParkAirportList.push_back(ParkAirport{icao, "", airport->lat, airport->lon, 0.0});
    }
    const std::size_t added = ParkAirportList.size() - before;
    if (added > 0) gf_logLine("{} park airport{} added from my_thirdparty folder(-s)", added, gf_plural(added));
}

bool lf_updateMyParkStand(const std::string& icao, const std::string& newLine, std::string& line) {
    const auto fields = gf_split(line, ',');
    if (fields.empty() || fields.front() != icao) return false;
    line = newLine;
    gf_logLine("{}:{} updated stand", parkFileName, newLine);
    return true;
}

void gf_writeMyParkAirports() {
    if (ParkAirportList.empty()) return;
    const std::string line = lf_frontLine();
    std::vector<std::string> lines;
    std::error_code ec;
    const bool exists = fs::exists(g_myParkAirportsFile, ec);
    if (!exists && !ec) {
        lines.push_back(line);
        gf_logLine("{} created with {}", parkFileName, line);
    } else {
        // A list that is there but cannot be read (locked, no permission, not
        // a file) must not be replaced by this one line.
        std::ifstream in;
        if (fs::is_regular_file(g_myParkAirportsFile, ec)) in.open(g_myParkAirportsFile, std::ios::binary);
        if (in.is_open()) gf_readLines(in, lines);
        if (!in.is_open() || in.bad()) {
            gf_logMarked("{} cannot be read, '{}' not written", parkFileName, line);
            return;
        }
        in.close();
        const std::string& icao = ParkAirportList.front().icao;
        bool replaced = false;
        for (std::string& l : lines) {
            if ((replaced = lf_updateMyParkStand(icao, line, l))) break;
        }
        if (!replaced) {
            lines.insert(lines.begin(), line);
            gf_logLine("{}:{} new entry", parkFileName, line);
        }
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    if (!lf_replaceFile(lines)) gf_logMarked("{} could not be written", parkFileName);
}

void gf_setFirstParkAirport(const std::string& icao, double lat, double lon) {
    std::lock_guard lock(g_firstParkAirportMutex);
    g_firstParkAirportRequests.push_back(FirstParkAirportRequest{icao, lat, lon});
}

void gf_serveFirstParkAirportRequests() {
    std::vector<FirstParkAirportRequest> requests;
    {
        std::lock_guard lock(g_firstParkAirportMutex);
        requests.swap(g_firstParkAirportRequests);
    }
    for (const FirstParkAirportRequest& request : requests) lf_putFirst(request);
}

std::optional<AirportData> gf_firstParkAirport() {
    gf_serveFirstParkAirportRequests();
    if (ParkAirportList.empty()) return std::nullopt;
    const ParkAirport& front = ParkAirportList.front();
    return AirportData{front.icao, "", front.lat, front.lon, 0.0};
}

void gf_dropFirstParkAirportRequests() {
    std::lock_guard lock(g_firstParkAirportMutex);
    g_firstParkAirportRequests.clear();
}

}  // namespace zrb
