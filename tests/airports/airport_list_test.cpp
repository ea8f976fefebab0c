#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <random>
#include <thread>

#include "airport_list/airport_list_convert.h"
#include "airport_test_support.h"
#include "airports/airport_list.h"
#include "airports/airport_list_test_hook.h"
#include "airports/parking_file.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "liveries/download.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

// The list and the archive are the process's: each test starts without them.
class AirportList : public ::testing::Test {
protected:
    void SetUp() override {
        gf_forgetAirportListForTest();
        // Parking files of neighbours are looked for in the archive: no site
        // here. Its first failure backs the whole site off, and from then on
        // every search has its answer at once.
        gf_setDownloadSiteForTest("none://", "");
        fs::create_directories(g_inputFolder);
        ArchiveAnswer answer = ArchiveAnswer::onItsWay;
        for (int i = 0; i < 10000 && answer == ArchiveAnswer::onItsWay; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            answer = lf_existsInOnlineArchive("ZZZZ");
        }
        ASSERT_EQ(answer, ArchiveAnswer::no) << "the site is not backed off: the searches would not be tested";
    }
    void TearDown() override {
        gf_forgetAirportListForTest();
        gf_resetDownloadSiteForTest();
    }
    AirportFolder folder{""};
};

// Great-circle distance, worked out here apart from the program's helper.
double haversineNm(double lat1, double lon1, double lat2, double lon2) {
    constexpr double rad = 3.141592653589793 / 180.0;
    constexpr double earthRadiusNm = 21600.0 / (2.0 * 3.141592653589793);
    const double a = std::pow(std::sin((lat2 - lat1) * rad / 2), 2) +
                     std::cos(lat1 * rad) * std::cos(lat2 * rad) * std::pow(std::sin((lon2 - lon1) * rad / 2), 2);
    return 2.0 * earthRadiusNm * std::asin(std::sqrt(a));
}

std::string airport(const std::string& code, double lat, double lon, const std::string& extra = "") {
    return fmt::format(R"(<airport code="{}" lat="{}" lon="{}" alt="10" {}/>)", code, lat, lon, extra);
}

std::string listPath() { return gf_pathText(g_inputFolder / "airports_p3d.xml"); }

void writeList(const std::string& airports) {
    writeFile(g_inputFolder / "airports_p3d.xml", "<airports>" + airports + "</airports>");
}

TEST_F(AirportList, ReadsOnceSortedAndSkipsWhatIsNoPlace) {
    writeList(airport("ZZZZ", 1, 2) + airport("EHAM", 52.3086, 4.7639, R"(iata="AMS")") +
              R"(<airport code="BAD1" lat="abc" lon="1" alt="0"/><airport code="BAD2" lat="1" lon="1"/>)"
              R"(<airport code="LAT1" lat=" 52.3abc" lon="+4.5" alt="-11"/><airport code="INF1" lat="inf" lon="1" alt="0"/>)"
              R"(<airport code="BIG1" lat="1e999" lon="1" alt="0"/><airport code="OUT1" lat="95" lon="1" alt="0"/>)"
              R"(<airport lat="1" lon="1" alt="0"/>)" +
              airport("EHAM", 10, 10) + "<runway/>");
    ASSERT_TRUE(gf_readAirports("airports_p3d.xml"));
    const auto& list = gf_airportList();
    std::vector<std::string> codes;
    for (const auto& a : list) codes.push_back(a.icao);
    EXPECT_EQ(codes, (std::vector<std::string>{"", "EHAM", "EHAM", "LAT1", "ZZZZ"}));
    EXPECT_EQ(list[1].lat, 52.3086) << "duplicates keep their file order";
    EXPECT_DOUBLE_EQ(list[3].lat, 52.3);
    EXPECT_DOUBLE_EQ(list[3].lon, 4.5);
    EXPECT_DOUBLE_EQ(list[3].elevationFt, -11.0);
    EXPECT_TRUE(folder.logContains("Error parsing coordinates for airport 'BAD1': invalid stod argument"));
    EXPECT_TRUE(folder.logContains("Missing lat/lon/alt for airport 'BAD2'"));
    EXPECT_TRUE(folder.logContains("Error parsing coordinates for airport 'BIG1': stod argument out of range"));
    EXPECT_TRUE(folder.logContains("Error parsing coordinates for airport 'INF1': position out of range"));
    EXPECT_TRUE(folder.logContains("Error parsing coordinates for airport 'OUT1'"));
    EXPECT_TRUE(folder.logContains("5 airports read from '" + listPath() + "'"));
    EXPECT_EQ(gf_airportLabel(*gf_findAirport("EHAM")), "EHAM (AMS)");
    EXPECT_EQ(gf_airportLabel(*gf_findAirport("ZZZZ")), "ZZZZ");
    EXPECT_EQ(gf_airportLabel(list[0]), "?");
    EXPECT_FALSE(gf_findAirport("eham"));

    writeList(airport("NEW1", 1, 1));
    EXPECT_TRUE(gf_readAirports("airports_p3d.xml"));
    EXPECT_TRUE(gf_findAirport("ZZZZ")) << "the list is read once per process";
    EXPECT_FALSE(gf_findAirport("NEW1"));
}

