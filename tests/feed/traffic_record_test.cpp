// Conversion of live-traffic arrays into TrafficRecords and its filters.
#include <array>
#include <cmath>

#include <gtest/gtest.h>

#include "feed_test_support.h"
#include "foundation/geodesy.h"
#include "foundation/log_repeats.h"
#include "foundation/time.h"
#include "shell/common/message_line.h"
#include "support/temp_folder.h"

using namespace zrb;
using namespace zrb::test;

class ProcessLine : public ::testing::Test {
protected:
    void SetUp() override { resetConversion(); }
    LoggedFolder folder;
};

TEST_F(ProcessLine, QnhCorrectsTheAltitudeAndLowAltitudesBecomeGround) {
    auto a = liveArray();
    g_trafficReader.lineContext.qnh = 1003;
    EXPECT_DOUBLE_EQ(convert(a)->sample.altitude, 2700.0);
    g_trafficReader.lineContext.qnh = 1023;
    EXPECT_DOUBLE_EQ(convert(a)->sample.altitude, 3300.0);
    // 200 ft at 1000 hPa is below the ground: a ground record, dropped without a park airport.
    g_trafficReader.lineContext.qnh = 1000;
    a[4] = 200.0;
    EXPECT_FALSE(convert(a));
    useParkAirport(0.0);
    g_trafficReader.lineContext.qnh = 1000;
    const auto ground = convert(a);
    ASSERT_TRUE(ground);
    EXPECT_EQ(ground->sample.altitude, 0.0);
    EXPECT_EQ(ground->sample.airborne, 0);
    // Element 4 missing: element 18 counts.
    a[4] = nullptr;
    a[18] = 5000.0;
    g_trafficReader.lineContext.qnh = 1013;
    EXPECT_DOUBLE_EQ(convert(a)->sample.altitude, 5000.0);
}

TEST_F(ProcessLine, GroundDecisionBySpeedAndHeightAboveTheParkAirport) {
    auto a = liveArray();
    a[4] = 12000.0;
    a[5] = 30.0;
    EXPECT_FALSE(convert(a)) << "35 kt or less is on the ground at any altitude";
    a[4] = 100.0;
    a[5] = 80.0;
    EXPECT_EQ(convert(a)->sample.airborne, 1) << "without an elevation the reference is -1000 ft";
    useParkAirport(0.0);
    EXPECT_EQ(convert(a)->sample.airborne, 1);
    a[5] = 40.0;
    const auto slow = convert(a);
    ASSERT_TRUE(slow);
    EXPECT_EQ(slow->sample.airborne, 0);
    a[4] = 12000.0;
    a[5] = 30.0;
    EXPECT_EQ(convert(a)->sample.altitude, 0.0);
}

// The park airport's elevation is the ground of the height rules: a slow
// aircraft 50 ft above an airport at 1200 ft stands on it.
TEST_F(ProcessLine, TheParkAirportsElevationIsTheGroundOfTheHeightRules) {
    useParkAirport(1200.0);
    auto a = liveArray();
    a[4] = 1250.0;
    a[5] = 50.0;
    const auto landed = convert(a);
    ASSERT_TRUE(landed);
    EXPECT_EQ(landed->sample.airborne, 0);
    gf_clearCurrentParkAirport();
    g_trafficReader.refreshLineContext();
    EXPECT_FALSE(g_trafficReader.lineContext.parkElevation.has_value());
    EXPECT_EQ(convert(a)->sample.airborne, 1) << "without a park airport the reference is -1000 ft again";
}

TEST_F(ProcessLine, GroundTrafficOnlyNearTheParkAirport) {
    useParkAirport(-11.0);
    auto a = liveArray();
    a[4] = 0.0;
    a[5] = 10.0;
    a[2] = g_ehamLon;
    a[1] = g_ehamLat + 4.99 / 60.0;
    EXPECT_TRUE(convert(a));
    a[1] = g_ehamLat + 5.01 / 60.0;
    EXPECT_FALSE(convert(a));
    gf_clearCurrentParkAirport();
    g_trafficReader.refreshLineContext();
    a[1] = g_ehamLat + 0.01;
    EXPECT_FALSE(convert(a));
}

TEST_F(ProcessLine, SpeedTakenOrDefaultedByAltitude) {
    auto a = liveArray();
    EXPECT_EQ(convert(a)->sample.speed, 220.0);
    a[20] = 0;
    EXPECT_EQ(convert(a)->sample.speed, 0.0);
    a[20] = 231.5;
    EXPECT_EQ(convert(a)->sample.speed, 231.5);
    a[20] = nullptr;
    a[4] = 25000.0;
    EXPECT_EQ(convert(a)->sample.speed, 430.0);
    a[4] = 1500.0;
    EXPECT_EQ(convert(a)->sample.speed, 180.0);
}

TEST_F(ProcessLine, HexIdsAboveTenThousandAndWithin32Bits) {
    auto a = liveArray();
    a[0] = "2710";
    EXPECT_FALSE(convert(a));
    a[0] = "2711";
    EXPECT_EQ(convert(a)->hexId, 0x2711U);
    a[0] = "1FFFFFFFF";
    EXPECT_FALSE(convert(a));
    a[0] = "4ca7b5zz";
    EXPECT_EQ(convert(a)->hexId, 0x4CA7B5U);
    a[0] = 4990389;
    EXPECT_FALSE(convert(a)) << "a hex id must be text";
}

