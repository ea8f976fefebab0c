#include "config/parameters.h"

#include <algorithm>

namespace zrb {

namespace {

// Row y of row k (0..9) and of a push button in that row.
constexpr std::uint32_t row(std::uint32_t k) { return g_firstRowY + g_rowStepY * k; }
constexpr std::uint32_t buttonRow(std::uint32_t k) { return row(k) - g_buttonRaiseY; }

std::vector<std::uint32_t> lf_steps(std::uint32_t first, std::uint32_t last, std::uint32_t step) {
    std::vector<std::uint32_t> values;
    for (std::uint32_t v = first; v <= last; v += step) values.push_back(v);
    return values;
}

const std::vector<std::uint32_t> g_rangeChoices{2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 25, 30, 35, 40, 50, 65, 80, 100};
// Shared by MAX_PARK_SEL and MAX_LIVE_SEL (each object keeps its own copy).
const std::vector<std::uint32_t> g_maxSelChoices{10, 25, 50, 75, 100, 500};

std::vector<std::uint32_t> lf_airportHeightChoices() {
    auto values = lf_steps(2000, 18000, 2000);
    values.push_back(36000);
    values.push_back(48000);
    return values;
}

}  // namespace

IntComboParameter::IntComboParameter(std::string parameterName, std::int32_t def, std::vector<std::uint32_t> choiceList,
                                     std::uint16_t id, std::uint32_t y)
    : IntParameter(std::move(parameterName), def, static_cast<std::int32_t>(choiceList.front()),
                   static_cast<std::int32_t>(choiceList.back())),
      GuiControl(id, y),
      choices(std::move(choiceList)) {}

// clang-format off
BoolCheckParameter SIM_TIME{"SIM_TIME", false, 32862, row(4)};
BoolCheckParameter KEEP_SIM_TIME_PAR{"KEEP_SIM_TIME_PAR", false, 32863, row(6)};
BoolCheckParameter RT_PARKTRAFFIC_ONLY{"RT_PARKTRAFFIC_ONLY", false, 32857, row(9)};
BoolCheckParameter AFG_AUTOMATIC{"AFG_AUTOMATIC", true, 32802, row(2)};
BoolCheckParameter COLLISION_USER_AIR{"COLLISION_USER_AIR", true, 32833, row(6)};
BoolCheckParameter COLLISION_USER_GND{"COLLISION_USER_GND", true, 32834, row(6)};
BoolCheckParameter COLLISION_LIVE_PARKED_GND{"COLLISION_LIVE_PARKED_GND", false, 32835, row(6)};
BoolCheckParameter SUPPRESS_STUB{"SUPPRESS_STUB", true, 32800, row(1)};
BoolCheckParameter LOG{"LOG", true, 32779, row(1)};
BoolCheckParameter ALWAYS_ON_TOP{"ALWAYS_ON_TOP", false, 32771, row(1)};
BoolCheckParameter SCAN_LIVERIES{"SCAN_LIVERIES", true, 32797, row(1)};
BoolCheckParameter LIG_AUTOMATIC{"LIG_AUTOMATIC", true, 32798, row(1)};
BoolCheckParameter LIG_PRIORITIZE{"LIG_PRIORITIZE", false, 32799, row(1)};
BoolCheckParameter SCAN_AIRPORTS{"SCAN_AIRPORTS", true, 32801, row(2)};
BoolCheckParameter LIGHT_AIRCRAFT{"LIGHT_AIRCRAFT", true, 32809, row(3)};
BoolCheckParameter HELICOPTERS{"HELICOPTERS", true, 32810, row(3)};
BoolCheckParameter HIGH_PERF_AIRCRAFT{"HIGH_PERF_AIRCRAFT", true, 32811, row(3)};
BoolCheckParameter NAV_LIGHTS_WHILE_PARKED{"NAV_LIGHTS_WHILE_PARKED", true, 32778, row(2)};
BoolCheckParameter AUTO_RANGE{"AUTO_RANGE", true, 32819, row(4)};
BoolCheckParameter LEARN_SOFT{"LEARN_SOFT", true, 32777, row(2)};
BoolCheckParameter STRAIGHT_PBS_ONLY{"STRAIGHT_PBS_ONLY", false, 32856, row(7)};
BoolCheckParameter PARK_SOFT{"PARK_SOFT", true, 32851, row(9)};
BoolCheckParameter PARK_FAKE{"PARK_FAKE", false, 32852, row(9)};
BoolCheckParameter WEEK{"WEEK", false, 32854, row(9)};
BoolCheckParameter INITIAL_LOAD_ONLY{"INITIAL_LOAD_ONLY", false, 32850, row(9)};
BoolCheckParameter GUID_CHANGES{"GUID_CHANGES", true, 32773, row(3)};

IntComboParameter MATCHING_DEPTH{"MATCHING_DEPTH", 4, {1, 2, 3, 4}, 32808, row(3)};
IntComboParameter RANGE{"RANGE", 40, g_rangeChoices, 32818, row(4)};
IntComboParameter AR_ABOVE_HEIGHT{"AR_ABOVE_HEIGHT", 48000, lf_steps(18000, 48000, 3000), 32820, row(4)};
IntComboParameter MAX_PARK_SEL{"MAX_PARK_SEL", 500, g_maxSelChoices, 32846, row(7)};
IntComboParameter MAX_LIVE_SEL{"MAX_LIVE_SEL", 500, g_maxSelChoices, 32847, row(7)};
IntComboParameter AIRP_RANGE{"AIRP_RANGE", 20, {5, 10, 15, 20, 25, 30}, 32840, row(8)};
IntComboParameter AIRP_HEIGHT{"AIRP_HEIGHT", 18000, lf_airportHeightChoices(), 32841, row(8)};

IntEditParameter MAX_FIT{"MAX_FIT", 47, 0, 47, 32853, row(9)};
FloatEditParameter MAX_FIT_FL{"MAX_FIT_FL", 24.0F, 0.5F, 24.0F, 32855, row(9)};
IntEditParameter parking_percentage{"parking_percentage", 30, 0, 100, 32848, row(9)};
IntEditParameter TIME_SHIFT_HOURS{"TIME_SHIFT_HOURS", 0, 0, 23, 32860, row(4)};
IntEditParameter TIME_SHIFT_DAYS{"TIME_SHIFT_DAYS", 0, 0, 28, 32859, row(5)};
IntEditParameter TIME_SHIFT_MINS{"TIME_SHIFT_MINS", 0, 0, 59, 32861, row(6)};

IntParameter CUSTOM_PARKING_PERCENTAGE{"CUSTOM_PARKING_PERCENTAGE", -1, -1, 100};
IntParameter MAIN_WINDOW_X{"MAIN_WINDOW_X", 400, -30000, 30000};
IntParameter MAIN_WINDOW_Y{"MAIN_WINDOW_Y", 20, -30000, 30000};
IntParameter LATERAL_RANGE{"LATERAL_RANGE", 40, 2, 100};
IntParameter AIRPORT_RANGE{"AIRPORT_RANGE", 20, 8, 30};
IntParameter AUTO_RANGE_ABOVE_HEIGHT{"AUTO_RANGE_ABOVE_HEIGHT", 49000, 18000, 49000};
IntParameter AIRPORT_HEIGHT{"AIRPORT_HEIGHT", 18000, 2000, 45000};
IntParameter LAST_EPOCH_TIME{"LAST_EPOCH_TIME:", 0, 0, 2147483647};
IntParameter HOLDING_THRESHOLD_METERS{"HOLDING_THRESHOLD_METERS", 250, 10, 4000};
IntParameter MAX_HOLDING_MINUTES{"MAX_HOLDING_MINUTES", 20, 1, 60};
IntParameter CUSTOM_MAX_PARK{"CUSTOM_MAX_PARK", -1, -1, 500};
IntParameter MAX_LIVE{"MAX_LIVE", -1, -1, 300};
IntParameter P3D_VERSION{"P3D_VERSION", 5, 5, 6};

StringParameter PROGRAM_VERSION{"PROGRAM_VERSION", ""};
StringParameter SIM_INSTALL_PATH{"SIM_INSTALL_PATH", ""};
StringParameter lfolder0{"lfolder0", ""}, lfolder1{"lfolder1", ""}, lfolder2{"lfolder2", ""}, lfolder3{"lfolder3", ""};
StringParameter lfolder4{"lfolder4", ""}, lfolder5{"lfolder5", ""}, lfolder6{"lfolder6", ""}, lfolder7{"lfolder7", ""};
StringParameter lfolder8{"lfolder8", ""}, lfolder9{"lfolder9", ""};
StringParameter afolder0{"afolder0", ""}, afolder1{"afolder1", ""}, afolder2{"afolder2", ""}, afolder3{"afolder3", ""};
StringParameter afolder4{"afolder4", ""}, afolder5{"afolder5", ""}, afolder6{"afolder6", ""}, afolder7{"afolder7", ""};
StringParameter afolder8{"afolder8", ""}, afolder9{"afolder9", ""};
StringParameter PROGRAM_INSTALL_PATH{"PROGRAM_INSTALL_PATH", ""};
StringParameter AIG_VERSION{"AIG_VERSION", ""};
StringParameter DBASE_VERSION{"DBASE_VERSION", ""};

StringEditParameter ALL_INSTALL_PATH{"ALL_INSTALL_PATH", "", 32788, row(0)};
StringEditParameter BLOCK_CALLSIGN{"BLOCK_CALLSIGN", "", 32828, row(5)};
StringEditParameter DESTINATION{"DESTINATION", "", 32839, row(8)};

ButtonControl UNBLOCK_BUTTON{"Unblock", 32829, buttonRow(5)};
ButtonControl REREAD_BUTTON{"Re-read", 32838, buttonRow(8)};
ButtonControl FLUSH_STATIC_BUTTON{"Flush static", 32858, buttonRow(9)};
// clang-format on

const std::array<StringParameter*, 10> g_lfolders{&lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4,
                                                  &lfolder5, &lfolder6, &lfolder7, &lfolder8, &lfolder9};
const std::array<StringParameter*, 10> g_afolders{&afolder0, &afolder1, &afolder2, &afolder3, &afolder4,
                                                  &afolder5, &afolder6, &afolder7, &afolder8, &afolder9};

namespace {

// Addresses only: constant-initialised, so usable from any static initialiser.
Parameter* const g_all[] = {
    &SIM_TIME, &KEEP_SIM_TIME_PAR, &RT_PARKTRAFFIC_ONLY, &AFG_AUTOMATIC, &COLLISION_USER_AIR, &COLLISION_USER_GND,
    &COLLISION_LIVE_PARKED_GND, &SUPPRESS_STUB, &LOG, &ALWAYS_ON_TOP, &SCAN_LIVERIES, &LIG_AUTOMATIC,
    &LIG_PRIORITIZE, &SCAN_AIRPORTS, &LIGHT_AIRCRAFT, &HELICOPTERS, &HIGH_PERF_AIRCRAFT, &NAV_LIGHTS_WHILE_PARKED,
    &AUTO_RANGE, &LEARN_SOFT, &STRAIGHT_PBS_ONLY, &PARK_SOFT, &PARK_FAKE, &WEEK, &INITIAL_LOAD_ONLY, &GUID_CHANGES,
    &MATCHING_DEPTH, &RANGE, &AR_ABOVE_HEIGHT, &MAX_PARK_SEL, &MAX_LIVE_SEL, &AIRP_RANGE, &AIRP_HEIGHT,
    &MAX_FIT, &MAX_FIT_FL, &parking_percentage, &TIME_SHIFT_HOURS, &TIME_SHIFT_DAYS, &TIME_SHIFT_MINS,
    &CUSTOM_PARKING_PERCENTAGE, &MAIN_WINDOW_X, &MAIN_WINDOW_Y, &LATERAL_RANGE, &AIRPORT_RANGE,
    &AUTO_RANGE_ABOVE_HEIGHT, &AIRPORT_HEIGHT, &LAST_EPOCH_TIME, &HOLDING_THRESHOLD_METERS, &MAX_HOLDING_MINUTES,
    &CUSTOM_MAX_PARK, &MAX_LIVE, &P3D_VERSION,
    &PROGRAM_VERSION, &SIM_INSTALL_PATH,
    &lfolder0, &lfolder1, &lfolder2, &lfolder3, &lfolder4, &lfolder5, &lfolder6, &lfolder7, &lfolder8, &lfolder9,
    &afolder0, &afolder1, &afolder2, &afolder3, &afolder4, &afolder5, &afolder6, &afolder7, &afolder8, &afolder9,
    &PROGRAM_INSTALL_PATH, &AIG_VERSION, &DBASE_VERSION,
    &ALL_INSTALL_PATH, &BLOCK_CALLSIGN, &DESTINATION,
    &UNBLOCK_BUTTON, &REREAD_BUTTON, &FLUSH_STATIC_BUTTON,
};

ParameterReadLists lf_buildReadLists() {
    ParameterReadLists lists;
    lists.checkBoxes = {&SIM_TIME, &KEEP_SIM_TIME_PAR, &RT_PARKTRAFFIC_ONLY, &AFG_AUTOMATIC, &COLLISION_USER_AIR,
                        &COLLISION_USER_GND, &COLLISION_LIVE_PARKED_GND, &SUPPRESS_STUB, &LOG, &ALWAYS_ON_TOP,
                        &SCAN_LIVERIES, &LIG_AUTOMATIC, &LIG_PRIORITIZE, &SCAN_AIRPORTS, &LIGHT_AIRCRAFT,
                        &HELICOPTERS, &HIGH_PERF_AIRCRAFT, &NAV_LIGHTS_WHILE_PARKED, &AUTO_RANGE, &LEARN_SOFT,
                        &STRAIGHT_PBS_ONLY, &PARK_SOFT, &PARK_FAKE, &WEEK, &INITIAL_LOAD_ONLY, &GUID_CHANGES};
    lists.fileInts = {&CUSTOM_PARKING_PERCENTAGE, &MAIN_WINDOW_X, &MAIN_WINDOW_Y, &LATERAL_RANGE, &AIRPORT_RANGE,
                      &AUTO_RANGE_ABOVE_HEIGHT, &AIRPORT_HEIGHT, &LAST_EPOCH_TIME, &HOLDING_THRESHOLD_METERS,
                      &MAX_HOLDING_MINUTES, &CUSTOM_MAX_PARK, &MAX_LIVE, &P3D_VERSION};
    lists.shownInts = {&MATCHING_DEPTH, &RANGE, &MAX_FIT, &AR_ABOVE_HEIGHT, &MAX_PARK_SEL, &MAX_LIVE_SEL,
                       &AIRP_RANGE, &AIRP_HEIGHT, &TIME_SHIFT_DAYS, &TIME_SHIFT_HOURS, &TIME_SHIFT_MINS};
    lists.fileStrings = {&PROGRAM_VERSION, &SIM_INSTALL_PATH};
    lists.fileStrings.insert(lists.fileStrings.end(), g_lfolders.begin(), g_lfolders.end());
    lists.fileStrings.insert(lists.fileStrings.end(), g_afolders.begin(), g_afolders.end());
    lists.fileStrings.insert(lists.fileStrings.end(), {&PROGRAM_INSTALL_PATH, &AIG_VERSION, &DBASE_VERSION, &DESTINATION});
    lists.shownStrings = {&BLOCK_CALLSIGN};
    return lists;
}

}  // namespace

std::span<Parameter* const> gf_allParameters() { return g_all; }

Parameter* gf_findParameter(std::string_view name) {
    const auto it = std::find_if(std::begin(g_all), std::end(g_all), [&](const Parameter* p) { return p->name == name; });
    return it == std::end(g_all) ? nullptr : *it;
}

const ParameterReadLists& gf_parameterReadLists() {
    static const ParameterReadLists lists = lf_buildReadLists();
    return lists;
}

}  // namespace zrb
