#pragma once
// Every call a run makes into the other subsystems, in one table. Each entry
// starts as the subsystem's own function (run_services.cpp); tests put doubles
// in their place to see the order of start-up, the schedule and the closing
// down without a simulator or a service.
//
// Set before a run starts (tests: before the worker thread exists); the
// worker thread, the GUI thread's handlers and the "SimClient" thread call the
// entries afterwards. Entries are never changed while a run is under way.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "airports/park_airport_choice.h"
#include "airports/parking_adjustments.h"
#include "simlink/sim_link.h"
#include "traffic/traffic_manager.h"

namespace zrb {

struct RunServices {
    // ---------------------------------------------------------- aircraft database and liveries
    std::function<bool()> readDbase;
    std::function<void()> checkDataFileVersions;
    std::function<void()> scanLiveries;
    std::function<void()> reserveLiveryLists;
    std::function<void()> logLiveryMatchingSummary;

    // ---------------------------------------------------------- airports and parking
    std::function<void(const std::string&)> readAirports;
    std::function<std::optional<AirportData>(const std::string&)> findAirport;
    std::function<void()> scanAddonAirports;
    std::function<bool()> readMyParkAirports;
    std::function<bool(bool, std::string&)> reloadParkAirports;
    std::function<void(const std::string&, double, double)> setFirstParkAirport;
    std::function<std::optional<AirportData>()> firstParkAirport;
    std::function<void(bool)> checkStaticParking;
    std::function<void(bool)> parkingAdjustments;
    std::function<void()> clearParkAirportTraffic;
    std::function<bool()> parkAirportIsSet;
    std::function<bool()> parkAirportHasStands;
    std::function<bool()> reservedStandSet;
    // The end of a run: the thread that fetches airport files stopped and joined.
    std::function<void()> stopArchiveFetcher;

    // ---------------------------------------------------------- simulator installation (registry)
    std::function<bool(int)> simInstalled;                       // version 5 or 6
    std::function<std::filesystem::path(int)> simSetupPath;      // its "SetupPath"

    // ---------------------------------------------------------- simulator link
    std::function<void(std::stop_token)> simClientThread;
    std::function<void(std::int32_t)> resetSimQueues;
    std::function<bool()> requestUserAcOnGround;
    std::function<UserAcData()> userAcPosition;
    std::function<void()> requestUserAcTitleAndModel;
    std::function<void()> simConnectRequestError;
    std::function<void()> clearPositionBuffers;
    std::function<std::int64_t()> simUtcTime;
    std::function<void(std::int32_t)> resetSimLink;
    // Worker thread, at closing down: the user's stand is saved for the park
    // airport when it changed.
    std::function<void()> checkUserStandChanged;

    // ---------------------------------------------------------- live-traffic feed
    std::function<void()> authenticater;
    std::function<void()> startWeatherReader;  // the "Weather Reader", owned by the feed
    std::function<void()> startTrafficReader;  // the "Traffic Reader", owned by the feed
    std::function<bool()> sessionExists;
    std::function<std::int32_t()> qnh;         // hPa of the status display, 0 = none yet
    std::function<bool()> trafficReceiving;
    std::function<double()> latestRecordTime;  // s since 1970, 0 = none
    std::function<void(double, double)> setReferencePosition;
    std::function<void()> updateTrafficBox;
    std::function<void(double)> setTrafficBoxRange;  // the range the box was last made for
    std::function<void()> updateRtLights;
    std::function<void()> stopReaders;             // sets both readers' stop flags
    std::function<bool()> weatherReaderStopped;    // the Weather Reader has finished
    std::function<bool()> trafficReaderStopped;    // the Traffic Reader has finished
    std::function<void()> deauthenticate;
    std::function<void()> resetRtReaders;  // joins both readers first; throws while one still runs
    // The end of the program (GUI thread): stops both readers, waits at most
    // the time given for them and joins them; false while one still runs.
    std::function<bool(std::int64_t)> joinRtReaders;
    std::function<void(bool)> collectFeedIds;  // the next poll gathers callsigns and hex ids
    std::function<void(std::int32_t)> setTimeOffset;  // minutes, both readers

    // ---------------------------------------------------------- AI traffic manager
    std::function<void()> reserveTrafficLists;
    std::function<void()> handleAddingStack;
    std::function<void()> processSimNotices;
    std::function<void()> resetTraffic;
    std::function<void()> logNoMatches;
    std::function<void()> clearRememberedLiveries;
    std::function<void()> createFlightPlanFolder;
    std::function<void()> removeFlightPlanFolder;
    std::function<void()> clearSharedStringList;
    std::function<void()> lockUi;
    std::function<bool()> staticParkingComputing;
    std::function<void()> clearReservedStand;
    std::function<void()> removeAllStatic;
    std::function<void()> trimLiveToMax;
    std::function<void(bool)> setParkedNavLights;
    std::function<void()> clearTrafficForTimeShift;
    std::function<std::vector<AircraftView>()> liveAircraft;
    std::function<std::vector<AircraftView>()> staticAircraft;
    std::function<void(std::size_t)> removeLiveAt;
    std::function<void(std::size_t)> removeStaticAt;
    std::function<void(std::size_t)> collisionAvoidanceRemove;
    std::function<std::optional<std::uint32_t>()> checkQueueFront;
    std::function<void()> popCheckQueue;
    std::function<bool(std::uint32_t)> coupledSearchDone;
    std::function<void(std::uint32_t)> searchCoupledCallsigns;
    std::function<void(std::uint32_t, bool)> removeStaticDoubles;
    std::function<ParkedCount()> countLiveParked;
    std::function<ParkedCount()> countStaticParked;
};

// The table with every entry bound to the subsystems' own functions.
RunServices gf_realRunServices();
// The table in use.
RunServices& gf_runServices();

}  // namespace zrb
