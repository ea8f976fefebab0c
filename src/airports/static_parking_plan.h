#pragma once
// The static-parking planner: which static aircraft stand on which stands of
// the park airport at the simulator's weekday and half-hour. First the parked
// traffic the service reports, then, up to the wanted number of occupied
// stands, the stands' recorded options nearest in time (the search widens by
// one half-hour per round up to MAX_FIT). The plan is PendingParkingList,
// sorted with the best fit at the back, from where the traffic manager
// creates one aircraft every 50 passes. The renewals (parking_adjustments.h)
// use the same pieces.
//
// Times are weekday 1..7 and half-hour 0..47 (DaySlot); a record's fit is how
// many half-hours its observation lies before now, counted around the week.
//
// Threads: everything here belongs to the worker thread (planner and traffic
// manager) and is used without locks. The feed's live ids are taken over
// from the Traffic Reader under its own mutex (feed_shared.h).

#include <cstdint>
#include <string>
#include <unordered_set>
#include <vector>

#include "airports/stand.h"
#include "feed/parked_traffic_record.h"
#include "traffic/ai_aircraft.h"

namespace zrb {

// ---------------------------------------------------------------- the plan
// One planned static aircraft.
struct PendingParking {
    std::uint32_t liveHexId = 0;  // the parked-traffic aircraft it stands for, 0 for an option
    std::uint32_t planKind = 1;   // 0 parked traffic, 1 from the stand options
    std::uint32_t standId = 0;    // the stand's number
    std::uint32_t ageSlots = 0;   // fit: half-hours from the observation to now (the sort key)
    std::string airline;
    std::string type;
    std::string callsign;
    std::string coupledCallsign;
    std::string registration;
    std::uint8_t staysNextHalfHour = 0;  // the option still stands there in the next half-hour
};

inline constexpr std::uint32_t g_planKindParkedTraffic = 0;
inline constexpr std::size_t g_candidateReserve = 512;

// Planned aircraft still to be created; the manager takes them from the back.
extern std::vector<PendingParking> PendingParkingList;

// ---------------------------------------------------------------- the renewal's lists
// A static aircraft to be removed at the end of a renewal.
struct ToRemove {
    std::string callsign;
    std::uint32_t standId = 0;
};
extern std::vector<ToRemove> ToRemoveList;

// The static aircraft is to go at the end of this computation; until then it
// no longer counts as standing for the plan.
void lf_markForRemoval(const AiAc& aircraft);
bool lf_isLeaving(const AiAc& aircraft);
// An active static aircraft of that plan kind that no computation step has
// marked for removal.
bool lf_isStayingStatic(const AiAc& aircraft, std::uint32_t planKind);
// Removes the listed static aircraft from the simulator and empties the list;
// the parking controls stay locked while aircraft are still to be created.
void lf_applyRemovals();

// A static aircraft that stays through a renewal.
struct KeptStatic {
    std::string callsign;         // as shown, ending in '*'
    std::string optionCallsign;
    std::string coupledCallsign;
    std::string registration;
    std::string airline;
    std::string type;
    std::uint32_t day = 0;   // of its observation, 1..7
    std::uint32_t slot = 0;  // 0..47
    std::uint32_t standId = 0;
    std::uint8_t replan = 0;  // planned anew (its flight leaves) and the aircraft replaced
};
extern std::vector<KeptStatic> KeptStaticList;

// The live traffic the feed saw while the planning was being prepared; an
// aircraft that flies now is not planned as a static one.
inline std::unordered_set<std::string> g_liveCallsigns;
inline std::unordered_set<std::uint32_t> g_liveHexIds;

// The round that ended the last real and the last soft fill (-1: no soft
// fill since the last real one); the renewal's schedule window follows them.
inline std::int32_t g_realFitRound = 0;
inline std::int32_t g_softFitRound = -1;

// ---------------------------------------------------------------- the planner
// A whole new plan for the park airport, then the parking controls are locked
// until the manager has created it (or unlocked when there is nothing to plan).
void gf_calcStaticParking();

// The number of stands that should be occupied: the share of the stands
// (CUSTOM_PARKING_PERCENTAGE when set, else parking_percentage; a single stand
// below 50 % still gets one) within 0..stands, at most MAX_PARK_SEL unless that
// is 500; shown with its share. Also the manager's park maximum.
std::int32_t lf_calcWantedStatic();

// ---------------------------------------------------------------- pieces shared with the renewal
// Logs the simulator's day and half-hour and returns them.
DaySlot lf_logSimDay();
// Takes the live callsigns and hex ids the Traffic Reader collected and stops the collection.
void lf_takeFeedIds();
// The reserved stand and the stand under the user aircraft are kept free.
void lf_markReservedStands();
// Clears the planning flags (occupied, excluded, blocked) of every stand.
void lf_clearStandFlags();
// Asks the service for the parked traffic around the park airport; false when
// there is none to use (no answer, failure).
bool lf_requestParkedTraffic();
// Places the parked traffic of the last request on the free stands.
void lf_ptToStands();
// The live aircraft is the parked-traffic aircraft: same hex id, callsign (or
// its live copy with '_') or registration.
bool lf_ptMatchesLive(const ParkedTrafficRecord& record, const AiAc& live);
// Fills from the options of the mode (1 real, 0 soft) towards wanted, extra
// stands being occupied already by aircraft the plan does not list.
void lf_fillByFit(DaySlot time, std::int64_t wanted, std::int64_t extra, std::uint32_t mode);
// The real fill, then the soft one when still short and PARK_SOFT or PARK_FAKE is on.
void lf_fitStaticParking(DaySlot time, std::int64_t wanted, std::int64_t extra);

// Half-hours from the observation (day, slot) back from now, 0..335.
std::int64_t gf_slotsSince(std::uint32_t day, std::uint32_t slot, DaySlot now);

// The stand is planned or kept: occupied, and its overlapping stands blocked.
void lf_occupyStand(Stand& stand);
// Rebuilds occupied and blocked from what stands or is planned: the pending
// records, the static aircraft that stay and the stands of parked live aircraft
// given. Stands of records that were dropped become free again.
void lf_rebuildStandFlags(const std::vector<std::uint32_t>& liveStands);

// A new run: the lists, the live ids and the fit rounds back to their start.
void gf_resetStaticParkingPlan();

}  // namespace zrb
