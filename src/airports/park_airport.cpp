#include "airports/park_airport.h"

#include "feed/feed_shared.h"

namespace zrb {

std::mutex g_parkAirportMutex;
CurrentParkAirportData CurrentParkAirport;
std::string ReservedStand;

CurrentParkAirportData gf_currentParkAirport() {
    std::lock_guard lock(g_parkAirportMutex);
    return CurrentParkAirport;
}

std::string gf_reservedStand() {
    std::lock_guard lock(g_parkAirportMutex);
    return ReservedStand;
}

bool gf_parkAirportIsSet() {
    std::lock_guard lock(g_parkAirportMutex);
    return !CurrentParkAirport.icao.empty();
}

void gf_setCurrentParkAirport(const CurrentParkAirportData& airport) {
    {
        std::lock_guard lock(g_parkAirportMutex);
        CurrentParkAirport = airport;
    }
    // The feed's ground decision measures live altitudes from the park
    // airport's elevation; without one it would take -1000 ft.
    if (airport.icao.empty())
        g_referenceElevation.reset();
    else
        g_referenceElevation = airport.elevation;
}

void gf_clearCurrentParkAirport() {
    {
        std::lock_guard lock(g_parkAirportMutex);
        CurrentParkAirport = CurrentParkAirportData{};
    }
    g_referenceElevation.reset();
}

void gf_setReservedStand(const std::string& stand) {
    std::lock_guard lock(g_parkAirportMutex);
    ReservedStand = stand;
}

}  // namespace zrb
