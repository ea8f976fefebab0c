#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "liveries/aircraft_cfg_file.h"
#include "liveries/ivao_package.h"
#include "livery_scan_fixture.h"

namespace zrb::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class AircraftCfg : public LiveryScanFixture {
protected:
    std::vector<LiveryData> scan(const std::string& cfg, const std::string& folder = "Test738",
                                 const std::vector<std::string>& textures = {"DLH"}) {
        return lf_searchLiveriesinFile(2, makeAircraftFolder(m_folder / "Airplanes" / folder, cfg, textures));
    }
    std::string pathOf(const std::string& folder = "Test738") const {
        return (m_folder / "Airplanes" / folder / "aircraft.cfg").string();
    }
    std::string folderOf(const std::string& folder = "Test738") const {
        return (m_folder / "Airplanes" / folder).string();
    }
    static std::vector<std::string> titles(const std::vector<LiveryData>& liveries) {
        std::vector<std::string> out;
        for (const auto& l : liveries) out.push_back(l.title);
        return out;
    }
};

TEST_F(AircraftCfg, ReadsEachSectionIntoALiveryOfTheFilesType) {
    const auto liveries = scan(generalSection() +
                               fltsim(0, "Test B738 DLH", "DLH",
                                      "atc_id=D-ABCD\natc_parking_types=GATE\n// a comment\n\n") +
                               fltsim(1, "Test B738 BAW", "BAWC", "atc_id=N1,N2\n") +
                               "[fltsim.7]\ntitle=Test B738 cargo\nsim=b738\ntexture=DLH\natc_parking_codes=DLHX\n"
                               "atc_parking_types=gate, mil_cargo\natc_id=N123AB ;note\n" +
                               "[fltsim.3]\ntitle = Test B738 5\nsim=b738\ntexture=DLH\n"
                               "atc_parking_codes=BAW,SHT\natc_id=G-ABCD\n");
    ASSERT_EQ(liveries.size(), 4U);
    EXPECT_EQ(liveries[0], (LiveryData{"DLH", "B738", "Test B738 DLH", "D-ABCD", 2, false}));
    EXPECT_EQ(liveries[0].folderIndex, 2);
    EXPECT_EQ(liveries[1], (LiveryData{"BAW", "B738", "Test B738 BAW", "", 2, false}));  // several codes: none
    EXPECT_EQ(liveries[2], (LiveryData{"DLH", "B738", "Test B738 cargo", "N123AB", 2, true}));
    EXPECT_EQ(liveries[3], (LiveryData{"BAW", "B738", "Test B738 5", "G-ABCD", 2, false}));
    EXPECT_THAT(g_incompleteFltsimSections.lines(), IsEmpty());
    EXPECT_THAT(g_invalidAirlineCodes.lines(), IsEmpty());
}

TEST_F(AircraftCfg, ReadsEveryCharacterSet) {
    const std::string cfg = generalSection() + fltsim(0, "Caf\xC3\xA9 B738", "DLH");
    const auto utf16 = [&](bool bigEndian) {
        std::u16string wide;
        for (const char c : cfg) wide.push_back(static_cast<unsigned char>(c));
        wide = wide.substr(0, wide.find(u"Caf") + 3) + u"\u00E9" + wide.substr(wide.find(u"Caf") + 5);
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t c : wide) {
            const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        return bytes;
    };
    std::string crlf;
    for (const char c : cfg) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    const std::vector<std::pair<std::string, std::string>> files{
        {"utf8", crlf}, {"bom", "\xEF\xBB\xBF" + cfg}, {"le", utf16(false)}, {"be", utf16(true)}};
    for (const auto& [name, bytes] : files) {
        lf_resetScanLists();
        const auto path = makeAircraftFolder(m_folder / name, "");
        writeFile(path, bytes);
        const auto liveries = lf_searchLiveriesinFile(1, path);
        ASSERT_EQ(liveries.size(), 1U) << name;
        EXPECT_EQ(liveries[0].title, "Caf\xC3\xA9 B738") << name;
    }
}

