#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <gsl/narrow>

#include "airports/stand_options.h"
#include "liveries/dbase.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

constexpr std::uint64_t bit(int slot) { return std::uint64_t{1} << slot; }

StandOption option(std::uint32_t id, std::int32_t day, std::uint64_t halfHours, std::string registration = "D-AIZA",
                   std::uint32_t real = 1) {
    return {"DLH", "A320", std::move(registration), "DLH4", {}, halfHours, id, day, 0, real};
}

AcIdentityRecord aircraft(std::string airline, std::string type) {
    AcIdentityRecord record;
    record.airline = std::move(airline);
    record.type = std::move(type);
    return record;
}

Stand standOfMetres(double radiusMetres) { return Stand("S", {}, 0, 0, 0, radiusMetres, 1, 1, 1); }

TEST(StandOptions, MatchesByCallsignOrAirlineAndType) {
    const auto dlh = aircraft("DLH", "A320");
    auto o = option(1, 2, bit(3));
    o.coupledCallsign = "DLH4X";
    EXPECT_TRUE(gf_optionMatches({"DLH4", aircraft("BAW", "B744")}, o));
    EXPECT_TRUE(gf_optionMatches({"DLH4X", aircraft("BAW", "B744")}, o));
    EXPECT_TRUE(gf_optionMatches({"OTHER", dlh}, o));
    EXPECT_FALSE(gf_optionMatches({"OTHER", aircraft("DLH", "A321")}, o));
    o.real = 0;
    EXPECT_FALSE(gf_optionMatches({"DLH4", dlh}, o));
    o.real = 1;
    o.optionId = 0;
    EXPECT_FALSE(gf_optionMatches({"DLH4", dlh}, o));
}

TEST(StandOptions, SlotTestLooksOneHalfHourEitherSideAroundMidnight) {
    const auto late = option(1, 3, bit(47));
    EXPECT_TRUE(gf_optionHasSlot({3, 0, "D-AIZA"}, late));
    EXPECT_TRUE(gf_optionHasSlot({3, 46, "D-AIZA"}, late));
    EXPECT_FALSE(gf_optionHasSlot({3, 45, "D-AIZA"}, late));
    EXPECT_FALSE(gf_optionHasSlot({4, 0, "D-AIZA"}, late));
    EXPECT_FALSE(gf_optionHasSlot({3, 0, "D-AIZB"}, late));
    EXPECT_TRUE(gf_optionHasSlot({3, 47, "D-AIZA"}, option(1, 3, bit(0))));
    EXPECT_FALSE(gf_optionHasSlot({3, 0, "D-AIZA"}, option(1, 3, bit(47), "D-AIZA", 0)));
    EXPECT_FALSE(gf_optionHasSlot({3, 0, "D-AIZA"}, option(0, 3, bit(47))));
    EXPECT_THROW(gf_optionHasSlot({3, 48, "D-AIZA"}, late), std::out_of_range);
}

TEST(StandOptions, AddingASlotOpensOneOptionPerKeyDayAndSlot) {
    LoggedFolder folder;
    gf_clearDbase();
    std::vector<StandOption> options;
    const auto a = aircraft("DLH", "A320");
    EXPECT_EQ(gf_addStandOptionSlot(options, a, 1, gf_makeDaySlot(2, 10), "DLH4", "").added, false);
    EXPECT_TRUE(options.empty());

    const auto first = gf_addStandOptionSlot(options, a, 1, gf_makeDaySlot(2, 10), "DLH4_", "D-AIZA");
    EXPECT_EQ(first.optionId, 1u);
    EXPECT_TRUE(first.added);
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options[0], (StandOption{"DLH", "A320", "D-AIZA", "DLH4", {}, bit(10), 1, 2, 0, 1}));

    const auto again = gf_addStandOptionSlot(options, a, 1, gf_makeDaySlot(2, 10), "DLH4", "D-AIZA");
    EXPECT_FALSE(again.added);
    EXPECT_EQ(again.optionId, 1u);
    EXPECT_EQ(options.size(), 1u);

    const auto later = gf_addStandOptionSlot(options, a, 0, gf_makeDaySlot(2, 11), "DLH4", "D-AIZA");
    EXPECT_EQ(later.optionId, 2u);
    EXPECT_EQ(options.back().real, 0u);
    EXPECT_THROW(gf_addStandOptionSlot(options, a, 1, gf_makeDaySlot(2, 48), "DLH4", "D-AIZA"), std::out_of_range);

    // The last option retired (id 0): the next one takes an id beyond every id
    // in use, so its half-hours never land in option 1.
    options.back().optionId = 0;
    const auto next = gf_addStandOptionSlot(options, a, 1, gf_makeDaySlot(2, 12), "DLH4", "D-AIZA");
    EXPECT_TRUE(next.added);
    EXPECT_EQ(next.optionId, 2u);
}

