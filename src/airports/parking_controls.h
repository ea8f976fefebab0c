#pragma once
// The window controls that loading a park airport changes: enabling the
// parking edit box, the range box and the "Flush static" button, showing
// MAX_FIT in hours, and applying the automatic traffic range.
//
// Worker thread. Like every window operation these must not be called with a
// lock held (on Windows they wait for the GUI thread).

#include "config/parameters.h"

namespace zrb {

// EnableWindow on the setting's control; nothing while it does not exist.
void gf_enableParkingControl(const GuiControl& control, bool enable);

// Writes MAX_FIT_FL into its edit box with one decimal ("0.5", "24").
void gf_showMaxFitHours();

// The automatic traffic range depends on the flight phase, which the run
// knows; the run installs its function here before it loads airports. Until
// then (and in tests that install none) applying it does nothing.
using AutoRangeFunction = void (*)();
void gf_setAutoRangeFunction(AutoRangeFunction function);
void gf_applyAutoRange();

}  // namespace zrb
