#pragma once
// The park airport in memory: its stands, each with its geometry, the flags
// the planner and the traffic manager set while aircraft come and go, and its
// options (one per aircraft identity seen or planned at the stand, with the
// weekday and the half-hours it stood there).
//
// Threads: StandTable, every Stand and its options belong to the worker thread
// (planner and traffic manager) and are used without locks, with one
// exception: the user's stand is looked up from other threads too, reading
// only each stand's id, lat and lon (which never change once loaded). So the
// worker changes the table's size or storage only through the three functions
// below, which take g_standTableMutex; such a reader takes it too.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace zrb {

// ---------------------------------------------------------------- DaySlot
// A weekday 1..7 (Monday 1) in the low 32 bits and a UTC half-hour slot 0..47
// in the high 32 bits, as gf_slotAndWeekday packs them.
using DaySlot = std::uint64_t;

inline constexpr std::uint32_t g_slotsPerDay = 48;
inline constexpr std::uint32_t g_daysPerWeek = 7;
inline constexpr std::int64_t g_slotsPerWeek = g_slotsPerDay * g_daysPerWeek;  // 336

constexpr DaySlot gf_makeDaySlot(std::uint32_t day, std::uint32_t slot) {
    return (static_cast<DaySlot>(slot) << 32) | day;
}
constexpr std::uint32_t gf_dayOf(DaySlot time) { return static_cast<std::uint32_t>(time & 0xFFFFFFFFu); }
constexpr std::uint32_t gf_slotOf(DaySlot time) { return static_cast<std::uint32_t>(time >> 32); }

// One slot earlier: slot 0 steps to slot 47 of the day before, Monday to Sunday.
constexpr DaySlot gf_previousSlot(DaySlot time) {
    const std::uint32_t day = gf_dayOf(time);
    const std::uint32_t slot = gf_slotOf(time);
    if (slot > 0) return gf_makeDaySlot(day, slot - 1);
    return gf_makeDaySlot(day <= 1 ? g_daysPerWeek : day - 1, g_slotsPerDay - 1);
}

// A weekday 1..7 and a slot 0..47 (a failed clock reading is neither).
constexpr bool gf_isDaySlot(DaySlot time) {
    return gf_dayOf(time) >= 1 && gf_dayOf(time) <= g_daysPerWeek && gf_slotOf(time) < g_slotsPerDay;
}

// count half-hours earlier, across midnight and the start of the week (Monday
// slot 0 is followed back by Sunday slot 47). A time that is no valid weekday
// and slot is returned unchanged.
constexpr DaySlot gf_daySlotBefore(DaySlot time, std::int64_t count) {
    if (!gf_isDaySlot(time)) return time;
    const std::uint32_t day = gf_dayOf(time);
    const std::uint32_t slot = gf_slotOf(time);
    std::int64_t position = (static_cast<std::int64_t>(day) - 1) * g_slotsPerDay + slot - count % g_slotsPerWeek;
    if (position < 0) position += g_slotsPerWeek;
    if (position >= g_slotsPerWeek) position -= g_slotsPerWeek;
    return gf_makeDaySlot(static_cast<std::uint32_t>(position / g_slotsPerDay) + 1,
                          static_cast<std::uint32_t>(position % g_slotsPerDay));
}

// Half-hours from last to now, across midnight and the end of the week:
// (now.day - last.day) × 48 + now.slot - last.slot, plus 336 when negative.
constexpr std::int64_t gf_elapsedSlots(DaySlot last, DaySlot now) {
    const std::int64_t elapsed =
        (static_cast<std::int64_t>(gf_dayOf(now)) - static_cast<std::int64_t>(gf_dayOf(last))) * g_slotsPerDay +
        static_cast<std::int64_t>(gf_slotOf(now)) - static_cast<std::int64_t>(gf_slotOf(last));
    return elapsed < 0 ? elapsed + g_slotsPerWeek : elapsed;
}

