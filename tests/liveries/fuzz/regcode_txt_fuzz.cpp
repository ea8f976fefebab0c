// The user's registration-code text files over any bytes: never a crash, and
// every entry kept is one the matcher can use as it stands.

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "foundation/text_file.h"
#include "fuzz_target.h"
#include "liveries/regcode_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    std::vector<std::string> lines;
    zrb::gf_readLines(in, lines);
    zrb::RegcodeEntries entries;
    const bool ok = zrb::gf_parseRegcodeLines(lines, "fuzz.txt", entries);
    if (entries.size() > lines.size()) std::abort();
    for (const zrb::RegcodeEntry& entry : entries) {
        if (entry.registrations.empty() && (entry.title.empty() || entry.special)) std::abort();
        for (const std::string& registration : entry.registrations)
            if (registration.size() < zrb::g_minRegcodeLength || registration.size() > zrb::g_maxRegcodeLength)
                std::abort();
    }
    (void)ok;
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    return {
        "Title One;D-ABCD\r\nTitle Two;D-ABCD,D-ABCE;#\nDont use me\n\n",
        "a;b;c;d\nT;AB,CD\nT;ABCDEFGHIJKLM\n;;\n;\n",
        "T;A,B,,C,D-ABCD ; # \n\xEF\xBB\xBFT2;G-ABCD\n",
    };
}