TEST_F(ProcessLine, RegistrationAndCallsignRules) {
    auto a = liveArray();
    a[9] = "ABCDEFGHIJKLM";
    EXPECT_FALSE(convert(a));
    a[9] = "null";
    const auto r = convert(a);
    ASSERT_TRUE(r);
    EXPECT_EQ(r->registration, "");
    EXPECT_EQ(r->callsign, "KLM1023");
    a[9] = "";
    a[13] = "null";
    EXPECT_FALSE(convert(a)) << "neither callsign nor registration";
    a[9] = 12345;
    a[13] = "KLM1";
    const auto numeric = convert(a);
    ASSERT_TRUE(numeric);
    EXPECT_EQ(numeric->registration, "");
    a[9] = "PH-BXA";
    a[13] = "ABCDEFGHIJKL";
    const auto longCallsign = convert(a);
    ASSERT_TRUE(longCallsign);
    EXPECT_EQ(longCallsign->callsign, "") << "no simulator object can carry a 12-character callsign";
    a[13] = "KLM@1";
    EXPECT_EQ(convert(a)->callsign, "");
    a[13] = "AIRPORT1";
    EXPECT_FALSE(convert(a));
    a[11] = "null";
    a[13] = "KLM1";
    EXPECT_EQ(convert(a)->departure, "");
}

TEST_F(ProcessLine, TargetCategoriesAndTypes) {
    auto a = liveArray();
    a[28] = "C2";
    EXPECT_FALSE(convert(a));
    a[8] = "GLID";
    a[28] = "null";
    EXPECT_TRUE(convert(a));
    a[28] = "A1";
    EXPECT_FALSE(convert(a));
    a[8] = "";
    a[28] = "null";
    EXPECT_FALSE(convert(a));
    a[8] = "ZZZZ";
    EXPECT_FALSE(convert(a));
}

TEST_F(ProcessLine, TrueHeadingFromAdsb) {
    auto a = liveArray();
    a[17] = "adsb_icao";
    a[25] = 0;
    a[3] = 0;
    const auto north = convert(a);
    ASSERT_TRUE(north);
    EXPECT_DOUBLE_EQ(north->sample.track, g_twoPi);
    EXPECT_DOUBLE_EQ(north->sample.heading, 360.0);
    EXPECT_EQ(north->sample.trackKnown, 1);
    EXPECT_EQ(north->sample.precise, 1);
    a[25] = 90.0;
    EXPECT_DOUBLE_EQ(convert(a)->sample.track, g_pi / 2.0);
    a[25] = -5.0;
    EXPECT_EQ(convert(a)->sample.trackKnown, 0);
    a[25] = 361.0;
    EXPECT_FALSE(convert(a));
    a[17] = "mlat";
    EXPECT_EQ(convert(a)->sample.trackKnown, 0) << "only an ADS-B source gives a true heading";
    EXPECT_FALSE(folder.logContains("processLine")) << "bad headings drop silently";
}

TEST_F(ProcessLine, PositionAndRange) {
    auto a = liveArray();
    a[1] = 91.0;
    EXPECT_FALSE(convert(a));
    a[1] = 0.00005;
    a[2] = -0.00005;
    EXPECT_FALSE(convert(a));
    a[1] = g_ehamLat + 41.0 / 60.0;
    a[2] = g_ehamLon;
    EXPECT_FALSE(convert(a)) << "beyond the range of 40 NM";
    a[1] = g_ehamLat + 39.0 / 60.0;
    EXPECT_TRUE(convert(a));
    a[1] = "52.3";
    EXPECT_FALSE(convert(a));
    EXPECT_FALSE(folder.logContains("processLine"));
}

TEST_F(ProcessLine, BankOnlyInTheAir) {
    auto a = liveArray();
    a[23] = 10.0;
    const auto banked = convert(a);
    ASSERT_TRUE(banked);
    EXPECT_EQ(banked->sample.bankKnown, 1);
    EXPECT_DOUBLE_EQ(banked->sample.bank, -10.0 * g_degToRad);
    a[23] = -1;
    EXPECT_EQ(convert(a)->sample.bankKnown, 0);
}

TEST_F(ProcessLine, BlockedCallsignIsReportedOnceAndReleased) {
    auto a = liveArray();
    g_trafficReader.lineContext.blockCallsign = "KLM1023";
    EXPECT_FALSE(convert(a));
    EXPECT_FALSE(convert(a));
    std::vector<SimNotice> notices = gf_takeSimNotices();
    ASSERT_EQ(notices.size(), 1U);
    EXPECT_EQ(notices[0].kind, 5U);
    EXPECT_EQ(notices[0].hexId, 0x484506U);
    EXPECT_TRUE(folder.logContains("Reader: Live aircraft KLM1023 blocked"));
    a[13] = "OTHER1";
    EXPECT_TRUE(convert(a));

    g_trafficReader.lineContext.blockCallsign = "X";
    a[13] = "X";
    EXPECT_FALSE(convert(a));
    EXPECT_TRUE(folder.logContains("Reader: Live aircraft KLM1023 no longer blocked"));
    EXPECT_TRUE(gf_takeSimNotices().empty());
    EXPECT_FALSE(convert(a));
    EXPECT_EQ(gf_takeSimNotices().size(), 1U);
    EXPECT_TRUE(folder.logContains("Reader: Live aircraft X blocked"));
}

