#include "config/parameter_store.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/parameter_controls.h"
#include "settings_fixture.h"

namespace zrb {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class ParameterStore : public test::SettingsTest {
protected:
    void readAll() {
        const ParameterReadLists& l = gf_parameterReadLists();
        gf_readParameters(l.checkBoxes, l.fileInts, l.shownInts, l.fileStrings, l.shownStrings);
    }

    // The log lines from the opening banner to the closing one, both included.
    std::vector<std::string> bannerBlock() const {
        const auto lines = m_folder.logLines();
        const std::string opening = std::string(34, '*') + " parameters " + std::string(34, '*');
        const auto first = std::find(lines.begin(), lines.end(), opening);
        const auto last = std::find(first, lines.end(), std::string(80, '*'));
        if (first == lines.end() || last == lines.end()) return {};
        return {first, last + 1};
    }

    bool blockHas(const std::string& line) const {
        const auto block = bannerBlock();
        return std::find(block.begin(), block.end(), line) != block.end();
    }
};

TEST_F(ParameterStore, MissingFileIsCreatedWithEveryDefault) {
    LOG.value = false;
    RANGE.value = 7;
    DESTINATION.value = "EHAM";
    lfolder2.value = "C:\\stale";
    readAll();

    const std::string path = parametersFile().string();
    EXPECT_TRUE(m_folder.logContains(path + " not found, default values taken:"));
    EXPECT_TRUE(m_folder.logContains("'" + path + "' saved"));
    // 26 check boxes, 13 + 11 integers, 7 texts; no folder-list entries.
    EXPECT_EQ(storedCount(), 26u + 24u + 7u);
    EXPECT_EQ(stored("lfolder0"), "<missing>");
    EXPECT_EQ(stored("afolder9"), "<missing>");
    EXPECT_EQ(stored("LOG"), "true");
    EXPECT_EQ(stored("RANGE"), "40");
    EXPECT_EQ(stored("LAST_EPOCH_TIME:"), "0");
    EXPECT_EQ(stored("CUSTOM_MAX_PARK"), "-1");
    EXPECT_EQ(stored("DESTINATION"), "");
    EXPECT_EQ(stored("MAX_FIT_FL"), "<missing>");
    EXPECT_EQ(stored("parking_percentage"), "<missing>");
    EXPECT_EQ(stored("ALL_INSTALL_PATH"), "<missing>");
    EXPECT_TRUE(LOG.value);
    EXPECT_EQ(RANGE.value, 40);
    EXPECT_EQ(DESTINATION.value.get(), "");
    EXPECT_EQ(lfolder2.value.get(), "");

    // Every value is logged between the banners.
    const auto block = bannerBlock();
    ASSERT_FALSE(block.empty());
    EXPECT_TRUE(blockHas("LOG=true"));
    EXPECT_TRUE(blockHas("GUID_CHANGES=true"));
    EXPECT_TRUE(blockHas("P3D_VERSION=5"));
    EXPECT_TRUE(blockHas("TIME_SHIFT_MINS=0"));
    EXPECT_TRUE(blockHas("DESTINATION=\"\""));
    EXPECT_TRUE(blockHas("BLOCK_CALLSIGN=\"\""));
    const auto valueLines = std::count_if(block.begin(), block.end(),
                                          [](const std::string& l) { return l.find('=') != std::string::npos; });
    EXPECT_EQ(valueLines, 57);

    // The written file has the library's default form.
    const std::string text = readFile(parametersFile());
    EXPECT_EQ(text.rfind("<?xml version=\"1.0\"?>\n<parameters>\n\t<parameter name=\"SIM_TIME\" value=\"false\" />", 0), 0u)
        << text.substr(0, 120);

    // A second read finds the file.
    readAll();
    EXPECT_TRUE(m_folder.logContains("from '" + path + "'"));
}

TEST_F(ParameterStore, IntegersAreParsedAndClampedButNotSnappedToChoices) {
    writeParameters(
        "<parameter name=\"RANGE\" value=\"7\"/>\n"
        "<parameter name=\"AIRP_HEIGHT\" value=\"3000\"/>\n"
        "<parameter name=\"MATCHING_DEPTH\" value=\"500\"/>\n"
        "<parameter name=\"AR_ABOVE_HEIGHT\" value=\"abc\"/>\n"
        "<parameter name=\"TIME_SHIFT_DAYS\" value=\" 0x10\"/>\n"
        "<parameter name=\"MAIN_WINDOW_X\" value=\"-99999999999\"/>\n"
        "<parameter name=\"LAST_EPOCH_TIME:\" value=\"99999999999\"/>\n"
        "<parameter name=\"MAX_LIVE\" value=\"-1\"/>\n"
        "<parameter name=\"AIRPORT_HEIGHT\" value=\"48000\"/>\n"
        "<parameter name=\"MAX_FIT\"/>\n");
    readAll();
    EXPECT_EQ(RANGE.value, 7);                 // in [2, 100], though not a choice
    EXPECT_EQ(AIRP_HEIGHT.value, 3000);
    EXPECT_EQ(MATCHING_DEPTH.value, 4);        // clamped to the last choice
    EXPECT_EQ(AR_ABOVE_HEIGHT.value, 18000);   // no number reads 0, clamped to the first choice
    EXPECT_EQ(TIME_SHIFT_DAYS.value, 16);      // hexadecimal after white space
    EXPECT_EQ(MAIN_WINDOW_X.value, -30000);    // saturated, then clamped
    EXPECT_EQ(LAST_EPOCH_TIME.value, 2147483647);
    EXPECT_EQ(MAX_LIVE.value, -1);
    EXPECT_EQ(AIRPORT_HEIGHT.value, 45000);    // the older name stops at 45000
    EXPECT_EQ(MAX_FIT.value, 0);               // no value attribute reads 0
    EXPECT_TRUE(blockHas("RANGE=7"));
    // The file keeps what it held; only missing entries are added.
    EXPECT_EQ(stored("RANGE"), "7");
    EXPECT_EQ(stored("AR_ABOVE_HEIGHT"), "abc");
    EXPECT_EQ(stored("MAX_FIT"), "<no value>");
    EXPECT_EQ(stored("P3D_VERSION"), "5");
    EXPECT_EQ(storedCount(), 57u);

    RANGE.value = 500;
    writeParameters("<parameter name=\"RANGE\" value=\"500\"/>\n");
    readAll();
    EXPECT_EQ(RANGE.value, 100);
}

TEST_F(ParameterStore, BoolsAndStringsAreReadAsStored) {
    writeParameters(
        "<parameter name=\"SIM_TIME\" value=\"Yes\"/>\n"
        "<parameter name=\"WEEK\" value=\"1\"/>\n"
        "<parameter name=\"AUTO_RANGE\" value=\"no\"/>\n"
        "<parameter name=\"LEARN_SOFT\" value=\"0\"/>\n"
        "<parameter name=\"PARK_SOFT\" value=\"\"/>\n"
        "<parameter name=\"LOG\"/>\n"
        "<parameter name=\"DESTINATION\" value=\"EHAM\"/>\n"
        "<parameter name=\"SIM_INSTALL_PATH\" value=\"D:\\Prepar3D v5\\&#xDC;\"/>\n"
        "<parameter name=\"BLOCK_CALLSIGN\"/>\n"
        "<parameter name=\"UNKNOWN_OLD_SETTING\" value=\"42\"/>\n");
    readAll();
    EXPECT_TRUE(SIM_TIME.value);
    EXPECT_TRUE(WEEK.value);
    EXPECT_FALSE(AUTO_RANGE.value);
    EXPECT_FALSE(LEARN_SOFT.value);
    EXPECT_FALSE(PARK_SOFT.value);
    EXPECT_FALSE(LOG.value);
    EXPECT_EQ(DESTINATION.value.get(), "EHAM");
    EXPECT_EQ(SIM_INSTALL_PATH.value.get(), "D:\\Prepar3D v5\\\xC3\x9C");
    EXPECT_EQ(BLOCK_CALLSIGN.value.get(), "");
    EXPECT_TRUE(blockHas("SIM_TIME=true"));
    EXPECT_TRUE(blockHas("LOG=false"));
    EXPECT_TRUE(blockHas("DESTINATION=\"EHAM\""));
    // An entry without a value is not corrected; other entries stay.
    EXPECT_EQ(stored("LOG"), "<no value>");
    EXPECT_EQ(stored("BLOCK_CALLSIGN"), "<no value>");
    EXPECT_EQ(stored("UNKNOWN_OLD_SETTING"), "42");
    EXPECT_EQ(stored("GUID_CHANGES"), "true");  // appended
}

TEST_F(ParameterStore, EmptyFolderEntriesAreRemovedAndMissingOnesNotAdded) {
    writeParameters(
        "<parameter name=\"lfolder3\" value=\"\"/>\n"
        "<parameter name=\"lfolder4\" value=\"C:\\liveries\"/>\n"
        "<parameter name=\"afolder0\"/>\n");
    readAll();
    EXPECT_TRUE(m_folder.logContains("Parameter 'lfolder3' removed"));
    EXPECT_TRUE(m_folder.logContains("Parameter 'afolder0' removed"));
    EXPECT_FALSE(m_folder.logContains("Parameter 'lfolder5' removed"));
    EXPECT_EQ(stored("lfolder3"), "<missing>");
    EXPECT_EQ(stored("afolder0"), "<missing>");
    EXPECT_EQ(stored("lfolder5"), "<missing>");
    EXPECT_EQ(stored("lfolder4"), "C:\\liveries");
    EXPECT_EQ(lfolder4.value.get(), "C:\\liveries");
    EXPECT_TRUE(blockHas("lfolder4=\"C:\\liveries\""));
    EXPECT_FALSE(m_folder.logContains("lfolder3="));  // empty folders are not logged
}

TEST_F(ParameterStore, OtherRootKeepsDefaultsAndIsSavedBackUnchanged) {
    const std::string original =
        "<?xml version=\"1.0\"?>\n<settings>\n\t<parameter name=\"LOG\" value=\"false\" />\n</settings>\n";
    writeFile(parametersFile(), original);
    LOG.value = false;
    readAll();
    EXPECT_TRUE(m_folder.logContains("from '"));
    EXPECT_TRUE(LOG.value);
    EXPECT_EQ(RANGE.value, 40);
    EXPECT_EQ(readFile(parametersFile()), original);
}

TEST_F(ParameterStore, BrokenFilesGiveDefaultsAndAreKeptAside) {
    const std::vector<std::string> broken = {
        "",                                                       // empty
        "<?xml version=\"1.0\"?>\n<parameters>\n\t<parameter name=\"LOG\" va",  // truncated
        "LOG=false\nRANGE=10\n",                                  // not XML
        std::string("\x00\xFF\xFE<<>>\x01", 9),                   // binary
        "<?xml version=\"1.0\"?>\n<!-- only a comment -->\n",     // no element
    };
    for (const std::string& bytes : broken) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        writeFile(parametersFile(), bytes);
        LOG.value = false;
        RANGE.value = 10;
        readAll();
        EXPECT_TRUE(LOG.value);
        EXPECT_EQ(RANGE.value, 40);
        EXPECT_EQ(storedCount(), 57u);
        const fs::path kept = dataFolder() / "parameters.xml.bad";
        if (bytes.empty()) {
            EXPECT_FALSE(fs::exists(kept));
        } else {
            EXPECT_EQ(readFile(kept), bytes);
            fs::remove(kept);
        }
    }
    EXPECT_TRUE(m_folder.logContains("===> '" + parametersFile().string() + "' cannot be read ("));
    EXPECT_TRUE(m_folder.logContains("===> '" + parametersFile().string() + "' is empty"));
    for (const auto& entry : fs::directory_iterator(dataFolder()))
        EXPECT_EQ(entry.path().extension(), ".xml") << entry.path();  // no temporary file left
}

