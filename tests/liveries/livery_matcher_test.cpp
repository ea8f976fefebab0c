#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "airports/aircraft_keys.h"
#include "config/parameters.h"
#include "data_file_writer.h"
#include "foundation/random.h"
#include "liveries/dbase.h"
#include "liveries/livery_matcher.h"
#include "livery_fixture.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

using Counts = std::array<std::uint32_t, g_matchStepCount>;

// Installed liveries chosen so that each step has cases only it can match.
const std::vector<FixtureLivery> installed{
    {"DLH", "A320", "DLH A320 own"},  // reserved for D-AIAB
    {"DLH", "A320", "DLH A320 1"},
    {"DLH", "A320", "DLH A320 2"},
    {"DLH", "A320", "DLH A320 3"},
    {"BAW", "A320", "BAW A320"},
    {"DLH", "B744", "DLH B744 pax"},
    {"DLH", "B744", "DLH B744 cargo", true},
    {"DLH", "B77L", "DLH B77L pax"},
    {"FDX", "B763", "FDX B763 pax"},
    {"ZZZ", "B763", "ZZZ B763"},
    {"ZZZ", "C172", "ZZZ C172"},
    {"PVT", "C172", "PVT C172"},
    {"KLM", "PA28", "KLM PA28 FSLTL_x"},
    {"KLM", "PA28", "KLM PA28 freight", true},
    {"PVT", "GLF5", "PVT GLF5"},
};

class LiveryMatcher : public ::testing::Test {
protected:
    LiveryMatcher() {
        gf_readDbaseXml(testDataPath("dbase_sample.xml"));
        buildLiveryTables(installed);
        g_regcodeMap.emplace("D-AIAB", lf_findIndexedTitle("DLH A320 own"));
        gf_addSpecialTitle(lf_findIndexedTitle("DLH A320 own"));
        g_buzjetTypes = {"GLF5"};
        MATCHING_DEPTH.value = 4;
        LOG.value = false;
        gf_seedThreadRng(1234);
    }
    ~LiveryMatcher() override {
        resetLiveryTables();
        gf_clearDbase();
        MATCHING_DEPTH.value = MATCHING_DEPTH.defaultValue;
        LOG.value = LOG.defaultValue;
    }

    static AcIdentity aircraft(const std::string& airline, const std::string& type, const std::string& registration = {},
                               bool cargo = false) {
        AcIdentity ac;
        ac.airline = airline;
        ac.type = type;
        ac.registration = registration;
        ac.callsign = airline + "1";
        ac.category = static_cast<std::uint32_t>(gf_typeCategory(type));
        ac.cargo = cargo ? 1 : 0;
        return ac;
    }

    // The title the live matcher gives, and the step it counted (0: none).
    struct Result {
        std::string title;
        int step = 0;
    };
    static Result matchLive(AcIdentity ac) {
        const Counts before = g_matchCounts;
        gf_matchLiveryLive(ac);
        Result result{std::string(ac.title), 0};
        for (std::size_t i = 0; i < g_matchStepCount; ++i) {
            const std::uint32_t grown = g_matchCounts[i] - before[i];
            if (grown == 0) continue;
            EXPECT_EQ(grown, 1u);
            EXPECT_EQ(result.step, 0) << "two steps counted";
            result.step = static_cast<int>(i) + 1;
        }
        EXPECT_EQ(result.title.empty(), result.step == 0);
        return result;
    }

    LoggedFolder m_folder;
};

TEST_F(LiveryMatcher, EachStepMatchesWhatOnlyItCanMatch) {
    // 1: the registration's own livery, reserved for it.
    EXPECT_EQ(matchLive(aircraft("DLH", "A320", "D-AIAB")).title, "DLH A320 own");
    EXPECT_EQ(matchLive(aircraft("DLH", "A320", "D-AIAB")).step, 1);
    // 2: airline and type; a cargo aircraft takes a cargo livery first.
    EXPECT_EQ(matchLive(aircraft("DLH", "B744", "", true)).title, "DLH B744 cargo");
    EXPECT_EQ(matchLive(aircraft("DLH", "B744")).title, "DLH B744 pax");
    EXPECT_EQ(matchLive(aircraft("DLH", "B744")).step, 2);
    // 2, with the database's airline of a leased aircraft (D-ALFA: DLH, flown by GEC).
    const Result leased = matchLive(aircraft("GEC", "B77L", "D-ALFA", true));
    EXPECT_EQ(leased.title, "DLH B77L pax");
    EXPECT_EQ(leased.step, 2);
    // 3: BAW has no A321 but a similar A320.
    const Result similar = matchLive(aircraft("BAW", "A321"));
    EXPECT_EQ(similar.title, "BAW A320");
    EXPECT_EQ(similar.step, 3);
    // 4: the generic livery of the type.
    const Result generic = matchLive(aircraft("UAE", "B763"));
    EXPECT_EQ(generic.title, "ZZZ B763");
    EXPECT_EQ(generic.step, 4);
    // 5: any airline's livery of the type (a light type, no generic one).
    const Result anyAirline = matchLive(aircraft("AFR", "PA28"));
    EXPECT_EQ(anyAirline.title, "KLM PA28 FSLTL_x");
    EXPECT_EQ(anyAirline.step, 5);
    // 6: a random installed type of the category (no C56X livery at all).
    const Result categoryType = matchLive(aircraft("AFR", "C56X"));
    EXPECT_EQ(categoryType.title, "PVT GLF5");
    EXPECT_EQ(categoryType.step, 6);
    // Nothing for a Large type without any livery of it or a stand-in.
    EXPECT_EQ(matchLive(aircraft("AFR", "CRJ9")).step, 0);
}

