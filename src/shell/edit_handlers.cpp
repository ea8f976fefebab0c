// Enter in the edit boxes: the two parking numbers, the time shift, the
// blocked callsign, the destination and the simulator's install path.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <gsl/narrow>

#include "airports/park_airport_choice.h"
#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/program_id.h"
#include "foundation/strings.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/control_handlers.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/window_text.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

constexpr std::size_t minCallsignLength = 4;
constexpr std::size_t maxCallsignLength = 8;
constexpr std::size_t icaoLength = 4;
constexpr float fitStepsPerHour = 2.0F;  // MAX_FIT counts half hours, from 0 for 0.5 h
constexpr float hoursPerFitStep = 0.5F;

bool lf_isTimeShift(const IntEditParameter& p) {
    return &p == &TIME_SHIFT_DAYS || &p == &TIME_SHIFT_HOURS || &p == &TIME_SHIFT_MINS;
}

// The edit's text as a whole number. Like the conversion users know from the
// original input boxes, a number followed by other characters ("12abc") counts
// as that number; a text that does not start with one is refused.
// Throws std::invalid_argument or std::out_of_range.
std::int32_t lf_parseInt(const std::string& text) { return std::stoi(text); }

// Applies the edit's text to an integer setting; true when the value was set.
bool lf_processTbInt(IntEditParameter& p) {
    const std::string text = lf_getTextFromId(p.controlId);
    bool changed = false;
    try {
        if (!text.empty()) {
            const std::int32_t n = lf_parseInt(text);
            if (n == p.value) {
                gf_showMessageF(true, "Same {} value {}, no changes made", p.name, n);
            } else {
                p.value = std::clamp(n, p.min, p.max);
                // The time shift saves its three values itself; the parking
                // percentage belongs to the park airport's file.
                if (!lf_isTimeShift(p) && &p != &parking_percentage) gf_saveIntParameter(p);
                changed = true;
            }
        } else if (&p == &parking_percentage) {
            p.value = 0;
            changed = true;
        } else {
            p.value = std::clamp(p.defaultValue, p.min, p.max);
            gf_saveIntParameter(p);
            changed = true;
        }
        if (changed) gf_showMessageF(false, "The new {} is {}", p.name, p.value.load());
    } catch (const std::invalid_argument&) {
        gf_showMessageF(true, "invalid input: {}", text);
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}, h={} ", "lf_processTbInt", e.what(), text);
    }
    gf_showIntParameter(p);
    return changed;
}

// Applies the edit's text to MAX_FIT_FL in steps of half an hour, and MAX_FIT
// with it; true when the value was set.
bool lf_processTbFloat() {
    const std::string text = lf_getTextFromId(MAX_FIT_FL.controlId);
    bool changed = false;
    try {
        if (!text.empty()) {
            const float v = std::stof(text);
            // "nan" converts, but no number of hours compares to it.
            if (std::isnan(v)) throw std::invalid_argument("invalid stof argument");
            if (v == MAX_FIT_FL.value) {
                gf_showMessageF(true, "Same {} value {}, no changes made", MAX_FIT_FL.name, v);
            } else {
                const float hours = std::clamp(v, MAX_FIT_FL.min, MAX_FIT_FL.max);
                const std::int32_t steps = gsl::narrow<std::int32_t>(std::lround(fitStepsPerHour * hours)) - 1;
                MAX_FIT.value = std::clamp(steps, MAX_FIT.min, MAX_FIT.max);
                gf_saveIntParameter(MAX_FIT);
                MAX_FIT_FL.value = std::clamp(static_cast<float>(MAX_FIT.value) * hoursPerFitStep + hoursPerFitStep,
                                              MAX_FIT_FL.min, MAX_FIT_FL.max);
                changed = true;
            }
        } else {
            MAX_FIT_FL.value = MAX_FIT_FL.defaultValue;
            MAX_FIT.value = MAX_FIT.defaultValue;
            gf_saveIntParameter(MAX_FIT);
            changed = true;
        }
        if (changed) gf_showMessageF(false, "The new {} is {:.1F}", MAX_FIT_FL.name, MAX_FIT_FL.value.load());
    } catch (const std::exception& e) {
        gf_logMarked("{}: {}, h={}", "lf_processTbFloat", e.what(), text);
    }
    gf_showFloatParameter(MAX_FIT_FL);
    return changed;
}

void lf_applyTimeShiftEdit(IntEditParameter& edit) {
    if (!lf_processTbInt(edit)) return;
    const std::int32_t minutes = (TIME_SHIFT_HOURS.value + TIME_SHIFT_DAYS.value * 24) * 60 + TIME_SHIFT_MINS.value;
    gf_timeShift(minutes, false);
}