TEST_F(AirportList, AFileThatCannotBeReadIsTheUsersError) {
    try {
        gf_readAirports("airports_p3d.xml");
        FAIL();
    } catch (const UserErrorException& e) {
        EXPECT_EQ(std::string(e.what()).rfind("88: " + listPath() + " not loaded: ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(gf_findAirport("EHAM"));
    writeFile(g_inputFolder / "airports_p3d.xml", "<list/>");
    EXPECT_THROW(
        try { gf_readAirports("airports_p3d.xml"); } catch (const UserErrorException& e) {
            EXPECT_EQ(std::string(e.what()), "88: Missing <airports> root in: " + listPath());
            throw;
        },
        UserErrorException);
    writeList("");
    EXPECT_FALSE(gf_readAirports("airports_p3d.xml")) << "read, but empty";
}

// Airports on the meridian 5° E: one degree of latitude is 60 NM.
TEST_F(AirportList, TheNearestWithinFiveMilesAndItsNeighbour) {
    constexpr double lat0 = 50.0;
    const auto north = [](double nm) { return lat0 + nm / 60.0; };
    writeList(airport("AAAA", north(3.0), 5.0) + airport("BBBB", north(-1.0), 5.0) +
              airport("CCCC", north(20.0), 5.0) + airport("DDDD", north(-5.0000001), 5.0) +
              airport("FARR", 60.0, 5.0));
    ASSERT_TRUE(gf_readAirports("airports_p3d.xml"));
    // Without parking files both stands count as 100 NM away: the nearest wins.
    EXPECT_EQ(gf_closestAirport(lat0, 5.0).value_or(AirportData{}).icao, "BBBB");
    EXPECT_TRUE(folder.logContains("Airport BBBB is closest, neighbour is AAAA"));
    EXPECT_EQ(gf_closestAirport(north(15.0000001), 5.0).value_or(AirportData{}).icao, "CCCC") << "5 NM is near enough";
    EXPECT_FALSE(gf_closestAirport(north(-10.0000002), 5.0)) << "DDDD is just over 5 NM away";
    EXPECT_FALSE(gf_closestAirport(0.0, 0.0));

    // The neighbour counts whatever its place in code order.
    gf_forgetAirportListForTest();
    writeList(airport("AAAA", north(1.0), 5.0) + airport("BBBB", north(-3.0), 5.0));
    ASSERT_TRUE(gf_readAirports("airports_p3d.xml"));
    EXPECT_EQ(gf_closestAirport(lat0, 5.0).value_or(AirportData{}).icao, "AAAA");
    EXPECT_TRUE(folder.logContains("Airport AAAA is closest, neighbour is BBBB"));

    // A stand of the neighbour nearer than any of the nearest airport's takes it.
    const std::string stands = parkpos("N1", north(-0.5), 5.0, 20) + parkpos("N2", north(-3), 5.0, 20);
    writeFile(g_myThirdpartyFolder / "BBBB.xml", parkingFile({{"altitude", "10"}}, stands));
    writeFile(g_myOrbxFolder / "AAAA.xml", parkingFile({{"altitude", "10"}}, parkpos("A1", north(1.5), 5.0, 20)));
    EXPECT_EQ(gf_closestAirport(lat0, 5.0).value_or(AirportData{}).icao, "BBBB");
    EXPECT_TRUE(folder.logContains(
        "Airport AAAA is closest, but stand N1 at neighbouring airport BBBB is closer at 926 meters ..."));
}

TEST_F(AirportList, RealAirportsAtKnownPlaces) {
    fs::copy_file(testDataPath("airports_p3d.xml"), g_inputFolder / "airports_p3d.xml");
    ASSERT_TRUE(gf_readAirports("airports_p3d.xml"));
    const auto& list = gf_airportList();
    ASSERT_GT(list.size(), 7000u);
    EXPECT_EQ(gf_closestAirport(52.3105, 4.7683).value_or(AirportData{}).icao, "EHAM");
    EXPECT_EQ(gf_airportLabel(*gf_closestAirport(51.4700, -0.4543)), "EGLL (LHR)");
    EXPECT_FALSE(gf_closestAirport(40.0, -35.0)) << "mid-Atlantic";
    EXPECT_EQ(gf_closestAirport(-89.95, 123.0).value_or(AirportData{}).icao, "NZSP");
    EXPECT_EQ(gf_closestAirport(82.55, -62.0).value_or(AirportData{}).icao, "CYLT");
    EXPECT_EQ(gf_closestAirport(-18.5667, -179.99).value_or(AirportData{}).icao, "NFMO") << "across the antimeridian";
    EXPECT_EQ(gf_closestAirport(-18.5667, -180.0).value_or(AirportData{}).icao, "NFMO");

    // Around many airports: the nearest by great-circle distance (or one as near).
    std::mt19937 rng(14);
    std::uniform_real_distribution<double> offset(-0.04, 0.04);
    for (int i = 0; i < 300; ++i) {
        const AirportData& near = list[rng() % list.size()];
        const double lat = std::clamp(near.lat + offset(rng), -90.0, 90.0);
        const double lon = near.lon + offset(rng);
        double best = 1e9;
        for (const AirportData& a : list) best = std::min(best, haversineNm(lat, lon, a.lat, a.lon));
        const auto found = gf_closestAirport(lat, lon);
        ASSERT_EQ(found.has_value(), best <= g_closestAirportRangeNm) << lat << "," << lon;
        if (found) {
            EXPECT_NEAR(haversineNm(lat, lon, found->lat, found->lon), best, 1e-6) << found->icao;
        }
    }
}

TEST_F(AirportList, TheConverterMakesAListTheProgramReads) {
    const std::string json = R"([
        {"id": 1, "name": "Schiphol", "iata": "AMS", "icao": "EHAM", "latitude": 52.3086013794,
         "longitude": 4.763889789579999, "altitude": -11, "type": "airport"},
        {"id": 2, "name": "No code", "iata": "XYZ", "icao": "", "latitude": 1, "longitude": 2, "altitude": 3},
        {"id": 3, "name": "Local", "iata": "\\N", "icao": "K2A1", "latitude": -1.5, "longitude": 170, "altitude": 1},
        {"id": 4, "name": "No place", "icao": "ABCD", "latitude": null, "longitude": 2, "altitude": 3}])";
    const auto result = tools::gf_convertAirportData(json);
    EXPECT_EQ(result.taken, 2u);
    EXPECT_EQ(result.skipped, 2u);
    writeFile(g_inputFolder / "airports_p3d.xml", result.xml);
    ASSERT_TRUE(gf_readAirports("airports_p3d.xml"));
    ASSERT_EQ(gf_airportList().size(), 2u);
    const AirportData eham = *gf_findAirport("EHAM");
    EXPECT_EQ(eham.iata, "AMS");
    EXPECT_DOUBLE_EQ(eham.lat, 52.3086013794);
    EXPECT_DOUBLE_EQ(eham.lon, 4.763889789579999);
    EXPECT_DOUBLE_EQ(eham.elevationFt, -11.0);
    EXPECT_EQ(gf_airportLabel(*gf_findAirport("K2A1")), "K2A1");
    EXPECT_THROW(tools::gf_convertAirportData("{not json"), std::exception);
}

}  // namespace
}  // namespace zrb::test
