// Choosing and watching the park airport as the user flies, and the Re-read
// of the list.
#include "airports/park_airport_choice.h"

#include <algorithm>
#include <cmath>

#include <fmt/format.h>

#include "airports/park_airport_file.h"
#include "airports/parking_controls.h"
#include "airports/static_parking_plan.h"
#include "config/parameters.h"
#include "feed/feed_shared.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "foundation/time.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "simlink/sim_state.h"
#include "simlink/user_stand.h"
#include "traffic/traffic_lists.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_manager.h"

namespace zrb {

namespace {

constexpr double noPositionDeg = 0.0001;
constexpr double movedDeg = 1e-8;

// Worker thread.
bool g_staticParkingRequested = false;
LatLon g_lastListRefreshPos{0.0, 0.0};
// An airport whose file could not be loaded is not chosen again (each try
// would lock the controls and may download the file anew) until the user
// re-reads the list, another airport is chosen or a new run starts.
std::string g_passedOverAirport;

LatLon lf_userPosition() { return LatLon{g_userAcCopy.lat, g_userAcCopy.lon}; }

bool lf_inSight(double distanceNm) {
    return distanceNm <= static_cast<double>(AIRP_RANGE.value) &&
           g_userAcCopy.altitudeAglFt <= static_cast<double>(AIRP_HEIGHT.value);
}

AirportData lf_parkAirportData(const CurrentParkAirportData& park) {
    return AirportData{park.icao, park.secondCode, park.lat, park.lon, park.elevation};
}

bool lf_setParkAirport(const std::string& icao) {
    const auto airport = gf_findAirport(icao);
    if (!airport) return false;
    gf_setCurrentParkAirport(
        CurrentParkAirportData{airport->icao, airport->iata, airport->lat, airport->lon, airport->elevationFt});
    if (airport->icao != g_passedOverAirport) g_passedOverAirport.clear();
    gf_logLine("\nThe park airport is {}", gf_airportLabel(*airport));
    return true;
}

void lf_showCalculating() {
    gf_lockUi();
    g_collectFeedIds = true;
}

// The next check loads the park airport's file and plans; a file of the
// download site is asked for now, so that it is there by then.
void lf_requestStaticParking() {
    g_staticParkingRequested = true;
    lf_showCalculating();
    const std::optional<std::string> path = lf_findApf(gf_currentParkAirport().icao);
    if (path && !path->empty() && !gf_isLocalApfPath(*path)) (void)lf_askForArchiveFile(*path);
}

void lf_loadAndPlan() {
    const std::optional<std::string> error = lf_readParkedFile();
    if (!error) {
        // Its file is asked for: the check after it came loads it.
        g_staticParkingRequested = true;
        lf_showCalculating();
    } else if (error->empty()) {
        gf_calcStaticParking();
    } else {
        gf_showMessage(*error, true);
        g_passedOverAirport = gf_currentParkAirport().icao;
        lf_resetParkAirport();
        gf_unlockUi();
    }
    gf_enableParkingControl(DESTINATION, true);
}

void lf_startStaticParking(bool now) {
    if (!now) {
        lf_requestStaticParking();
        return;
    }
    g_staticParkingRequested = false;
    lf_loadAndPlan();
}

void lf_refreshDistances(const LatLon& user) {
    const auto distanceTo = [&user](const ParkAirport& p) { return gf_distanceNm(user, LatLon{p.lat, p.lon}); };
    const bool moved =
        std::abs(user.lat - g_lastListRefreshPos.lat) >= movedDeg || std::abs(user.lon - g_lastListRefreshPos.lon) >= movedDeg;
    if (moved) g_lastListRefreshPos = user;
    if (moved && DESTINATION.value.empty()) {
        for (ParkAirport& p : ParkAirportList) p.distanceNm = distanceTo(p);
        std::stable_sort(ParkAirportList.begin(), ParkAirportList.end(),
                         [](const ParkAirport& a, const ParkAirport& b) { return a.distanceNm < b.distanceNm; });
        return;
    }
    // The destination keeps its place in front; its distance decides when a
    // park airport is left for it.
    ParkAirportList.front().distanceNm = distanceTo(ParkAirportList.front());
}

void lf_findParkAirport(const LatLon& user, bool now) {
    if (g_userOnGround) {
        // The download site's answers are read at a later check.
        bool onItsWay = false;
        const auto airport = gf_closestAirport(user.lat, user.lon, &onItsWay);
        if (onItsWay) return;
        if (!airport) {
            gf_showMessage("User aircraft on the ground, no airport in sight", true);
            return;
        }
        if (airport->icao == g_passedOverAirport) return;
        const ArchiveAnswer file = gf_airportFileAvailable(airport->icao);
        if (file == ArchiveAnswer::onItsWay) return;
        if (file == ArchiveAnswer::no) {
            gf_showMessage(fmt::format("User aircraft on the ground at {}{}", airport->icao, ", no airport file found"),
                           true);
            return;
        }
        gf_logLine("User aircraft on the ground at {}", airport->icao);
        if (lf_setParkAirport(airport->icao)) lf_startStaticParking(now);
        return;
    }
    gf_enableParkingControl(DESTINATION, true);
    if (ParkAirportList.empty()) return;
    const ParkAirport front = ParkAirportList.front();
    if (front.icao == g_passedOverAirport) return;
    const double d = gf_distanceNm(user, LatLon{front.lat, front.lon});
    if (lf_inSight(d) && lf_setParkAirport(front.icao)) {
        gf_showMessage(fmt::format("{} in sight at {:.1F} nm", front.icao, d), true);
        lf_requestStaticParking();
    }
}

// In the air only: the park airport is left when it is out of sight, or when
// the front entry of the list is in sight and at least as near.
void lf_checkParkAirportSight(const LatLon& user) {
    if (g_userOnGround) return;
    const CurrentParkAirportData park = gf_currentParkAirport();
    const double d = gf_distanceNm(user, LatLon{park.lat, park.lon});
    if (lf_inSight(d)) {
        if (ParkAirportList.empty()) return;
        const ParkAirport& front = ParkAirportList.front();
        if (front.icao == park.icao || front.icao == g_passedOverAirport) return;
        if (lf_inSight(front.distanceNm) && front.distanceNm <= d) {
            gf_logLine("\n{} {} is in sight ({:.1F} nm), parked aircraft at {} will be removed first", gf_dataTimeStamp(),
                       front.icao, front.distanceNm, gf_airportLabel(lf_parkAirportData(park)));
            gf_clearParkAirportTraffic();
        }
        return;
    }
    gf_logLine("\n{} {} is out of sight ({:.1F} nm), parked aircraft will be removed", gf_dataTimeStamp(),
               gf_airportLabel(lf_parkAirportData(park)), d);
    gf_clearParkAirportTraffic();
}

// A list just read is in the file's order, which is no order of ours: it is
// put in the order the 16-second check keeps (the destination first, else the
// nearest first), so that its front is again the entry of the park airport.
void lf_orderReadList() {
    g_lastListRefreshPos = LatLon{0.0, 0.0};
    const std::string destination = DESTINATION.value;
    if (!destination.empty()) {
        if (const auto airport = gf_findAirport(destination)) gf_setFirstParkAirport(airport->icao, airport->lat, airport->lon);
    }
    gf_serveFirstParkAirportRequests();
    const LatLon user = lf_userPosition();
    const bool noPosition = std::abs(user.lat) <= noPositionDeg && std::abs(user.lon) <= noPositionDeg;
    if (!ParkAirportList.empty() && !noPosition) lf_refreshDistances(user);
}

}  // namespace

void gf_checkStaticParking(bool now) {
    gf_serveFirstParkAirportRequests();
    if (gf_staticParkingComputing() && PendingParkingList.empty()) {
        // The manager has created the whole plan.
        gf_unlockUi();
        gf_clearMessage();
        gf_countStaticParked(true);
        gf_countLiveParked(true);
    }
    if (g_staticParkingRequested) {
        gf_clearMessage();
        g_staticParkingRequested = false;
        lf_loadAndPlan();
        return;
    }
    const LatLon user = lf_userPosition();
    if (std::abs(user.lat) <= noPositionDeg && std::abs(user.lon) <= noPositionDeg) return;
    if (!ParkAirportList.empty()) lf_refreshDistances(user);
    if (!gf_parkAirportIsSet())
        lf_findParkAirport(user, now);
    else
        lf_checkParkAirportSight(user);
}

bool gf_reloadParkAirports(bool check, std::string& message) {
    // A re-read asks the archive afresh, as it tries a passed-over airport again.
    gf_forgetArchiveProbes();
    if (!lf_readMyParkAirports()) return false;
    g_passedOverAirport.clear();
    lf_orderReadList();
    const CurrentParkAirportData park = gf_currentParkAirport();
    if (check && g_userDataValid && !gf_staticParkingComputing() && !ParkAirportList.empty() && !park.icao.empty() &&
        ParkAirportList.front().icao == park.icao && gf_getCurrentUserStand().empty()) {
        const std::string next = ParkAirportList.front().reservedStand;
        const std::string old = gf_reservedStand();
        if (!next.empty() && next != old) {
            message = fmt::format("reserved stand changed from '{}' to '{}'", old, next);
            if (!old.empty()) {
                if (const auto it = gf_findStandByName(old); it != StandTable.end()) it->excluded = 0;
            }
            gf_setReservedStand(next);
            gf_clearReservedStand();
            const auto it = gf_findStandByName(next);
            if (it != StandTable.end()) it->excluded = 1;
            g_mainWindowState.reservedStandFound = it != StandTable.end();
            gf_invalidateBand(g_lowerBand);
        }
    }
    if (message.empty()) message = "park airports and stands are okay";
    return true;
}

void gf_resetParkAirportChoice() {
    g_staticParkingRequested = false;
    g_lastListRefreshPos = LatLon{0.0, 0.0};
    g_passedOverAirport.clear();
    g_softLearningAllowed = true;
    gf_dropFirstParkAirportRequests();
}

}  // namespace zrb