// An aircraft.cfg in the legacy code page: its texts become UTF-8 before they
// name folders, so a texture folder with an umlaut neither costs its section
// nor, on Windows, every livery of the file. Its titles keep their bytes, by
// which the simulator knows them; the don't-use files, in UTF-8, still meet them.
TEST_F(AircraftCfg, AnAnsiFileNamesItsFoldersInItsCodePageAndKeepsItsTitlesBytes) {
    g_dontUseTitles.push_back("Caf\xC3\xA9 B738 unused");
    const std::string cfg = generalSection() + fltsim(0, "Caf\xE9 B738", "DLH") +
                            fltsim(1, "Cologne B738", "DLH", "", "K\xF6ln") + fltsim(2, "Plain B738", "BAW") +
                            fltsim(3, "Caf\xE9 B738 unused", "DLH");
    const auto liveries = scan(cfg, "ansi", {"DLH", "K\xC3\xB6ln"});
    EXPECT_THAT(titles(liveries), ElementsAre("Caf\xE9 B738", "Cologne B738", "Plain B738"));
    EXPECT_THAT(g_incompleteFltsimSections.lines(), IsEmpty());

    // The IVAO reader builds its paths the same way.
    const fs::path ivao = m_folder / "IVAO_MTL" / "IVAO_B738";
    const std::string ivaoCfg = "[General]\n" + fltsim(0, "B738 DLH K\xF6ln", "", "", "K\xF6ln");
    EXPECT_THAT(titles(lf_searchIvaoLiveriesinFile(3, makeAircraftFolder(ivao, ivaoCfg, {"K\xC3\xB6ln"}))),
                ElementsAre("B738 DLH K\xF6ln"));
}

TEST_F(AircraftCfg, ChecksTheSectionNumbering) {
    EXPECT_EQ(scan(generalSection() + fltsim(10000, "Highest", "DLH"), "a").size(), 1U);
    EXPECT_THAT(scan(generalSection() + fltsim(0, "Fine", "DLH") + fltsim(10001, "Too high", "DLH"), "b"), IsEmpty());
    EXPECT_THAT(g_invalidAircraftCfgFiles.lines(),
                ElementsAre(pathOf("b") + " contains a [fltsim.x] section with a number < 0 or > 10000"));
    g_invalidAircraftCfgFiles.clear();

    EXPECT_THAT(scan(generalSection() + "[fltsim.12345678901234567890]\ntitle=x\n", "c"), IsEmpty());
    EXPECT_TRUE(logged("===> fltsim num 12345678901234567890 incorrect"));
    EXPECT_THAT(g_invalidAircraftCfgFiles.lines(), IsEmpty());
    EXPECT_THAT(g_emptyAircraftCfgFiles.lines(), IsEmpty());

    // Neither a section nor a model: one line in each list.
    EXPECT_THAT(scan("[General]\natc_type=Boeing\n", "d"), IsEmpty());
    EXPECT_THAT(g_emptyAircraftCfgFiles.lines(), ElementsAre(pathOf("d")));
    EXPECT_THAT(g_invalidAircraftCfgFiles.lines(),
                ElementsAre("Line atc_model= is missing in [General] section of " + pathOf("d")));
}

TEST_F(AircraftCfg, CutsSectionsWhereTheSimulatorWould) {
    const auto liveries =
        scan(generalSection() + fltsim(0, "First", "DLH") + "//[fltsim.1]\ntitle=Commented out\n" +
             fltsim(2, "Second", "DLH", "      [x] stays inside\n") + ";[fltsim.3]\ntitle=Semicolon\nsim=b738\n"
             "texture=DLH\natc_parking_codes=BAW\n[fltsim.x]\ntitle=Malformed\nsim=b738\ntexture=DLH\n"
             "atc_parking_codes=KLM\n[Other]\ntitle=Not a livery\n");
    EXPECT_THAT(titles(liveries), ElementsAre("First", "Second", "Semicolon", "Malformed"));
    EXPECT_EQ(liveries[2].airl, "BAW");
}

TEST_F(AircraftCfg, TakesTheTypeFromTheFirstAtcModelWithTheDatabasesFixes) {
    const std::string cfg = fltsim(0, "T", "DLH");
    const auto fixed = scan("[General]\natc_model=wro\n" + cfg + "[x]\natc_model=B738\n", "fix");
    ASSERT_EQ(fixed.size(), 1U);
    EXPECT_EQ(fixed[0].type, "A20N");
    EXPECT_THAT(g_codeFixes.lines(), ElementsAre("Model fix: wro found in " + pathOf("fix") + " changed into A20N"));

    EXPECT_THAT(scan("[General]\natc_model=b738\n" + fltsim(0, "T2", "DLH"), "lower"), IsEmpty());
    EXPECT_THAT(scan("[General]\natc_model=B738 ;x\n" + fltsim(0, "T3", "DLH"), "comment"), IsEmpty());
    EXPECT_THAT(g_invalidAircraftCodes.lines(),
                ElementsAre("b738             in " + pathOf("lower"), "B738 ;x          in " + pathOf("comment")));
}

