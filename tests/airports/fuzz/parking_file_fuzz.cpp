// The park airport's loader over any parking file and any learned file: never
// a crash, and whatever it accepts is a table the planner can use.

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "airports/park_airport.h"
#include "airports/learned_file.h"
#include "airports/park_airport_file.h"
#include "airports/parking_file.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "foundation/xml_file.h"
#include "fuzz_target.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// One input in this many also goes the whole way through the files.
constexpr unsigned filePassEvery = 4;

const std::string meta =
    R"(<meta><info name="author" value="a"/><info name="date" value="d"/><info name="version" value="1.0.0"/></meta>)";
const std::string baseFile = "<?xml version=\"1.0\"?>" + meta +
                             R"(<parameters><parameter name="publisher" value="stock"/>)"
                             R"(<parameter name="altitude" value="83"/></parameters><parkpositions>)"
                             R"(<parkpos id="A1" latitude="51.47" longitude="-0.46" heading="90" radius="20" ramp="false" cargo="false"/>)"
                             R"(<parkpos id="A2" latitude="51.4702" longitude="-0.46" heading="90" radius="20" cargo="true"/>)"
                             R"(<parkpos id="H1" latitude="51.471" longitude="-0.46" heading="0" radius="10" heli="true"/>)"
                             "</parkpositions>";

// An installation folder of its own, the current directory for the whole run.
struct Installation {
    Installation() : cd(folder.path()) {
        for (const auto& f : {zrb::g_myThirdpartyFolder, zrb::g_myOrbxFolder, zrb::g_learnedFolder / "my_ORBX"})
            fs::create_directories(f);
        zrb::test::writeFile(zrb::g_myOrbxFolder / "FUZL.xml", baseFile);
        zrb::gf_setCurrentParkAirport({"FUZZ", "", 51.47, -0.46, 0.0});
    }
    zrb::test::TempFolder folder;
    zrb::test::CurrentDirectory cd;
};

// Whatever a reader accepted is a table the planner can use.
void lf_checkTable(const std::vector<zrb::Stand>& table, bool numbered) {
    const std::size_t n = table.size();
    if (n > zrb::g_maxParkingStands) std::abort();
    for (std::size_t i = 0; i < n; ++i) {
        const zrb::Stand& stand = table[i];
        if (numbered && stand.number != i + 1) std::abort();
        if (!std::isfinite(stand.lat) || !std::isfinite(stand.lon) || !std::isfinite(stand.heading)) std::abort();
        if (!(stand.radius >= 0.0) || stand.radius * 1852.0 > zrb::g_maxStandRadiusMetres + 1e-6) std::abort();
        for (const std::uint32_t neighbour : stand.neighbours)
            if (neighbour == 0 || neighbour > n || neighbour == stand.number) std::abort();
        for (const zrb::StandOption& option : stand.options)
            if (option.day > 7 || (option.halfHours >> 48) != 0) std::abort();
    }
}

void lf_load(const std::string& path) {
    zrb::ApfHeader header;
    zrb::QualityFactors qf = 0;
    zrb::StandTable.clear();
    const std::string error = zrb::gf_readApf(path, header, qf);
    if (error.empty()) lf_checkTable(zrb::StandTable, true);
    if (zrb::parking_percentage.value < 0 || zrb::parking_percentage.value > 100) std::abort();
}

