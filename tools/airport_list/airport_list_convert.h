#pragma once
// Converts the OpenFlights airport data (a JSON array of airports with "icao",
// "iata", "latitude", "longitude" and "altitude" in feet) into the program's
// airport list: <airports><airport code iata lat lon alt/>...</airports>.
// Only airports with a four-character ICAO code are taken; an IATA code that
// is not three characters ("\N", empty) is left out.

#include <cstddef>
#include <string>
#include <string_view>

namespace zrb::tools {

struct AirportListResult {
    std::string xml;
    std::size_t taken = 0;
    std::size_t skipped = 0;  // without a usable ICAO code or position
};

// Throws nlohmann::json's errors for text that is not such an array.
AirportListResult gf_convertAirportData(std::string_view json);

}  // namespace zrb::tools
