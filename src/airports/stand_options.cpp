#include "airports/stand_options.h"

#include <algorithm>
#include <stdexcept>

#include <fmt/format.h>

#include "foundation/log.h"
#include "liveries/dbase.h"

namespace zrb {

namespace {

std::uint64_t lf_slotBit(std::int64_t slot) {
    if (slot < 0 || slot >= static_cast<std::int64_t>(g_slotsPerDay))
        throw std::out_of_range(fmt::format("half-hour slot {} outside 0..47", slot));
    return std::uint64_t{1} << slot;
}

std::string_view lf_withoutCopyMark(std::string_view callsign) {
    if (!callsign.empty() && callsign.back() == '_') callsign.remove_suffix(1);
    return callsign;
}

StandOption* lf_optionById(std::vector<StandOption>& options, std::uint32_t optionId) {
    if (optionId == 0) return nullptr;
    const auto it = std::ranges::find(options, optionId, &StandOption::optionId);
    return it == options.end() ? nullptr : &*it;
}

// Takes slots from the back of the list into the option while the condition
// holds for the list; stops after a slot 47 when told to.
void lf_takeSlots(StandOption& option, std::vector<std::int32_t>& slots, std::size_t keep, bool stopAfterLastSlot) {
    while (slots.size() > keep) {
        const std::int32_t slot = slots.back();
        option.halfHours |= lf_slotBit(slot);
        slots.pop_back();
        if (stopAfterLastSlot && slot == static_cast<std::int32_t>(g_slotsPerDay) - 1) return;
    }
}

}  // namespace

bool gf_optionMatches(const OptionMatchKey& key, const StandOption& option) {
    if (option.optionId == 0 || option.real != 1) return false;
    if (key.callsign == option.callsign || key.callsign == option.coupledCallsign) return true;
    return option.airline == key.aircraft.airline && option.type == key.aircraft.type;
}

bool gf_optionHasSlot(const OptionSlotKey& key, const StandOption& option) {
    const std::int64_t slot = key.slot;
    const std::uint64_t bits = lf_slotBit(slot) | lf_slotBit((slot + g_slotsPerDay - 1) % g_slotsPerDay) |
                               lf_slotBit((slot + 1) % g_slotsPerDay);
    return option.optionId != 0 && option.day == key.day && option.real == 1 &&
           option.registration == key.registration && (option.halfHours & bits) != 0;
}

OptionSlotResult gf_addStandOptionSlot(std::vector<StandOption>& options, const AcIdentityRecord& aircraft,
                                       std::uint32_t real, DaySlot now, std::string_view callsign,
                                       std::string_view key) {
    if (key.empty()) return {};
    const std::string_view cs = lf_withoutCopyMark(callsign);
    const std::uint64_t bit = lf_slotBit(gf_slotOf(now));
    const auto day = static_cast<std::int32_t>(gf_dayOf(now));
    for (const auto& option : options)
        if (option.registration == key && option.day == day && option.halfHours == bit && option.callsign == cs)
            return {option.optionId, false};

    std::string airline = aircraft.airline;
    std::string type = aircraft.type;
    if (const auto record = gf_findDbaseRecord(key)) {
        airline = record->opr.empty() ? record->airl : record->opr;
        type = record->type;
    }
    // Beyond every id in use: the last option may be retired (id 0), and an
    // id taken twice would merge the new option's learned half-hours into an
    // older one's.
    std::uint32_t highest = 0;
    for (const auto& option : options) highest = std::max(highest, option.optionId);
    const std::uint32_t newId = highest + 1;
    options.push_back({std::move(airline), std::move(type), std::string(key), std::string(cs), {}, bit, newId, day,
                       0, real});
    return {newId, true};
}

void gf_setOptionCallsign(std::vector<StandOption>& options, std::uint32_t optionId, std::string_view callsign) {
    const std::string_view cs = lf_withoutCopyMark(callsign);
    if (cs.empty()) return;
    StandOption* option = lf_optionById(options, optionId);
    if (option == nullptr) return;
    if (option->callsign.empty()) option->callsign = cs;
    else if (cs != option->callsign && cs != option->coupledCallsign) option->coupledCallsign = cs;
}

std::vector<std::int32_t>& gf_stepBackSlots(std::int64_t count, DaySlot now, std::vector<std::int32_t>& slots) {
    for (std::int64_t i = 0; i < count; ++i) {
        slots.push_back(static_cast<std::int32_t>(gf_slotOf(now)));
        now = gf_previousSlot(now);
    }
    return slots;
}

bool updateOptions(std::vector<StandOption>& options, std::vector<std::int32_t>& slots, std::uint32_t optionId) {
    StandOption* option = lf_optionById(options, optionId);
    if (option == nullptr) return false;
    try {
        lf_takeSlots(*option, slots, 0, false);
        return true;
    } catch (const std::exception& e) {
        gf_logMarked("{} exception:{}", "updateOptions", e.what());
    }
    return false;
}

bool updateOptionsWrapped(std::vector<StandOption>& options, std::vector<std::int32_t>& slots,
                          std::uint32_t firstId, std::uint32_t secondId) {
    try {
        StandOption* first = lf_optionById(options, firstId);
        if (first == nullptr) return false;
        // A back of 0 means the whole list belongs to the later day.
        if (!slots.empty() && slots.back() != 0) lf_takeSlots(*first, slots, 0, true);
        StandOption* second = lf_optionById(options, secondId);
        if (second == nullptr) return false;
        // The last slot is the current one, set when the second option was made.
        lf_takeSlots(*second, slots, 1, false);
        return true;
    } catch (const std::exception& e) {
        gf_logMarked("{} exception:{}", "updateOptionsWrapped", e.what());
    }
    return false;
}

void gf_addOptionSlots(std::vector<StandOption>& options, DaySlot now, std::string_view callsign,
                       std::int64_t count, std::uint32_t firstId, std::uint32_t secondId) {
    std::vector<std::int32_t> slots;
    slots.reserve(g_slotsPerDay);
    gf_stepBackSlots(count, now, slots);
    updateOptionsWrapped(options, slots, firstId, secondId);
    gf_setOptionCallsign(options, firstId, callsign);
    gf_setOptionCallsign(options, secondId, callsign);
}

}  // namespace zrb
