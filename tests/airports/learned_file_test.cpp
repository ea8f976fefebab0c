#include <gtest/gtest.h>

#include "airport_test_support.h"
#include "airports/learned_file.h"
#include "airports/parking_file.h"
#include "foundation/text_file.h"
#include "shell/common/message_line.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

constexpr std::uint64_t bit(int slot) { return std::uint64_t{1} << slot; }

std::string sep() { return std::string(1, static_cast<char>(fs::path::preferred_separator)); }
// A path written with '/' in the platform's spelling.
std::string native(std::string text) {
    for (char& c : text)
        if (c == '/') c = static_cast<char>(fs::path::preferred_separator);
    return text;
}

StandOption realOption(std::int32_t day, std::uint64_t hours, std::uint32_t id = 1, std::uint32_t real = 1) {
    return {"DLH", "A320", "D-AIZA", "DLH4", {}, hours, id, day, 1, real};
}

Stand standOf(const std::string& id, double radiusMetres, std::vector<StandOption> options = {}) {
    return Stand(id, std::move(options), 51.0, 0.5, 0.0, radiusMetres, 1, 1, 1);
}

TEST(LearnedFile, PathsMirrorTheBaseFilesSource) {
    LoggedFolder folder;
    EXPECT_EQ(lf_learnedApfPath("archive/stock/EGLL.xml", "stock").string(), native("airports/learned/stock/EGLL.xml"));
    EXPECT_EQ(lf_learnedApfPath("archive/thirdparty/My%20Pub/X.xml", "My Pub").string(),
              native("airports/learned/thirdparty/My Pub/X.xml"));
    EXPECT_EQ(lf_learnedApfPath("airports" + sep() + "my_thirdparty" + sep() + "X.xml", "P").string(),
              native("airports/learned/thirdparty/P/X.xml"));
    EXPECT_EQ(lf_learnedApfPath("airports/my_thirdparty2024/X.xml", "P Q").string(),
              "airports" + sep() + "learned/thirdparty" + sep() + "P Q/X.xml");
    EXPECT_EQ(lf_learnedApfPath("airports/my_ORBX/X.xml", "ORBX").string(), "airports" + sep() + "learned/my_ORBX/X.xml");
    EXPECT_EQ(lf_learnedApfPath("", "stock").string(), "");
    // A publisher with an umlaut: Windows reads a plain string in the ANSI code page.
    EXPECT_EQ(gf_pathText(lf_learnedApfPath("airports" + sep() + "my_thirdparty" + sep() + "X.xml", "K\xC3\xB6ln")),
              native("airports/learned/thirdparty/K\xC3\xB6ln/X.xml"));
    // A local link target never maps into the user's own folders.
    EXPECT_EQ(lf_learnedApfPath("airports/my_ORBX/archive/X.xml", "P").string(),
              "airports" + sep() + "learned/my_ORBX/archive/X.xml");
    // A publisher from a file header must not lead out of the learned folder.
    for (const std::string& bad : std::vector<std::string>{"../..", "a/b", "a\\b", "C:", "a\nb", "."})
        EXPECT_EQ(lf_learnedApfPath("airports/my_thirdparty/X.xml", bad).string(), "") << bad;
    EXPECT_TRUE(folder.logContains("===> Publisher '../..' of airports/my_thirdparty/X.xml is no folder name"));
    EXPECT_TRUE(gf_isSafePathComponent("Runway Makers & Co."));
}