TEST_F(AircraftCfg, JudgesAirlinesAndRegistrations) {
    const auto liveries = scan(
        generalSection() + fltsim(0, "Five letters", "DLHXX") + fltsim(1, "Refused", "RFO") +
            fltsim(2, "Unknown airline N123", "XYZ") + fltsim(3, "Unknown then known", "XYZ", "atc_parking_codes=KLM\n") +
            fltsim(4, "By registration", "", "atc_id=D-EFGH\n") + fltsim(5, "Anonymous", "ZZZ", "atc_id=N123\n") +
            fltsim(6, "Too long", "DLH", "atc_id=ABCDEFGHIJKLM\n") + fltsim(7, "Empty piece", "DLH", "atc_id=,N1\n") +
            fltsim(8, "Star", "DLH", "atc_id=N1*\n"),
        "airlines");
    EXPECT_THAT(titles(liveries), ElementsAre("Five letters", "Unknown airline N123", "Unknown then known",
                                              "By registration", "Anonymous", "Too long", "Empty piece", "Star"));
    EXPECT_EQ(liveries[0].airl, "PVT");  // DLHXX judged unchanged, so invalid
    EXPECT_EQ(liveries[1].airl, "PVT");
    EXPECT_EQ(liveries[1].atcid, "N123");  // a short registration of the database found in the title
    EXPECT_EQ(liveries[2].airl, "KLM");
    EXPECT_EQ(liveries[3].airl, "BAW");
    EXPECT_EQ(liveries[4].airl, "ZZZ");
    EXPECT_EQ(liveries[4].atcid, "");
    EXPECT_THAT(g_invalidAirlineCodes.lines(),
                UnorderedElementsAre("DLHXX        in " + pathOf("airlines") + " [fltsim.0]",
                                     "XYZ          in " + pathOf("airlines") + " [fltsim.2]",
                                     "XYZ          in " + pathOf("airlines") + " [fltsim.3]"));
    EXPECT_THAT(g_incompleteFltsimSections.lines(),
                UnorderedElementsAre(
                    pathOf("airlines") + " [fltsim.0] icao_airline is missing, or it has invalid info ",
                    pathOf("airlines") + " [fltsim.2] icao_airline is missing, or it has invalid info ",
                    pathOf("airlines") + " [fltsim.4] icao_airline is missing, or it has invalid info ",
                    "invalid atc_id=ABCDEFGHIJKLM in: Too long", "invalid atc_id=,N1 in: Empty piece",
                    "invalid atc_id=N1* in: Star"));
}

TEST_F(AircraftCfg, RejectsSectionsWithARepeatedKey) {
    const auto liveries = scan(
        generalSection() + fltsim(0, "Two titles", "DLH", "title=again\n") +
            fltsim(1, "Two codes", "DLH", "atc_parking_codes=BAW\n") +
            fltsim(2, "Two types", "DLH", "atc_parking_types=GATE\natc_parking_types=CARGO\n") +
            fltsim(3, "Two ids", "DLH", "atc_id=D-AAAA\n//atc_id=D-BBBB\nsim=other\n") +
            fltsim(4, "Trailing comment", "DLH", "atc_id=D-AAAA\n//atc_id=D-BBBB\n") +
            fltsim(5, "Codes after invalid", "XYZ", "atc_parking_codes=DLH\n"),
        "repeats");
    EXPECT_THAT(titles(liveries), ElementsAre("Trailing comment", "Codes after invalid"));
    const std::string folder = folderOf("repeats");
    EXPECT_THAT(g_incompleteFltsimSections.lines(),
                UnorderedElementsAre(folder + " [fltsim.0] has more than one title key",
                                     folder + " [fltsim.1] has more than one atc_parking_codes key",
                                     folder + " [fltsim.2] has more than one atc_parking_types key",
                                     folder + ", [fltsim.3], has more than one atc_id key"));
}