// A parameters.xml that cannot be read, or cannot be kept aside, is the
// user's: neither the reading nor any saver writes over it, and the caller is
// told. Once it can be kept aside, it is, and the settings are saved again.
TEST_F(ParameterStore, AFileThatCannotBeKeptAsideIsNeverWrittenOver) {
    const std::string broken = "<?xml version=\"1.0\"?>\n<parameters>\n<parameter name=\"RANGE\" value=\"25\"/>\n<param";
    writeFile(parametersFile(), broken);
    fs::path bad = parametersFile();
    bad += ".bad";
    writeFile(bad / "blocker.txt", "a folder where the copy would go");
    const ParameterReadLists& l = gf_parameterReadLists();
    EXPECT_FALSE(gf_readParameters(l.checkBoxes, l.fileInts, l.shownInts, l.fileStrings, l.shownStrings));
    EXPECT_EQ(RANGE.value, 40);  // the defaults, in memory
    EXPECT_EQ(readFile(parametersFile()), broken);
    EXPECT_TRUE(m_folder.logContains("nor kept as '" + bad.string() + "'"));
    RANGE.value = 60;
    EXPECT_FALSE(gf_saveIntParameter(RANGE));
    EXPECT_FALSE(gf_saveBoolParameter(LOG));
    EXPECT_FALSE(gf_setStringParameter(DESTINATION, "EDDF"));
    EXPECT_FALSE(gf_removeParameter(RANGE));
    EXPECT_EQ(readFile(parametersFile()), broken);
    EXPECT_TRUE(m_folder.logContains("Saving '" + parametersFile().string() + "' failed"));

    fs::remove_all(bad);
    EXPECT_TRUE(gf_saveIntParameter(RANGE));
    EXPECT_EQ(readFile(bad), broken);
    EXPECT_EQ(stored("RANGE"), "60");

    // A file that exists but cannot be read at all (here a folder) is left alone too.
    fs::remove(parametersFile());
    writeFile(parametersFile() / "inside.txt", "keep");
    EXPECT_FALSE(gf_readParameters(l.checkBoxes, l.fileInts, l.shownInts, l.fileStrings, l.shownStrings));
    EXPECT_FALSE(gf_saveIntParameter(RANGE));
    EXPECT_EQ(readFile(parametersFile() / "inside.txt"), "keep");
}

