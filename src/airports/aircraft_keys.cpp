#include "airports/aircraft_keys.h"

#include <fmt/format.h>

namespace zrb {

namespace {

constexpr std::size_t maxCallsignLength = 8;
constexpr std::string_view noCallsign = "@@@@@@@@";
constexpr std::size_t airlineCodeLength = 3;

bool lf_isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool lf_isDigit(char c) { return c >= '0' && c <= '9'; }
char lf_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

}  // namespace

std::string gf_airlineTypeKey(const AcIdentityRecord& aircraft) {
    return fmt::format("{:3} {:4}", aircraft.airline, aircraft.type);
}

std::string gf_routeText(std::string_view departure, std::string_view destination) {
    if (departure.empty() && destination.empty()) return std::string(8, ' ');
    return fmt::format("{:3}->{:3}", departure, destination);
}

std::string gf_routeCallsignReg(const AcIdentityRecord& aircraft) {
    return fmt::format("{:8} {:8} {}", aircraft.callsign, aircraft.registration,
                       gf_routeText(aircraft.departure, aircraft.destination));
}

std::string gf_acLogKey(const AcIdentityRecord& aircraft) {
    return fmt::format("{} {}", gf_routeCallsignReg(aircraft), gf_airlineTypeKey(aircraft));
}

std::string gf_liveAcLogKey(const AcIdentityRecord& aircraft) { return gf_acLogKey(aircraft); }

std::string gf_callsignRegKey(const AcIdentityRecord& aircraft) {
    return fmt::format("{:8} {} {}", aircraft.callsign, aircraft.registration, gf_airlineTypeKey(aircraft));
}

std::string gf_airlineTypeRegKey(const AcIdentityRecord& aircraft) {
    return gf_airlineTypeKey(aircraft) + " " + aircraft.registration;
}

bool gf_sameAirlineType(const AcIdentityRecord& a, const AcIdentityRecord& b) {
    return a.airline == b.airline && a.type == b.type;
}

bool gf_hasValidCallsign(const AcIdentityRecord& aircraft) {
    const auto& callsign = aircraft.callsign;
    return !callsign.empty() && callsign.size() <= maxCallsignLength && callsign != noCallsign;
}

std::optional<std::string> lf_splitCallsign(std::string_view callsign) {
    if (callsign.size() < airlineCodeLength + 1) return std::nullopt;
    if (!lf_isLetter(callsign[0]) || !lf_isLetter(callsign[1]) || !lf_isLetter(callsign[2]) ||
        !lf_isDigit(callsign[3]))
        return std::nullopt;
    std::string code(callsign.substr(0, airlineCodeLength));
    for (char& c : code) c = lf_upper(c);
    return code;
}

bool gf_airlineFromCallsign(AcIdentityRecord& aircraft) {
    auto code = lf_splitCallsign(aircraft.callsign);
    if (!code) return false;
    aircraft.airline = std::move(*code);
    return true;
}

}  // namespace zrb