TEST_F(ProcessLine, DataTimeMovesOnForDroppedRecordsToo) {
    auto a = liveArray();
    a[9] = "ABCDEFGHIJKLM";
    a[10] = 1700000123.75;
    EXPECT_FALSE(convert(a));
    EXPECT_DOUBLE_EQ(g_latestRecordTime.load(), 1700000123.75);
    a[9] = "PH-BXA";
    EXPECT_EQ(convert(a)->time, 1700000123);
}

TEST_F(ProcessLine, CollectsCallsignsAndHexIdsWhileCollecting) {
    auto a = liveArray();
    convert(a);
    g_collectFeedIds = true;
    convert(a);
    a[0] = "4ca7b5";
    a[13] = "null";
    convert(a);
    const FeedIds ids = gf_takeFeedIds();
    EXPECT_EQ(ids.callsigns.size(), 1U);
    EXPECT_EQ(ids.callsigns.count("KLM1023"), 1U);
    EXPECT_EQ(ids.hexIds.size(), 2U);
    EXPECT_FALSE(g_collectFeedIds.load());
}

TEST_F(ProcessLine, MembersOf48OrMoreValuesAreConverted) {
    nlohmann::json data = nlohmann::json::object();
    data["a"] = liveArray(47);
    data["b"] = liveArray(48);
    auto longer = liveArray(52);
    longer[0] = "4ca7b5";
    data["c"] = longer;
    data["full_count"] = 3;
    data["d"] = nlohmann::json::object({{"0", "484506"}});
    g_trafficReader.records.clear();
    g_trafficReader.convertTrafficMembers(data);
    EXPECT_EQ(g_trafficReader.records.size(), 2U);
    g_trafficReader.records.clear();
    g_trafficReader.convertTrafficMembers(nlohmann::json("text"));
    g_trafficReader.convertTrafficMembers(nlohmann::json());
    EXPECT_TRUE(g_trafficReader.records.empty());
}

TEST_F(ProcessLine, WrongTypesNeverThrow) {
    for (std::size_t i = 0; i < 48; ++i) {
        auto a = liveArray();
        a[i] = nlohmann::json::object({{"x", 1}});
        EXPECT_NO_THROW(convert(a));
        a[i] = "text";
        EXPECT_NO_THROW(convert(a));
        a[i] = 1e300;
        EXPECT_NO_THROW(convert(a));
    }
}

// Every value an aircraft can have passes: airliners, business jets, gliders,
// helicopters. Beyond what any aircraft can have the record goes, with one line
// and then a count however many come.
TEST_F(ProcessLine, ValuesNoAircraftCanHaveDropTheRecordWithOneLine) {
    useParkAirport(-11.0);
    // altitude, ground speed, vertical rate, bank, speed, track: an airliner, a
    // business jet, taxiing below the sea, a glider in a thermal, helicopters
    // flying and hovering, and what a record holder may show.
    const std::array<double, 6> real[] = {{39000, 480, -2500, 25, 460, 359.9}, {51000, 560, 6000, -30, 500, 0},
                                          {-1300, 2, 0, 0, 0, 180},           {8000, 50, 1800, -55, 55, 270},
                                          {1500, 40, -1900, 120, -1, 90},     {500, 0, 0, -1, 0, 45},
                                          {72000, 1800, 29000, 180, 1990, -359}};
    const std::size_t fields[] = {4, 5, 15, 23, 20, 3};
    for (const auto& values : real) {
        auto a = liveArray();
        for (std::size_t f = 0; f < 6; ++f) a[fields[f]] = values[f];
        EXPECT_TRUE(convert(a)) << values[0];
    }
    const std::pair<std::size_t, double> impossible[] = {
        {4, 1e308},   {4, -1e308},  {4, 100001}, {4, -2001},  {5, 1e308},  {5, -1e308}, {5, 2001},  {15, 1e308}, {15, 30001},
        {15, -30001}, {23, 1e308}, {23, 181},   {23, -181}, {20, 1e308}, {20, 2001},  {3, 1e308}, {3, 361},    {3, -361}};
    for (const auto& [i, v] : impossible) {
        auto a = liveArray();
        a[i] = v;
        EXPECT_FALSE(convert(a)) << i << " " << v;
    }
    gf_logAllHeldRepeats();
    const auto lines = folder.logLines();
    ASSERT_EQ(lines.size(), 3U);
    EXPECT_EQ(lines[1], "===> Traffic record 484506 dropped: altitude 1e+308 ft is no value an aircraft can have");
    EXPECT_EQ(lines[2], "===> Traffic records dropped for values no aircraft can have ... and 17 more like it");
}
