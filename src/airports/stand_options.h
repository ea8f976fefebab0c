#pragma once
// The predicates over a stand's options and the schedule functions with which
// the traffic manager records the half-hours an aircraft stood at a stand.
// Worker thread only, like the stands themselves.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "airports/aircraft_identity.h"
#include "airports/stand.h"

namespace zrb {

// ---------------------------------------------------------------- predicates
struct OptionMatchKey {
    std::string_view callsign;
    const AcIdentityRecord& aircraft;
};

// A counting, real option whose callsign or coupled callsign is the callsign,
// or, when neither is, whose airline and type are the aircraft's.
bool gf_optionMatches(const OptionMatchKey& key, const StandOption& option);

struct OptionSlotKey {
    std::int32_t day = 0;
    std::uint32_t slot = 0;  // 0..47; a larger slot throws std::out_of_range
    std::string_view registration;
};

// A counting, real option of that day and registration that has the slot, the
// slot before or the slot after (around midnight) in its half-hours.
bool gf_optionHasSlot(const OptionSlotKey& key, const StandOption& option);

// ---------------------------------------------------------------- schedule
struct OptionSlotResult {
    std::uint32_t optionId = 0;  // the new option's id, or the id of the same option found
    bool added = false;
};

// Records that the aircraft stands here in now's half-hour: appends an option
// {identity of the key's database record (its operator before its airline),
// or the aircraft's; registration = key; callsign without a trailing '_';
// only now's bit; day of now; origin 0; real} unless an option of that key,
// day, callsign and exactly that bit exists. An empty key adds nothing.
// A slot of 48 or more throws std::out_of_range.
OptionSlotResult gf_addStandOptionSlot(std::vector<StandOption>& options, const AcIdentityRecord& aircraft,
                                       std::uint32_t real, DaySlot now, std::string_view callsign,
                                       std::string_view key);

// Sets the option's callsign when it has none, else its coupled callsign when
// the callsign (without a trailing '_') is new to it.
void gf_setOptionCallsign(std::vector<StandOption>& options, std::uint32_t optionId, std::string_view callsign);

// Appends n slots going back from now: now.slot, now.slot - 1, ..., 0, 47, ...
std::vector<std::int32_t>& gf_stepBackSlots(std::int64_t count, DaySlot now, std::vector<std::int32_t>& slots);

// Sets every slot of the list (taken from the back) in the option's
// half-hours. False when the option is missing, or when a slot is outside
// 0..47 (logged "updateOptions exception:{}"; bits set so far stay).
bool updateOptions(std::vector<StandOption>& options, std::vector<std::int32_t>& slots, std::uint32_t optionId);

// The same for a list that spans midnight (its back holds the earlier day's
// slots): those up to slot 47 go to the first option, the rest but the last
// (the current slot) to the second.
bool updateOptionsWrapped(std::vector<StandOption>& options, std::vector<std::int32_t>& slots,
                          std::uint32_t firstId, std::uint32_t secondId);

// Marks n half-hours back from now on the options before and after midnight
// and records the callsign on both.
void gf_addOptionSlots(std::vector<StandOption>& options, DaySlot now, std::string_view callsign,
                       std::int64_t count, std::uint32_t firstId, std::uint32_t secondId);

// ---------------------------------------------------------------- size
// Whether an aircraft of that half span (nautical miles) suits the stand: at
// most 1.8 m wider than the stand and less than half a size step (14 m, 21 m
// for spans over 17.8 m) narrower. A span that is not a number never fits.
// Throws gsl::narrowing_error for sizes far outside normal ranges.
bool lf_standFitsSize(const Stand& stand, double halfSpanNm);

}  // namespace zrb
