// tlv-demo-liveries FOLDER COUNT [--titles FILE]
// Writes COUNT generated AI liveries into FOLDER (a SimObjects folder that
// simobjects.cfg lists); FOLDER's earlier content is replaced. With --titles
// it also writes the titles, one a line.
#include "demo/demo_liveries.h"

#include <charconv>
#include <exception>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t maxCount = 1'000'000;

int lf_usage() {
    std::cerr << "usage: tlv-demo-liveries FOLDER COUNT [--titles FILE]\n";
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3 && argc != 5) return lf_usage();
    const std::string_view countText = argv[2];
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(countText.data(), countText.data() + countText.size(), count);
    if (error != std::errc() || end != countText.data() + countText.size() || count > maxCount) return lf_usage();
    if (argc == 5 && std::string_view(argv[3]) != "--titles") return lf_usage();
    try {
        zrb::demo::gf_writeDemoSimObjects(argv[1], count);
        if (argc == 5) {
            std::ofstream titles(argv[4], std::ios::binary | std::ios::trunc);
            for (const zrb::demo::DemoLivery& livery : zrb::demo::gf_demoLiveries(count)) titles << livery.title << '\n';
            titles.close();
            if (!titles) throw std::runtime_error(std::string("cannot write ") + argv[4]);
        }
    } catch (const std::exception& e) {
        std::cerr << "tlv-demo-liveries: " << e.what() << '\n';
        return 1;
    }
    std::cout << "wrote " << count << " liveries into " << argv[1] << '\n';
    return 0;
}
