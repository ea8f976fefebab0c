// Any bytes as one of the lists the livery and airport scans read, besides the
// aircraft.cfg and BGL files themselves: the simulator's add-ons.cfg, an
// add-on package's add-on.xml, simobjects.cfg, scenery.cfg and
// scenery_add-ons.xml, and the program's own LiveriesScanned.xml. The first
// byte picks the file, the rest is its content. Each reader must neither crash
// nor hang; the folders it finds are paths, whatever the file said.
//
// add-ons.cfg and simobjects.cfg lie in the simulator's folders of AppData and
// ProgramData, which the target points at a folder of its own on either system.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "airports/scenery_folders.h"
#include "foundation/user_error.h"
#include "fuzz_target.h"
#include "liveries/liveries_scanned_file.h"
#include "liveries/livery_folder_sources.h"
#include "platform/platform.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

enum Reader : std::uint8_t { addOnsCfg, addOnXml, simObjectsCfg, sceneryCfg, sceneryAddOnsXml, liveriesScanned, readers };

// The simulator's folders below a folder of the target's own, with one add-on
// package "pkg" that add-ons.cfg names.
struct Folders {
    Folders() {
        fs::create_directories(simAppData() / "pkg");
        fs::create_directories(simProgramData());
        zrb::platform::setSimListFoldersForTest(folder.path(), folder / "ProgramData");
    }
    fs::path simAppData() const { return folder / "Lockheed Martin" / "Prepar3D v5"; }
    fs::path simProgramData() const { return folder / "ProgramData" / "Lockheed Martin" / "Prepar3D v5"; }
    zrb::test::TempFolder folder;
};

const std::string addOnsCfgText = "[Package.0]\r\nPATH=pkg\r\nTITLE=AI aircraft\r\nACTIVE=TRUE\r\nREQUIRED=FALSE\r\n\r\n"
                                  "[Package.1]\r\nPATH=C:\\Users\\u\\Documents\\Prepar3D v5 Add-ons\\Other\r\n"
                                  "ACTIVE=FALSE\r\n\r\n[Discovery.0]\r\nPATH=C:\\Users\\u\\Documents\\Prepar3D v5 Add-ons\r\n"
                                  "ACTIVE=TRUE\r\n";
const std::string addOnXmlText =
    "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<SimBase.Document Type=\"AddOnXml\" version=\"4,5\" id=\"add-on\">\r\n"
    "  <AddOn.Name>AI aircraft</AddOn.Name>\r\n"
    "  <AddOn.Component>\r\n    <Category>SimObjects</Category>\r\n    <Path>SimObjects\\Airplanes</Path>\r\n"
    "  </AddOn.Component>\r\n"
    "  <AddOn.Component><Category>Scenery</Category><Path>Scenery</Path><Name>X</Name></AddOn.Component>\r\n"
    "  <AddOn.Component><Category> simobjects </Category><Path> D:\\AI\\Lights Reborn\\SimObjects </Path>"
    "</AddOn.Component>\r\n  <AddOn.Component><Category>SimObjects</Category><Path>D:\\AIG\\SimObjects</Path>"
    "</AddOn.Component>\r\n</SimBase.Document>\r\n";

void lf_write(const fs::path& file, const std::string& text) {
    // A new file rather than a truncated one: truncation flushes to the disk.
    fs::remove(file);
    zrb::test::writeFile(file, text);
}

