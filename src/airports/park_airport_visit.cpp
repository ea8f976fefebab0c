// Arriving at the park airport (its file loaded, the user's stand taken into
// the list) and leaving it (learned file saved, its traffic removed).
#include <algorithm>

#include <fmt/format.h>

#include "airports/park_airport_choice.h"
#include "airports/parking_adjustments.h"
#include "airports/parking_controls.h"
#include "airports/static_parking_plan.h"
#include "config/parameter_controls.h"
#include "config/parameters.h"
#include "feed/feed_shared.h"
#include "shell/common/main_window_state.h"
#include "simlink/sim_state.h"
#include "traffic/traffic_lists.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_manager.h"

namespace zrb {

std::string g_parkAirportSourcePath;

namespace {

constexpr std::string_view functionName = "lf_readParkedFile";
// The path of the park airport's file while the download site's answer is on
// its way: the check that reads the answer reads that path, and a failed
// download says so instead of the file being looked for anew. Worker thread.
std::string g_awaitedPath;
constexpr std::string_view unknownPublisher = "unknown";
constexpr std::int32_t softLearningQuality = 45;
constexpr std::size_t softLearningStands = 20;

// A well-learned airport learns real stays only.
void lf_setSoftLearning(QualityFactors qf) {
    if (gf_qfReal(qf) < softLearningQuality || StandTable.size() < softLearningStands) {
        g_softLearningAllowed = true;
        gf_enableParkingControl(LEARN_SOFT, true);
        return;
    }
    g_softLearningAllowed = false;
    if (!LEARN_SOFT.value) return;
    LEARN_SOFT.value = false;
    gf_setCheckBox(LEARN_SOFT);
    gf_enableParkingControl(LEARN_SOFT, false);
    g_learnSoftAutoOff = true;
}

// The stand the user stands on becomes the front entry's (a new front entry
// for an airport that was not in front).
void lf_takeUserStand(const CurrentParkAirportData& park) {
    if (!g_userDataValid) return;
    const std::string stand = gf_getUserStand(LatLon{g_userAcCopy.lat, g_userAcCopy.lon});
    if (ParkAirportList.empty() || ParkAirportList.front().icao != park.icao) {
        ParkAirportList.insert(ParkAirportList.begin(), ParkAirport{park.icao, stand, park.lat, park.lon, 0.0});
        gf_writeMyParkAirports();
    } else if (!stand.empty() && stand != ParkAirportList.front().reservedStand) {
        ParkAirportList.front().reservedStand = stand;
        gf_writeMyParkAirports();
    }
}

void lf_takeReservedStand(const CurrentParkAirportData& park) {
    if (ParkAirportList.empty() || ParkAirportList.front().icao != park.icao ||
        ParkAirportList.front().reservedStand.empty()) {
        gf_setReservedStand("");
        return;
    }
    // A name the airport's file does not know stays, so that the display can
    // show it in red; it keeps nothing free.
    const std::string& name = ParkAirportList.front().reservedStand;
    gf_setReservedStand(name);
    g_mainWindowState.reservedStandFound = gf_findStandByName(name) != StandTable.end();
}

}  // namespace

std::optional<std::string> lf_readParkedFile() {
    const CurrentParkAirportData park = gf_currentParkAirport();
    const std::optional<std::string> found = g_awaitedPath.empty() ? lf_findApf(park.icao) : g_awaitedPath;
    if (!found) return std::nullopt;
    if (!found->empty() && !gf_isLocalApfPath(*found) && lf_askForArchiveFile(*found) == ArchiveAnswer::onItsWay) {
        g_awaitedPath = *found;
        return std::nullopt;
    }
    g_awaitedPath.clear();
    gf_clearStandTable();
    const std::string& path = *found;
    if (path.empty()) return fmt::format("{} {} not found", functionName, park.icao);
    g_parkAirportHeader = ApfHeader{};
    QualityFactors qf = gf_packQualityFactors(-1, -1);
    std::string error = gf_readApf(path, g_parkAirportHeader, qf);
    // A file the scanner made for an airport whose maker it could not tell is
    // refused; the folder it lies in does not matter.
    if (error.empty() && g_parkAirportHeader.publisher == unknownPublisher) {
        error = fmt::format("{} {} has publisher:{}, {}", functionName, park.icao, unknownPublisher, path);
        // Nothing is learned at a refused airport: leaving it saves no file.
        g_parkingDataLoaded.exchange(false);
    }
    if (error.empty()) {
        g_parkAirportSourcePath = path;
        g_apfChanged = false;
        lf_setSoftLearning(qf);
        lf_takeUserStand(park);
        gf_shrinkStandTable();
        lf_takeReservedStand(park);
    }
    g_mainWindowState.parkAirportReady = error.empty();
    gf_setDisplayText(DisplayText::parkFileText, g_parkAirportHeader.airportName);
    gf_invalidateBand(g_statusBand);
    gf_invalidateBand(g_lowerBand);
    g_learnedUpdates = 0;
    g_mainWindowState.updates = 0;
    return error;
}

void lf_resetParkAirport() {
    g_awaitedPath.clear();
    if (g_parkingDataLoaded && (g_learnSoftAutoOff || g_apfChanged || g_learnedUpdates >= 1)) gf_saveAirportFile();
    g_handmadeAirport = false;
    g_learnedFileIncomplete = false;
    g_parkingDataLoaded.exchange(false);
    g_rtTrafficWeek = 0;
    gf_enableParkingControl(FLUSH_STATIC_BUTTON, false);
    gf_enableParkingControl(parking_percentage, false);
    gf_clearCurrentParkAirport();
    g_referenceElevation.reset();
    if (g_mainWindowState.updates.exchange(0) != 0) gf_invalidateBand(g_lowerBand);
    ToRemoveList.clear();
    PendingParkingList.clear();
    gf_clearStandTable();
    g_parkAirportSourcePath.clear();
    // Nobody takes the live ids of a plan that will not be made.
    (void)gf_takeFeedIds();
    g_mainWindowState.parkAirportReady = false;
    g_mainWindowState.handmadeMark = false;
    gf_setDisplayText(DisplayText::parkFileText, "");
    gf_setDisplayText(DisplayText::parkPublisher, "");
    gf_invalidateBand(g_statusBand);
    gf_invalidateBand(g_lowerBand);
}

void gf_clearParkAirportTraffic() {
    PendingParkingList.clear();
    gf_removeAllStatic();
    for (LiveAc& a : g_liveList) {
        const bool onTheGround = a.st == MovementState::pushingBack || a.st == MovementState::pushedBack ||
                                 a.st == MovementState::taxi || a.st == MovementState::takeOff ||
                                 a.st == MovementState::parked;
        // Stand numbers name stands of this airport's table only; an aircraft
        // still on its way to one keeps where it drives, not the number.
        if (!onTheGround) {
            a.standId = 0;
            continue;
        }
        if (a.fs == LifecycleState::active || a.fs == LifecycleState::adding2sim) removeAircraftFromSim(a);
        a.standId = 0;
        a.lat = 0.0;
        a.lon = 0.0;
        a.heading = 0.0;
        a.standCargo = 0;
    }
    lf_eraseFlaggedLive();
    lf_resetParkAirport();
    const std::int32_t user = g_userMaxLiveSel.load();
    if (MAX_LIVE_SEL.value != user) {
        MAX_LIVE_SEL.value = user;
        gf_fillCombo(MAX_LIVE_SEL);
        gf_trimLiveToMax();
    }
}

bool gf_parkAirportHasStands() { return gf_parkAirportIsSet() && !StandTable.empty(); }

}  // namespace zrb
