#pragma once
// Builders of feed arrays and the reset of the feed's shared state for tests.

#include <cstddef>
#include <string>

#include <nlohmann/json.hpp>

#include "airports/park_airport.h"
#include "build_config.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "feed/feed_shared.h"
#include "feed/traffic_reader.h"
#include "feed/weather_reader.h"
#include "liveries/dbase.h"
#include "traffic/feed_intake.h"
#include "traffic/sim_notice.h"

namespace zrb::test {

// Schiphol, the centre of the test traffic.
inline constexpr double g_ehamLat = 52.3086;
inline constexpr double g_ehamLon = 4.7639;

// A live-traffic array of 48 values (nulls) with an airborne KLM 737 over
// Schiphol at 3000 ft, 250 kt.
inline nlohmann::json liveArray(std::size_t size = 48) {
    nlohmann::json a = nlohmann::json::array();
    for (std::size_t i = 0; i < size; ++i) a.push_back(nullptr);
    if (size < 29) return a;
    a[0] = "484506";
    a[1] = g_ehamLat + 0.05;
    a[2] = g_ehamLon;
    a[3] = 240.0;
    a[4] = 3000.0;
    a[5] = 250.0;
    a[8] = "B738";
    a[9] = "PH-BXA";
    a[10] = 1700000000.5;
    a[11] = "EHAM";
    a[12] = "EGLL";
    a[13] = "KLM1023";
    a[15] = 1500.0;
    a[17] = "mlat";
    a[18] = 3000.0;
    a[20] = -1;
    a[23] = 0.0;
    a[25] = 240.0;
    a[28] = "A3";
    return a;
}

// The Traffic Reader's conversion state as a test wants it: reference at
// Schiphol, range 40 NM, QNH 1013, no park airport, no block.
inline void resetConversion() {
    TrafficReader& r = g_trafficReader;
    r.records.clear();
    r.parkedWork.clear();
    r.blockArmed = true;
    r.blockedCallsign.clear();
    g_collectFeedIds = false;
    {
        std::lock_guard lock(g_feedIdsMutex);
        g_feedIds = FeedIds{};
    }
    gf_clearCurrentParkAirport();
    gf_setReservedStand("");
    g_referenceElevation.reset();
    BLOCK_CALLSIGN.value.set("");
    g_workingRangeNm = 40.0;
    r.qnh = 1013;
    r.setReferencePosition(g_ehamLat, g_ehamLon);
    r.refreshLineContext();
    gf_takeSimNotices();
}

inline void useParkAirport(double elevationFt) {
    CurrentParkAirportData park;
    park.icao = "EHAM";
    park.lat = g_ehamLat;
    park.lon = g_ehamLon;
    park.elevation = elevationFt;
    gf_setCurrentParkAirport(park);
    g_trafficReader.refreshLineContext();
}

// Converts one array; the record when it passed.
inline std::optional<TrafficRecord> convert(const nlohmann::json& array) {
    TrafficReader& r = g_trafficReader;
    r.records.clear();
    r.record = array;
    r.processLine();
    if (r.records.empty()) return std::nullopt;
    return r.records.back();
}

inline void loadTestDatabase() {
    gf_readDbaseXml(std::filesystem::path(build::sourceDir) / "tests" / "data" / "dbase_sample.xml");
}

}  // namespace zrb::test
