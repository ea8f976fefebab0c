// The stand-in simulator knows the demo's installed liveries from its
// SimObjects folders, as the simulator does, and nothing else.
#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "demo/demo_liveries.h"
#include "simulator/installed_titles.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAreArray;

TEST(InstalledTitles, EveryFltsimTitleOfTheGeneratedTreeAndOfHandMadeFilesIsKnown) {
    TempFolder folder;
    const fs::path entry = folder.path() / "SimObjects" / "Demo AI";
    zrb::demo::gf_writeDemoSimObjects(entry, 80);
    std::vector<std::string> expected;
    for (const auto& livery : zrb::demo::gf_demoLiveries(80)) expected.push_back(livery.title);
    EXPECT_THAT(standin::gf_installedTitles({entry}), UnorderedElementsAreArray(expected));

    // A second folder: comments, a title outside any section, a second title
    // in a section, a malformed header, a UTF-16 file and other file names.
    const fs::path other = folder.path() / "SimObjects" / "Airplanes";
    writeFile(other / "a" / "Aircraft.CFG",
              "[General]\ntitle=Not a livery\n[fltsim.0]\n  Title = Spaced Title  \ntitle=Second of section\n"
              "//title=Commented\n[fltsim.1]\n;title=Also commented\ntitle=One\n[fltsim.x]\ntitle=Malformed\n"
              "[fltsim.2]\r\ntitle=Crlf\r\n");
    std::string utf16 = "\xFF\xFE";
    for (const char c : std::string("[fltsim.0]\r\ntitle=Wide")) utf16 += std::string{c, '\0'};
    utf16 += std::string("\x20\x00\x41\x01\x3D\xD8\x00\xDE\r\x00\n\x00", 12);  // " Ł😀"
    writeFile(other / "b" / "sim.cfg", utf16);
    writeFile(other / "c" / "aircraft.cfg.bak", "[fltsim.0]\ntitle=Backup\n");
    EXPECT_THAT(standin::gf_installedTitles({other, folder.path() / "missing"}),
                ElementsAre("Crlf", "One", "Spaced Title", "Wide \xC5\x81\xF0\x9F\x98\x80"));
}

}  // namespace
}  // namespace zrb::test
