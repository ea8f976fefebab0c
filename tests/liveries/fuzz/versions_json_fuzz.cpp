// Any bytes as versions.json from the download site: reading the versions it
// offers must neither crash nor hang.
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz_target.h"
#include "liveries/data_file_updates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    (void)zrb::gf_readOfferedVersions(in);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    return {
        R"({"aig":{"major":1,"minor":4,"patch":12},"dbase":{"major":2,"minor":0,"patch":0}})",
        R"({"aig":{"major":4294967296,"minor":-1,"patch":1.5},"dbase":"2.0.0"})",
        R"([{"aig":1}])",
        std::string(1000, '[') + std::string(1000, ']'),
        "",
    };
}