TEST(StandOptions, AddingASlotTakesTheIdentityFromTheDatabase) {
    LoggedFolder folder;
    writeFile(folder / "dbase.xml",
              "<aircrafts><aircraft types=\"B77L,A320\"/></aircrafts><high_performance><hpf types=\"F16\"/>"
              "</high_performance><heavy><hvy types=\"B77L\"/></heavy><large><lar types=\"A320\"/></large>"
              "<buzjet><bzj types=\"C56X\"/></buzjet><rotorcraft><rot types=\"EC35\"/></rotorcraft><cargo_types>"
              "<cargo_type types=\"B77L\"/></cargo_types><ICAO_airlines><ICAO codes=\"DLH\"/></ICAO_airlines>"
              "<cargo_operators><ICAO codes=\"GEC\"/></cargo_operators><simaddonsP3D><simaddonP3D arpts=\"EDDF\"/>"
              "</simaddonsP3D><dbase><db reg=\"D-ALFA\" airl=\"DLH\" type=\"B77L\" opr=\"GEC\" cargo=\"1\"/>"
              "<db reg=\"D-AIZA\" airl=\"DLH\" type=\"A320\"/></dbase>");
    gf_readDbaseXml(folder / "dbase.xml");
    std::vector<StandOption> options;
    gf_addStandOptionSlot(options, aircraft("XXX", "ZZZZ"), 1, gf_makeDaySlot(5, 0), "GEC8", "DALFA");
    gf_addStandOptionSlot(options, aircraft("XXX", "ZZZZ"), 1, gf_makeDaySlot(5, 0), "DLH4", "DAIZA");
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options[0].airline, "GEC");  // the operator before the airline
    EXPECT_EQ(options[0].type, "B77L");
    EXPECT_EQ(options[0].registration, "DALFA");
    EXPECT_EQ(options[1].airline, "DLH");
    gf_clearDbase();
}

TEST(StandOptions, CallsignsOfAnOption) {
    std::vector<StandOption> options{option(1, 2, bit(3)), option(2, 2, bit(4))};
    options[1].callsign.clear();
    gf_setOptionCallsign(options, 1, "DLH4_");
    EXPECT_EQ(options[0].coupledCallsign, "");
    gf_setOptionCallsign(options, 1, "DLH5");
    EXPECT_EQ(options[0].coupledCallsign, "DLH5");
    gf_setOptionCallsign(options, 1, "DLH6_");
    EXPECT_EQ(options[0].coupledCallsign, "DLH6");
    EXPECT_EQ(options[0].callsign, "DLH4");
    gf_setOptionCallsign(options, 2, "BAW1");
    EXPECT_EQ(options[1].callsign, "BAW1");
    gf_setOptionCallsign(options, 2, "_");
    gf_setOptionCallsign(options, 9, "X");
    gf_setOptionCallsign(options, 0, "X");
    EXPECT_EQ(options[1].callsign, "BAW1");
    EXPECT_EQ(options[1].coupledCallsign, "");
}

