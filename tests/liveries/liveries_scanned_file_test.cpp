#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "config/meta_info.h"
#include "foundation/user_error.h"
#include "liveries/liveries_scanned_file.h"
#include "support/livery_printer.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;

const std::string header =
    "<?xml version=\"1.0\"?>\n<meta><info name=\"author\" value=\"TLVR_P3D\"/><info name=\"date\" value=\"Jan 01, "
    "2026\"/><info name=\"version\" value=\"1.0.0\"/></meta>\n";

std::string readError(const fs::path& file) {
    try {
        (void)lf_readLiveriesScannedXml(file);
    } catch (const UserErrorException& e) {
        return e.what();
    }
    return "no error";
}

TEST(LiveriesScannedFile, WritesReadsBackAndWritesTheSameBytesAgain) {
    LoggedFolder folder;
    g_metaSimulator = "P3D";
    const std::vector<LiveryData> written{
        {"BAW", "A320", "BA A320 & \"quoted\" <x>", "G-EUUA", 3, false},
        {"DLH", "B744", "Lufthansa 744", "D-ABVA", 10, false},
        {"DLH", "B744", "Lufthansa Cargo 744", "", 1, true},
    };
    const fs::path file = folder / "LiveriesScanned.xml";
    ASSERT_TRUE(lf_writeLiveriesScannedXml(written, file));
    EXPECT_TRUE(folder.logContains("3 liveries in " + file.string()));

    const std::string text = readFile(file);
    EXPECT_NE(text.find("<liv airl=\"DLH\" type=\"B744\" cargo=\"true\" title=\"Lufthansa Cargo 744\" />"),
              std::string::npos);
    EXPECT_NE(text.find("<liv airl=\"DLH\" type=\"B744\" title=\"Lufthansa 744\" atcid=\"D-ABVA\" />"),
              std::string::npos);
    EXPECT_NE(text.find("<info name=\"P3D\" value=\"v5/v6\" />"), std::string::npos);
    EXPECT_LT(text.find("<meta>"), text.find("<liveries>"));

    const std::vector<LiveryData> read = lf_readLiveriesScannedXml(file);
    ASSERT_EQ(read, written);  // equality ignores the folder index
    for (const LiveryData& livery : read) EXPECT_EQ(livery.folderIndex, 0);
    EXPECT_TRUE(folder.logContains("3 liveries read from " + file.string()));

    const fs::path again = folder / "again.xml";
    ASSERT_TRUE(lf_writeLiveriesScannedXml(read, again));
    EXPECT_EQ(readFile(again), text);

    // An empty scan writes nothing at all.
    EXPECT_FALSE(lf_writeLiveriesScannedXml({}, folder / "none.xml"));
    EXPECT_FALSE(fs::exists(folder / "none.xml"));
}

TEST(LiveriesScannedFile, ReadsInLiveryOrderWithLenientValues) {
    LoggedFolder folder;
    const fs::path file = folder / "LiveriesScanned.xml";
    writeFile(file, header +
                        "<liveries>\n"
                        "<liv airl=\"ZZZ\" type=\"B738\" title=\"z\" cargo=\"yes\"/>\n"
                        "<note/>\n"
                        "<liv airl=\"DLH\" type=\"B738\" title=\"b\" cargo=\"1\"/>\n"
                        "<liv airl=\"DLH\" type=\"A320\" title=\"c\" cargo=\"True\"/>\n"
                        "<liv airl=\"DLH\" type=\"B738\" title=\"a\" cargo=\"no\"/>\n"
                        "<liv airl=\"\" type=\"\" title=\"\" cargo=\"false\" atcid=\"N1\"/>\n"
                        "</liveries>\n");
    const auto read = lf_readLiveriesScannedXml(file);
    ASSERT_EQ(read.size(), 5U);
    const std::vector<std::string> titles{read[0].title, read[1].title, read[2].title, read[3].title,
                                          read[4].title};
    EXPECT_EQ(titles, (std::vector<std::string>{"", "c", "a", "b", "z"}));
    EXPECT_EQ(read[0].atcid, "N1");
    EXPECT_FALSE(read[0].cargo);
    EXPECT_TRUE(read[1].cargo);
    EXPECT_FALSE(read[2].cargo);
    EXPECT_TRUE(read[3].cargo);
    EXPECT_TRUE(read[4].cargo);
}

TEST(LiveriesScannedFile, RefusesFilesItCannotUse) {
    LoggedFolder folder;
    const fs::path file = folder / "LiveriesScanned.xml";
    EXPECT_EQ(readError(file), "51: File " + file.string() + " not found");
    EXPECT_EQ(readError(fs::path("output") / "LiveriesScanned.xml"),
              "51: File " + (fs::path("output") / "LiveriesScanned.xml").string() + " not found");

    writeFile(file, header + "<liveries><liv airl=\"DLH\" type=\"B738\"");  // cut short
    EXPECT_EQ(readError(file), "51: File " + file.string() + " not found");

    // Without its own header the file is not this program's.
    const std::string liveries = "<liveries><liv airl=\"DLH\" type=\"B738\" title=\"t\"/></liveries>";
    writeFile(file, liveries);
    EXPECT_EQ(readError(file), "51: " + file.string() + ": refused to load (copyright), rescan liveries");
    writeFile(file, "<meta><info name=\"author\" value=\"x\"/><info name=\"version\" value=\"1\"/></meta>" + liveries);
    EXPECT_EQ(readError(file), "51: " + file.string() + ": refused to load (copyright), rescan liveries");

    writeFile(file, header + "<livery/>");
    EXPECT_EQ(readError(file), "52: " + file.string() + " does not contain a <liveries> section");
    writeFile(file, header + "<liveries><other/></liveries>");
    EXPECT_EQ(readError(file), "533: " + file.string() + " does not contain liveries");
    writeFile(file, header + "<liveries><liv airl=\"DLH\" type=\"B738\" title=\"\"/><liv airl=\"DLH\" "
                             "type=\"B738\"/></liveries>");
    EXPECT_EQ(readError(file), "999: Missing required attribute 'title' in <liv>");
    writeFile(file, header + "<liveries><liv type=\"B738\" title=\"t\"/></liveries>");
    EXPECT_EQ(readError(file), "999: Missing required attribute 'airl' in <liv>");
}

}  // namespace
}  // namespace zrb::test