TEST_F(ParameterStore, SaversChangeOneEntry) {
    // Against a missing file: only the root and that entry.
    LOG.value = false;
    EXPECT_TRUE(gf_saveBoolParameter(LOG));
    EXPECT_EQ(readFile(parametersFile()),
              "<?xml version=\"1.0\"?>\n<parameters>\n\t<parameter name=\"LOG\" value=\"false\" />\n</parameters>\n");
    EXPECT_TRUE(m_folder.logContains("LOG=false"));

    EXPECT_TRUE(gf_setStringParameter(DESTINATION, "EHAM"));
    EXPECT_EQ(DESTINATION.value.get(), "EHAM");
    EXPECT_TRUE(m_folder.logContains("DESTINATION=\"EHAM\""));

    RANGE.value = 65;
    EXPECT_TRUE(gf_saveIntParameter(RANGE));
    EXPECT_FALSE(m_folder.logContains("RANGE=65"));  // the integer saver writes no value line

    LOG.value = true;
    EXPECT_TRUE(gf_saveBoolParameter(LOG));
    EXPECT_EQ(stored("LOG"), "true");
    EXPECT_EQ(stored("DESTINATION"), "EHAM");
    EXPECT_EQ(stored("RANGE"), "65");
    EXPECT_EQ(storedCount(), 3u);

    // An entry without a value gets one.
    writeParameters("<parameter name=\"WEEK\"/>\n");
    WEEK.value = true;
    EXPECT_TRUE(gf_saveBoolParameter(WEEK));
    EXPECT_EQ(stored("WEEK"), "true");

    // A file with another root gets a parameters element beside it.
    writeFile(parametersFile(), "<settings/>");
    EXPECT_TRUE(gf_saveIntParameter(RANGE));
    EXPECT_EQ(stored("RANGE"), "65");
}

