#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "config/paths.h"
#include "data_file_writer.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "liveries/dbase.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

constexpr double metresToHalfSpanNm = 0.5 / 1852.0;

// Every required section with one word; the rest is added per test.
std::string minimalDbase(const std::string& extra = {},
                         const std::string& aircrafts = "B738,A320,B744,C172,EC35,CRJ9,F16") {
    return "<aircrafts><aircraft types=\"" + aircrafts +
           "\"/></aircrafts>"
           "<high_performance><hpf types=\"F16\"/></high_performance>"
           "<heavy><hvy types=\"B744\"/></heavy>"
           "<large><lar types=\"B738,A320,CRJ9\"/></large>"
           "<buzjet><bzj types=\"C56X\"/></buzjet>"
           "<rotorcraft><rot types=\"EC35\"/></rotorcraft>"
           "<cargo_types><cargo_type types=\"B744\"/></cargo_types>"
           "<ICAO_airlines><ICAO codes=\"DLH,BAW,ZZZ,PVT\"/></ICAO_airlines>"
           "<cargo_operators><ICAO codes=\"FDX\"/></cargo_operators>"
           "<simaddonsP3D><simaddonP3D arpts=\"EGLL\"/></simaddonsP3D>" +
           extra;
}

void readText(const LoggedFolder& folder, const std::string& xml) {
    writeFile(folder / "dbase.xml", xml);
    gf_readDbaseXml(folder / "dbase.xml");
}

std::string userErrorOf(const LoggedFolder& folder, const std::string& xml) {
    try {
        readText(folder, xml);
    } catch (const UserErrorException& e) {
        return e.what();
    }
    return "no error";
}

TEST(Dbase, ReadsEveryLookUpOfTheSampleDatabase) {
    LoggedFolder folder;
    gf_readDbaseXml(testDataPath("dbase_sample.xml"));

    EXPECT_EQ(gf_typeCategory("A320"), g_categoryLarge);
    EXPECT_EQ(gf_typeCategory("B748"), g_categoryHeavy);
    EXPECT_EQ(gf_typeCategory("GLF5"), g_categoryBuzjets);
    EXPECT_EQ(gf_typeCategory("R44"), g_categoryRotorcraft);
    EXPECT_EQ(gf_typeCategory("F16"), g_categoryHighPerf);
    EXPECT_EQ(gf_typeCategory("C172"), g_categoryLight);
    EXPECT_EQ(gf_typeCategory("XXXX"), g_categoryLight);
    EXPECT_TRUE(gf_isKnownType("PA28"));
    EXPECT_FALSE(gf_isKnownType("b738"));
    EXPECT_TRUE(gf_isIcaoAirline("KLM"));
    EXPECT_FALSE(gf_isIcaoAirline(""));
    EXPECT_TRUE(g_dbaseCargoOperators.contains("GEC"));
    EXPECT_TRUE(g_dbaseCargoTypes.contains("MD11"));

    EXPECT_DOUBLE_EQ(gf_wingspan("B744"), 64.44 * 0.5 * g_nmPerMetre);
    EXPECT_DOUBLE_EQ(g_dbaseMaxHalfSpan, 79.75 * 0.5 * g_nmPerMetre);
    EXPECT_EQ(&g_maxHalfWingspan, &g_dbaseMaxHalfSpan);
    // A heavy type without an entry gets the mean of the heavy entries.
    const double heavyMean = (79.75 + 64.44 + 68.4 + 47.57 + 64.8) / 5 * 0.5 * g_nmPerMetre;
    EXPECT_NEAR(gf_wingspan("MD11"), heavyMean, 1e-12);

    ASSERT_EQ(g_dbaseSimilarGroups.size(), 3u);
    EXPECT_EQ(g_dbaseSimilarGroups[0], (std::vector<std::string>{"A20N", "A319", "A320", "A321"}));
    // Repeated names texts give one group; groups come in byte order.
    ASSERT_EQ(g_dbasePublishers.size(), 2u);
    EXPECT_EQ(g_dbasePublishers[0], (std::vector<std::string>{"Runway Makers"}));
    EXPECT_EQ(g_dbasePublishers[1], (std::vector<std::string>{"SkyForge", "SkyForge Studios"}));
    EXPECT_EQ(g_dbaseModelFixes.at("A32N"), "A20N");
    EXPECT_EQ(g_dbaseSimaddonAirports, (DbaseTextSet{"EDDF", "EGLL", "KJFK"}));
    ASSERT_EQ(g_dbaseThirdPartyAirports.size(), 2u);
    EXPECT_EQ(g_dbaseThirdPartyAirports[0].publisher, "SkyForge");
    EXPECT_EQ(g_dbaseThirdPartyAirports[0].airports, (std::vector<std::string>{"LOWI", "LSZH"}));

    EXPECT_EQ(gf_findDbaseRecord("DABYA"), (DbaseRecord{"DLH", "B748", "", false}));
    EXPECT_EQ(gf_findDbaseRecord("PHBVA"), (DbaseRecord{"KLM", "B77W", "", false}));
    EXPECT_EQ(gf_dbaseOperatorByReg("D-ALFA"), "GEC");
    EXPECT_EQ(gf_dbaseAirlineByReg("D-ALFA"), "DLH");
    EXPECT_TRUE(gf_findDbaseRecord("N850FD")->cargo);
    EXPECT_EQ(gf_dbaseAirlineByReg("unknown"), "");
    EXPECT_EQ(gf_dbaseRegInText("Gulfstream G-V N1KE private"), std::optional<std::string>("N1KE"));

    EXPECT_TRUE(folder.logContains("   2 publishers"));
    EXPECT_TRUE(folder.logContains("7 dbase records read"));
}

