// The user's park-airport list: reading my_park_airports.txt and the
// my_thirdparty folder, writing its front entry, and the destination put first.
#include "parking_fixture.h"

#include <algorithm>

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

class ParkAirportListTest : public ParkingTest {
protected:
    static std::vector<std::string> icaos() {
        std::vector<std::string> codes;
        for (const ParkAirport& p : ParkAirportList)
            codes.push_back(p.reservedStand.empty() ? p.icao : p.icao + "," + p.reservedStand);
        return codes;
    }
};

TEST_F(ParkAirportListTest, LinesAreCheckedAndTheThirdPartyFolderAddsItsAirportsOnce) {
    writeFile(g_myParkAirportsFile, "EDDF\r\nEDDF,A12\nKJFK,1,2\n\n  EDDS , B3 \nXXXX\n");
    for (const char* name : {"EGLL.xml", "EGLL.txt", "QQQQ.xml", "EDDF.txt"}) writeFile(g_myThirdpartyFolder / name, "x");
    EXPECT_FALSE(lf_readMyParkAirports()) << "an unknown airport makes the read fail";
    EXPECT_EQ(icaos(), (std::vector<std::string>{"EDDF", "EDDS,B3", "EGLL"}));
    EXPECT_TRUE(folder.logContains("===> my_park_airports.txt:EDDF double, skipped"));
    EXPECT_TRUE(folder.logContains("===> my_park_airports.txt:KJFK,1,2 wrong syntax, skipped"));
    EXPECT_TRUE(folder.logContains("airport XXXX is unknown"));
    EXPECT_TRUE(folder.logContains("2 park airports read from 'my_park_airports.txt'"));
    EXPECT_TRUE(folder.logContains("1 park airport added from my_thirdparty folder(-s)"));
    EXPECT_FALSE(folder.logContains("QQQQ"));
    EXPECT_FALSE(folder.logContains("lot of airports"));

    fs::remove(g_myParkAirportsFile);
    EXPECT_TRUE(lf_readMyParkAirports()) << "a missing file is no fault";
    std::vector<std::string> fromFolder = icaos();
    std::sort(fromFolder.begin(), fromFolder.end());
    EXPECT_EQ(fromFolder, (std::vector<std::string>{"EDDF", "EGLL"}));
}

TEST_F(ParkAirportListTest, MoreThan3000AirportsAreWorthAWarning) {
    std::string list = "<airports>";
    std::string lines;
    for (int i = 0; i < 3001; ++i) {
        const std::string code = fmt::format("{}{:03}", static_cast<char>('A' + i / 1000), i % 1000);
        list += airport(code, 10.0 + i * 0.001, 10.0);
        if (i < 3000) lines += code + "\n";
    }
    gf_forgetAirportListForTest();
    writeFile(g_inputFolder / "airports_p3d.xml", list + "</airports>");
    gf_readAirports("airports_p3d.xml");
    writeFile(g_myParkAirportsFile, lines);
    EXPECT_TRUE(lf_readMyParkAirports());
    EXPECT_FALSE(folder.logContains("lot of airports"));
    writeFile(g_myParkAirportsFile, lines + "D000\n");
    EXPECT_TRUE(lf_readMyParkAirports());
    EXPECT_TRUE(folder.logContains(
        "Warning: There are a lot of airports (3001), that will cost TLVR much cpu time and may cause stutters"));
}

TEST_F(ParkAirportListTest, TheFrontEntryIsWrittenIntoASortedFile) {
    ParkAirportList = {ParkAirport{"EDDF", "B7", baseLat, baseLon, 0.0}};
    gf_writeMyParkAirports();
    EXPECT_EQ(readLines(g_myParkAirportsFile), (std::vector<std::string>{"EDDF,B7"}));
    EXPECT_TRUE(folder.logContains("my_park_airports.txt created with EDDF,B7"));

    writeFile(g_myParkAirportsFile, "EDDF,A12\nAAAA\n");
    gf_writeMyParkAirports();
    EXPECT_EQ(readLines(g_myParkAirportsFile), (std::vector<std::string>{"AAAA", "EDDF,B7"}));
    EXPECT_TRUE(folder.logContains("my_park_airports.txt:EDDF,B7 updated stand"));

    ParkAirportList.front() = ParkAirport{"ZZZZ", "", 50.4, baseLon, 0.0};
    gf_writeMyParkAirports();
    EXPECT_EQ(readLines(g_myParkAirportsFile), (std::vector<std::string>{"AAAA", "EDDF,B7", "ZZZZ"}));
    EXPECT_TRUE(folder.logContains("my_park_airports.txt:ZZZZ new entry"));
    EXPECT_FALSE(fs::exists(g_myParkAirportsFile.string() + ".tmp"));
}

TEST_F(ParkAirportListTest, AListThatCannotBeReadIsNeverReplaced) {
    // A folder where the file should be cannot be opened for reading, like a locked file.
    fs::create_directories(g_myParkAirportsFile);
    ParkAirportList = {ParkAirport{"EDDF", "", baseLat, baseLon, 0.0}};
    gf_writeMyParkAirports();
    EXPECT_TRUE(fs::is_directory(g_myParkAirportsFile));
    EXPECT_TRUE(folder.logContains("===> my_park_airports.txt cannot be read, 'EDDF' not written"));
}

TEST_F(ParkAirportListTest, TheDestinationComesFirstAtTheWorkersNextLook) {
    writeFile(g_myParkAirportsFile, "AAAA\nEDDF,A12\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    gf_setFirstParkAirport("EDDF", baseLat, baseLon);
    EXPECT_EQ(icaos(), (std::vector<std::string>{"AAAA", "EDDF,A12"})) << "asked, not yet served";
    const auto first = gf_firstParkAirport();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->icao, "EDDF");
    EXPECT_EQ(icaos(), (std::vector<std::string>{"EDDF,A12", "AAAA"})) << "moved with its stand";
    EXPECT_EQ(readLines(g_myParkAirportsFile), (std::vector<std::string>{"AAAA", "EDDF,A12"})) << "a move writes nothing";

    gf_setFirstParkAirport("KJFK", 40.6398, -73.7789);
    gf_serveFirstParkAirportRequests();
    EXPECT_EQ(icaos(), (std::vector<std::string>{"KJFK", "EDDF,A12", "AAAA"}));
    EXPECT_EQ(readLines(g_myParkAirportsFile), (std::vector<std::string>{"AAAA", "EDDF,A12", "KJFK"}));

    gf_setFirstParkAirport("ZZZZ", 50.4, baseLon);
    gf_dropFirstParkAirportRequests();  // the run ended before the worker looked
    gf_serveFirstParkAirportRequests();
    EXPECT_EQ(ParkAirportList.front().icao, "KJFK");
}

}  // namespace
}  // namespace zrb::test
