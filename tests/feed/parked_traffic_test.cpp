// Conversion of parked-traffic members and what the request makes of them.
#include <gtest/gtest.h>

#include "feed/parked_traffic.h"
#include "feed_test_support.h"
#include "support/temp_folder.h"

using namespace zrb;
using namespace zrb::test;
using nlohmann::json;

namespace {
// 2023-11-14 10:29:29 UTC and friends.
constexpr double at102929 = 1699957769.0;

json parked(json lat, json lon, json stand, json type, json reg, json seen, json cs) {
    return json::array({lat, lon, stand, type, reg, seen, cs});
}

std::vector<ParkedTrafficRecord> convertParked(const std::string& key, const json& value) {
    TrafficReader& r = g_trafficReader;
    r.parkedWork.clear();
    r.parkedRecord = value;
    r.processParkedTrafficLine(key);
    return r.parkedWork;
}

ParkedTrafficRecord record(std::string stand, std::string cs, int slot) {
    ParkedTrafficRecord r;
    r.stand = std::move(stand);
    r.callsign = std::move(cs);
    r.slot = slot;
    return r;
}
}  // namespace

class ParkedLine : public ::testing::Test {
protected:
    static void SetUpTestSuite() { loadTestDatabase(); }
    void SetUp() override { resetConversion(); }
    LoggedFolder folder;
};

TEST_F(ParkedLine, SlotsOfTheTimeSeen) {
    auto r = convertParked("484506", parked(52.3, 4.76, "D7", "B738", "PH-BXA", at102929, "KLM12"));
    ASSERT_EQ(r.size(), 1U);
    EXPECT_EQ(r[0].slot, 20);
    EXPECT_EQ(r[0].hexId, 0x484506U);
    EXPECT_EQ(convertParked("484506", parked(52.3, 4.76, "D7", "B738", "PH-BXA", at102929 + 1, "KLM12"))[0].slot, 21);
    EXPECT_EQ(convertParked("484506", parked(52.3, 4.76, "D7", "B738", "PH-BXA", 1700006399, "KLM12"))[0].slot, 47);
    EXPECT_EQ(convertParked("484506", parked(52.3, 4.76, "D7", "B738", "PH-BXA", 1700006398.6, "KLM12"))[0].slot, 47);
    EXPECT_TRUE(convertParked("484506", parked(52.3, 4.76, "D7", "B738", "PH-BXA", "yesterday", "KLM12")).empty());
    EXPECT_TRUE(folder.logContains("processParkedTrafficLine:"));
}

TEST_F(ParkedLine, TypesCallsignsAndRegistrations) {
    auto r = convertParked("485a3e", parked(52.3, 4.76, "F4", "B747", "PH-BFT", at102929, "KLM12."));
    ASSERT_EQ(r.size(), 1U);
    EXPECT_EQ(r[0].type, "B744");
    EXPECT_EQ(r[0].callsign, "KLM12");
    EXPECT_EQ(convertParked("485a3e", parked(52.3, 4.76, "F4", "B738", "PH-BFT", at102929, "N00000X"))[0].callsign, "");
    EXPECT_EQ(convertParked("485a3e", parked(52.3, 4.76, "F4", "B738", "PH-BFT", at102929, "KLM123456"))[0].callsign, "");
    EXPECT_EQ(convertParked("485a3e", parked(52.3, 4.76, "F4", "B738", "ABCDEFGHIJKLM", at102929, "KLM1"))[0].registration, "");
    EXPECT_TRUE(convertParked("485a3e", parked(52.3, 4.76, "F4", "E190", "PH-BFT", at102929, "KLM1")).empty()) << "unknown type";
    EXPECT_TRUE(convertParked("2710", parked(52.3, 4.76, "F4", "B738", "PH-BFT", at102929, "KLM1")).empty());
    EXPECT_TRUE(convertParked("485a3e", parked(52.3, 4.76, 7, "B738", "PH-BFT", at102929, "KLM1")).empty()) << "stand must be text";
}

