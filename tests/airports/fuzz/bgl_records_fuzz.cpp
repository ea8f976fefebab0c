// Any bytes as a BGL scenery file: the pre-test and the airport-record walk
// must neither crash, hang nor allocate by a count the file gives; a damaged
// structure ends the walk with BglFormatError alone, and every airport handed
// over holds sound stands.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "airports/bgl_file.h"
#include "bgl_builder.h"
#include "fuzz_target.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zrb::BglMemory file({data, size});
    (void)zrb::gf_hasAirportSection(file);
    try {
        zrb::gf_readBglAirports(file, "fuzz.bgl", [](zrb::BglAirport&& airport) { lf_checkAirport(airport); });
    } catch (const zrb::BglFormatError&) {
        // A damaged structure: the scan reports it and goes on with the next file.
    }
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
