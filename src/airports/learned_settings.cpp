// The settings a learned file repeats for its airport, read back in the order
// the file format lists them. They change the settings in memory and in
// their controls only: the user's parameters.xml stays as it is.
#include <algorithm>
#include <cstdint>

#include <fmt/format.h>

#include "airports/learned_file.h"
#include "airports/parking_controls.h"
#include "airports/parking_file.h"
#include "config/parameter_controls.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "shell/common/message_line.h"
#include "shell/common/run_state.h"

namespace zrb {

namespace {

constexpr std::int32_t maxLiveDefault = 500;
constexpr std::int32_t defaultParkingPercentage = 30;
constexpr float hoursPerFitStep = 0.5F;
constexpr int nameWidth = 24;

void lf_logSetting(std::string_view name, const auto& value) { gf_logIndented("{:{}}: {}", name, nameWidth, value); }

// A stored MAX_LIVE to the nearest lower choice of MAX_LIVE_SEL; -1 (never
// set) keeps the default.
std::int32_t lf_maxLiveChoice(std::int32_t stored) {
    if (stored == -1) return maxLiveDefault;
    if (stored < 25) return 10;
    if (stored < 50) return 25;
    if (stored < 75) return 50;
    if (stored < 100) return 75;
    return 100;
}

void lf_readBool(const pugi::xml_node& doc, std::string_view name, BoolCheckParameter& setting) {
    const auto value = lf_getApfBoolParameter(doc, name);
    if (!value) return;
    setting.value = *value;
    gf_setCheckBox(setting);
    lf_logSetting(name, *value);
}

void lf_readMaxLive(const pugi::xml_node& doc) {
    const auto stored = lf_getApfIntParameter(doc, "MAX_LIVE");
    const std::int32_t choice = stored ? lf_maxLiveChoice(*stored) : maxLiveDefault;
    MAX_LIVE_SEL.value = std::clamp(choice, MAX_LIVE_SEL.min, MAX_LIVE_SEL.max);
    gf_fillCombo(MAX_LIVE_SEL);
    if (stored) lf_logSetting("MAX_LIVE", MAX_LIVE_SEL.value.load());
}

void lf_readRange(const pugi::xml_node& doc) {
    const auto stored = lf_getApfIntParameter(doc, "LATERAL_RANGE");
    if (!stored) return;
    RANGE.value = std::clamp(gf_quantizeRange(*stored), RANGE.min, RANGE.max);
    gf_setWorkingRange(RANGE.value);
    gf_fillCombo(RANGE);
    gf_enableParkingControl(RANGE, true);
    lf_logSetting("LATERAL_RANGE", RANGE.value.load());
}

void lf_readAutoRange(const pugi::xml_node& doc) {
    const auto value = lf_getApfBoolParameter(doc, "AUTO_RANGE");
    if (!value) return;
    AUTO_RANGE.value = *value;
    gf_setCheckBox(AUTO_RANGE);
    if (*value) {
        g_manualRange = RANGE.value.load();
        gf_applyAutoRange();
        gf_enableParkingControl(RANGE, false);
    } else {
        gf_enableParkingControl(RANGE, true);
        const std::int32_t manual = g_manualRange.load();
        RANGE.value = std::clamp(manual, RANGE.min, RANGE.max);
        gf_setWorkingRange(manual);
        gf_clearMessage();
    }
    gf_fillCombo(RANGE);
    lf_logSetting("AUTO_RANGE", *value);
}

void lf_readParkingPercentage(const pugi::xml_node& doc) {
    const auto stored = lf_getApfIntParameter(doc, "parking_percentage");
    // A share outside 0..100 would make the planner want a negative or an
    // impossible number of parked aircraft.
    parking_percentage.value =
        stored ? std::clamp(*stored, parking_percentage.min, parking_percentage.max) : defaultParkingPercentage;
    gf_showIntParameter(parking_percentage);
    if (stored) lf_logSetting("parking_percentage", parking_percentage.value.load());
}

void lf_readMaxFit(const pugi::xml_node& doc) {
    const auto stored = lf_getApfIntParameter(doc, "MAX_FIT");
    if (!stored) return;
    MAX_FIT.value = std::clamp(*stored, MAX_FIT.min, MAX_FIT.max);
    MAX_FIT_FL.value = static_cast<float>(MAX_FIT.value) * hoursPerFitStep + hoursPerFitStep;
    gf_showMaxFitHours();
    gf_logIndented("{:{}}: {} (max number of half hours, is {} hrs decimal)", "MAX_FIT", nameWidth,
                   MAX_FIT.value.load(), gf_floatToText(MAX_FIT_FL.value));
}

}  // namespace

void gf_readLearnedSettings(const pugi::xml_node& doc) {
    lf_readBool(doc, "LEARN_SOFT", LEARN_SOFT);
    lf_readMaxLive(doc);
    lf_readRange(doc);
    lf_readAutoRange(doc);
    lf_readBool(doc, "PARK_FAKE", PARK_FAKE);
    lf_readBool(doc, "WEEK", WEEK);
    lf_readBool(doc, "PARK_SOFT", PARK_SOFT);
    lf_readParkingPercentage(doc);
    lf_readBool(doc, "INITIAL_LOAD_ONLY", INITIAL_LOAD_ONLY);
    lf_readMaxFit(doc);
    lf_readBool(doc, "RT_PARKTRAFFIC_ONLY", RT_PARKTRAFFIC_ONLY);
}

}  // namespace zrb
