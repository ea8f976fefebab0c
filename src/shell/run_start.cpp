// The preparation of a run: settings, folders, data files, airports, the
// simulator's installation and the start-time state of the controls.
#include <algorithm>
#include <filesystem>
#include <vector>

#include <fmt/format.h>

#include "airports/park_airport_choice.h"
#include "airports/parking_controls.h"
#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/text_file.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"
#include "shell/common/run_control.h"
#include "shell/common/run_state.h"
#include "shell/control_handlers.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/run_services.h"
#include "shell/sim_detection.h"
#include "shell/version_update.h"
#include "shell/window_text.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t startParkingPercentage = 30;
constexpr float hoursPerFitStep = 0.5F;

// The aircraft database is read once per process: it survives restarts.
std::atomic<bool> g_dbaseRead{false};

void lf_createFolder(const fs::path& folder) {
    if (!fs::is_directory(folder)) fs::create_directories(folder);
}

void lf_removeFile(const fs::path& file) {
    if (fs::exists(file)) fs::remove(file);
}

}  // namespace

void gf_setupParameters() {
    const ParameterReadLists& lists = gf_parameterReadLists();
    // The older names are looked up by the version update only: reading them
    // here would append them again, with defaults that the next update would
    // then carry over the user's settings.
    std::vector<IntParameter*> fileInts;
    const auto obsolete = gf_obsoleteParameters();
    for (IntParameter* p : lists.fileInts)
        if (std::find(obsolete.begin(), obsolete.end(), p) == obsolete.end()) fileInts.push_back(p);
    if (!gf_readParameters(lists.checkBoxes, fileInts, lists.shownInts, lists.fileStrings, lists.shownStrings))
        gf_showMessage(fmt::format("{} cannot be read, settings are not saved until it can (see Log.txt)",
                                   gf_pathText(gf_parametersPath())),
                       true);
    gf_copyFilesOnVersionUpdate();
    RANGE.value = std::clamp<std::int32_t>(RANGE.value, RANGE.min, RANGE.max);
    gf_setWorkingRange(RANGE.value);
    // The file holds the user's own range (the automatic one is never saved):
    // unticking AUTO_RANGE returns to it.
    g_manualRange = RANGE.value.load();
}

void lf_removeOldFiles() {
    for (const fs::path& folder :
         {g_outputFolder, g_outputInfoFolder, g_outputErrorsFolder, g_airportsFolder, g_learnedFolder,
          g_learnedStockFolder, g_learnedSimaddonFolder, g_learnedThirdpartyFolder, g_myOrbxFolder,
          g_myThirdpartyFolder, g_myRegcodesFolder})
        lf_createFolder(folder);
    lf_removeFile(g_inputFolder / "AIG-regcodes0.xml");
    lf_removeFile(g_inputFolder / "AIG-regcodes00.xml");
}

void lf_applySimTimeSetting() {
    if (!SIM_TIME.value) {
        lf_showTimeShift(0);
        gf_timeShift(0, false);
        g_rememberedSimTime = gf_runServices().simUtcTime();
    } else {
        g_rememberedSimTime = 0;  // the next second applies the simulator's time
    }
    const bool editsEnabled = !SIM_TIME.value;
    for (const GuiControl* edit : {static_cast<const GuiControl*>(&TIME_SHIFT_DAYS),
                                   static_cast<const GuiControl*>(&TIME_SHIFT_HOURS),
                                   static_cast<const GuiControl*>(&TIME_SHIFT_MINS)})
        gf_enableControl(*edit, editsEnabled);
}

void lf_enableStartControls() {
    for (IntComboParameter* combo :
         {&MATCHING_DEPTH, &RANGE, &AR_ABOVE_HEIGHT, &MAX_PARK_SEL, &MAX_LIVE_SEL, &AIRP_RANGE, &AIRP_HEIGHT}) {
        gf_fillCombo(*combo);
        gf_enableControl(*combo, true);
    }
    for (BoolCheckParameter* box : gf_parameterReadLists().checkBoxes) gf_enableControl(*box, true);
    gf_enableControl(RANGE, !AUTO_RANGE.value);
    gf_enableControl(AR_ABOVE_HEIGHT, AUTO_RANGE.value);
    gf_enableControl(UNBLOCK_BUTTON, !BLOCK_CALLSIGN.value.empty());
    gf_enableControl(BLOCK_CALLSIGN, true);
    gf_enableControl(LEARN_SOFT, false);
    gf_enableControl(DESTINATION, false);
    gf_requestDestination("");  // a destination lasts one run: none carries over into the next
    gf_enableControl(REREAD_BUTTON, false);
    parking_percentage.value = startParkingPercentage;
    gf_enableControl(parking_percentage, false);
    gf_clearControlText(parking_percentage);
    MAX_FIT_FL.value = std::clamp(static_cast<float>(MAX_FIT.value) * hoursPerFitStep + hoursPerFitStep,
                                  MAX_FIT_FL.min, MAX_FIT_FL.max);
    gf_enableControl(MAX_FIT_FL, false);
    gf_clearControlText(MAX_FIT_FL);
    gf_enableParkingControls();
}

void lf_initRun() {
    auto& services = gf_runServices();
    // A park airport's learned settings may switch the automatic range on.
    gf_setAutoRangeFunction(&gf_setAutoRange);
    gf_setupParameters();
    gf_invalidateBand(g_statusBand);
    lf_removeOldFiles();
    g_userMaxLiveSel = MAX_LIVE_SEL.value.load();
    if (!g_restartPending) services.checkDataFileVersions();
    lf_enableStartControls();
    gf_enableControl(KEEP_SIM_TIME_PAR, true);
    if (SIM_TIME.value) {
        lf_applySimTimeSetting();
    } else {
        const std::int32_t total =
            (TIME_SHIFT_DAYS.value * 24 + TIME_SHIFT_HOURS.value) * 60 + TIME_SHIFT_MINS.value;
        if (TIME_SHIFT_DAYS.value != TIME_SHIFT_DAYS.defaultValue ||
            TIME_SHIFT_HOURS.value != TIME_SHIFT_HOURS.defaultValue ||
            TIME_SHIFT_MINS.value != TIME_SHIFT_MINS.defaultValue) {
            gf_timeShift(total, true);
        } else {
            gf_clearControlText(TIME_SHIFT_DAYS);
            gf_clearControlText(TIME_SHIFT_HOURS);
            gf_clearControlText(TIME_SHIFT_MINS);
        }
    }
    for (const GuiControl* control :
         {static_cast<const GuiControl*>(&TIME_SHIFT_DAYS), static_cast<const GuiControl*>(&TIME_SHIFT_HOURS),
          static_cast<const GuiControl*>(&TIME_SHIFT_MINS), static_cast<const GuiControl*>(&SIM_TIME),
          static_cast<const GuiControl*>(&KEEP_SIM_TIME_PAR)})
        gf_enableControl(*control, true);
    gf_setStringParameter(PROGRAM_INSTALL_PATH, fs::current_path().string());
    gf_storeDaySlot();
    if (!g_dbaseRead.exchange(true)) services.readDbase();
    services.readAirports(g_airportListName.string());
    ALL_INSTALL_PATH.value = SIM_INSTALL_PATH.value.get();
    gf_showTextParameter(ALL_INSTALL_PATH);
    gf_enableControl(ALL_INSTALL_PATH, true);
    if (SIM_INSTALL_PATH.value.empty()) lf_detectSim();
    gf_invalidateBand(g_middleBand);
    services.setTrafficBoxRange(static_cast<double>(RANGE.value));
}

}  // namespace zrb