// ---------------------------------------------------------------- options
struct StandOption {
    std::string airline;           // ICAO airline code, may be empty
    std::string type;              // ICAO type code
    std::string registration;      // or the callsign when the aircraft had no registration
    std::string callsign;          // never ends in '_'
    std::string coupledCallsign;   // a second callsign seen for this option
    std::uint64_t halfHours = 0;   // bit s: stood there in half-hour s (0..47)
    std::uint32_t optionId = 0;    // 1, 2, ... within the stand; 0: no longer counts
    std::int32_t day = 0;          // weekday 1..7; 0 when a file gives none
    std::uint32_t origin = 0;      // 1: base or handmade file, 0: learned, 2: a fake aircraft (never saved)
    std::uint32_t real = 0;        // 1: real, 0: soft

    friend bool operator==(const StandOption&, const StandOption&) = default;
};

// Fake aircraft fill empty stands for the visit only: they are neither
// saved nor counted in a learned file's quality factors.
inline constexpr std::uint32_t g_optionOriginFake = 2;

// The aircraft a stand is recording: when it was last accounted for and the
// option being extended.
struct StandVisit {
    DaySlot time = 0;
    std::uint32_t optionId = 0;
};

// 64-bit FNV-1a over the hex id's four bytes, lowest first.
struct HexIdHash {
    std::size_t operator()(std::uint32_t hexId) const noexcept;
};
using StandVisits = std::unordered_map<std::uint32_t, StandVisit, HexIdHash>;

// ---------------------------------------------------------------- stands
struct Stand {
    // The radius comes in metres; the three kind flags come inverted (0 = is
    // cargo / ramp / heli), as the file reader and the scanner have them.
    Stand(std::string standId, std::vector<StandOption> standOptions, double latitude, double longitude,
          double headingRad, double radiusMetres, std::int32_t notCargo, std::int32_t notRamp, std::int32_t notHeli);

    std::vector<StandOption> options;
    StandVisits realVisits;   // hex id -> visit, recorded with real options
    StandVisits softVisits;   // the same for soft options
    std::string id;           // unique within the airport
    std::vector<std::uint32_t> neighbours;  // numbers of the stands whose circle overlaps this one
    double lat = 0.0;         // degrees
    double lon = 0.0;         // degrees
    double heading = 0.0;     // radians
    double radius = 0.0;      // nautical miles
    std::uint32_t number = 0;  // 1..n in table order; 0 until the loader numbers it
    std::uint8_t manual = 0;
    std::uint8_t radiusChanged = 0;
    std::uint8_t cargoChanged = 0;
    std::uint8_t suffixed = 0;
    std::uint8_t occupied = 0;    // a static aircraft of the plan stands here
    std::uint8_t liveParked = 0;  // a live aircraft parks here
    std::uint8_t excluded = 0;    // kept free: the reserved stand or the user's own
    std::uint8_t blocked = 0;     // an overlapping neighbour is occupied
    std::uint8_t cargo = 0;
    std::uint8_t ramp = 0;
    std::uint8_t heli = 0;
};

inline constexpr std::size_t g_standVisitBuckets = 8;
inline constexpr std::size_t g_standNeighboursReserve = 8;

// The stands of the current park airport, in file order. Worker thread only
// (see the top for the one reader elsewhere).
extern std::vector<Stand> StandTable;

// Owns the storage of StandTable (not the stands' fields) and
// g_standTableGeneration.
extern std::mutex g_standTableMutex;
// Counts the replacements and clears of StandTable, so that what a reader
// remembers about the table can tell it is of an older one.
extern std::uint64_t g_standTableGeneration;

// Stands whose radius or cargo attribute the traffic manager changed since
// the park airport's file was last saved. The worker writes, any thread reads.
inline std::atomic<std::uint32_t> g_changedStandCount{0};

// Worker thread: the table becomes these stands / empty / gets room for n.
void gf_replaceStandTable(std::vector<Stand> stands);
void gf_clearStandTable();
void gf_reserveStandTable(std::size_t n);
// Worker thread: the table's spare capacity is given back.
void gf_shrinkStandTable();

}  // namespace zrb
