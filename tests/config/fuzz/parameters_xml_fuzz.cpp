// Any bytes as parameters.xml: reading the settings, the version bookkeeping
// that follows (the stored program version, the older settings it carries
// over), the data files' version settings and a save must neither crash nor
// hang; the file is the user's and may hold anything.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "../settings_fixture.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/version_data.h"
#include "fuzz_target.h"
#include "shell/version_update.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// One input in this many also goes through the version bookkeeping, which
// saves the file again (files are slow, under Wine most of all).
constexpr unsigned versionPassEvery = 4;

// The program data folder, and the installation folder as the current
// directory (the version update removes an installer from it).
struct Installation {
    Installation() : cd(folder.path()) { zrb::gf_setProgramDataFolderForTest(folder / "AppData"); }
    zrb::test::TempFolder folder;
    zrb::test::CurrentDirectory cd;
};

// Before any path of the program data folder is taken: never the user's own.
const Installation& lf_installation() {
    static const Installation installation;
    return installation;
}

void lf_write(const std::string& text) {
    (void)lf_installation();
    const fs::path file = zrb::gf_parametersPath();
    fs::remove_all(file.string() + ".bad");
    // A new file rather than a truncated one: truncation flushes to the disk.
    fs::remove(file);
    zrb::test::writeFile(file, text);
}

void lf_read() {
    const zrb::ParameterReadLists& l = zrb::gf_parameterReadLists();
    (void)zrb::gf_readParameters(l.checkBoxes, l.fileInts, l.shownInts, l.fileStrings, l.shownStrings);
}

std::string lf_entry(const std::string& name, const std::string& value) {
    return "<parameter name=\"" + name + "\" value=\"" + value + "\"/>\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static unsigned count = 0;
    zrb::test::resetAllParameters();
    lf_write(std::string(reinterpret_cast<const char*>(data), size));
    lf_read();
    for (const zrb::StringParameter* version : {&zrb::AIG_VERSION, &zrb::DBASE_VERSION, &zrb::PROGRAM_VERSION})
        (void)zrb::VersionData(version->value.get());
    (void)zrb::gf_saveIntParameter(zrb::RANGE);
    if (count++ % versionPassEvery == 0) zrb::gf_copyFilesOnVersionUpdate();
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    using namespace zrb;
    // The file the program writes when there is none: every setting it keeps.
    (void)lf_installation();
    fs::remove(gf_parametersPath());
    test::resetAllParameters();
    lf_read();
    const std::string defaults = test::readFile(gf_parametersPath());

    // Every setting there is, each with a value the reader must bring back
    // into range or take as it stands.
    std::string every = "<?xml version=\"1.0\"?>\n<parameters>\n";
    std::string older = every;
    for (const Parameter* p : gf_allParameters()) {
        if (const auto* b = dynamic_cast<const BoolParameter*>(p)) {
            every += lf_entry(p->name, b->defaultValue ? "false" : "true");
        } else if (const auto* i = dynamic_cast<const IntParameter*>(p)) {
            every += lf_entry(p->name, std::to_string(static_cast<std::int64_t>(i->max) + 1));
            older += lf_entry(p->name, std::to_string(i->min));
        } else if (dynamic_cast<const FloatEditParameter*>(p) != nullptr) {
            every += lf_entry(p->name, "0.25");
        } else if (dynamic_cast<const StringParameter*>(p) != nullptr) {
            every += lf_entry(p->name, "D:\\Prepar3D v5\\SimObjects\\Airplanes");
        }
    }
    every += lf_entry("AIG_VERSION", "1.4.12") + lf_entry("DBASE_VERSION", "{\"major\":2,\"minor\":0,\"patch\":1}") +
             lf_entry("PROGRAM_VERSION", "11-0-1") + lf_entry("BLOCK_CALLSIGN", "KLM1023") +
             lf_entry("DESTINATION", "EHAM") + "</parameters>\n";
    // A file of an older version, with the settings it kept under other names.
    older += lf_entry("PROGRAM_VERSION", "10.2.7") + lf_entry("LATERAL_RANGE", "33") +
             lf_entry("AIRPORT_RANGE", "11") + lf_entry("AUTO_RANGE_ABOVE_HEIGHT", "25000") +
             lf_entry("AIRPORT_HEIGHT", "7000") + lf_entry("CUSTOM_MAX_PARK", "-1") + lf_entry("MAX_LIVE", "60") +
             "</parameters>\n";
    fs::remove(gf_parametersPath());
    return {
        defaults,
        every,
        older,
        "<parameters>" + lf_entry("PROGRAM_VERSION", "99999999999.1.2") + lf_entry("AIG_VERSION", "{\"major\":1e99}") +
            lf_entry("DBASE_VERSION", std::string(300, '1') + ".0.0") + "</parameters>",
        "<?xml version=\"1.0\"?>\n<parameters>\n<parameter name=\"RANGE\" value=\"25\"/>\n"
        "<parameter name=\"LOG\" value=\"false\"/>\n<parameter name=\"DESTINATION\" value=\"EHAM\"/>\n</parameters>\n",
        "<parameters><parameter name=\"RANGE\" value=\"99999999999\"/><parameter name=\"RANGE\"/></parameters>",
        "<other/>",
        "<parameters><parameter name=\"x']|//*[@name='\" value=\"1\"/></parameters>",
        "",
        "\xEF\xBB\xBF<parameters/>",
        std::string(200, '<'),
    };
}
