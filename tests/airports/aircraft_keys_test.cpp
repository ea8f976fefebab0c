#include <gtest/gtest.h>

#include "airports/aircraft_keys.h"

namespace zrb::test {
namespace {

AcIdentityRecord aircraft(std::string airline, std::string type, std::string callsign = {},
                          std::string registration = {}, std::string departure = {}, std::string destination = {}) {
    AcIdentityRecord record;
    record.airline = std::move(airline);
    record.type = std::move(type);
    record.callsign = std::move(callsign);
    record.registration = std::move(registration);
    record.departure = std::move(departure);
    record.destination = std::move(destination);
    return record;
}

TEST(AircraftKeys, FixedWidthKeys) {
    EXPECT_EQ(gf_airlineTypeKey(aircraft("", "B738")), "    B738");
    EXPECT_EQ(gf_airlineTypeKey(aircraft("DLH", "B738")), "DLH B738");
    EXPECT_EQ(gf_airlineTypeKey(aircraft("DLHX", "B73")), "DLHX B73 ");  // widths fill, never cut

    EXPECT_EQ(gf_routeText("EDDF", ""), "EDDF->   ");
    EXPECT_EQ(gf_routeText("", ""), "        ");
    EXPECT_EQ(gf_routeText("", "KJFK"), "   ->KJFK");

    const auto a = aircraft("DLH", "B748", "DLH400", "D-ABYA", "EDDF", "KJFK");
    EXPECT_EQ(gf_routeCallsignReg(a), "DLH400   D-ABYA   EDDF->KJFK");
    EXPECT_EQ(gf_acLogKey(a), "DLH400   D-ABYA   EDDF->KJFK DLH B748");
    EXPECT_EQ(gf_liveAcLogKey(a), gf_acLogKey(a));
    EXPECT_EQ(gf_callsignRegKey(a), "DLH400   D-ABYA DLH B748");
    EXPECT_EQ(gf_airlineTypeRegKey(a), "DLH B748 D-ABYA");
    EXPECT_EQ(gf_acLogKey(aircraft("", "C172", "N172SP")), "N172SP" + std::string(25, ' ') + "C172");
}

TEST(AircraftKeys, CallsignTests) {
    EXPECT_FALSE(gf_hasValidCallsign(aircraft("", "", "")));
    EXPECT_FALSE(gf_hasValidCallsign(aircraft("", "", "ABCDEFGHI")));
    EXPECT_FALSE(gf_hasValidCallsign(aircraft("", "", "@@@@@@@@")));
    EXPECT_TRUE(gf_hasValidCallsign(aircraft("", "", "ABCDEFGH")));
    EXPECT_TRUE(gf_hasValidCallsign(aircraft("", "", "X")));

    EXPECT_EQ(lf_splitCallsign("dlh4"), std::optional<std::string>("DLH"));
    EXPECT_EQ(lf_splitCallsign("BAW12K"), std::optional<std::string>("BAW"));
    EXPECT_FALSE(lf_splitCallsign("DL4X"));
    EXPECT_FALSE(lf_splitCallsign("DLH"));
    EXPECT_FALSE(lf_splitCallsign("DLHX"));
    EXPECT_FALSE(lf_splitCallsign(""));

    auto a = aircraft("", "A320", "ezy12AB");
    EXPECT_TRUE(gf_airlineFromCallsign(a));
    EXPECT_EQ(a.airline, "EZY");
    auto b = aircraft("KEEP", "A320", "N12345");
    EXPECT_FALSE(gf_airlineFromCallsign(b));
    EXPECT_EQ(b.airline, "KEEP");

    EXPECT_TRUE(gf_sameAirlineType(aircraft("DLH", "A320"), aircraft("DLH", "A320", "x")));
    EXPECT_FALSE(gf_sameAirlineType(aircraft("DLH", "A320"), aircraft("dlh", "A320")));
}

}  // namespace
}  // namespace zrb::test