void lf_checkPaths(const std::vector<fs::path>& folders) {
    for (const fs::path& folder : folders)
        if (folder.empty()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Folders folders;
    if (size == 0) return 0;
    const auto reader = static_cast<Reader>(data[0] % readers);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    std::vector<fs::path> found;
    std::vector<std::string> texts;
    switch (reader) {
        case addOnsCfg:
        case addOnXml:
            lf_write(folders.simAppData() / "add-ons.cfg", reader == addOnsCfg ? text : addOnsCfgText);
            lf_write(folders.simAppData() / "pkg" / "add-on.xml", reader == addOnXml ? text : addOnXmlText);
            zrb::lf_readP3DAddOnsAircraft(found);
            lf_checkPaths(found);
            break;
        case simObjectsCfg:
            lf_write(folders.simProgramData() / "simobjects.cfg", text);
            zrb::lf_readP3DSimObjectsCfg(found);
            lf_checkPaths(found);
            break;
        case sceneryCfg:
            lf_write(folders.folder / "scenery.cfg", text);
            zrb::gf_readSceneryCfg(folders.folder / "scenery.cfg", "D:\\Prepar3D v5", "D:\\Prepar3D v5\\Scenery", texts);
            break;
        case sceneryAddOnsXml:
            lf_write(folders.folder / "scenery_add-ons.xml", text);
            zrb::gf_readSceneryAddOnsXml(folders.folder / "scenery_add-ons.xml", texts);
            break;
        case liveriesScanned:
            lf_write(folders.folder / "LiveriesScanned.xml", text);
            try {
                (void)zrb::lf_readLiveriesScannedXml(folders.folder / "LiveriesScanned.xml");
            } catch (const zrb::UserErrorException&) {
                // A missing, foreign or empty file: the program rescans.
            }
            break;
        default: break;
    }
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    const auto seed = [](Reader reader, const std::string& text) { return std::string(1, static_cast<char>(reader)) + text; };
    // The scan result as the program writes it.
    std::string scanned;
    {
        const zrb::test::TempFolder folder;
        const std::vector<zrb::LiveryData> liveries{
            {"KLM", "B738", "Boeing 737-800 KLM", "PH-BXA", 0, false},
            {"FDX", "B77L", "Boeing 777F FedEx", "", 1, true},
            {"PVT", "C172", "Cessna 172 \xC3\xA9t\xC3\xA9", "D-EABC", 2, false},
        };
        if (zrb::lf_writeLiveriesScannedXml(liveries, folder / "LiveriesScanned.xml"))
            scanned = zrb::test::readFile(folder / "LiveriesScanned.xml");
    }
    const std::string meta = "<meta><info name=\"author\" value=\"a\"/><info name=\"date\" value=\"d\"/>"
                             "<info name=\"version\" value=\"11.0.2\"/></meta>";
    return {
        seed(addOnsCfg, addOnsCfgText),
        seed(addOnsCfg, "[Package.9]\nPath=pkg\n[Package.10]\npath=\n[package.x]\nPATH=..\\..\\pkg\nACTIVE=false\n"),
        seed(addOnXml, addOnXmlText),
        seed(addOnXml, "<SimBase.Document><AddOn.Component><Category>SimObjects</Category></AddOn.Component>"
                       "<AddOn.Component><Path>x</Path></AddOn.Component></SimBase.Document>"),
        seed(simObjectsCfg, "[Entry.0]\r\nTitle=Default Airplanes\r\nPath=SimObjects\\Airplanes\r\nRequired=True\r\n"
                            "Active=True\r\n\r\n[Entry.1]\r\nTitle=AI\r\nPath=D:\\AIG\\SimObjects\\AI\r\nActive=TRUE\r\n"
                            "[Entry.2]\r\nPath=SimObjects\\Misc\\\r\nACTIVE=false\r\n[Entry.3]\r\nPath=AI Traffic\r\n"),
        seed(simObjectsCfg, fuzzBytes("\xFF\xFE[\0E\0n\0t\0r\0y\0.\0" "0\0]\0\r\0\n\0P\0a\0t\0h\0=\0X\0")),
        seed(sceneryCfg, "[General]\r\nTitle=Prepar3D Scenery\r\nClean_on_Exit=TRUE\r\n\r\n[Area.001]\r\n"
                         "Title=Default Terrain\r\nLocal=Scenery\\World\r\nLayer=1\r\nActive=TRUE\r\nRequired=TRUE\r\n\r\n"
                         "[Area.002]\r\nTitle=EHAM\r\nLocal=D:\\Addons\\EHAM\\scenery\r\nActive=TRUE\r\n\r\n"
                         "[AREA.003]\r\nLocal=Addon Scenery\r\nActive=FALSE\r\n[area.004]\r\n"
                         "Local=D:\\Prepar3D v5\\Scenery\\0106\r\nActive=true\r\n[Area.005]\r\nLocal=Addon Scenery\\EGLL\r\n"
                         "Active=TRUE\r\n"),
        seed(sceneryCfg, "\xEF\xBB\xBF[Area.1]\nActive=TRUE\nLocal=\nLocal=D:\\Prepar3D v5\\Scenery\nlocal=E:\\\xE9t\xE9\n"),
        seed(sceneryAddOnsXml, "<?xml version=\"1.0\"?>\r\n<SimBase.Document>\r\n<Path>D:\\Addons\\EGLL</Path>\r\n"
                               "<Path>  C:\\X  </Path>\r\n<Path></Path><Path>a</Path><Path>b</Path>\r\n"
                               "</SimBase.Document>\r\n"),
        seed(liveriesScanned, scanned),
        seed(liveriesScanned, "<?xml version=\"1.0\"?>" + meta +
                                  "<liveries><liv airl=\"KLM\" type=\"B738\" title=\"T\" cargo=\"yes\"/><liv airl=\"X\"/>"
                                  "</liveries>"),
        seed(liveriesScanned, meta + "<liveries/>"),
        seed(liveriesScanned, "<liveries><liv airl=\"KLM\" type=\"B738\" title=\"T\"/></liveries>"),
    };
}