TEST_F(AircraftCfg, ChecksTheModelTextureAndFlightModelWhateverTheirCase) {
    const fs::path folder = m_folder / "Airplanes" / "Case";
    const auto path = makeAircraftFolder(folder, "", {});
    fs::create_directories(folder / "MODEL.Extra");
    fs::create_directories(folder / "Texture.klm");
    fs::create_directories(m_folder / "Airplanes" / "Shared");
    writeFile(m_folder / "Airplanes" / "Shared" / "B744.AIR", "air");
    writeFile(path, generalSection("B744") +
                        "[fltsim.0]\ntitle=Case\nsim=..\\shared\\b744\nmodel=extra\ntexture=KLM\n"
                        "atc_parking_codes=KLM\n" +
                        "[fltsim.1]\ntitle=No texture\nsim=b738\nmodel=\ntexture=BAW\natc_parking_codes=BAW\n" +
                        "[fltsim.2]\ntitle=No air\nsim=b999\nmodel=\ntexture=klm\natc_parking_codes=BAW\n" +
                        "[fltsim.3]\nsim=b738\nmodel=\ntexture=klm\natc_parking_codes=BAW\n");
    const auto liveries = lf_searchLiveriesinFile(1, path);
    ASSERT_EQ(liveries.size(), 1U);
    EXPECT_EQ(liveries[0], (LiveryData{"KLM", "B744", "Case", "", 1, false}));
    EXPECT_THAT(g_incompleteFltsimSections.lines(),
                UnorderedElementsAre((folder / "model").string() + " or related path does not exist: [fltsim.1]",
                                     (folder / "model").string() + " or related path does not exist: [fltsim.2]",
                                     folder.string() + " [fltsim.3] misses title"));
}

TEST_F(AircraftCfg, GivesAHeavyAircraftAnAirlineOrNothing) {
    const auto liveries =
        scan(generalSection("B744") + fltsim(0, "Heavy alone", "") + fltsim(1, "Heavy unknown reg", "", "atc_id=G-XXXX\n") +
                 fltsim(2, "Heavy known reg", "", "atc_id=N123\n"),
             "heavy");
    EXPECT_THAT(titles(liveries), ElementsAre("Heavy known reg"));
    EXPECT_EQ(liveries[0].airl, "KLM");
    const std::string folder = folderOf("heavy");
    EXPECT_THAT(g_incompleteFltsimSections.lines(),
                ::testing::IsSupersetOf({"'" + folder + "' '[fltsim.0]' has no airline and no regcode info",
                                         "'" + folder + "' '[fltsim.1]' has no airline and regcode not in dbase"}));
    // A Light type in the same case becomes private.
    const auto light = scan(generalSection("C172") + fltsim(0, "Light unknown reg", "", "atc_id=G-XXXX\n"), "light");
    ASSERT_EQ(light.size(), 1U);
    EXPECT_EQ(light[0].airl, "PVT");
    EXPECT_EQ(light[0].atcid, "G-XXXX");
}

TEST_F(AircraftCfg, KeepsATitleForTheFirstAndLeavesDontUseTitlesOut) {
    g_dontUseTitles = {"Never"};
    EXPECT_EQ(scan(generalSection() + fltsim(0, "Shared", "DLH") + fltsim(1, "Never", "DLH"), "one").size(), 1U);
    EXPECT_THAT(scan(generalSection() + fltsim(0, "Shared", "BAW"), "two"), IsEmpty());
    EXPECT_THAT(g_incompleteFltsimSections.lines(),
                ElementsAre(folderOf("two") + " [fltsim.0] title 'Shared' already exists"));
}

TEST_F(AircraftCfg, PassesOverFilesItCannotUse) {
    EXPECT_THAT(lf_searchLiveriesinFile(1, m_folder / "missing" / "aircraft.cfg"), IsEmpty());
    const auto tiny = makeAircraftFolder(m_folder / "tiny", "x");
    EXPECT_THAT(lf_searchLiveriesinFile(1, tiny), IsEmpty());
    EXPECT_THAT(g_invalidAircraftCfgFiles.lines(), IsEmpty());

    // Something else by that name, far too large to be read into memory.
    const auto huge = makeAircraftFolder(m_folder / "huge", generalSection() + fltsim(0, "Huge", "DLH"));
    fs::resize_file(huge, 17U * 1024U * 1024U);
    EXPECT_THAT(lf_searchLiveriesinFile(1, huge), IsEmpty());
    EXPECT_THAT(g_invalidAircraftCfgFiles.lines(), ElementsAre(huge.string() + " is larger than 16777216 bytes, not read"));
}

}  // namespace
}  // namespace zrb::test
