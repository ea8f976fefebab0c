#pragma once
// The aircraft database: the program's reference knowledge of aircraft types,
// their categories and wingspans, airlines, cargo operators, registrations and
// the add-on airport lists of the download archive. It ships encrypted as
// input/dbase.enc and is read once per process by gf_readDbase.
//
// Threads: every container below is written only by gf_readDbase (and
// gf_clearDbase) on the worker thread during start-up, before any of its
// readers start (livery scan tasks, the SimClient thread, the traffic
// manager). After that they are read-only and read from any thread without a
// lock. All texts compare byte by byte, case-sensitively.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <pugixml.hpp>

namespace zrb {

// Aircraft categories, as gf_typeCategory gives them.
inline constexpr int g_categoryLight = 0;
inline constexpr int g_categoryBuzjets = 1;
inline constexpr int g_categoryLarge = 2;
inline constexpr int g_categoryHeavy = 3;
inline constexpr int g_categoryHighPerf = 4;
inline constexpr int g_categoryRotorcraft = 5;
inline constexpr std::size_t g_categoryCount = 6;

// 1 / 1852: metres to nautical miles.
inline constexpr double g_nmPerMetre = 0.0005399568034557236;

// One registration of the database.
struct DbaseRecord {
    std::string airl;  // ICAO airline code
    std::string type;  // ICAO type code
    std::string opr;   // operator code; where not empty it takes the airline's place
    bool cargo = false;

    friend bool operator==(const DbaseRecord&, const DbaseRecord&) = default;
};

// The airports of one scenery publisher for which the archive holds files.
struct ThirdPartyAirports {
    std::string publisher;
    std::vector<std::string> airports;
};

// Hash that lets the unordered containers be searched with a string_view.
struct DbaseTextHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept { return std::hash<std::string_view>{}(text); }
};

using DbaseTextSet = std::set<std::string, std::less<>>;
using DbaseTextMap = std::unordered_map<std::string, std::string, DbaseTextHash, std::equal_to<>>;
using DbaseRecordMap = std::unordered_map<std::string, DbaseRecord, DbaseTextHash, std::equal_to<>>;
using DbaseTextHashSet = std::unordered_set<std::string, DbaseTextHash, std::equal_to<>>;

extern DbaseTextSet g_dbaseKnownTypes;
extern DbaseTextSet g_dbaseHighPerfTypes;
extern DbaseTextSet g_dbaseHeavyTypes;
extern DbaseTextSet g_dbaseLargeTypes;
extern DbaseTextSet g_dbaseBuzjetTypes;
extern DbaseTextSet g_dbaseRotorcraftTypes;
extern DbaseTextSet g_dbaseCargoTypes;
// One group per "similar" entry, in document order, each sorted ascending.
extern std::vector<std::vector<std::string>> g_dbaseSimilarGroups;
extern DbaseTextSet g_dbaseIcaoAirlines;
extern DbaseTextSet g_dbaseCargoOperators;
// Name groups: the first name is the publisher's, every name is a path pattern.
extern std::vector<std::vector<std::string>> g_dbasePublishers;
// Type code -> half wingspan, nautical miles.
extern std::map<std::string, double, std::less<>> g_dbaseWingspans;
// Largest half wingspan read, nautical miles; 0 when none was read.
extern double g_dbaseMaxHalfSpan;
// The same value under the name the simulator link uses.
extern double& g_maxHalfWingspan;
// Mean half wingspan of each category, nautical miles.
extern std::array<double, g_categoryCount> g_dbaseCategoryHalfSpans;
// Wrong type code -> correct type code, applied to aircraft.cfg models.
extern DbaseTextMap g_dbaseModelFixes;
extern DbaseTextSet g_dbaseSimaddonAirports;
extern std::vector<ThirdPartyAirports> g_dbaseThirdPartyAirports;
// Registration, exactly as in the file -> its record.
extern DbaseRecordMap g_dbaseRecords;
// The registrations of g_dbaseRecords that gf_dbaseRegInText looks for in a text.
extern DbaseTextHashSet g_dbaseShortRegistrations;

// Decrypts input/dbase.enc, reads it and removes the plain file again, on
// every path. Returns true; every failure throws: std::runtime_error
// "{path} not available" / "{path} stream decrypt failed", UserErrorException
// 60 (not loadable) or 61 (a required list is empty). After a failure the
// containers are empty.
bool gf_readDbase();

// Reads a plain dbase.xml into the containers (everything gf_readDbase does
// after the decryption). Throws as gf_readDbase; the containers are emptied
// first and again after a failure.
void gf_readDbaseXml(const std::filesystem::path& xmlPath);

// Reads an already loaded dbase.xml document into the containers, as
// gf_readDbaseXml does after loading it.
void gf_readDbaseDocument(const pugi::xml_document& doc);

// Empties every container.
void gf_clearDbase();

// Rebuilds g_dbaseShortRegistrations from g_dbaseRecords; the reader calls it.
void gf_indexShortRegistrations();

// 2 Large, 3 Heavy, 1 Buzjets, 5 Rotorcraft, 4 HighPerf: the first of these
// sets that holds the type; 0 Light otherwise.
int gf_typeCategory(std::string_view type);
bool gf_isKnownType(std::string_view type);
bool gf_isIcaoAirline(std::string_view airline);

// Half the wingspan in nautical miles: the type's own entry, else the mean of
// its category.
double gf_wingspan(std::string_view type);

// The spellings to try for a registration, in order: "GABCD" gives GA-BCD,
// G-ABCD, GABCD; a text shorter than 5, starting with 'N' or holding '-' gives
// itself only.
std::vector<std::string> gf_registrationVariants(std::string_view registration);

// A copy of the record of the first variant the database holds; none for an
// empty registration or when no variant is held.
std::optional<DbaseRecord> gf_findDbaseRecord(std::string_view registration);
std::string gf_dbaseAirlineByReg(std::string_view registration);
std::string gf_dbaseOperatorByReg(std::string_view registration);

// A registration of the database with 3 to 5 characters that occurs in the
// text; of several, the longest, then the smallest in byte order.
std::optional<std::string> gf_dbaseRegInText(std::string_view text);

}  // namespace zrb
