// Saving what was learned at the park airport when the user leaves it.
#include "parking_fixture.h"

#include <algorithm>

#include <pugixml.hpp>

#include "airports/parking_adjustments.h"
#include "foundation/version_data.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

class LearnedFileSaveTest : public ParkingTest {
protected:
    LearnedFileSaveTest() {
        gf_setCurrentParkAirport({"EDDF", "FRA", baseLat, baseLon, 364.0});
        g_parkAirportHeader = ApfHeader{"Frankfurt", "My Pub", 364};
        g_parkAirportSourcePath = gf_pathText(g_myThirdpartyFolder / "EDDF.xml");
        // S1 and S2 learned three options here; S3 has only its file's; S4 a fake aircraft.
        stands(4, [](std::size_t i) {
            std::vector<StandOption> o{option(fmt::format("DLH{}", i), fmt::format("D-B{}", i), 10, 12)};
            o.front().origin = 1;
            if (i < 2) o.push_back(option(fmt::format("KLM{}", i), fmt::format("PH-A{}", i), 20, 22));
            if (i == 0) o.push_back(option("KLM9", "PH-A9", 30, 31));
            if (i == 3) {
                o.push_back(option("FAKE1", "REGFAKE1", 24, 24, 0));
                o.back().origin = g_optionOriginFake;
            }
            return o;
        });
        g_learnedUpdates = 3;
    }
    ~LearnedFileSaveTest() override {
        g_parkAirportHeader = ApfHeader{};
        g_parkAirportSourcePath.clear();
        g_handmadeAirport = false;
    }
    static fs::path learnedPath() { return g_learnedThirdpartyFolder / "My Pub" / "EDDF.xml"; }
    static std::vector<std::string> savedStands(std::vector<std::string>* registrations = nullptr) {
        pugi::xml_document doc;
        EXPECT_TRUE(doc.load_file(learnedPath().c_str()));
        std::vector<std::string> ids;
        for (const pugi::xml_node& p : doc.child("parkpositions").children("parkpos")) {
            ids.push_back(p.attribute("id").as_string());
            for (const pugi::xml_node& o : p.children("opt"))
                if (registrations != nullptr) registrations->push_back(o.attribute("reg").as_string());
        }
        return ids;
    }
};

TEST_F(LearnedFileSaveTest, OnlyWhatWasLearnedIsSavedWhereTheReaderLooks) {
    gf_saveAirportFile();
    std::vector<std::string> registrations;
    EXPECT_EQ(savedStands(&registrations), (std::vector<std::string>{"S1", "S2"}));
    EXPECT_EQ(registrations, (std::vector<std::string>{"PH-A0", "PH-A9", "PH-A1"}));
    const auto lines = folder.logLines();
    const auto saved = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
        return l.find(" saved with ") != std::string::npos;
    });
    ASSERT_NE(saved, lines.end());
    EXPECT_EQ(saved->substr(8), fmt::format(" '{}' saved with 3 updates ", gf_pathText(learnedPath())));
    EXPECT_EQ(saved->at(2), ':') << "the time of day first: " << *saved;
    EXPECT_EQ(g_learnedUpdates, 0);

    g_learnedUpdates = 1;
    g_apfChanged = true;  // the user changed a parking setting here
    gf_saveAirportFile();
    EXPECT_TRUE(folder.logContains("saved with 1 update and one or more parameter changes"));
    EXPECT_FALSE(g_apfChanged);
}

TEST_F(LearnedFileSaveTest, AHandmadeAirportIsSavedWholeWithoutItsFakeAircraft) {
    g_handmadeAirport = true;
    gf_saveAirportFile();
    std::vector<std::string> registrations;
    EXPECT_EQ(savedStands(&registrations), (std::vector<std::string>{"S1", "S2", "S3", "S4"}));
    EXPECT_EQ(std::count(registrations.begin(), registrations.end(), "REGFAKE1"), 0);
    EXPECT_EQ(registrations.size(), 7u);
    EXPECT_TRUE(folder.logContains(fmt::format(" handmade '{}' saved with 3 updates", gf_pathText(learnedPath()))));
}

TEST_F(LearnedFileSaveTest, AFileOfAnotherVersionIsKeptAsideAndAFailedSaveStillResetsTheCounts) {
    fs::create_directories(learnedPath().parent_path());
    writeFile(learnedPath(), R"(<?xml version="1.0"?><meta><info name="version" value="10.4.1"/><mine/></meta>)");
    gf_saveAirportFile();
    const fs::path aside = learnedPath().parent_path() / "EDDF.10.4.1.xml";
    ASSERT_TRUE(fs::exists(aside));
    EXPECT_NE(readFile(aside).find("<mine/>"), std::string::npos);
    g_learnedUpdates = 1;
    gf_saveAirportFile();
    EXPECT_EQ(std::distance(fs::directory_iterator(learnedPath().parent_path()), fs::directory_iterator()), 2)
        << "a file of this version is simply replaced";
    EXPECT_NE(readFile(learnedPath()).find(std::string(g_programVersionText)), std::string::npos);

    fs::remove(learnedPath());
    fs::create_directories(learnedPath());  // cannot be replaced
    g_learnedUpdates = 2;
    g_learnSoftAutoOff = true;
    gf_saveAirportFile();
    EXPECT_TRUE(folder.logContains(fmt::format("saving '{}' did not succeed", gf_pathText(learnedPath()))));
    EXPECT_EQ(g_learnedUpdates, 0);
    EXPECT_FALSE(g_learnSoftAutoOff);
}

