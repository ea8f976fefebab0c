#pragma once
// The installed AI liveries of the demo installation: a generated SimObjects
// folder of real airline codes and type designators, with the aircraft.cfg
// files an AI traffic package has. Deterministic: the same count gives the same
// tree, byte for byte, so the demo, its check and the memory measurement agree
// on what is installed.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace zrb::demo {

// One airline's use of one type, in the order the liveries are dealt out.
struct DemoFleet {
    std::string airline;       // ICAO airline code
    std::string airlineName;   // as on the fuselage
    std::string type;          // ICAO type designator
    std::string manufacturer;  // ui_manufacturer
    std::string model;         // ui_type
    std::string regPrefix;     // "PH-", "G-", "N"
    std::string regFirst;      // the first letters after the prefix that this fleet's registrations share
    bool cargo = false;
};

// One generated livery.
struct DemoLivery {
    std::string title;
    std::string airline;
    std::string type;
    std::string registration;
    bool cargo = false;
    std::string folder;   // aircraft folder, relative to the SimObjects entry folder
    std::string texture;  // the texture folder's suffix (texture.<this>)
};

// The fleets, in dealing order.
const std::vector<DemoFleet>& gf_demoFleets();

// The first `count` liveries: livery i belongs to fleet i modulo the number of
// fleets, its registration to the (i / fleets)th of that fleet.
std::vector<DemoLivery> gf_demoLiveries(std::size_t count);

// Writes the liveries into `entryFolder` (a SimObjects folder listed in
// simobjects.cfg, such as "SimObjects/Demo AI"): one folder per type with its
// aircraft.cfg, model folder and flight model, and one texture folder per
// livery. Folders of an earlier, larger tree are removed first. Throws
// std::filesystem::filesystem_error or std::runtime_error on a write failure.
void gf_writeDemoSimObjects(const std::filesystem::path& entryFolder, std::size_t count);

}  // namespace zrb::demo
