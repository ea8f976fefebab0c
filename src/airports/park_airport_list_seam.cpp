#include "airports/park_airport_list_seam.h"

#include <algorithm>
#include <fstream>

#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"

namespace zrb {

namespace {
constexpr const char* parkFileName = "my_park_airports.txt";
}  // namespace

std::vector<ParkAirport> ParkAirportList;

bool lf_updateMyParkStand(const std::string& icao, const std::string& newLine, std::string& line) {
    const auto fields = gf_split(line, ',');
    if (fields.empty() || fields.front() != icao) return false;
    line = newLine;
    gf_logLine("{}:{} updated stand", parkFileName, newLine);
    return true;
}

void gf_writeMyParkAirports() {
    if (ParkAirportList.empty()) return;
    const ParkAirport& front = ParkAirportList.front();
    const std::string line = front.reservedStand.empty() ? front.icao : front.icao + "," + front.reservedStand;
    std::vector<std::string> lines;
    std::ifstream in(g_myParkAirportsFile, std::ios::binary);
    if (!in) {
        lines.push_back(line);
        gf_logLine("{} created with {}", parkFileName, line);
    } else {
        gf_readLines(in, lines);
        in.close();
        bool replaced = false;
        for (std::string& l : lines) {
            if (lf_updateMyParkStand(front.icao, line, l)) {
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            lines.insert(lines.begin(), line);
            gf_logLine("{}:{} new entry", parkFileName, line);
        }
    }
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    (void)gf_writeLines(lines, g_myParkAirportsFile);
}

}  // namespace zrb
