#pragma once
// Showing settings in their window controls: the drop-down lists, the check
// boxes and the edit boxes. Each function reads the setting's current value and
// writes it into the control whose handle the window stored in the object.
//
// The Win32 side delivers these to the GUI thread and waits for it, so no
// caller may hold a lock that the GUI thread can wait for (in particular not
// the settings-file lock of parameter_store.h).

#include "config/parameters.h"

namespace zrb {

// Refills a drop-down list with the setting's choices (decimal texts) and
// selects the current value; a value that is not one of the choices leaves the
// list without a selection. Nothing happens while the control does not exist.
void gf_fillCombo(IntComboParameter& parameter);

// Ticks or clears the check box by the current value (nothing while the control
// does not exist).
void gf_setCheckBox(BoolCheckParameter& parameter);

// Writes the current value as decimal text into the setting's control (a
// drop-down list selects that choice, or nothing when the value is none of its
// choices); a setting without a control, or whose control does not exist, logs
// "GetDlgItem failed for ID {}" (id 0 for a setting that has no control).
void gf_showIntParameter(IntParameter& parameter);
// The same for a value in hours, as gf_floatToText writes it.
void gf_showFloatParameter(FloatEditParameter& parameter);

// Writes the current text into the edit box; a text that is not valid UTF-8 is
// logged and nothing is written; a missing control logs "GetDlgItem failed for ID {}".
void gf_showTextParameter(StringEditParameter& parameter);
void gf_showStringParameter(StringEditParameter& parameter);

// Called after a value was shown, so the window can redraw the band of its
// controls. The window sets it once it exists; null (the default) does nothing.
using ControlShownHook = void (*)();
void gf_setControlShownHook(ControlShownHook hook);

}  // namespace zrb
