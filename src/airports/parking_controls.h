#pragma once
// The window controls that loading a park airport changes: enabling the
// parking edit box, the range box and the "Flush static" button, showing
// MAX_FIT in hours, the parking controls a run offers, and applying the
// automatic traffic range.
//
// Worker thread. Like every window operation these must not be called with a
// lock held (on Windows they wait for the GUI thread).

#include "config/parameters.h"

namespace zrb {

// EnableWindow on the setting's control; nothing while it does not exist.
void gf_enableParkingControl(const GuiControl& control, bool enable);

// Writes MAX_FIT_FL into its edit box with one decimal ("0.5", "24").
void gf_showMaxFitHours();

// The parking controls the run offers: parking_percentage, MAX_FIT_FL,
// INITIAL_LOAD_ONLY, PARK_SOFT, PARK_FAKE and WEEK are on unless only the
// service's parked traffic is used (RT_PARKTRAFFIC_ONLY); the two edits show
// their values while on and are empty while off. Used at the start of a run,
// by the planner, when the planner releases the controls and when
// RT_PARKTRAFFIC_ONLY changes. Any thread that holds no lock.
void gf_enableParkingControls();

// The automatic traffic range depends on the flight phase, which the run
// knows; the run installs its function here before it loads airports. Until
// then (and in tests that install none) applying it does nothing.
using AutoRangeFunction = void (*)();
void gf_setAutoRangeFunction(AutoRangeFunction function);
void gf_applyAutoRange();

}  // namespace zrb