TEST(Dbase, RequiredListsMustNotBeEmpty) {
    LoggedFolder folder;
    EXPECT_EQ(userErrorOf(folder, "<heavy><hvy types=\"B744\"/></heavy>"),
              "61: In XML file section [aircrafts], element [aircraft], attribute [types] is empty.");
    EXPECT_EQ(userErrorOf(folder, minimalDbase({}, "")),
              "61: In XML file section [aircrafts], element [aircraft], attribute [types] is empty.");
    std::string noSimaddon = minimalDbase();
    noSimaddon.replace(noSimaddon.find("EGLL"), 4, "");
    EXPECT_EQ(userErrorOf(folder, noSimaddon),
              "61: In XML file section [simaddonsP3D], element [simaddonP3D], attribute [arpts] is empty.");
    // A failed read leaves no half-filled tables behind.
    EXPECT_TRUE(g_dbaseKnownTypes.empty());
    EXPECT_TRUE(g_dbaseRecords.empty());

    writeFile(folder / "dbase.xml", "<aircrafts><aircraft types=\"B738\"");
    try {
        gf_readDbaseXml(folder / "dbase.xml");
        FAIL() << "a broken file was read";
    } catch (const UserErrorException& e) {
        const std::string expected = "60: '" + gf_pathText(folder / "dbase.xml") + "' not read because of ";
        EXPECT_EQ(std::string(e.what()).rfind(expected, 0), 0u) << e.what();
    }
}

TEST(Dbase, WordListsAreTrimmedAndKeepEmptyWords) {
    LoggedFolder folder;
    readText(folder, minimalDbase("<similar_types><similar types=\"\"/><similar types=\" B738, A320\"/></similar_types>"
                                  "<publishers><pub names=\"A, B\"/><pub names=\"\"/></publishers>",
                                  " B738 , A320 ,,"));
    EXPECT_EQ(g_dbaseKnownTypes, (DbaseTextSet{"", "A320", "B738"}));
    EXPECT_FALSE(gf_isKnownType(""));
    ASSERT_EQ(g_dbaseSimilarGroups.size(), 2u);
    EXPECT_TRUE(g_dbaseSimilarGroups[0].empty());
    EXPECT_EQ(g_dbaseSimilarGroups[1], (std::vector<std::string>{"A320", "B738"}));
    // Publisher names are not trimmed; an empty names text makes no nameless publisher.
    ASSERT_EQ(g_dbasePublishers.size(), 1u);
    EXPECT_EQ(g_dbasePublishers[0], (std::vector<std::string>{"A", " B"}));
}