TEST_F(LiveryMatcher, DepthLimitsTheSteps) {
    MATCHING_DEPTH.value = 1;
    EXPECT_EQ(matchLive(aircraft("DLH", "A320", "D-XXXX")).step, 0);
    EXPECT_EQ(matchLive(aircraft("DLH", "A320", "D-AIAB")).step, 1);

    // A private aircraft tries the generic livery before its own airline's.
    MATCHING_DEPTH.value = 2;
    const Result pvt = matchLive(aircraft("PVT", "C172"));
    EXPECT_EQ(pvt.title, "ZZZ C172");
    EXPECT_EQ(pvt.step, 4);
    EXPECT_EQ(matchLive(aircraft("BAW", "A321")).step, 0);

    // A Heavy aircraft: no generic try at depth 3, one at depth 4.
    MATCHING_DEPTH.value = 3;
    EXPECT_EQ(matchLive(aircraft("UAE", "B763")).step, 0);
    EXPECT_EQ(matchLive(aircraft("BAW", "A321")).step, 3);
    MATCHING_DEPTH.value = 4;
    EXPECT_EQ(matchLive(aircraft("UAE", "B763")).step, 4);

    // A Light aircraft at depth 3 still reaches the generic livery.
    MATCHING_DEPTH.value = 3;
    EXPECT_EQ(matchLive(aircraft("AFR", "C172")).step, 4);
}

TEST_F(LiveryMatcher, CargoAircraftFallBackToPaxLiveriesOnlyWithTheirAirline) {
    // Step 2: FDX has only a pax B763.
    EXPECT_EQ(matchLive(aircraft("FDX", "B763", "", true)).title, "FDX B763 pax");
    // Step 5 looks only at the cargo liveries of a cargo aircraft.
    const Result cargo = matchLive(aircraft("AFR", "PA28", "", true));
    EXPECT_EQ(cargo.title, "KLM PA28 freight");
    EXPECT_EQ(cargo.step, 5);
    // The FSLTL flag follows the title.
    AcIdentity ac = aircraft("AFR", "PA28");
    gf_matchLiveryLive(ac);
    EXPECT_EQ(ac.fsltl, 1);
    gf_matchLiveryLive(ac = aircraft("DLH", "B744"));
    EXPECT_EQ(ac.fsltl, 0);
}

TEST_F(LiveryMatcher, RefusedAndReservedTitlesAreNeverHandedOut) {
    // A refused step-1 title: no title, nothing counted, no later step.
    g_failedTitles.push_back(lf_findIndexedTitle("DLH A320 own"));
    EXPECT_EQ(matchLive(aircraft("DLH", "A320", "D-AIAB")).step, 0);
    g_failedTitles.push_back(lf_findIndexedTitle("ZZZ B763"));
    EXPECT_EQ(matchLive(aircraft("UAE", "B763")).step, 0);
    g_failedTitles.clear();

    // The reserved title is never drawn for another DLH A320; the others are
    // drawn about equally often.
    std::map<std::string, int> drawn;
    for (int i = 0; i < 600; ++i) ++drawn[matchLive(aircraft("DLH", "A320")).title];
    EXPECT_FALSE(drawn.contains("DLH A320 own"));
    ASSERT_EQ(drawn.size(), 3u);
    for (const auto& [title, count] : drawn) EXPECT_GT(count, 150) << title;

    // Every candidate reserved: the step gives nothing and the next one matches.
    std::vector<FixtureLivery> withGeneric = installed;
    withGeneric.push_back({"ZZZ", "B744", "ZZZ B744"});
    buildLiveryTables(withGeneric);
    gf_addSpecialTitle(lf_findIndexedTitle("DLH B744 pax"));
    const Result reserved = matchLive(aircraft("DLH", "B744"));
    EXPECT_EQ(reserved.title, "ZZZ B744");
    EXPECT_EQ(reserved.step, 4);
}

TEST_F(LiveryMatcher, TheSameSeedGivesTheSamePicks) {
    const auto picks = [] {
        gf_seedThreadRng(99);
        std::vector<std::string> titles;
        for (int i = 0; i < 20; ++i) titles.push_back(matchLive(aircraft("DLH", "A320")).title);
        titles.push_back(matchLive(aircraft("AFR", "C56X")).title);
        return titles;
    };
    const std::vector<std::string> first = picks();
    EXPECT_EQ(picks(), first);
    EXPECT_GT(std::set<std::string>(first.begin(), first.end()).size(), 2u);
}

