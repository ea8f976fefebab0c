// Any bytes as a text file made by a user or an add-on: telling its charset
// and reading its lines in it must neither crash nor hang.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "foundation/text_file.h"
#include "fuzz_target.h"
#include "support/temp_folder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zrb::test::TempFolder folder;
    const std::filesystem::path file = folder / "aircraft.cfg";
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::vector<std::string> lines;
    (void)zrb::gf_readExtTextFileToStringVector(file, lines);
    (void)zrb::gf_isUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    return {
        "[fltsim.0]\r\ntitle=Airbus A320 Swiss\r\natc_id=HB-JLT\r\n",
        "\xEF\xBB\xBF[General]\natc_model=A320\n",
        fuzzBytes("\xFF\xFE[\0G\0e\0n\0]\0\r\0\n\0"),
        fuzzBytes("\xFE\xFF\0[\0G\0e\0n\0]"),
        "caf\xE9 \x80 \xC3\xA9 \xF0\x9F\x98\x80 \xED\xA0\x80",
        fuzzBytes("\xFF\xFE\x00\xD8\x00\xDC"),
        "",
    };
}