TEST(LearnedFile, QualityFactorsAsTheFormulaGivesThem) {
    // One 20 m stand with one real option on one weekday and one half-hour:
    // S = (20 + 10000 + 100 + 2) × 0.3, W = 0.3, round(10122 × 0.00625) = 63.
    std::vector<Stand> table{standOf("A", 20, {realOption(3, bit(7))})};
    QualityFactors qf = lf_computeQualityFactors(table);
    EXPECT_EQ(gf_qfReal(qf), 63);
    EXPECT_EQ(gf_qfSoft(qf), 0);
    // A second stand without options halves it: round(5061 × 0.00625) = 32.
    table.push_back(standOf("B", 20));
    EXPECT_EQ(gf_qfReal(lf_computeQualityFactors(table)), 32);

    // Three real options on two days with five half-hours: 60 + 10000 + 200 + 10
    // = 10270 -> 64.19 -> 64; two soft ones on one day, two half-hours:
    // 40 + 10000 + 100 + 4 = 10144 -> 63.4 -> 63.
    table = {standOf("A", 25, {realOption(1, bit(1) | bit(2)), realOption(2, bit(3), 2), realOption(2, bit(4) | bit(5), 3),
                               realOption(4, bit(6), 4, 0), realOption(4, bit(7), 5, 0), realOption(5, bit(8), 0)})};
    qf = lf_computeQualityFactors(table);
    EXPECT_EQ(gf_qfReal(qf), 64);
    EXPECT_EQ(gf_qfSoft(qf), 63);

    // The caps: at most 4000 for options and 600 half-hours: 4000 + 10000 + 700 + 1200 = 15900 -> 99.
    std::vector<StandOption> many;
    for (std::uint32_t i = 1; i <= 300; ++i) many.push_back(realOption(static_cast<std::int32_t>(i % 7 + 1), (bit(48) - 1), i));
    table = {standOf("A", 30, many)};
    EXPECT_EQ(gf_qfReal(lf_computeQualityFactors(table)), 99);

    table = {standOf("A", 20, {realOption(1, bit(1), 0)})};
    EXPECT_EQ(lf_computeQualityFactors(table), gf_packQualityFactors(0, 0)) << "options that no longer count";
    table = {standOf("A", 20)};
    EXPECT_EQ(lf_computeQualityFactors(table), gf_packQualityFactors(-1, -1));
    EXPECT_EQ(lf_computeQualityFactors({}), gf_packQualityFactors(-1, -1));
}

class LearnedMerge : public ::testing::Test {
protected:
    void SetUp() override {
        table = {standOf("A1", 30, {realOption(2, bit(20) | bit(21))}), standOf("B2", 30)};
        header.airportName = "London Heathrow";
    }
    fs::path write(const std::string& text) {
        writeFile(path, text);
        return path;
    }
    AirportFolder folder;
    fs::path path = g_learnedStockFolder / "EGLL.xml";
    std::vector<Stand> table;
    ApfHeader header;
};

TEST_F(LearnedMerge, ObservationsChangesAndManualStandsJoinTheBaseStands) {
    const std::string stands =
        R"(<parkpos id="A1"><opt reg="D-AIZA" airl="DLH" type="A320" day="2" hh="21,22"/>)"
        R"(<opt reg="D-AIZA" airl="DLH" type="A320" day="2" hh="30" cs="DLH4:DLH4X"/></parkpos>)"
        R"(<parkpos id="B2" radius_change="true" radius="45.0" cargo_change="true" cargo="true"/>)"
        R"(<parkpos id="Z9"><opt reg="X" day="1" hh="1"/></parkpos>)" +
        parkpos("M1", 0.00005, 0.00005, 15, R"(manual="true")") + parkpos("M2", 0.0, 12.5, 15, R"(manual="true")") +
        parkpos("M3", 51.0, 0.5, 0, R"(manual="true")") + parkpos("A1", 51.0, 0.6, 15, R"(manual="true")");
    const LearnedFileRead read =
        lf_readLearned(write(parkingFile({{"airport_name", "Heathrow"}}, stands)), header, table);
    EXPECT_FALSE(read.handmade);
    EXPECT_FALSE(read.complete) << "Z9, M1, M3 and the second A1 were left out";
    ASSERT_EQ(table.size(), 3u);
    ASSERT_EQ(table[0].options.size(), 2u) << "the overlapping observation is known already";
    EXPECT_EQ(table[0].options[1].optionId, 2u);
    EXPECT_EQ(table[0].options[1].coupledCallsign, "DLH4X");
    EXPECT_EQ(table[0].options[1].origin, 0u);
    EXPECT_NEAR(table[1].radius / g_nmPerMetre, 45.0, 1e-9);
    EXPECT_EQ(table[1].cargo, 1);
    EXPECT_EQ(table[2].id, "M2");
    EXPECT_EQ(table[2].manual, 1);
    const std::string file = gf_pathText(path);
    EXPECT_TRUE(folder.logContains("Read from learned airport file: '" + file + "'"));
    EXPECT_TRUE(folder.logContains("learned stand Z9 in " + file + " not found?"));
    EXPECT_TRUE(folder.logContains("===> manually created standid M1 misses correct attributes in " + file));
    EXPECT_TRUE(folder.logContains("===> manually created standid M3 misses correct attributes in " + file));
    EXPECT_TRUE(folder.logContains("===> manually created standid A1 already exists in " + file));
    const std::string warning =
        "Warning: learned file airport name: 'Heathrow' differs from archived file airport name: 'London Heathrow'";
    EXPECT_TRUE(folder.logContains(warning));
    EXPECT_EQ(gf_messageLineView().message, warning);
    gf_resetMessageLine();

    // Whether everything was taken: a known observation is no loss, an option
    // on no weekday or a learned radius out of range is.
    const std::string known =
        R"(<parkpos id="A1"><opt reg="D-AIZA" airl="DLH" type="A320" day="2" hh="21"/></parkpos>)" +
        parkpos("M2", 0.0, 12.5, 15, R"(manual="true")");
    const auto complete = [&](const std::string& text) {
        SetUp();
        return lf_readLearned(write(parkingFile({{"airport_name", "London Heathrow"}}, text)), header, table)
            .complete;
    };
    EXPECT_TRUE(complete(known));
    EXPECT_FALSE(complete(known + R"(<parkpos id="B2"><opt reg="X" day="9" hh="1"/></parkpos>)"));
    EXPECT_FALSE(complete(known + R"(<parkpos id="B2" radius_change="true" radius="5000"/>)"));
    EXPECT_FALSE(complete(known + parkpos("M3", 0.0, 12.6, 15, R"(manual="true")", R"(<opt reg="X" day="8"/>)")));
}

