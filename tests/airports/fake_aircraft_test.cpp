#include <gtest/gtest.h>

#include <limits>
#include <random>
#include <set>

#include "airport_test_support.h"
#include "airports/fake_aircraft.h"
#include "foundation/random.h"
#include "foundation/time.h"

namespace zrb::test {
namespace {

// Monday 1 January 2024, 10:45 UTC: half-hour 21 of weekday 1.
constexpr Seconds mondayMorning = 1704067200 + 10 * 3600 + 45 * 60;
constexpr std::uint64_t slot21 = std::uint64_t{1} << 21;

Seconds fixedClock() { return mondayMorning; }
Seconds brokenClock() { return std::numeric_limits<Seconds>::max(); }

// Stands of a given radius and kind (the flags as the file has them).
Stand stand(const std::string& id, double radiusMetres, bool cargo = false, bool ramp = false, bool heli = false) {
    return Stand(id, {}, 51.0, 0.5, 0.0, radiusMetres, cargo ? 0 : 1, ramp ? 0 : 1, heli ? 0 : 1);
}

class FakeAircraft : public ::testing::Test {
protected:
    FakeAircraft() {
        // The sample database, with spans for the regional types that the
        // tests size stands for.
        std::string dbase = readFile(testDataPath("dbase_sample.xml"));
        dbase.replace(dbase.find("</wingspans>"), 12,
                      R"(<wingspan type="A20N" meters="30.0"/></wingspans>)");
        writeFile("dbase.xml", dbase);
        gf_readDbaseXml("dbase.xml");
        gf_setSystemClock(&fixedClock);
        gf_seedThreadRng(7);
    }
    ~FakeAircraft() override { gf_setSystemClock(nullptr); }
    AirportFolder folder;
};

TEST_F(FakeAircraft, EveryStandGetsOneSoftAircraftOfNow) {
    std::vector<Stand> table{stand("G1", 3.0), stand("G2", 200.0), stand("H1", 1.0, false, false, true),
                             stand("C1", 1.0, true), stand("G3", 30.0)};
    table[2].options.push_back({"PVT", "R44", "D-HXYZ", "", {}, 1, 7, 3, 1, 1});
    lf_addFakeAircraft("YSSY", table);
    // No table for 'Y': ZZZ B738 whatever the size; the helipad its helicopter;
    // the cargo stand too small for every freighter nothing, without using a number.
    const std::vector<std::pair<std::string, std::string>> expected{
        {"ZZZ", "B738"}, {"ZZZ", "B738"}, {"PVT", "EC35"}, {"", ""}, {"ZZZ", "B738"}};
    int k = 1;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (expected[i].first.empty()) {
            EXPECT_TRUE(table[i].options.empty()) << table[i].id;
            continue;
        }
        const StandOption& fake = table[i].options.back();
        EXPECT_EQ(fake.airline, expected[i].first) << table[i].id;
        EXPECT_EQ(fake.type, expected[i].second) << table[i].id;
        EXPECT_EQ(fake.callsign, fmt::format("FAKE{}", k));
        EXPECT_EQ(fake.registration, fmt::format("REGFAKE{}", k));
        EXPECT_EQ(fake.halfHours, slot21);
        EXPECT_EQ(fake.day, 1);
        EXPECT_EQ(fake.real, 0u);
        EXPECT_EQ(fake.origin, g_optionOriginFake) << "never saved";
        EXPECT_TRUE(fake.coupledCallsign.empty());
        ++k;
    }
    EXPECT_EQ(table[0].options.back().optionId, 1u);
    EXPECT_EQ(table[2].options.size(), 2u) << "a stand with options keeps them";
    EXPECT_EQ(table[2].options.back().optionId, 8u);
}

TEST_F(FakeAircraft, TheOnlyFittingPairIsTakenWithoutADraw) {
    // 15 m: the A20N (15 m half span) fits; the B738 is 2.9 m too wide; the A35K,
    // unknown to the database, has the small mean span of its category.
    std::vector<Stand> table{stand("R1", 15.0)};
    const std::mt19937 before = lf_initThreadRng();
    lf_addFakeAircraft("RJTT", table);
    ASSERT_EQ(table[0].options.size(), 1u);
    EXPECT_EQ(table[0].options[0].airline, "ANA");
    EXPECT_EQ(table[0].options[0].type, "A20N");
    EXPECT_TRUE(lf_initThreadRng() == before) << "one candidate needs no random number";
}

TEST_F(FakeAircraft, ChoicesRepeatUnderTheSameSeed) {
    const auto fill = [](std::uint32_t seed) {
        gf_seedThreadRng(seed);
        std::vector<Stand> table;
        for (int i = 0; i < 12; ++i) table.push_back(stand(fmt::format("K{}", i), 18.5));
        for (int i = 0; i < 6; ++i) table.push_back(stand(fmt::format("GA{}", i), 6.0, false, true));
        lf_addFakeAircraft("KJFK", table);
        std::vector<std::string> picks;
        for (const Stand& s : table) picks.push_back(s.options.empty() ? "-" : s.options[0].airline + " " + s.options[0].type);
        return picks;
    };
    const auto first = fill(99);
    EXPECT_EQ(fill(99), first);
    const std::set<std::string> usPairs{"UAL B77W", "DAL B739", "JBU BCS3", "FFT A320", "UAL B78X",
                                        "UAL B738", "AAL B738", "SKW E75L", "SWA B737"};
    for (std::size_t i = 0; i < 12; ++i) EXPECT_TRUE(usPairs.count(first[i]) == 1) << first[i];
    EXPECT_GT(std::set<std::string>(first.begin(), first.begin() + 12).size(), 1u) << "a choice among several";
    for (std::size_t i = 12; i < first.size(); ++i) EXPECT_EQ(first[i].rfind("PVT ", 0), 0u) << first[i];
}

TEST_F(FakeAircraft, NoValidTimeTouchesNoStand) {
    gf_setSystemClock(&brokenClock);
    std::vector<Stand> table{stand("G1", 20.0)};
    EXPECT_THROW(lf_addFakeAircraft("EGLL", table), std::out_of_range);
    EXPECT_TRUE(table[0].options.empty());
}

}  // namespace
}  // namespace zrb::test