TEST(Dbase, WingspansAndCategories) {
    LoggedFolder folder;
    readText(folder, minimalDbase("<wingspans><wingspan type=\"B738\" meters=\"30\"/>"
                                  "<wingspan type=\"B738\" meters=\"60\"/>"
                                  "<wingspan type=\"XXXX\" meters=\"90\"/>"
                                  "<wingspan type=\"C172\" meters=\"eleven\"/>"
                                  "<wingspan type=\"A320\" meters=\"nan\"/></wingspans>"
                                  "<heavy><hvy types=\"CRJ9\"/></heavy>"));
    EXPECT_DOUBLE_EQ(gf_wingspan("B738"), 30 * metresToHalfSpanNm);
    EXPECT_DOUBLE_EQ(g_dbaseMaxHalfSpan, 60 * metresToHalfSpanNm);
    EXPECT_TRUE(folder.logContains("===> wingspan model XXXX is not valid, skipped"));
    EXPECT_EQ(gf_wingspan("C172"), 0.0);  // not a number reads as 0
    EXPECT_EQ(gf_wingspan("A320"), 0.0);
    // Only the first <heavy> section counts.
    EXPECT_EQ(gf_typeCategory("CRJ9"), g_categoryLarge);
    // Categories without any entry get 0, never 0/0.
    for (const double mean : g_dbaseCategoryHalfSpans) EXPECT_FALSE(std::isnan(mean));
    EXPECT_EQ(gf_wingspan("B744"), 0.0);
    EXPECT_EQ(gf_wingspan("EC35"), 0.0);
    EXPECT_TRUE(folder.logContains("===> no wingspan of category 3 in the database, its mean half span is 0"));

    // A type in both the heavy and the large list is Large.
    readText(folder, "<large><lar types=\"B744\"/></large>" + minimalDbase());
    EXPECT_EQ(gf_typeCategory("B744"), g_categoryLarge);
    // Without any wingspan every type gets 0.0.
    EXPECT_EQ(gf_wingspan("B744"), 0.0);
    EXPECT_EQ(gf_wingspan("C172"), 0.0);
    EXPECT_EQ(g_dbaseMaxHalfSpan, 0.0);
}

TEST(Dbase, FixesKeepTheFirstAndNeedAKnownType) {
    LoggedFolder folder;
    readText(folder, minimalDbase("<fixes><fx wro=\"B38M\" cor=\"B738\"/><fx wro=\"B38M\" cor=\"A320\"/>"
                                  "<fx wro=\"A32X\" cor=\"ZZZZ\"/><fx wro=\"A32Y\"/></fixes>"));
    EXPECT_EQ(g_dbaseModelFixes.at("B38M"), "B738");
    EXPECT_EQ(g_dbaseModelFixes.size(), 1u);
    EXPECT_TRUE(folder.logContains("===> wrong part of fix: 'B38M', already exists, skipped"));
    EXPECT_TRUE(folder.logContains("===> wrong fix A32X -> ZZZZ, the latter is not valid"));
    EXPECT_TRUE(folder.logContains("===> wrong fix A32Y -> , the latter is not valid"));
}

TEST(Dbase, RegistrationsAndTheirSpellings) {
    LoggedFolder folder;
    readText(folder, minimalDbase("<dbase><db reg=\"G-ABCD\" airl=\"BAW\" type=\"A320\" cargo=\"yes\"/>"
                                  "<db reg=\"G-ABCD\" airl=\"DLH\" type=\"B738\"/>"
                                  "<db reg=\"G-ABCD\" airl=\"AFR\" type=\"B738\"/>"
                                  "<db reg=\"N12345\" airl=\"UAL\" type=\"B738\" cargo=\"0\"/>"
                                  "<db airl=\"PVT\" type=\"C172\"/></dbase>"));
    EXPECT_EQ(gf_registrationVariants("GABCD"), (std::vector<std::string>{"GA-BCD", "G-ABCD", "GABCD"}));
    EXPECT_EQ(gf_registrationVariants("N123AB"), (std::vector<std::string>{"N123AB"}));
    EXPECT_EQ(gf_registrationVariants("D-ABCD"), (std::vector<std::string>{"D-ABCD"}));
    EXPECT_EQ(gf_registrationVariants("ABCD"), (std::vector<std::string>{"ABCD"}));
    EXPECT_EQ(gf_findDbaseRecord("GABCD"), (DbaseRecord{"BAW", "A320", "", true}));
    EXPECT_EQ(gf_findDbaseRecord("G-ABCD"), (DbaseRecord{"BAW", "A320", "", true}));
    EXPECT_FALSE(gf_findDbaseRecord("N1-2345"));
    EXPECT_FALSE(gf_findDbaseRecord("N-12345"));
    EXPECT_EQ(gf_findDbaseRecord("N12345"), (DbaseRecord{"UAL", "B738", "", false}));
    // The empty registration of an entry without "reg" is never found.
    EXPECT_FALSE(gf_findDbaseRecord(""));
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "===> regcode G-ABCD already exists"), 2);
    EXPECT_TRUE(folder.logContains("3 dbase records read"));
}

