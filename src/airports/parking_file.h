#pragma once
// The airport parking file: one XML file per airport, named after its ICAO
// code, with a "meta" header, a "parameters" block and one "parkpos" element
// per stand, each with its "opt" observations. The download archive, the
// add-on airport scan (scan output) and the learned-file saver (learned files)
// all produce this one format; the park airport's loader and the learned-file
// reader read it.
//
// Threads: the readers append to and change the stand table they are given,
// which belongs to the worker thread. gf_writeApf is also called by the tasks
// of the add-on airport scan, each with its own record; it reads the settings
// (atomics) and g_handmadeAirport (atomic) without further locks.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "airports/stand.h"

namespace zrb {

// The airport record the writer takes: an add-on airport found by the scan,
// or the park airport's header and stands when its learned file is saved.
struct AddonAirport {
    std::string ident;      // ICAO code
    std::string name;
    std::string bglPath;    // the scenery file it came from; empty for the park airport
    std::string publisher;  // "stock", "simaddon", another publisher's name, or "unknown"
    std::uint32_t mark = 0;
    std::int32_t qfReal = 0;  // quality factors, written for a handmade airport only
    std::int32_t qfSoft = 0;
    std::int32_t altitude = 0;  // feet
    std::vector<Stand> stands;
};

// What gf_writeApf writes.
inline constexpr std::uint32_t g_apfModeLearned = 0;  // the learned overlay (or a whole handmade airport)
inline constexpr std::uint32_t g_apfModeScan = 1;     // a generated airport file: full stands, no options

// Writes the airport to the path (replacing it only once the whole file is
// written). False when the header could not be built or the file not written;
// logs nothing (the callers log their own lines).
bool gf_writeApf(const AddonAirport& airport, const std::filesystem::path& path, std::uint32_t mode);

// ---------------------------------------------------------------- reading
// Values a file may give for a stand before it is refused. Real stands are a
// few metres to some tens of metres in radius; a radius or position outside
// these bounds would only mislead the planner and the size test.
inline constexpr double g_maxStandRadiusMetres = 1000.0;
// A larger airport file is refused: the stand overlap test compares every pair.
inline constexpr std::size_t g_maxParkingStands = 5000;
// Room for options made when a stand is read; the list is shrunk afterwards.
inline constexpr std::size_t g_standOptionReserve = 256;
// Parking files larger than this are not loaded at all [bytes].
inline constexpr std::uintmax_t g_maxParkingFileBytes = 64u * 1024u * 1024u;

// Reads one "parkpos" element (its id already read by the caller) and appends
// the stand with its options to the table. A stand at latitude 0 and longitude
// 0 is skipped silently; one whose position, heading or radius is not a
// usable number is skipped with a warning, as is an option whose day is above 7.
void lf_readParkPos(const pugi::xml_node& parkpos, std::string id, std::uint32_t origin, std::vector<Stand>& table);

// Reads every "parkpos" of the element into the table, in document order.
// Throws UserErrorException 94 "Parking position {} appears more than once?"
// for a repeated id, after the stands before it were appended. Stands beyond
// g_maxParkingStands are left out with one warning naming the file.
void gf_readParkPositions(const pugi::xml_node& parkpositions, std::uint32_t origin, std::vector<Stand>& table,
                          std::string_view fileText);

// One "parkpos" of a learned file, and the id it must carry.
struct ParkPosChange {
    std::string_view id;
    pugi::xml_node parkpos;
    // When given, counts what of the element could not be used (an invalid
    // radius, an option whose day is no weekday); options the stand holds
    // already are no loss and are not counted.
    std::size_t* leftOut = nullptr;
};

// Applies the learned radius and cargo flag and adds the learned options that
// the stand does not hold yet. False, and nothing changed, when the stand has
// another id.
bool lf_applyParkPosChanges(const ParkPosChange& change, Stand& stand);

// The same observation: same day, real flag, registration, airline and type,
// and at least one half-hour in common. Callsigns do not count.
bool lf_sameStandOption(const StandOption& a, const StandOption& b);

// A header parameter ("/parameters/parameter[@name='...']"): empty when the
// parameter is absent; false, 0 or "" when it has no "value". Integers read
// as pugixml's as_int does (blanks, sign, "0x", clamped to 32 bits), booleans
// as true when the value starts with 1, t, T, y or Y.
std::optional<bool> lf_getApfBoolParameter(const pugi::xml_node& doc, std::string_view name);
std::optional<std::int32_t> lf_getApfIntParameter(const pugi::xml_node& doc, std::string_view name);
std::optional<std::string> lf_getApfStringParameter(const pugi::xml_node& doc, std::string_view name);

// Loads a parking file into the document. False with the reason in error
// (pugixml's description, or "file too large" for a file above
// g_maxParkingFileBytes, which is not read at all).
bool gf_loadParkingXml(pugi::xml_document& doc, const std::filesystem::path& path, std::string& error);

}  // namespace zrb