TEST_F(ParameterStore, ValueLinesAreDroppedWhileStopping) {
    g_stopRun = true;
    readAll();
    EXPECT_FALSE(m_folder.logContains("LOG=true"));
    EXPECT_TRUE(m_folder.logContains(" not found, default values taken:"));
    EXPECT_FALSE(bannerBlock().empty());

    g_stopRun = false;
    g_stopProgram = true;
    LOG.value = false;
    EXPECT_TRUE(gf_saveBoolParameter(LOG));
    EXPECT_FALSE(m_folder.logContains("LOG=false"));
    EXPECT_EQ(stored("LOG"), "false");
    EXPECT_TRUE(gf_removeParameter(WEEK));
    EXPECT_FALSE(m_folder.logContains("Parameter 'WEEK' removed"));
}

TEST_F(ParameterStore, RemoveReportsWhatHappened) {
    EXPECT_FALSE(gf_removeParameter(LATERAL_RANGE));  // no file
    writeParameters("<parameter name=\"LATERAL_RANGE\" value=\"12\"/>\n<parameter name=\"LOG\" value=\"true\"/>\n");
    EXPECT_TRUE(gf_removeParameter(LATERAL_RANGE));
    EXPECT_TRUE(m_folder.logContains("Parameter 'LATERAL_RANGE' removed"));
    EXPECT_EQ(stored("LATERAL_RANGE"), "<missing>");
    EXPECT_EQ(stored("LOG"), "true");
    EXPECT_FALSE(gf_removeParameter(LATERAL_RANGE));  // already gone
    writeFile(parametersFile(), "<settings><parameter name=\"LOG\" value=\"true\"/></settings>");
    EXPECT_FALSE(gf_removeParameter(LOG));
}

