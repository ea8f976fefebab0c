// The parked traffic the service reports at the park airport, placed on the
// nearest free stands; an aircraft that flies live now is left out.
#include <algorithm>

#include <fmt/format.h>

#include "airports/aircraft_from_livery.h"
#include "airports/aircraft_keys.h"
#include "airports/parked_traffic_test_hook.h"
#include "airports/static_parking_plan.h"
#include "config/parameters.h"
#include "feed/parked_traffic.h"
#include "feed/traffic_reader.h"
#include "foundation/geodesy.h"
#include "foundation/log.h"
#include "liveries/dbase.h"
#include "shell/common/run_state.h"
#include "traffic/traffic_lists.h"
#include "traffic/stand_search.h"
#include "traffic/traffic_manager.h"

namespace zrb {

namespace {

// A parked aircraft is put on a stand no farther than this from where the service saw it [NM].
constexpr double ptStandRadiusNm = 0.05939524838012959;  // 110 m
constexpr std::string_view privateAirline = "PVT";
constexpr char liveCopyMark = '_';
constexpr char staticMark = '*';

// Worker thread: the answer of the last request, and where it comes from.
std::vector<ParkedTrafficRecord> g_parkedTraffic;
ParkedTrafficSource g_parkedTrafficSource = nullptr;

bool lf_serviceParkedTraffic(std::vector<ParkedTrafficRecord>& records) {
    if (!gf_requestParkedTraffic()) return false;
    records = g_trafficReader.parkedRecords;
    return true;
}

bool lf_fliesLive(const ParkedTrafficRecord& r) {
    if (r.callsign.empty() || g_liveHexIds.contains(r.hexId)) return true;
    if (g_liveCallsigns.contains(r.callsign) || g_liveCallsigns.contains(r.callsign + liveCopyMark)) return true;
    return std::any_of(g_liveList.begin(), g_liveList.end(), [&](const LiveAc& a) { return lf_ptMatchesLive(r, a); });
}

AcIdentity lf_identityOf(const ParkedTrafficRecord& r) {
    AcIdentityRecord source{r.airline, r.type,  r.departure,    r.destination,
                            r.callsign, r.text6, r.text7, r.registration, static_cast<std::uint32_t>(r.identity)};
    bool cargo = false;
    if (!r.registration.empty()) {
        if (const auto record = gf_findDbaseRecord(r.registration)) cargo = record->cargo;
    }
    if (source.airline.empty() && !gf_airlineFromCallsign(source)) source.airline = privateAirline;
    AcIdentity identity = gf_aircraftFromLivery(source, r.hexId);
    identity.cargo = cargo ? 1 : 0;
    return identity;
}

// Aircraft planned on overlapping stands must not touch this one.
bool lf_touchesNeighbour(const Stand& stand, const std::string& type) {
    for (const std::uint32_t n : stand.neighbours) {
        const auto p = std::find_if(PendingParkingList.begin(), PendingParkingList.end(),
                                    [n](const PendingParking& e) { return e.standId == n; });
        const Stand* other = gf_standById(n);
        if (p == PendingParkingList.end() || other == nullptr) continue;
        if (gf_distanceNm({stand.lat, stand.lon}, {other->lat, other->lon}) < gf_wingspan(type) + gf_wingspan(p->type))
            return true;
    }
    return false;
}

// A static aircraft of the parked traffic on the stand that was seen there
// after this record stays (planned again, the record passed over: true);
// one seen at the same time or before gives way to it.
bool lf_standingStaticIsNewer(Stand& stand, const ParkedTrafficRecord& r, std::int64_t age, DaySlot now) {
    const std::string same = r.callsign + staticMark;
    for (const AiAc& s : g_staticList) {
        if (s.standId != stand.number || s.callsign == same) continue;
        if (!lf_isStayingStatic(s, g_planKindParkedTraffic)) continue;
        const std::int64_t seen = gf_slotsSince(s.day, s.slot, now);
        if (age > seen) {
            std::string callsign = s.callsign;
            if (!callsign.empty()) callsign.pop_back();
            PendingParkingList.push_back(PendingParking{s.liveHexId, g_planKindParkedTraffic, stand.number,
                                                        static_cast<std::uint32_t>(seen), s.airline, s.type, callsign,
                                                        "", s.registration, 1});
            lf_occupyStand(stand);
            return true;
        }
        lf_markForRemoval(s);
        return false;
    }
    return false;
}

}  // namespace

void gf_setParkedTrafficSource(ParkedTrafficSource source) { g_parkedTrafficSource = source; }

bool lf_requestParkedTraffic() {
    g_parkedTraffic.clear();
    return g_parkedTrafficSource != nullptr ? g_parkedTrafficSource(g_parkedTraffic)
                                            : lf_serviceParkedTraffic(g_parkedTraffic);
}

bool lf_ptMatchesLive(const ParkedTrafficRecord& record, const AiAc& live) {
    if (live.hexId == record.hexId) return true;
    if (live.callsign == record.callsign || live.callsign == record.callsign + liveCopyMark) return true;
    return !record.registration.empty() && record.registration == live.registration;
}

void lf_ptToStands() {
    const std::int64_t wanted = lf_calcWantedStatic();
    const bool parkedTrafficOnly = RT_PARKTRAFFIC_ONLY.value;
    if ((wanted == 0 && !parkedTrafficOnly) || g_parkedTraffic.empty()) return;
    const DaySlot now = g_currentDaySlot.load();
    for (const ParkedTrafficRecord& r : g_parkedTraffic) {
        if (!parkedTrafficOnly && static_cast<std::int64_t>(PendingParkingList.size()) >= wanted) break;
        if (lf_fliesLive(r)) continue;
        const std::int64_t age = std::max(r.slot, 0);
        AiAc aircraft;
        static_cast<AcIdentity&>(aircraft) = lf_identityOf(r);
        const auto it = gf_findNearestFreeStand(LatLon{r.lat, r.lon}, aircraft, ptStandRadiusNm, false);
        if (it == StandTable.end()) {
            gf_logIndented("[{:10}: {:8x} {:8} {:12}, hh:{} ===> no stand for PT {}", r.stand, r.hexId, r.callsign,
                           r.registration, age, fmt::format("{:.6f},{:.6f}", r.lat, r.lon));
            continue;
        }
        Stand& stand = *it;
        if (stand.excluded != 0 || stand.occupied != 0) continue;
        if (stand.blocked != 0 && lf_touchesNeighbour(stand, aircraft.type)) continue;
        if (lf_standingStaticIsNewer(stand, r, age, now)) continue;
        PendingParkingList.push_back(PendingParking{r.hexId, g_planKindParkedTraffic, stand.number,
                                                    static_cast<std::uint32_t>(age), aircraft.airline, aircraft.type,
                                                    aircraft.callsign, "", r.registration, 1});
        lf_occupyStand(stand);
    }
}

}  // namespace zrb
