// The database reader over any text: never a crash; a failure is one of its
// own errors and leaves the tables empty.

#include <cstdlib>
#include <stdexcept>

#include <pugixml.hpp>

#include "../data_file_writer.h"
#include "foundation/user_error.h"
#include "fuzz_target.h"
#include "liveries/dbase.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    pugi::xml_document doc;
    if (!doc.load_buffer(data, size)) return 0;
    try {
        zrb::gf_readDbaseDocument(doc);
    } catch (const zrb::UserErrorException&) {
        if (!zrb::g_dbaseKnownTypes.empty() || !zrb::g_dbaseRecords.empty()) std::abort();
        return 0;
    }
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    for (const auto& type : zrb::g_dbaseKnownTypes) {
        const double span = zrb::gf_wingspan(type);
        if (!(span >= 0.0)) std::abort();  // never negative, never NaN
        (void)zrb::gf_typeCategory(type);
    }
    (void)zrb::gf_dbaseRegInText(text);
    for (const auto& [registration, record] : zrb::g_dbaseRecords)
        if (!registration.empty() && !zrb::gf_findDbaseRecord(registration)) std::abort();
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    std::vector<std::string> seeds{
        zrb::test::readFile(zrb::test::testDataPath("dbase_sample.xml")),
        "<aircrafts><aircraft types=\" B738 , A320 ,,\"/></aircrafts>",
        "<wingspans><wingspan type=\"B738\" meters=\"-1e308\"/></wingspans>",
    };
    return seeds;
}
