// tlv-demo-airport SITEFOLDER INSTALLFOLDER LIVERYCOUNT DESCRIPTIONFILE
// Writes the demo's Schiphol: the stock archive parking file below
// SITEFOLDER, the learned file of an earlier session (for the weekday and
// half-hour of now) below INSTALLFOLDER, and DESCRIPTIONFILE, a JSON file of
// its runways, stands and the user's stand for the demo's report. Prints the
// user's stand as "user LAT LON HEADING".
#include "demo/demo_airport.h"

#include <charconv>
#include <cstdio>
#include <ctime>
#include <exception>
#include <fstream>
#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

namespace {

void lf_writeDescription(const std::filesystem::path& file) {
    using zrb::demo::DemoRunway;
    nlohmann::json stands = nlohmann::json::array();
    for (const zrb::demo::DemoStand& s : zrb::demo::gf_schipholStands())
        stands.push_back({{"id", s.id}, {"lat", s.lat}, {"lon", s.lon}, {"heading", s.headingDeg},
                          {"radiusM", s.radiusM}, {"cargo", s.cargo}});
    nlohmann::json runways = nlohmann::json::array();
    for (const auto& [from, to] : {std::pair{"06", "24"}, {"18C", "36C"}, {"09", "27"}, {"18L", "36R"}}) {
        const DemoRunway& a = zrb::demo::gf_schipholRunway(from);
        const DemoRunway& b = zrb::demo::gf_schipholRunway(to);
        runways.push_back({{"name", std::string(from) + "/" + to},
                           {"lat1", a.lat}, {"lon1", a.lon}, {"lat2", b.lat}, {"lon2", b.lon}});
    }
    const zrb::demo::DemoStand& user = zrb::demo::gf_demoUserStand();
    const nlohmann::json description = {
        {"airport", "EHAM"},
        {"elevationFt", zrb::demo::g_schipholElevationFt},
        {"user", {{"stand", user.id}, {"lat", user.lat}, {"lon", user.lon}, {"heading", user.headingDeg}}},
        {"stands", stands},
        {"runways", runways}};
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << description.dump(1) << '\n';
    out.close();
    if (!out) throw std::runtime_error("cannot write " + file.string());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: tlv-demo-airport SITEFOLDER INSTALLFOLDER LIVERYCOUNT DESCRIPTIONFILE\n");
        return 2;
    }
    const std::string_view countText = argv[3];
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
    if (error != std::errc() || end != countText.data() + countText.size()) {
        std::fprintf(stderr, "tlv-demo-airport: LIVERYCOUNT must be a number\n");
        return 2;
    }
    try {
        zrb::demo::gf_writeSchipholFiles(argv[1], argv[2], std::time(nullptr), count);
        lf_writeDescription(argv[4]);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlv-demo-airport: %s\n", e.what());
        return 1;
    }
    const zrb::demo::DemoStand& user = zrb::demo::gf_demoUserStand();
    std::printf("user %.6f %.6f %.1f\n", user.lat, user.lon, user.headingDeg);
    return 0;
}
