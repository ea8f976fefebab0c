#include "shell/run_services.h"

#include "airports/addon_airport_scan.h"
#include "airports/archive_fetch.h"
#include "airports/park_airport.h"
#include "config/paths.h"
#include "feed/feed_shared.h"
#include "feed/session.h"
#include "feed/traffic_reader.h"
#include "feed/weather_reader.h"
#include "foundation/registry.h"
#include "foundation/time.h"
#include "liveries/data_file_updates.h"
#include "liveries/dbase.h"
#include "liveries/livery_matcher.h"
#include "liveries/livery_scan.h"
#include "liveries/livery_tables.h"
#include "shell/common/main_window_state.h"
#include "shell/sim_detection.h"

namespace zrb {

RunServices gf_realRunServices() {
    RunServices s;
    s.readDbase = [] { return gf_readDbase(); };
    s.checkDataFileVersions = [] { gf_checkDataFileVersions(); };
    s.scanLiveries = [] { gf_scanLiveries(); };
    s.reserveLiveryLists = [] { gf_reserveLiveryLists(); };
    s.logLiveryMatchingSummary = [] { gf_logLiveryMatchingSummary(); };

    s.readAirports = [](const std::string& name) { gf_readAirports(name); };
    s.findAirport = [](const std::string& icao) { return gf_findAirport(icao); };
    s.scanAddonAirports = [] { gf_scanAddonAirports(); };
    s.readMyParkAirports = [] { return lf_readMyParkAirports(); };
    s.reloadParkAirports = [](bool fromUser, std::string& message) { return gf_reloadParkAirports(fromUser, message); };
    s.setFirstParkAirport = [](const std::string& icao, double lat, double lon) {
        gf_setFirstParkAirport(icao, lat, lon);
    };
    s.firstParkAirport = [] { return gf_firstParkAirport(); };
    s.checkStaticParking = [](bool atLoopStart) { gf_checkStaticParking(atLoopStart); };
    s.parkingAdjustments = [](bool parkedTrafficOnly) { gf_parkingAdjustments(parkedTrafficOnly); };
    s.clearParkAirportTraffic = [] { gf_clearParkAirportTraffic(); };
    s.parkAirportIsSet = [] { return gf_parkAirportIsSet(); };
    s.parkAirportHasStands = [] { return gf_parkAirportHasStands(); };
    s.reservedStandSet = [] { return !gf_reservedStand().empty(); };
    s.stopArchiveFetcher = [] { gf_stopArchiveFetcher(); };

    s.simInstalled = [](int version) { return version == 5 ? gf_p3dV5Installed() : gf_p3dV6Installed(); };
    s.simSetupPath = [](int version) { return gf_getP3DSetupPath(version); };

    s.simClientThread = [](std::stop_token stop) {
        gf_simClientThread(std::move(stop), [] { return gf_getSimVersion(); });
    };
    s.resetSimQueues = [](std::int32_t version) { gf_resetSimQueues(version); };
    s.requestUserAcOnGround = [] { return gf_requestUserAcOnGround(); };
    s.userAcPosition = [] { return gf_getUserAcPosition(); };
    s.requestUserAcTitleAndModel = [] { gf_requestUserAcTitleAndModel(); };
    s.simConnectRequestError = [] { gf_simConnectRequestError(); };
    s.clearPositionBuffers = [] { gf_clearPositionBuffers(); };
    s.simUtcTime = [] { return gf_simUtcTime(); };
    s.resetSimLink = [](std::int32_t version) { gf_resetSimLink(version); };
    s.checkUserStandChanged = [] { gf_checkUserStandChanged(); };

    s.authenticater = [] { gf_authenticater(); };
    s.startWeatherReader = [] { gf_startWeatherReader(); };
    s.startTrafficReader = [] { gf_startTrafficReader(); };
    s.sessionExists = [] { return g_weatherReader.hasSession(); };
    s.qnh = [] { return g_mainWindowState.qnh.load(); };
    s.trafficReceiving = [] { return g_trafficReader.receiving.load(); };
    s.latestRecordTime = [] { return g_latestRecordTime.load(); };
    s.setReferencePosition = [](double lat, double lon) { g_trafficReader.setReferencePosition(lat, lon); };
    s.updateTrafficBox = [] { gf_updateTrafficBox(); };
    s.setTrafficBoxRange = [](double rangeNm) {
        TrafficQueryState state = g_trafficReader.queryState();
        state.boxRange = rangeNm;
        g_trafficReader.setQueryState(state);
    };
    s.updateRtLights = [] { gf_updateRtLights(); };
    s.stopReaders = [] {
        g_weatherReader.stop = true;
        g_trafficReader.stop = true;
    };
    s.weatherReaderStopped = [] { return gf_weatherReaderFinished(); };
    s.trafficReaderStopped = [] { return gf_trafficReaderFinished(); };
    s.deauthenticate = [] { g_weatherReader.deauthenticate(); };
    s.resetRtReaders = [] { gf_resetRtReaders(); };
    s.joinRtReaders = [](std::int64_t timeoutMs) { return gf_stopRtReaders(timeoutMs); };
    s.collectFeedIds = [](bool collect) { g_collectFeedIds = collect; };
    s.setTimeOffset = [](std::int32_t minutes) {
        g_trafficReader.toffset = minutes;
        g_weatherReader.toffset = minutes;
    };

    s.reserveTrafficLists = [] { gf_reserveTrafficLists(); };
    s.handleAddingStack = [] { lf_handleAddingStack(); };
    s.processSimNotices = [] { gf_processSimNotices(); };
    s.resetTraffic = [] { gf_resetTraffic(); };
    s.logNoMatches = [] { gf_logNoMatches(); };
    s.clearRememberedLiveries = [] { gf_clearRememberedLiveries(); };
    s.createFlightPlanFolder = [] { gf_createFlightPlanFolder(); };
    s.removeFlightPlanFolder = [] { gf_removeFlightPlanFolder(); };
    s.clearSharedStringList = [] { gf_clearSharedStringList(); };
    s.lockUi = [] { gf_lockUi(); };
    s.staticParkingComputing = [] { return gf_staticParkingComputing(); };
    s.clearReservedStand = [] { gf_clearReservedStand(); };
    s.removeAllStatic = [] { gf_removeAllStatic(); };
    s.trimLiveToMax = [] { gf_trimLiveToMax(); };
    s.setParkedNavLights = [](bool on) { gf_setParkedNavLights(on); };
    s.clearTrafficForTimeShift = [] { gf_clearTrafficForTimeShift(); };
    s.liveAircraft = [] { return gf_liveAircraftViews(); };
    s.staticAircraft = [] { return gf_staticAircraftViews(); };
    s.removeLiveAt = [](std::size_t i) { gf_removeLiveAircraftAt(i); };
    s.removeStaticAt = [](std::size_t i) { gf_removeStaticAircraftAt(i); };
    s.collisionAvoidanceRemove = [](std::size_t i) { gf_collisionAvoidanceRemove(i); };
    s.checkQueueFront = [] { return gf_checkQueueFront(); };
    s.popCheckQueue = [] { gf_popCheckQueue(); };
    s.coupledSearchDone = [](std::uint32_t hexId) { return gf_coupledSearchDone(hexId); };
    s.searchCoupledCallsigns = [](std::uint32_t hexId) { gf_searchCoupledCallsigns(hexId); };
    s.removeStaticDoubles = [](std::uint32_t hexId, bool onGround) { gf_removeStaticDoubles(hexId, onGround); };
    s.countLiveParked = [] { return gf_countLiveParked(true); };
    s.countStaticParked = [] { return gf_countStaticParked(true); };
    return s;
}

RunServices& gf_runServices() {
    static RunServices services = gf_realRunServices();
    return services;
}

}  // namespace zrb
