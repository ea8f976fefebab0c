#include "traffic/ai_aircraft.h"

#include <stdexcept>
#include <string_view>
#include <unordered_map>

namespace zrb {

namespace {

constexpr const char* missingKeyText = "invalid unordered_map<K, T> key";

using NameTable = std::unordered_map<std::uint32_t, std::string_view>;
using ValueTable = std::unordered_map<std::uint32_t, double>;

template <typename Table>
auto lf_lookUp(const Table& table, std::uint32_t key) {
    const auto found = table.find(key);
    if (found == table.end()) throw std::out_of_range(missingKeyText);
    return found->second;
}

}  // namespace

LiveAc::LiveAc(const PosSample& first, const AcIdentity& source, double feedTimeS) : feedTime(feedTimeS) {
    lf_copyIdentity(*this, source);
    samples.push_back(first);
}

AiAc gf_initStaticAc(const AcIdentity& source, std::uint32_t standId, double lat, double lon, double heading,
                     std::uint32_t cargo) {
    AiAc aircraft;
    lf_copyIdentity(aircraft, source);
    aircraft.standId = standId;
    aircraft.lat = lat;
    aircraft.lon = lon;
    aircraft.heading = heading;
    aircraft.standCargo = cargo;
    return aircraft;
}

void lf_copyIdentity(AcIdentity& to, const AcIdentity& from) { to = from; }

std::string_view gf_liveStateName(std::uint32_t state) {
    static const NameTable names{{0, "buffer"}, {1, "adding2sim"}, {2, "active"}, {3, "liveryrespawn"},
                                 {4, "removingfromsim"}};
    return lf_lookUp(names, state);
}

std::string_view gf_phaseName(std::uint32_t st) {
    static const NameTable names{{0, "pushing_back"}, {1, "pushed_back"}, {2, "taxi"},   {3, "take_off"},
                                 {4, "flying"},       {5, "parking"},     {6, "parked"}, {7, "birth"}};
    return lf_lookUp(names, st);
}

double gf_maxSpeedChange(std::uint32_t category) {
    static const ValueTable knotsPerPass{{0, 0.5}, {1, 0.75}, {2, 0.6}, {3, 0.5}, {4, 1.0}, {5, 0.75}};
    return lf_lookUp(knotsPerPass, category);
}

double gf_standApproachSpeed(std::uint32_t category) {
    static const ValueTable knots{{0, 5.0}, {1, 4.5}, {2, 4.0}, {3, 3.0}, {4, 4.5}, {5, 5.0}};
    return lf_lookUp(knots, category);
}

void gf_setPhase(LiveAc& aircraft, MovementState st) {
    if (aircraft.st == st) return;
    aircraft.prevSt = aircraft.st;
    aircraft.st = st;
}

}  // namespace zrb
