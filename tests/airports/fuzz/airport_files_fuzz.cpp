// Any bytes as one of the airports' small files: the airport list
// input/airports_p3d.xml, the user's airports/my_park_airports.txt, or a link
// file airports/my_thirdparty/<ICAO>.txt that names an airport's parking file.
// The first byte picks the file, the rest is its content. Reading it, and what
// the program does next with what it read (looking airports up, writing the
// park-airport list back, following the link to the parking file), must
// neither crash nor hang.
//
// The target runs in an installation folder of its own with a small airport
// list, and with the download site pointed at a local folder through libcurl's
// file protocol, so the archive's files are fetched without a network (the
// Windows build's libcurl speaks HTTP only: there every fetch fails).
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "airports/airport_list.h"
#include "airports/airport_list_test_hook.h"
#include "airports/park_airport_file.h"
#include "airports/park_airport_list.h"
#include "config/paths.h"
#include "foundation/user_error.h"
#include "fuzz_target.h"
#include "liveries/download.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace zrb;

enum Reader : std::uint8_t { airportList, parkAirports, apfLink, readers };

const std::string airportsFile = "airports_p3d.xml";
const std::string listText =
    "<?xml version=\"1.0\"?>\n<airports>\n"
    "\t<airport code=\"EGLL\" iata=\"LHR\" lat=\"51.4706\" lon=\"-0.461941\" alt=\"83\" />\n"
    "\t<airport code=\"EHAM\" iata=\"AMS\" lat=\"52.3086013794\" lon=\"4.763889789579999\" alt=\"-11\" />\n"
    "\t<airport code=\"EHLE\" iata=\"LEY\" lat=\"52.46030044555664\" lon=\"5.527219772338867\" alt=\"-13\" />\n"
    "\t<airport code=\"FUZZ\" lat=\"51.47\" lon=\"-0.46\" alt=\"80\" />\n"
    "</airports>\n";
const std::string parkingFile =
    "<?xml version=\"1.0\"?><meta><info name=\"author\" value=\"a\"/><info name=\"date\" value=\"d\"/>"
    "<info name=\"version\" value=\"1.0.0\"/></meta><parameters><parameter name=\"altitude\" value=\"83\"/>"
    "</parameters><parkpositions><parkpos id=\"A1\" latitude=\"51.4701\" longitude=\"-0.4601\" heading=\"90\" "
    "radius=\"20\"/><parkpos id=\"A2\" latitude=\"51.4702\" longitude=\"-0.46\" heading=\"90\" radius=\"20\"/>"
    "</parkpositions>";

// A new file rather than a truncated one: truncation flushes to the disk.
void lf_write(const fs::path& file, const std::string& text) {
    fs::remove(file);
    test::writeFile(file, text);
}

// The installation (the current directory) with a parking file of FUZZ in
// my_ORBX, and the download site with the archive's files of EGLL and FUZZ.
struct Installation {
    Installation() : cd(folder.path()) {
        for (const fs::path& f : {g_myThirdpartyFolder, g_myOrbxFolder, fs::path(g_inputFolder)})
            fs::create_directories(f);
        test::writeFile(g_myOrbxFolder / "FUZZ.xml", parkingFile);
        test::writeFile(g_myThirdpartyFolder / "EHLE.xml", parkingFile);
        const fs::path archive = site / "P3D" / "archive";
        test::writeFile(archive / "stock" / "EGLL.xml", parkingFile);
        test::writeFile(archive / "thirdparty" / "FUZZ.xml", parkingFile);
        gf_setDownloadSiteForTest("file://" + site.generic_string() + "/", "");
    }
    test::TempFolder folder;
    test::CurrentDirectory cd;
    fs::path site = folder / "site";
};

// The small list, unless it is already the one read.
bool g_ownListRead = false;
void lf_useOwnList() {
    if (g_ownListRead) return;
    gf_forgetAirportListForTest();
    lf_write(g_inputFolder / airportsFile, listText);
    g_ownListRead = gf_readAirports(airportsFile);
}