// The readers the loader is made of, on the parsed document: the stands, the
// header, the learned changes over sound stands and the learned settings.
void lf_readDocument(const std::uint8_t* data, std::size_t size, const std::vector<zrb::Stand>& base) {
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size)) return;
    std::vector<zrb::Stand> table;
    try {
        zrb::gf_readParkPositions(doc.child("parkpositions"), 1, table, "FUZZ.xml");
    } catch (const zrb::UserErrorException&) {
    }
    lf_checkTable(table, false);
    for (const char* name : {"altitude", "RT_traffic_week", "Qf_real", "publisher", "handmade"}) {
        (void)zrb::lf_getApfIntParameter(doc, name);
        (void)zrb::lf_getApfStringParameter(doc, name);
    }
    table = base;
    for (const pugi::xml_node& parkpos : doc.child("parkpositions").children("parkpos")) {
        const std::string id = zrb::gf_getAttrString(parkpos, "id");
        for (zrb::Stand& stand : table)
            if (zrb::lf_applyParkPosChanges({id, parkpos}, stand)) break;
    }
    lf_checkTable(table, false);
    (void)zrb::lf_computeQualityFactors(table);
    zrb::gf_readLearnedSettings(doc);
    if (zrb::parking_percentage.value < 0 || zrb::parking_percentage.value > 100) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Installation installation;
    static std::vector<zrb::Stand> base = [] {
        pugi::xml_document doc;
        doc.load_string(baseFile.c_str());
        std::vector<zrb::Stand> stands;
        zrb::gf_readParkPositions(doc.child("parkpositions"), 1, stands, "base");
        return stands;
    }();
    static unsigned count = 0;
    lf_readDocument(data, size, base);
    // The whole load through the files, for a share of the inputs (files are
    // slow): as the park airport's own file, and as the learned file over a
    // sound one.
    if (count++ % filePassEvery != 0) return 0;
    const std::string input(reinterpret_cast<const char*>(data), size);
    // New files rather than truncated ones: the file system flushes a
    // truncated file when it is closed, which costs milliseconds each.
    for (const fs::path& file : {zrb::g_myThirdpartyFolder / "FUZZ.xml", zrb::g_learnedFolder / "my_ORBX" / "FUZL.xml",
                                 zrb::g_learnedFolder / "my_ORBX" / "FUZL.0.xml"})
        fs::remove(file);
    zrb::test::writeFile(zrb::g_myThirdpartyFolder / "FUZZ.xml", input);
    lf_load(zrb::gf_pathText(zrb::g_myThirdpartyFolder / "FUZZ.xml"));
    zrb::test::writeFile(zrb::g_learnedFolder / "my_ORBX" / "FUZL.xml", input);
    lf_load(zrb::gf_pathText(zrb::g_myOrbxFolder / "FUZL.xml"));
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    const std::string opts = R"(<opt reg="D-AIZA" airl="DLH" type="A320" day="2" hh="1,2,47" cs="DLH4:DLH4X"/>)"
                             R"(<opt reg="N1" soft="true" day="-1" hh="x,3"/>)";
    return {
        baseFile,
        "<?xml version=\"1.0\"?>" + meta +
            R"(<parameters><parameter name="airport_name" value="X"/><parameter name="handmade" value="true"/>)"
            R"(<parameter name="altitude" value="0x10"/><parameter name="MAX_FIT" value="60"/>)"
            R"(<parameter name="parking_percentage" value="150"/><parameter name="MAX_LIVE" value="24"/>)"
            R"(<parameter name="LATERAL_RANGE" value="7"/><parameter name="AUTO_RANGE" value="false"/></parameters>)"
            R"(<parkpositions><parkpos id="A1" latitude="51.47" longitude="-0.46" radius="20">)" + opts +
            R"(</parkpos><parkpos id="B1" latitude="1e400" longitude="0" radius="nan"/></parkpositions>)",
        "<?xml version=\"1.0\"?>" + meta +
            R"(<parameters><parameter name="PARK_FAKE" value="true"/></parameters><parkpositions>)"
            R"(<parkpos id="A1" radius_change="true" radius="1e308" cargo_change="y" cargo="1">)" + opts +
            R"(</parkpos><parkpos id="M1" manual="true" latitude="0" longitude="12.5" radius="15"/>)"
            R"(<parkpos id="A2" manual="true" latitude="51" longitude="1" radius="15"/><parkpos id="Z9"/>)"
            "</parkpositions>",
    };
}
