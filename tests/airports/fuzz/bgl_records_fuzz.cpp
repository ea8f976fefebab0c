// Any bytes as a BGL scenery file: the pre-test and the airport-record walk
// must neither crash, hang nor allocate by a count the file gives; a damaged
// structure ends the walk with BglFormatError alone, and every airport handed
// over holds sound stands. A share of the inputs is also read from a file, as
// the scan reads them (BglDiskFile), with the same results.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "airports/bgl_file.h"
#include "bgl_builder.h"
#include "fuzz_target.h"
#include "support/temp_folder.h"

namespace {

void lf_check(bool sound) {
    if (!sound) std::abort();
}

void lf_checkAirport(const zrb::BglAirport& airport) {
    lf_check(airport.ident.size() == 4);
    lf_check(airport.altitudeFt >= -1500 && airport.altitudeFt <= 10000);
    lf_check(airport.name.size() <= 3 * 45);
    std::set<std::string> ids;
    for (const auto& stand : airport.stands) {
        lf_check(ids.insert(stand.id).second);
        lf_check(std::isfinite(stand.lat) && std::abs(stand.lat) <= 90.0);
        lf_check(std::isfinite(stand.lon) && std::abs(stand.lon) <= 180.0);
        lf_check(std::isfinite(stand.heading) && std::isfinite(stand.radius) && stand.radius >= 0.0);
        lf_check(stand.suffixed == 0);
    }
}

// One input in this many also goes through a file (files are slow, under Wine
// most of all); the reads from a file have few paths of their own.
constexpr unsigned filePassEvery = 64;

struct Walk {
    bool hasAirportSection = false;
    std::vector<std::string> idents;
    bool damaged = false;
};

Walk lf_walk(zrb::BglBytes& file) {
    Walk walk;
    walk.hasAirportSection = zrb::gf_hasAirportSection(file);
    try {
        zrb::gf_readBglAirports(file, "fuzz.bgl", [&](zrb::BglAirport&& airport) {
            lf_checkAirport(airport);
            walk.idents.push_back(airport.ident);
        });
    } catch (const zrb::BglFormatError&) {
        // A damaged structure: the scan reports it and goes on with the next file.
        walk.damaged = true;
    }
    return walk;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const zrb::test::TempFolder folder;
    static unsigned count = 0;
    zrb::BglMemory memory({data, size});
    const Walk fromMemory = lf_walk(memory);
    if (count++ % filePassEvery != 0) return 0;
    const std::filesystem::path path = folder / "fuzz.bgl";
    // A new file rather than a truncated one: truncation flushes to the disk.
    std::filesystem::remove(path);
    zrb::test::writeFile(path, std::string(reinterpret_cast<const char*>(data), size));
    lf_check(zrb::gf_hasAirportSection(path) == fromMemory.hasAirportSection);
    zrb::BglDiskFile disk(path);
    const Walk fromDisk = lf_walk(disk);
    lf_check(fromDisk.hasAirportSection == fromMemory.hasAirportSection && fromDisk.idents == fromMemory.idents &&
             fromDisk.damaged == fromMemory.damaged);
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    using namespace zrb::test;
    const std::vector<BglParking> spots{{10, 2, 12, 15.0F}, {10, 2, 12, 25.0F, 0.0F}, {10, 2, 12, 20.0F},
                                        {12, 5, 3, 30.0F, 45.0F, 51.5, 7.1, 2}, {0, 9, 7, 1.0F}};
    const Bytes full = BglAirportRecord("EGLL")
                           .altitudeMm(3048001)
                           .name("Test Apt")
                           .helipad({51.47, -0.45})
                           .helipad({51.47, -0.45})
                           .parking(spots)
                           .bytes();
    const Bytes v2 = BglAirportRecord("EHAM", true).name("Schiphol").helipad({0.0, 0.0}).parking(spots).bytes();
    const Bytes other = bglRecord(0x22, Bytes(14, '\x01'));
    return {
        bglAirportFile({full}),
        bglAirportFile({other, v2, full}),
        bglFile({BglSection{3, 0, {full, v2}}, BglSection{0x25, 0, {other}}, BglSection{3, 0, {v2}}}),
        bglAirportFile({BglAirportRecord("EGKK").parking(spots, 9).bytes()}),
        bglAirportFile({BglAirportRecord("EGL").bytes(), bglRecord(0x3C, "", 0)}),
    };
}