void lf_readAirportList(const std::string& text) {
    g_ownListRead = false;
    gf_forgetAirportListForTest();
    lf_write(g_inputFolder / airportsFile, text);
    try {
        (void)gf_readAirports(airportsFile);
    } catch (const UserErrorException&) {
        return;  // no <airports>, or not XML: the run stops with the error
    }
    const auto& list = gf_airportList();
    for (std::size_t i = 0; i < list.size() && i < 8; ++i) {
        if (!gf_findAirport(list[i].icao)) std::abort();
        (void)gf_airportLabel(list[i]);
        (void)gf_closestAirport(list[i].lat, list[i].lon);
    }
}

void lf_readParkAirports(const std::string& text) {
    lf_useOwnList();
    lf_write(g_myParkAirportsFile, text);
    (void)lf_readMyParkAirports();
    gf_setFirstParkAirport("EGLL", 51.4706, -0.461941);
    gf_serveFirstParkAirportRequests();
    gf_writeMyParkAirports();
    (void)gf_firstParkAirport();
}

void lf_followLink(const std::string& text) {
    lf_useOwnList();
    const fs::path link = g_myThirdpartyFolder / "FUZZ.txt";
    lf_write(link, text);
    std::string target;
    (void)lf_readApfLink(link, target);
    (void)lf_findApf("FUZZ");
    (void)gf_airportFileAvailable("FUZZ");
    std::string stand;
    // The archive's file comes on the fetcher's thread (from a file:// site, at
    // once): a later look reads it.
    for (int i = 0; i < 1000 && !gf_readDestApfForClosestStand("FUZZ", 51.47, -0.46, stand); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    // The park-airport list scans my_thirdparty: the link goes with its input.
    fs::remove(link);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Installation installation;
    if (size == 0) return 0;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    switch (static_cast<Reader>(data[0] % readers)) {
        case airportList: lf_readAirportList(text); break;
        case parkAirports: lf_readParkAirports(text); break;
        case apfLink: lf_followLink(text); break;
        default: break;
    }
    // The fetcher thread an input started ends with it, not after the
    // libraries' own teardown at the exit.
    gf_stopArchiveFetcher();
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    const auto seed = [](Reader reader, const std::string& text) { return std::string(1, static_cast<char>(reader)) + text; };
    return {
        seed(airportList, listText),
        seed(airportList, "<airports><airport code=\"EHAM\" lat=\"52.3\" lon=\"4.7\"/><airport code=\"X\" lat=\"nan\" "
                          "lon=\"1\" alt=\"0\"/><airport code=\"Y\" lat=\"1e999\" lon=\"1\" alt=\"0\"/><airport "
                          "code=\"\" lat=\" +1.5x\" lon=\"-180\" alt=\"0\"/><airport lat=\"91\" lon=\"0\" alt=\"0\"/>"
                          "</airports>"),
        seed(airportList, "<?xml version=\"1.0\"?><other/>"),
        seed(parkAirports, "EHAM\nEGLL,A12\nEHAM\nXXXX\nEHLE,B1,C2\n\n,\n"),
        seed(parkAirports, "\xEF\xBB\xBF" "EHAM,D7\r\nFUZZ\r\n"),
        seed(parkAirports, fuzzBytes("\xFF\xFE" "E\0H\0A\0M\0\r\0\n\0")),
        seed(apfLink, "airports/my_ORBX/FUZZ.xml\r\n"),
        seed(apfLink, "archive/thirdparty/FUZZ.xml   \nsecond line"),
        seed(apfLink, "archive/thirdparty/NONE.xml"),
        seed(apfLink, "../../etc/FUZZ.xml"),
        seed(apfLink, "C:\\airports\\FUZZ.xml"),
        seed(apfLink, "a.xm"),
        seed(apfLink, std::string("airports/my_ORBX/\x01" "FUZZ.xml")),
    };
}
