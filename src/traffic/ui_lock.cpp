#include "traffic/ui_lock.h"

#include <initializer_list>

#include "airports/parking_controls.h"
#include "config/parameters.h"
#include "shell/common/main_window_state.h"
#include "shell/common/message_line.h"

namespace zrb {

namespace {

void lf_redraw() {
    gf_invalidateBand(g_middleBand);
    gf_invalidateBand(g_lowerBand);
}

}  // namespace

void gf_lockUi() {
    g_uiBusy = true;
    for (const GuiControl* control : std::initializer_list<const GuiControl*>{
             &parking_percentage, &INITIAL_LOAD_ONLY, &PARK_FAKE, &PARK_SOFT, &MAX_PARK_SEL, &RT_PARKTRAFFIC_ONLY,
             &MAX_FIT_FL, &WEEK, &FLUSH_STATIC_BUTTON, &REREAD_BUTTON})
        gf_enableParkingControl(*control, false);
    gf_clearMessage();
    lf_redraw();
}

void gf_unlockUi() {
    g_uiBusy = false;
    lf_redraw();
    for (const GuiControl* control : std::initializer_list<const GuiControl*>{&MAX_PARK_SEL, &RT_PARKTRAFFIC_ONLY})
        gf_enableParkingControl(*control, true);
    gf_enableParkingControls();
    for (const GuiControl* control : std::initializer_list<const GuiControl*>{&FLUSH_STATIC_BUTTON, &REREAD_BUTTON})
        gf_enableParkingControl(*control, true);
    gf_clearMessage();
    lf_redraw();
}

bool gf_staticParkingComputing() { return g_uiBusy.load(); }

}  // namespace zrb