TEST_F(LiveryMatcher, ASingleCandidateDrawsNothing) {
    const std::mt19937 before = lf_initThreadRng();
    EXPECT_EQ(matchLive(aircraft("BAW", "A320")).title, "BAW A320");
    EXPECT_EQ(lf_initThreadRng(), before);
    matchLive(aircraft("DLH", "A320"));
    EXPECT_NE(lf_initThreadRng(), before);
}

TEST_F(LiveryMatcher, ARecordMatchedBeforeLosesItsTitleWhenNothingFits) {
    AcIdentity ac = aircraft("AFR", "CRJ9");
    ac.title = lf_findIndexedTitle("BAW A320");
    const Counts before = g_matchCounts;
    gf_matchLiveryLive(ac);
    EXPECT_TRUE(ac.title.empty());
    EXPECT_EQ(g_matchCounts, before);
}

TEST_F(LiveryMatcher, StaticAircraftTakeTheStandsCargoFlagAndAreNotCounted) {
    LOG.value = true;
    const Counts before = g_matchCounts;
    const Stand cargoStand("C12", {}, 50.0, 8.0, 0.0, 30.0, 0, 1, 1);
    const Stand paxStand("A1", {}, 50.0, 8.0, 0.0, 30.0, 1, 1, 1);

    AcIdentity built = aircraft("KLM", "PA28");
    built.title = lf_findIndexedTitle("KLM PA28 FSLTL_x");
    EXPECT_TRUE(gf_matchLiveryStatic(built, paxStand));
    EXPECT_TRUE(m_folder.logContains("          " + gf_acLogKey(built) + " =s= KLM PA28 FSLTL_x"));

    AcIdentity freighter = aircraft("DLH", "B744");
    EXPECT_TRUE(gf_matchLiveryStatic(freighter, cargoStand));
    EXPECT_EQ(freighter.cargo, 1);
    EXPECT_EQ(freighter.title, "DLH B744 cargo");
    EXPECT_TRUE(m_folder.logContains("          " + gf_acLogKey(freighter) + " =2= DLH B744 cargo"));

    AcIdentity similar = aircraft("BAW", "A321");
    EXPECT_TRUE(gf_matchLiveryStatic(similar, paxStand));
    EXPECT_EQ(similar.title, "BAW A320");

    AcIdentity none = aircraft("AFR", "CRJ9", "F-GXXX");
    EXPECT_FALSE(gf_matchLiveryStatic(none, paxStand));
    EXPECT_TRUE(m_folder.logContains("A1      : " + gf_callsignRegKey(none) + " no livery match ..."));

    // A title keeps the legacy bytes of its aircraft.cfg; Log.txt is UTF-8.
    g_regcodeMap.emplace("PH-MUL", gf_keepTitle("KLM B738 M\xFCller"));
    AcIdentity owned = aircraft("KLM", "B738", "PH-MUL");
    EXPECT_TRUE(gf_matchLiveryStatic(owned, paxStand));
    EXPECT_TRUE(gf_matchLiveryStatic(owned, paxStand));  // with its title now
    EXPECT_TRUE(m_folder.logContains(gf_acLogKey(owned) + " =1= KLM B738 M\xC3\xBCller"));
    EXPECT_TRUE(m_folder.logContains(gf_acLogKey(owned) + " =s= KLM B738 M\xC3\xBCller"));

    g_failedTitles.push_back(lf_findIndexedTitle("ZZZ B763"));
    AcIdentity refused = aircraft("UAE", "B763");
    EXPECT_FALSE(gf_matchLiveryStatic(refused, paxStand));
    EXPECT_TRUE(refused.title.empty());
    EXPECT_EQ(g_matchCounts, before);

    AcIdentity live = aircraft("KLM", "B737", "PH-MUL");
    gf_matchLiveryLive(live);
    EXPECT_TRUE(m_folder.logContains(gf_acLogKey(live) + " =1= KLM B738 M\xC3\xBCller"));
    EXPECT_TRUE(m_folder.logIsUtf8());
}

TEST_F(LiveryMatcher, TheSummaryListsEveryStep) {
    const Counts kept = g_matchCounts;
    g_matchCounts = {};
    matchLive(aircraft("DLH", "B744"));
    gf_logLiveryMatchingSummary();
    g_matchCounts = kept;

    const std::vector<std::string> lines = m_folder.logLines();
    const auto banner = std::ranges::find(lines, std::string(31, '*') + " live traffic livery matching summary " +
                                                     std::string(31, '*'));
    ASSERT_NE(banner, lines.end());
    ASSERT_GE(lines.end() - banner, 9);
    EXPECT_EQ(banner[-1], "");
    EXPECT_EQ(banner[1], "Matches at step: ");
    EXPECT_EQ(banner[2], "  1: 0");
    EXPECT_EQ(banner[3], "  2: 1");
    EXPECT_EQ(banner[7], "  6: 0");
    EXPECT_EQ(banner[8], std::string(100, '*'));
    EXPECT_FALSE(m_folder.logContains("Could not be created"));
}

}  // namespace
}  // namespace zrb::test
