// A destination typed in the window (another thread) reaches the park-airport
// list only through the worker, while the worker keeps reading and sorting it.
#include <thread>

#include "parking_fixture.h"

namespace zrb::test {
namespace {

TEST_F(ParkingTest, DestinationsFromAnotherThreadWaitForTheWorker) {
    writeFile(g_myParkAirportsFile, "AAAA\nEDDF\nZZZZ\n");
    ASSERT_TRUE(lf_readMyParkAirports());
    constexpr int requests = 200;
    std::jthread window([] {
        for (int i = 0; i < requests; ++i) gf_setFirstParkAirport(i % 2 == 0 ? "AAAA" : "ZZZZ", 50.0, 8.5);
    });
    DESTINATION.value = "ZZZZ";  // the list keeps the order the requests give it
    g_userAcCopy.lat = baseLat;
    g_userAcCopy.lon = baseLon;
    for (int i = 0; i < requests; ++i) {
        g_userAcCopy.lat += 0.001;
        gf_checkStaticParking(false);
    }
    window.join();
    gf_serveFirstParkAirportRequests();
    EXPECT_EQ(ParkAirportList.size(), 3u);
    EXPECT_EQ(ParkAirportList.front().icao, "ZZZZ") << "the last request wins";
    EXPECT_EQ(readLines(g_myParkAirportsFile), (std::vector<std::string>{"AAAA", "EDDF", "ZZZZ"}));
}

}  // namespace
}  // namespace zrb::test