TEST_F(LearnedFileSaveTest, WhatIsLearnedAtAGeneratedAirportIsReadBackOnTheNextVisit) {
    writeFile(g_myOrbxFolder / "EDDF.xml",
              parkingFile({{"airport_name", "Frankfurt"}, {"publisher", "simaddon"}, {"altitude", "364"}},
                          parkpos("A1", baseLat, baseLon, 20) + parkpos("A2", baseLat + 0.001, baseLon, 20)));
    ASSERT_EQ(lf_readParkedFile(), "");
    ASSERT_EQ(StandTable.size(), 2u);
    StandOption learned = option("KLM1", "PH-BXA", 20, 22);
    learned.optionId = 1;
    StandTable[1].options.push_back(learned);
    g_learnedUpdates = 1;
    lf_resetParkAirport();
    EXPECT_TRUE(StandTable.empty());

    gf_setCurrentParkAirport({"EDDF", "FRA", baseLat, baseLon, 364.0});
    ASSERT_EQ(lf_readParkedFile(), "");
    ASSERT_EQ(StandTable.size(), 2u);
    ASSERT_EQ(StandTable[1].options.size(), 1u);
    EXPECT_EQ(StandTable[1].options[0].registration, "PH-BXA");
}

TEST_F(LearnedFileSaveTest, ALearnedFileNotReadCompletelyIsKeptBeforeItIsReplaced) {
    writeFile(g_myThirdpartyFolder / "EDDF.xml",
              parkingFile({{"airport_name", "Frankfurt"}, {"publisher", "My Pub"}, {"altitude", "364"}},
                          parkpos("A1", baseLat, baseLon, 20) + parkpos("A2", baseLat + 0.001, baseLon, 20)));
    const std::string meta = fmt::format(R"(<meta><info name="author" value="TLVR"/><info name="date" value="d"/>)"
                                         R"(<info name="version" value="{}"/></meta>)",
                                         g_programVersionText);
    const auto visit = [&](const std::string& learned) {
        writeFile(learnedPath(), learned);
        gf_setCurrentParkAirport({"EDDF", "FRA", baseLat, baseLon, 364.0});
        ASSERT_EQ(lf_readParkedFile(), "");
        StandOption option1 = option("KLM1", "PH-BXA", 20, 22);
        option1.optionId = 1;
        StandTable[1].options.push_back(option1);
        g_learnedUpdates = 1;
        lf_resetParkAirport();
    };
    const fs::path folder0 = learnedPath().parent_path();
    fs::create_directories(folder0);

    // The user's handmade airport, with one stand id twice: the base stands are used instead.
    const std::string handmade =
        parkingFile({{"airport_name", "Frankfurt"}, {"handmade", "true"}},
                    parkpos("H1", baseLat, baseLon, 20) + parkpos("H1", baseLat + 0.002, baseLon, 20), meta);
    visit(handmade);
    EXPECT_EQ(readFile(folder0 / "EDDF.0.xml"), handmade);
    EXPECT_EQ(savedStands(), (std::vector<std::string>{"A2"})) << "what was learned is saved all the same";
    EXPECT_TRUE(folder.logContains(fmt::format("===> {} was not read completely and is kept as {}",
                                               gf_pathText(learnedPath()), gf_pathText(folder0 / "EDDF.0.xml"))));

    // A kept copy is never written over; a file read completely is simply replaced.
    const std::string dayNine = R"(<parkpos id="A1"><opt reg="X" day="9" hh="1"/></parkpos>)";
    const std::string lostOption = parkingFile({{"airport_name", "Frankfurt"}}, dayNine, meta);
    visit(lostOption);
    EXPECT_EQ(readFile(folder0 / "EDDF.0.xml"), handmade);
    EXPECT_EQ(readFile(folder0 / "EDDF.0.1.xml"), lostOption);
    visit(readFile(learnedPath()));
    EXPECT_EQ(std::distance(fs::directory_iterator(folder0), fs::directory_iterator()), 3);

    // When no copy can be made, the file stays as it is.
    for (int n = 2; n < 100; ++n) fs::create_directories(folder0 / fmt::format("EDDF.0.{}.xml", n));
    visit(handmade + "<!-- again -->");
    EXPECT_EQ(readFile(learnedPath()), handmade + "<!-- again -->");
    EXPECT_TRUE(folder.logContains(fmt::format("saving '{}' did not succeed", gf_pathText(learnedPath()))));
}

}  // namespace
}  // namespace zrb::test