void lf_applyBlockCallsign() {
    const std::string text = lf_getTextFromId(BLOCK_CALLSIGN.controlId);
    if (text.empty()) {
        lf_unblockCallsign();
        return;
    }
    if (text.size() < minCallsignLength || text.size() > maxCallsignLength) {
        gf_showMessageF(true, "callsign '{}' is not valid", text);
        gf_showTextParameter(BLOCK_CALLSIGN);
        return;
    }
    const std::string callsign = gf_toUpperAscii(text);
    if (BLOCK_CALLSIGN.value == callsign) {
        gf_showMessageF(true, "callsign '{}' was already set ...", callsign);
        gf_showTextParameter(BLOCK_CALLSIGN);
        return;
    }
    gf_setStringParameter(BLOCK_CALLSIGN, callsign);
    gf_showTextParameter(BLOCK_CALLSIGN);
    gf_enableControl(UNBLOCK_BUTTON, true);
    gf_showMessageF(true, "live aircraft with callsign '{}' will be blocked", callsign);
    g_blockCallsignRequest = true;
}

// The airport list and the park-airport list belong to the worker: a valid
// code goes to it as a request (gf_serveWindowRequests finds the airport).
void lf_applyDestination() {
    const std::string text = lf_getTextFromId(DESTINATION.controlId);
    if (text.empty()) {
        // Saved empty at the end of the run.
        DESTINATION.value = "";
        gf_requestDestination("");
        gf_enableControl(REREAD_BUTTON, true);
        gf_showMessage("destination set to empty", true);
    } else if (text.size() != icaoLength) {
        gf_showMessageF(true, "destination '{}' is not valid", text);
    } else if (const std::string code = gf_toUpperAscii(text); DESTINATION.value == code) {
        gf_showMessageF(true, "destination '{}' was already set ...", code);
    } else {
        gf_requestDestination(code);
        return;
    }
    gf_showTextParameter(DESTINATION);
}

void lf_applyInstallPath(const std::string& text) {
    gf_clearError();
    gf_clearMessage();
    if (text.empty()) {
        if (!SIM_INSTALL_PATH.value.empty()) gf_setStringParameter(SIM_INSTALL_PATH, "");
        ALL_INSTALL_PATH.value = "";
        return;
    }
    // The text is UTF-8; a plain std::string would be read in the ANSI code page on Windows.
    const fs::path path(std::u8string(text.begin(), text.end()));
    if (!fs::exists(path)) {
        gf_showMessageF(true, "This install path does not exist: {}", text);
        return;
    }
    // A file cannot hold the simulator: restarting with it would only fail again.
    if (!fs::is_directory(path)) {
        gf_showMessageF(true, "This install path is not a folder: {}", text);
        return;
    }
    gf_setStringParameter(SIM_INSTALL_PATH, text);
    ALL_INSTALL_PATH.value = text;
    const bool restarts = gf_requestStop(ExitReason::newSettings, g_installPathRestartSeconds) ||
                          (gf_isRestartReason(gf_exitReason()) && !g_stopProgram);
    // After an error that holds the run until the window is closed no restart
    // follows: say so rather than promise one.
    if (restarts)
        gf_showMessageF(true, "Install path exists, {} will restart", g_programId);
    else
        gf_showMessageF(true, "Install path exists, restart {} to use it", g_programId);
}

}  // namespace

void lf_unblockCallsign() {
    const std::string former = BLOCK_CALLSIGN.value;
    if (former.empty()) return;
    gf_setStringParameter(BLOCK_CALLSIGN, "");
    gf_showTextParameter(BLOCK_CALLSIGN);
    gf_enableControl(UNBLOCK_BUTTON, false);
    gf_showMessageF(true, "no more blocking of live aircraft '{}'", former);
    g_blockCallsignRequest = true;
}

void lf_handleEditEnter(std::uint16_t id) {
    try {
        if (id == ALL_INSTALL_PATH.controlId) {
            lf_applyInstallPath(lf_getTextFromId(id));
            return;
        }
        gf_clearMessage();
        if (id == parking_percentage.controlId) {
            lf_processTbInt(parking_percentage);
        } else if (id == MAX_FIT_FL.controlId) {
            if (g_parkingDataLoaded && lf_processTbFloat()) gf_requestParkingRenewal();
        } else if (id == TIME_SHIFT_DAYS.controlId) {
            lf_applyTimeShiftEdit(TIME_SHIFT_DAYS);
        } else if (id == TIME_SHIFT_HOURS.controlId) {
            lf_applyTimeShiftEdit(TIME_SHIFT_HOURS);
        } else if (id == TIME_SHIFT_MINS.controlId) {
            lf_applyTimeShiftEdit(TIME_SHIFT_MINS);
        } else if (id == BLOCK_CALLSIGN.controlId) {
            lf_applyBlockCallsign();
        } else if (id == DESTINATION.controlId) {
            lf_applyDestination();
        }
    } catch (const std::exception& e) {
        gf_logLine("{} exception {}", "lf_handleEditEnter", e.what());
    }
}

}  // namespace zrb