#if !defined(_WIN32)
// A folder whose parameters.xml can be read but beside which no temporary file
// can be created: the whole path of the temporary file is longer than the
// system allows (this works whatever the user's rights).
fs::path lf_folderAtPathLimit(const fs::path& base) {
    constexpr std::size_t pathLimit = 4095;  // PATH_MAX less its NUL
    const std::size_t fileName = std::string("/parameters.xml").size();
    fs::path folder = base;
    // Each step adds a separator and a name; a remainder of 1 could not be filled.
    for (std::size_t left = pathLimit - fileName - folder.string().size(); left > 0;
         left = pathLimit - fileName - folder.string().size()) {
        std::size_t name = std::min<std::size_t>(200, left - 1);
        if (left - 1 - name == 1) --name;
        folder /= std::string(name, 'd');
    }
    fs::create_directories(folder);
    return folder;
}

TEST_F(ParameterStore, FailedSavesAreReportedAsFailures) {
    const fs::path folder = lf_folderAtPathLimit(m_folder.path());
    gf_setProgramDataFolderForTest(folder);
    const fs::path file = folder / "parameters.xml";
    ASSERT_EQ(file.string().size(), 4095u);
    const std::string original = "<parameters><parameter name=\"LATERAL_RANGE\" value=\"12\"/></parameters>";
    writeFile(file, original);

    EXPECT_FALSE(gf_removeParameter(LATERAL_RANGE));
    EXPECT_TRUE(m_folder.logContains("Parameter 'LATERAL_RANGE' removed"));
    EXPECT_TRUE(m_folder.logContains("Saving '" + file.string() + "' failed"));
    EXPECT_EQ(readFile(file), original);  // untouched

    LOG.value = false;
    EXPECT_FALSE(gf_saveBoolParameter(LOG));
    EXPECT_EQ(readFile(file), original);

    readAll();
    EXPECT_TRUE(m_folder.logContains("could not save to '" + file.string() + "'"));
    EXPECT_EQ(LATERAL_RANGE.value, 12);
    EXPECT_EQ(readFile(file), original);
}
#endif

#ifndef _WIN32  // the headless controls stand in for the window on Linux only
TEST_F(ParameterStore, ValuesAreShownInTheirControlsAfterReading) {
    const platform::ControlHandle logBox = platform::createHeadlessControl();
    const platform::ControlHandle timeShift = platform::createHeadlessControl();
    const platform::ControlHandle callsign = platform::createHeadlessControl();
    LOG.handle_ = logBox;
    TIME_SHIFT_DAYS.handle_ = timeShift;
    BLOCK_CALLSIGN.handle_ = callsign;
    writeParameters(
        "<parameter name=\"LOG\" value=\"true\"/>\n"
        "<parameter name=\"TIME_SHIFT_DAYS\" value=\"3\"/>\n"
        "<parameter name=\"BLOCK_CALLSIGN\" value=\"KLM1234\"/>\n");
    readAll();
    EXPECT_TRUE(platform::headlessControlState(logBox).checked);
    EXPECT_EQ(platform::headlessControlState(timeShift).text, u"3");
    EXPECT_EQ(platform::headlessControlState(callsign).text, u"KLM1234");
    // Shown settings whose control does not exist are reported by id.
    EXPECT_TRUE(m_folder.logContains("GetDlgItem failed for ID 32818"));  // RANGE
    EXPECT_FALSE(m_folder.logContains("GetDlgItem failed for ID 32859"));
    for (auto h : {logBox, timeShift, callsign}) platform::destroyHeadlessControl(h);
}
#endif

TEST_F(ParameterStore, LoadedDocumentServesSingleReads) {
    pugi::xml_document doc;
    EXPECT_FALSE(gf_loadParametersDocument(doc));
    writeParameters("<parameter name=\"MAIN_WINDOW_X\" value=\"-40000\"/>\n");
    ASSERT_TRUE(gf_loadParametersDocument(doc));
    EXPECT_TRUE(gf_readIntParameter(MAIN_WINDOW_X, doc, false));
    EXPECT_EQ(MAIN_WINDOW_X.value, -30000);
    MAIN_WINDOW_Y.value = 5;
    EXPECT_FALSE(gf_readIntParameter(MAIN_WINDOW_Y, doc, true));
    EXPECT_EQ(MAIN_WINDOW_Y.value, 20);
    EXPECT_TRUE(m_folder.logContains("MAIN_WINDOW_Y=20"));
    EXPECT_FALSE(m_folder.logContains("MAIN_WINDOW_X="));
}

}  // namespace
}  // namespace zrb
