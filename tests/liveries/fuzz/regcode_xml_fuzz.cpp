// The shipped registration-code file over any text: never a crash, no empty
// registration kept, and no element kept right after one of the same title.

#include <cstdlib>
#include <string>
#include <vector>

#include <pugixml.hpp>

#include "fuzz_target.h"
#include "liveries/regcode_files.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size)) return 0;
    zrb::RegcodeEntries entries;
    (void)zrb::gf_readAigRegcodesDocument(doc, entries);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (i > 0 && entries[i].title == entries[i - 1].title) std::abort();
        for (const std::string& registration : entries[i].registrations)
            if (registration.empty()) std::abort();
    }
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    return {
        "<AIG-regcodes><livery title=\"A\" reg=\"D-AAAA,D-AAAB\" special=\"true\"/>"
        "<livery title=\"A\" reg=\"X\"/><livery title=\"B\"/><livery title=\"C\" reg=\" , ,\"/></AIG-regcodes>",
        "<?xml version=\"1.0\"?><AIG-regcodes><livery/><livery title=\"\" reg=\"\"/></AIG-regcodes>",
        "<AIG-regcodes><livery title=\"&amp;&#x41;\" reg=\"&#44;&#44;R\" special=\"1\"/></AIG-regcodes>",
    };
}
