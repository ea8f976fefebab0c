// The time shift: the live traffic of the past, up to 4 weeks back.
#include <algorithm>

#include "config/parameter_controls.h"
#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "foundation/number_text.h"
#include "foundation/time.h"
#include "shell/common/message_line.h"
#include "shell/gui_requests.h"
#include "shell/run.h"
#include "shell/run_services.h"
#include "shell/window_text.h"

namespace zrb {

namespace {

constexpr std::int32_t maxShiftMinutes = 40320;  // 4 weeks
constexpr std::int32_t minutesPerDay = 1440;
constexpr std::int32_t minutesPerHour = 60;

void lf_storeShown(IntEditParameter& parameter, std::int32_t value) {
    parameter.value = std::clamp(value, parameter.min, parameter.max);
    gf_saveIntParameter(parameter);
    gf_showIntParameter(parameter);
}

}  // namespace

void lf_showTimeShift(std::int32_t minutes) {
    const std::int32_t days = minutes / minutesPerDay;
    const std::int32_t hours = (minutes - days * minutesPerDay) / minutesPerHour;
    lf_storeShown(TIME_SHIFT_DAYS, days);
    lf_storeShown(TIME_SHIFT_HOURS, hours);
    lf_storeShown(TIME_SHIFT_MINS, minutes % minutesPerHour);
}

void gf_timeShift(std::int32_t minutes, bool quiet) {
    std::int32_t m = std::max(minutes, 0);
    g_dataTimeFlag = m > 0;
    if (m > maxShiftMinutes) {
        m = maxShiftMinutes;
        gf_logLine("Time shifting is limited to 4 weeks");
    }
    lf_showTimeShift(m);
    gf_runServices().setTimeOffset(m);
    if (m != 0) {
        if (!quiet) gf_showMessage(fmt::format("Time shifted {} minute{}", m, gf_plural(m)), true);
    } else {
        gf_showMessage("Time shift = 0", true);
        for (const GuiControl* edit : {static_cast<const GuiControl*>(&TIME_SHIFT_DAYS),
                                       static_cast<const GuiControl*>(&TIME_SHIFT_HOURS),
                                       static_cast<const GuiControl*>(&TIME_SHIFT_MINS)})
            gf_clearControlText(*edit);
    }
    if (quiet) return;
    // The manager's lists belong to the worker: it clears the traffic and asks
    // for a new parking at its next second.
    g_timeShiftTrafficRequest = true;
}

}  // namespace zrb