TEST_F(ParkedLine, DatabaseCompletesTypeAirlineAndCallsign) {
    // The registration is known: airline and type from the database, the callsign takes it.
    auto byReg = convertParked("485a3e", parked(52.3, 4.76, "F4", "0", "PHBVA", at102929, "null"));
    ASSERT_EQ(byReg.size(), 1U);
    EXPECT_EQ(byReg[0].type, "B77W");
    EXPECT_EQ(byReg[0].airline, "KLM");
    EXPECT_EQ(byReg[0].callsign, "PHBVA");
    // Only a callsign that is a known registration: it becomes the registration; the operator wins.
    auto byCallsign = convertParked("3c4b26", parked(52.3, 4.76, "A1", "ZZZZ", "null", at102929, "D-ALFA"));
    ASSERT_EQ(byCallsign.size(), 1U);
    EXPECT_EQ(byCallsign[0].registration, "D-ALFA");
    EXPECT_EQ(byCallsign[0].airline, "GEC");
    EXPECT_EQ(byCallsign[0].type, "B77L");
}

TEST_F(ParkedLine, PositionsIncludingIntegers) {
    auto r = convertParked("484506", parked(52, 5, "D7", "B738", "PH-BXA", at102929, "KLM12"));
    ASSERT_EQ(r.size(), 1U);
    EXPECT_EQ(r[0].lat, 52.0);
    EXPECT_EQ(r[0].lon, 5.0);
    EXPECT_TRUE(convertParked("484506", parked(0.00001, 0.0, "D7", "B738", "PH-BXA", at102929, "KLM12")).empty());
    EXPECT_TRUE(convertParked("484506", parked("52.3", "4.7", "D7", "B738", "PH-BXA", at102929, "KLM12")).empty());
    EXPECT_TRUE(convertParked("484506", parked(95.0, 4.7, "D7", "B738", "PH-BXA", at102929, "KLM12")).empty());
    EXPECT_TRUE(convertParked("484506", json::array({52.3})).empty());
    EXPECT_TRUE(convertParked("484506", json("nonsense")).empty());
}

TEST_F(ParkedLine, ReservedAndUserStandsAreKeptFree) {
    gf_setReservedStand("D7");
    gf_setUserStandSource([] { return std::string("E18"); });
    g_trafficReader.refreshLineContext();
    EXPECT_TRUE(convertParked("484506", parked(52.3, 4.76, "D7", "B738", "PH-BXA", at102929, "KLM12")).empty());
    EXPECT_TRUE(convertParked("484506", parked(52.3, 4.76, "E18", "B738", "PH-BXA", at102929, "KLM12")).empty());
    EXPECT_EQ(convertParked("484506", parked(52.3, 4.76, "F4", "B738", "PH-BXA", at102929, "KLM12")).size(), 1U);
    gf_setUserStandSource(nullptr);
}

TEST(ParkedAges, AgedErasedSortedAndDeduplicated) {
    std::vector<ParkedTrafficRecord> records{record("D7", "A1", 46), record("D8", "A2", -1), record("D9", "A3", 1)};
    gf_ageAndSortParked(records, 2, true, 47);
    ASSERT_EQ(records.size(), 2U) << "a record without a time has no age";
    EXPECT_EQ(records[0].slot, 1);
    EXPECT_EQ(records[1].slot, 4);
    std::vector<ParkedTrafficRecord> old{record("D7", "A1", 46)};
    gf_ageAndSortParked(old, 2, false, 3);
    EXPECT_TRUE(old.empty());

    std::vector<ParkedTrafficRecord> doubles{record("D7", "X1", 5), record("D7", "X2", 1), record("E1", "KLM12", 10),
                                             record("E2", "KLM12", 3), record("", "", 2), record("", "", 7)};
    gf_ageAndSortParked(doubles, 20, true, 47);
    ASSERT_EQ(doubles.size(), 3U);
    // Ages 10 (E1), 13 (""), 15 (D7 X1), 17 (E2 KLM12 again), 18 ("" again), 19 (D7 again).
    EXPECT_EQ(doubles[0].stand, "E1");
    EXPECT_EQ(doubles[1].stand, "");
    EXPECT_EQ(doubles[1].slot, 13);
    EXPECT_EQ(doubles[2].callsign, "X1");
}

TEST(ParkedBox, ThreeNauticalMilesAroundTheAirport) {
    const QueryBox box = gf_parkedBoxAround(52.3086, 4.7639);
    EXPECT_EQ(fmt::format("{:.2F},{:.2F},{:.2F},{:.2F}", box.top, box.bottom, box.left, box.right), "52.36,52.26,4.68,4.85");
}