TEST(StandOptions, SchedulesAcrossMidnight) {
    LoggedFolder folder;
    std::vector<std::int32_t> slots;
    EXPECT_EQ(gf_stepBackSlots(4, gf_makeDaySlot(1, 1), slots), (std::vector<std::int32_t>{1, 0, 47, 46}));
    gf_stepBackSlots(0, gf_makeDaySlot(1, 1), slots);
    gf_stepBackSlots(-3, gf_makeDaySlot(1, 1), slots);
    EXPECT_EQ(slots.size(), 4u);

    // Same day: every slot of the list goes to the option.
    std::vector<StandOption> options{option(1, 2, bit(10))};
    std::vector<std::int32_t> sameDay{10, 9, 8};
    EXPECT_TRUE(updateOptions(options, sameDay, 1));
    EXPECT_EQ(options[0].halfHours, bit(8) | bit(9) | bit(10));
    EXPECT_TRUE(sameDay.empty());
    std::vector<std::int32_t> none{5};
    EXPECT_FALSE(updateOptions(options, none, 7));
    std::vector<std::int32_t> bad{48, 20};
    EXPECT_FALSE(updateOptions(options, bad, 1));
    EXPECT_TRUE(options[0].halfHours & bit(20));
    EXPECT_TRUE(folder.logContains("===> updateOptions exception:"));

    // Back 0: the whole list is the later day's.
    options = {option(1, 3, 0), option(2, 4, bit(1))};
    std::vector<std::int32_t> list{1, 0};
    EXPECT_TRUE(updateOptionsWrapped(options, list, 1, 2));
    EXPECT_EQ(options[0].halfHours, 0u);
    EXPECT_EQ(options[1].halfHours, bit(0) | bit(1));
    EXPECT_EQ(list, (std::vector<std::int32_t>{1}));

    // Day 3 slot 46 to day 4 slot 1: 47 to the day-3 option, 0 to the day-4 one.
    options = {option(1, 3, bit(46)), option(2, 4, bit(1))};
    gf_addOptionSlots(options, gf_makeDaySlot(4, 1), "DLH9", 3, 1, 2);
    EXPECT_EQ(options[0].halfHours, bit(46) | bit(47));
    EXPECT_EQ(options[1].halfHours, bit(0) | bit(1));
    EXPECT_EQ(options[0].coupledCallsign, "DLH9");
    EXPECT_EQ(options[1].coupledCallsign, "DLH9");

    std::vector<std::int32_t> missing{1, 0, 47};
    EXPECT_FALSE(updateOptionsWrapped(options, missing, 1, 5));
    EXPECT_FALSE(updateOptionsWrapped(options, missing, 5, 1));
    std::vector<std::int32_t> broken{1, -1};
    EXPECT_FALSE(updateOptionsWrapped(options, broken, 1, 2));
    EXPECT_TRUE(folder.logContains("===> updateOptionsWrapped exception:"));
    std::vector<std::int32_t> empty;
    EXPECT_TRUE(updateOptionsWrapped(options, empty, 1, 2));
}

TEST(StandOptions, SizeFitsWithinHalfAStep) {
    const auto fits = [](double radiusMetres, double halfSpanMetres) {
        return lf_standFitsSize(standOfMetres(radiusMetres), halfSpanMetres * g_nmPerMetre);
    };
    EXPECT_TRUE(fits(20, 18));
    EXPECT_TRUE(fits(18.5, 20));
    EXPECT_FALSE(fits(18, 20));
    EXPECT_FALSE(fits(30, 15));
    EXPECT_TRUE(fits(21.9, 15));
    EXPECT_TRUE(fits(40, 35));     // wide aircraft: 21 m steps
    EXPECT_FALSE(fits(47, 35));

    EXPECT_FALSE(lf_standFitsSize(standOfMetres(20), std::nan("")));
    EXPECT_FALSE(lf_standFitsSize(standOfMetres(20), std::numeric_limits<double>::infinity()));
    EXPECT_FALSE(lf_standFitsSize(standOfMetres(std::nan("")), 0.01));
    EXPECT_THROW(lf_standFitsSize(standOfMetres(1e12), 0.01), gsl::narrowing_error);
}

}  // namespace
}  // namespace zrb::test
