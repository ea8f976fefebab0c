// tlv-airport-list <airports.json> <airports_p3d.xml>
// Writes the program's airport list from the OpenFlights airport data.
#include <cstdio>
#include <exception>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

#include "airport_list/airport_list_convert.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tlv-airport-list <airports.json> <airports_p3d.xml>\n");
        return 2;
    }
    try {
        std::ifstream in(argv[1], std::ios::binary);
        if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
        std::ostringstream text;
        text << in.rdbuf();
        const auto result = zrb::tools::gf_convertAirportData(text.str());
        std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
        out << result.xml;
        if (!out) throw std::runtime_error(std::string("cannot write ") + argv[2]);
        std::printf("%zu airports written, %zu without ICAO code or position left out\n", result.taken, result.skipped);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tlv-airport-list: %s\n", e.what());
        return 1;
    }
}
