// Any bytes as parameters.xml: reading the settings (and saving one) must
// neither crash nor hang; the file is the user's and may hold anything.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "fuzz_target.h"
#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zrb::test::TempFolder folder;
    static const bool prepared = [] {
        zrb::gf_setProgramDataFolderForTest(folder.path());
        return true;
    }();
    (void)prepared;
    const std::filesystem::path file = zrb::gf_parametersPath();
    std::filesystem::remove_all(file.string() + ".bad");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const zrb::ParameterReadLists& l = zrb::gf_parameterReadLists();
    (void)zrb::gf_readParameters(l.checkBoxes, l.fileInts, l.shownInts, l.fileStrings, l.shownStrings);
    (void)zrb::gf_saveIntParameter(zrb::RANGE);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    return {
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
