// The push buttons, check boxes and drop-down lists of the middle band.
#include "shell/control_handlers.h"

#include <algorithm>
#include <array>

#include "airports/park_airport_choice.h"
#include "airports/parking_controls.h"
#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/program_id.h"
#include "liveries/livery_tables.h"
#include "platform/window.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/common/run_state.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/window_text.h"
#include "simlink/sim_state.h"

namespace zrb {

namespace {

constexpr std::uint32_t renewalStepSeconds = 15;  // the main loop serves a renewal on its 15-second steps
constexpr std::uint8_t navLightsOff = 1;          // g_navLightsRequest values
constexpr std::uint8_t navLightsOn = 2;

void lf_messageOrClear(bool show, const char* text) {
    if (show)
        gf_showMessage(text, false);
    else
        gf_clearMessage();
}

// ---------------------------------------------------------------- push buttons

bool lf_handleCheckButtons(std::uint16_t id) {
    if (id == UNBLOCK_BUTTON.controlId) {
        if (BLOCK_CALLSIGN.value.empty())
            gf_showMessage("Nothing to block or unblock...", false);
        else
            lf_unblockCallsign();
        return true;
    }
    if (id == REREAD_BUTTON.controlId) {
        g_reReadRequest = true;
        gf_enableControl(REREAD_BUTTON, false);
        gf_enableControl(DESTINATION, false);
        return true;
    }
    if (id == FLUSH_STATIC_BUTTON.controlId) {
        gf_showMessage("All static parked aircraft will be removed ...", false);
        g_flushStaticRequest = true;
        gf_enableControl(FLUSH_STATIC_BUTTON, false);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------- check boxes

// A scan switched on: before the simulator was first connected in this run the
// run restarts at once so that the next one scans; afterwards it follows at the
// next start.
void lf_scanSwitchedOn(const char* now, const std::string& later) {
    if (g_simNotConnected) {
        gf_showMessage(now, true);
        gf_requestStop(ExitReason::newSettings, g_scanRequestRestartSeconds);
    } else {
        gf_showMessage(later, false);
    }
    gf_invalidateBand(g_middleBand);
}

void lf_markParkingFileChanged() {
    if (g_parkingDataLoaded) g_apfChanged = true;
}

void lf_boxAction(const BoolCheckParameter& box, bool on) {
    if (&box == &LIG_AUTOMATIC) {
        lf_messageOrClear(!on, "The liveries defined by your lfolder parameters will be scanned");
    } else if (&box == &LIG_PRIORITIZE) {
        lf_messageOrClear(on, "Liveries, for airl+model, in lower lfolders that are already available will be skipped");
    } else if (&box == &COLLISION_LIVE_PARKED_GND) {
        lf_messageOrClear(!on, "Be aware, no collision avoidance with live aircraft vs parked static on the ground");
    } else if (&box == &COLLISION_USER_GND) {
        lf_messageOrClear(!on, "Be aware, no collision avoidance with user aircraft on the ground");
    } else if (&box == &COLLISION_USER_AIR) {
        lf_messageOrClear(!on, "Be aware, no collision avoidance with user aircraft in the air");
    } else if (&box == &INITIAL_LOAD_ONLY) {
        lf_messageOrClear(on, "Initial Load Only: static parked aircraft are generated once, no renewal every 20 minutes");
        lf_markParkingFileChanged();
    } else if (&box == &ALWAYS_ON_TOP) {
        if (on)
            gf_showMessageF(false, "{}'s window will remain visible", g_programId);
        else
            gf_clearMessage();
        gf_setWindowTopmost(on);
    } else if (&box == &SUPPRESS_STUB) {
        lf_messageOrClear(on, "Exclude FSLTL-liveries titles ending with _STUB from scan");
    } else if (&box == &GUID_CHANGES) {
        lf_messageOrClear(!on, "Be aware, no more livery updates: you miss correct data for Learn, LittleNavMap, etc!");
    } else if (&box == &RT_PARKTRAFFIC_ONLY) {
        gf_enableParkingControls();
        g_apfChanged = true;
        g_parkedTrafficOnlyChange = on;
        gf_requestParkingRenewal();
        gf_invalidateBand(g_lowerBand);
    } else if (&box == &SIM_TIME) {
        lf_applySimTimeSetting();
    } else if (&box == &AUTO_RANGE) {
        gf_autoRangeSwitched(on);
    } else if (&box == &SCAN_LIVERIES) {
        if (!on) {
            gf_clearMessage();
        } else {
            // Only asks: the worker empties the tables at its next start-up.
            if (g_simNotConnected) gf_clearCategoryLiveries();
            lf_scanSwitchedOn("Your liveries will be scanned",
                              fmt::format("Your liveries will be scanned at the next start of {}, recommended after "
                                          "you have add/removed AI aircraft models/liveries",
                                          g_programId));
        }
    } else if (&box == &SCAN_AIRPORTS) {
        if (!on)
            gf_clearMessage();
        else
            lf_scanSwitchedOn("Your airports will be scanned",
                              fmt::format("Your airports will be scanned at the next start of {}, recommended after "
                                          "you have add/removed airports",
                                          g_programId));
    } else if (&box == &AFG_AUTOMATIC) {
        if (on)
            gf_clearMessage();
        else
            gf_showMessage("The airports defined by your afolder parameters will be scanned", true);
    } else if (&box == &PARK_SOFT || &box == &PARK_FAKE || &box == &WEEK) {
        gf_requestParkingRenewal();
    } else if (&box == &NAV_LIGHTS_WHILE_PARKED) {
        g_navLightsRequest = on ? navLightsOn : navLightsOff;
    } else if (&box == &LEARN_SOFT) {
        lf_markParkingFileChanged();
    }
    // KEEP_SIM_TIME_PAR, STRAIGHT_PBS_ONLY, LOG and the three optional
    // categories take effect where they are read.
}

bool lf_handleOptionBoxes(std::uint16_t id) {
    static const std::array<BoolCheckParameter*, 26> boxes{
        &LIG_AUTOMATIC, &LIG_PRIORITIZE, &COLLISION_LIVE_PARKED_GND, &COLLISION_USER_GND, &COLLISION_USER_AIR,
        &INITIAL_LOAD_ONLY, &ALWAYS_ON_TOP, &SUPPRESS_STUB, &GUID_CHANGES, &RT_PARKTRAFFIC_ONLY, &SIM_TIME,
        &AUTO_RANGE, &SCAN_LIVERIES, &SCAN_AIRPORTS, &AFG_AUTOMATIC, &PARK_SOFT, &PARK_FAKE, &WEEK,
        &NAV_LIGHTS_WHILE_PARKED, &LEARN_SOFT, &KEEP_SIM_TIME_PAR, &STRAIGHT_PBS_ONLY, &LOG, &LIGHT_AIRCRAFT,
        &HELICOPTERS, &HIGH_PERF_AIRCRAFT,
    };
    const auto it = std::find_if(boxes.begin(), boxes.end(), [id](const BoolCheckParameter* b) { return b->controlId == id; });
    if (it == boxes.end()) return false;
    BoolCheckParameter& box = **it;
    const platform::ControlHandle handle = platform::controlById(id);
    const bool on = !platform::controlChecked(handle).value_or(box.value);
    platform::setCheck(handle, on);
    box.value = on;
    gf_saveBoolParameter(box);
    lf_boxAction(box, on);
    gf_invalidateBand(g_middleBand);  // labels follow some boxes' states
    return true;
}

// ---------------------------------------------------------------- drop-down lists

bool lf_handleComboBoxes(std::uint16_t id, std::uint16_t code) {
    static const std::array<IntComboParameter*, 7> combos{&MATCHING_DEPTH, &MAX_PARK_SEL, &RANGE,       &AIRP_RANGE,
                                                          &AR_ABOVE_HEIGHT, &AIRP_HEIGHT,  &MAX_LIVE_SEL};
    if (code != platform::notifySelectionChange) return false;
    const auto it = std::find_if(combos.begin(), combos.end(), [id](const IntComboParameter* c) { return c->controlId == id; });
    if (it == combos.end()) return false;
    IntComboParameter& combo = **it;
    const platform::ControlHandle handle = platform::controlById(id);
    const auto index = platform::comboSelection(handle);
    if (!index || !platform::comboItemText(handle, *index)) return false;
    if (static_cast<std::size_t>(*index) >= combo.choices.size()) return false;
    const auto choice = static_cast<std::int64_t>(combo.choices[static_cast<std::size_t>(*index)]);
    combo.value = static_cast<std::int32_t>(std::clamp<std::int64_t>(choice, combo.min, combo.max));
    gf_saveIntParameter(combo);
    gf_showIntParameter(combo);
    if (&combo == &MAX_PARK_SEL) {
        gf_requestParkingRenewal();
    } else if (&combo == &RANGE) {
        gf_setWorkingRange(RANGE.value);
        g_apfChanged = true;
    } else if (&combo == &MAX_LIVE_SEL) {
        // While a park airport's file is loaded the value belongs to that file.
        if (g_parkingDataLoaded)
            g_apfChanged = true;
        else
            g_userMaxLiveSel = MAX_LIVE_SEL.value.load();
        g_trimLiveRequest = true;
    }
    return true;
}

}  // namespace

bool lf_HandleWMCOMMAND(std::uint16_t id, std::uint16_t code) {
    try {
        if (lf_handleCheckButtons(id) || lf_handleOptionBoxes(id) || lf_handleComboBoxes(id, code)) return true;
    } catch (const std::exception& e) {
        gf_logLine("{} exception {}", "lf_HandleWMCOMMAND", e.what());
    }
    gf_invalidateBand(g_middleBand);
    return false;
}

void gf_requestParkingRenewal() {
    if (!g_parkingDataLoaded) return;
    g_apfChanged = true;
    if (INITIAL_LOAD_ONLY.value) {
        gf_clearMessage();
        return;
    }
    const std::uint32_t seconds = renewalStepSeconds - g_secondCounter.load() % renewalStepSeconds;
    gf_showMessageF(false, "{} will respond in {} second{} ...", g_programId, seconds, gf_plural(seconds));
    g_parkingRenewalRequest = true;
}

}  // namespace zrb