TEST_F(LearnedMerge, AHandmadeFileReplacesTheStandsWhateverItsMarkSays) {
    const std::string stands = parkpos("H1", 51.1, 0.5, 20, "", R"(<opt reg="N1" airl="AAL" type="B738" day="3" hh="5"/>)") +
                               parkpos("H2", 51.2, 0.5, 20);
    const LearnedFileRead read =
        lf_readLearned(write(parkingFile({{"airport_name", "London Heathrow"}, {"handmade", "false"}}, stands)), header,
                       table);
    EXPECT_TRUE(read.handmade);
    EXPECT_TRUE(read.complete);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].id, "H1");
    EXPECT_EQ(table[0].options[0].origin, 1u);
    EXPECT_TRUE(folder.logContains("          handmade                : false"));

    // A damaged handmade file leaves the stands as they were.
    SetUp();
    const std::string twice = parkpos("H1", 51.1, 0.5, 20) + parkpos("H1", 51.2, 0.5, 20);
    const LearnedFileRead damaged = lf_readLearned(write(parkingFile({{"handmade", "true"}}, twice)), header, table);
    EXPECT_FALSE(damaged.handmade);
    EXPECT_FALSE(damaged.complete);
    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].id, "A1");
    EXPECT_TRUE(folder.logContains("lf_readLearned: 94: Parking position H1 appears more than once?"));

    // One whose stand the value checks refuse is used, but was not read completely.
    SetUp();
    const std::string refused = parkpos("H3", 51.0, 0.5, 5000);
    const LearnedFileRead partly =
        lf_readLearned(write(parkingFile({{"handmade", "true"}}, stands + refused)), header, table);
    EXPECT_TRUE(partly.handmade);
    EXPECT_FALSE(partly.complete);
    EXPECT_EQ(table.size(), 2u);
}

TEST_F(LearnedMerge, AFileThatCannotBeReadChangesNothing) {
    write("<meta><info name=\"author\"");
    EXPECT_FALSE(lf_readLearned(path, header, table).complete);
    EXPECT_EQ(readFile(g_learnedStockFolder / "EGLL.0.xml"), "<meta><info name=\"author\"");
    EXPECT_TRUE(fs::exists(path)) << "the learned file itself stays";
    EXPECT_TRUE(folder.logContains(gf_pathText(path) + " found, but could not be loaded, saved as *.0.xml: "));
    EXPECT_EQ(table.size(), 2u);
    EXPECT_EQ(table[1].radiusChanged, 0);

    // Without the meta entries the file is read no further.
    PARK_FAKE.value = false;
    const std::string noVersion = R"(<meta><info name="author" value="a"/><info name="date" value="d"/></meta>)";
    write(parkingFile({{"PARK_FAKE", "true"}}, R"(<parkpos id="B2" radius_change="true" radius="45"/>)", noVersion));
    EXPECT_FALSE(lf_readLearned(path, header, table).complete);
    EXPECT_FALSE(PARK_FAKE.value);
    EXPECT_EQ(table[1].radiusChanged, 0);
}

}  // namespace
}  // namespace zrb::test