TEST(Dbase, ShortRegistrationInATitleIsChosenTheSameWayEveryTime) {
    LoggedFolder folder;
    readText(folder, minimalDbase("<dbase><db reg=\"EIDW\" airl=\"PVT\" type=\"C172\"/></dbase>"));
    EXPECT_EQ(gf_dbaseRegInText("Cessna 172 EIDW clean"), std::optional<std::string>("EIDW"));
    EXPECT_FALSE(gf_dbaseRegInText("Cessna 172 eidw"));

    // Several keys inside one title: the longest wins, then the smallest;
    // keys of one or two characters and the empty key are never looked for.
    readText(folder, minimalDbase("<dbase><db reg=\"A\"/><db reg=\"AB\"/><db reg=\"XYZ\"/><db reg=\"ABC\"/>"
                                  "<db reg=\"ZZZ9\"/><db reg=\"D-ABCDE\"/><db type=\"C172\"/></dbase>"));
    EXPECT_EQ(gf_dbaseRegInText("XYZ ABC ZZZ9"), std::optional<std::string>("ZZZ9"));
    EXPECT_EQ(gf_dbaseRegInText("XYZ ABC"), std::optional<std::string>("ABC"));
    EXPECT_FALSE(gf_dbaseRegInText("A AB XY D-ABXDE"));
    EXPECT_FALSE(gf_dbaseRegInText(""));
}

TEST(Dbase, ReadsTheEncryptedFileAndRemovesThePlainOneOnEveryPath) {
    LoggedFolder folder;
    const std::string sample = readFile(testDataPath("dbase_sample.xml"));

    const auto messageOf = [] {
        try {
            gf_readDbase();
        } catch (const std::exception& e) {
            return std::string(e.what());
        }
        return std::string("read");
    };

    fs::create_directories(folder / "input");
    writeFile(folder / g_dbaseXmlFile, "left over");
    EXPECT_EQ(messageOf(), gf_pathText(g_dbaseEncFile) + " not available");
    EXPECT_FALSE(fs::exists(folder / g_dbaseXmlFile));

    writeEncryptedFile(folder / g_dbaseEncFile, sample, testKey());
    EXPECT_EQ(messageOf(), gf_pathText(g_dbaseEncFile) + " stream decrypt failed");
    EXPECT_FALSE(fs::exists(folder / g_dbaseXmlFile));

    writeEncryptedFile(folder / g_dbaseEncFile, "<aircrafts><aircraft types=\"B738\"></aircrafts>");
    EXPECT_EQ(messageOf().substr(0, 4), "60: ");
    EXPECT_FALSE(fs::exists(folder / g_dbaseXmlFile));

    writeEncryptedFile(folder / g_dbaseEncFile, minimalDbase().substr(0, minimalDbase().find("<simaddonsP3D>")));
    EXPECT_EQ(messageOf().substr(0, 4), "61: ");
    EXPECT_FALSE(fs::exists(folder / g_dbaseXmlFile));

    writeEncryptedFile(folder / g_dbaseEncFile, sample);
    EXPECT_EQ(messageOf(), "read");
    EXPECT_FALSE(fs::exists(folder / g_dbaseXmlFile));
    EXPECT_TRUE(fs::exists(folder / g_dbaseEncFile));
    EXPECT_EQ(gf_typeCategory("B77W"), g_categoryHeavy);
    EXPECT_EQ(gf_findDbaseRecord("GXLEA")->type, "A388");
}

}  // namespace
}  // namespace zrb::test
