#pragma once
// One installed livery, as the livery scan finds it in an aircraft.cfg and as
// output/LiveriesScanned.xml stores it, and the list of them that a scan
// collects and the start-up reads back.
//
// Threads: g_scannedLiveries belongs to the worker thread. The scan tasks never
// touch it: they hand their records back through their results, and the
// worker merges them in.

#include <cstdint>
#include <string>
#include <vector>

namespace zrb {

// The airline of a livery that belongs to no airline.
inline constexpr const char* g_privateAirline = "PVT";

// Priority of the folder a livery was found in: 1 (highest) to 10; 0 for a
// livery read back from the result file.
inline constexpr std::int32_t g_maxFolderIndex = 10;

struct LiveryData {
    std::string airl;   // ICAO airline code, "PVT" for a private aircraft
    std::string type;   // ICAO aircraft type code
    std::string title;  // exactly as in its aircraft.cfg: the name the simulator creates it by
    std::string atcid;  // its registration; empty when it has none
    std::int32_t folderIndex = 0;
    bool cargo = false;

    // The empty record (every text empty) stands for "no livery".
    bool empty() const { return airl.empty() && type.empty() && title.empty() && atcid.empty(); }

    // Title, airline, type, registration and cargo flag, texts byte for byte;
    // the folder index takes no part.
    friend bool operator==(const LiveryData& a, const LiveryData& b) {
        return a.title == b.title && a.airl == b.airl && a.type == b.type && a.atcid == b.atcid &&
               a.cargo == b.cargo;
    }
};

// The order of the result file: airline, then type, then title, as byte strings.
bool gf_liveryOrder(const LiveryData& a, const LiveryData& b);

// Sorts stably into gf_liveryOrder.
void gf_sortLiveries(std::vector<LiveryData>& liveries);

// The liveries of the current scan while it runs, and those read back from
// the result file until the livery processing has taken them. Worker thread only.
inline std::vector<LiveryData> g_scannedLiveries;

}  // namespace zrb
