#pragma once
// Every setting of the program is one global object, built in static
// initialisation from the constants in parameters.cpp: its name (the key in
// parameters.xml), default, range or choices and current value. The settings
// the main window shows carry a GuiControl part with the control's id, row and
// (once the window has created it) handle; the window's three push buttons are
// objects of the same family, so the window builds every control from here.
//
// Threads: the current values are read by every thread and written by the GUI
// thread, the worker and the scans. Integer, float and bool values are atomics
// (AtomicValue); texts are GuardedStrings (one mutex each, copies out). Names,
// defaults, ranges, choices, ids and rows never change after static
// initialisation. A control's handle is written by the GUI thread when it
// creates the control, before any run starts.

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "config/shared_value.h"
#include "platform/controls.h"

namespace zrb {

class Parameter {
public:
    explicit Parameter(std::string parameterName) : name(std::move(parameterName)) {}
    virtual ~Parameter() = default;
    Parameter(const Parameter&) = delete;
    Parameter& operator=(const Parameter&) = delete;

    const std::string name;
};

// The on-screen part of a shown setting or button.
class GuiControl {
public:
    GuiControl(std::uint16_t id, std::uint32_t y) : controlId(id), rowY(y) {}
    virtual ~GuiControl() = default;
    GuiControl(const GuiControl&) = delete;
    GuiControl& operator=(const GuiControl&) = delete;

    const std::uint16_t controlId;
    const std::uint32_t rowY;  // top of the control's row, client pixels
    // The control once the window has created it; noControl before.
    AtomicValue<platform::ControlHandle> handle_{platform::noControl};
    // The window procedure that a subclassed edit box forwards to; GUI thread only.
    void* prevProc_ = nullptr;
};

class IntParameter : public Parameter {
public:
    IntParameter(std::string parameterName, std::int32_t def, std::int32_t lo, std::int32_t hi)
        : Parameter(std::move(parameterName)), defaultValue(def), min(lo), max(hi), value(def) {}

    const std::int32_t defaultValue;
    const std::int32_t min;
    const std::int32_t max;
    AtomicValue<std::int32_t> value;
};

class IntEditParameter : public IntParameter, public GuiControl {
public:
    IntEditParameter(std::string parameterName, std::int32_t def, std::int32_t lo, std::int32_t hi, std::uint16_t id,
                     std::uint32_t y)
        : IntParameter(std::move(parameterName), def, lo, hi), GuiControl(id, y) {}
};

// A drop-down list. min and max are the first and last of the ascending choices;
// the store clamps to them only, so a value between two choices stays as read.
class IntComboParameter : public IntParameter, public GuiControl {
public:
    IntComboParameter(std::string parameterName, std::int32_t def, std::vector<std::uint32_t> choiceList,
                      std::uint16_t id, std::uint32_t y);

    const std::vector<std::uint32_t> choices;
};

// A value in hours edited with one decimal; kept in memory only (the stored
// setting is the integer MAX_FIT it is derived from).
class FloatEditParameter : public Parameter, public GuiControl {
public:
    FloatEditParameter(std::string parameterName, float def, float lo, float hi, std::uint16_t id, std::uint32_t y)
        : Parameter(std::move(parameterName)), GuiControl(id, y), defaultValue(def), min(lo), max(hi), value(def) {}

    const float defaultValue;
    const float min;
    const float max;
    AtomicValue<float> value;
};

class BoolParameter : public Parameter {
public:
    BoolParameter(std::string parameterName, bool def)
        : Parameter(std::move(parameterName)), defaultValue(def), workingCopy1(def), workingCopy2(def), value(def) {}

    const bool defaultValue;
    // Free for the window and the run; the store never touches them.
    AtomicValue<bool> workingCopy1;
    AtomicValue<bool> workingCopy2;
    AtomicValue<bool> value;
};

class BoolCheckParameter : public BoolParameter, public GuiControl {
public:
    BoolCheckParameter(std::string parameterName, bool def, std::uint16_t id, std::uint32_t y)
        : BoolParameter(std::move(parameterName), def), GuiControl(id, y) {}
};

class StringParameter : public Parameter {
public:
    StringParameter(std::string parameterName, const std::string& def)
        : Parameter(std::move(parameterName)), defaultValue(def), workingCopy1(def), workingCopy2(def), value(def) {}

    const std::string defaultValue;
    // Free for the window and the run; the store never touches them.
    GuardedString workingCopy1;
    GuardedString workingCopy2;
    GuardedString value;
};

class StringEditParameter : public StringParameter, public GuiControl {
public:
    StringEditParameter(std::string parameterName, const std::string& def, std::uint16_t id, std::uint32_t y)
        : StringParameter(std::move(parameterName), def), GuiControl(id, y) {}
};

// A push button; its name is its caption.
class ButtonControl : public Parameter, public GuiControl {
public:
    ButtonControl(std::string caption, std::uint16_t id, std::uint32_t y)
        : Parameter(std::move(caption)), GuiControl(id, y) {}
};

// ---------------------------------------------------------------- layout
// The window's ten rows: y = 119 + 28 k, k = 0..9. A push button sits 2 pixels
// above its row.
inline constexpr std::uint32_t g_firstRowY = 119;  // client pixels
inline constexpr std::uint32_t g_rowStepY = 28;    // client pixels
inline constexpr std::uint32_t g_rowCount = 10;
inline constexpr std::uint32_t g_buttonRaiseY = 2;  // client pixels

// ---------------------------------------------------------------- check boxes (26)
extern BoolCheckParameter SIM_TIME;
extern BoolCheckParameter KEEP_SIM_TIME_PAR;
extern BoolCheckParameter RT_PARKTRAFFIC_ONLY;
extern BoolCheckParameter AFG_AUTOMATIC;
extern BoolCheckParameter COLLISION_USER_AIR;
extern BoolCheckParameter COLLISION_USER_GND;
extern BoolCheckParameter COLLISION_LIVE_PARKED_GND;
extern BoolCheckParameter SUPPRESS_STUB;
extern BoolCheckParameter LOG;
extern BoolCheckParameter ALWAYS_ON_TOP;
extern BoolCheckParameter SCAN_LIVERIES;
extern BoolCheckParameter LIG_AUTOMATIC;
extern BoolCheckParameter LIG_PRIORITIZE;
extern BoolCheckParameter SCAN_AIRPORTS;
extern BoolCheckParameter LIGHT_AIRCRAFT;
extern BoolCheckParameter HELICOPTERS;
extern BoolCheckParameter HIGH_PERF_AIRCRAFT;
extern BoolCheckParameter NAV_LIGHTS_WHILE_PARKED;
extern BoolCheckParameter AUTO_RANGE;
extern BoolCheckParameter LEARN_SOFT;
extern BoolCheckParameter STRAIGHT_PBS_ONLY;
extern BoolCheckParameter PARK_SOFT;
extern BoolCheckParameter PARK_FAKE;
extern BoolCheckParameter WEEK;
extern BoolCheckParameter INITIAL_LOAD_ONLY;
extern BoolCheckParameter GUID_CHANGES;

// ---------------------------------------------------------------- drop-down lists (7)
extern IntComboParameter MATCHING_DEPTH;
extern IntComboParameter RANGE;
extern IntComboParameter AR_ABOVE_HEIGHT;
extern IntComboParameter MAX_PARK_SEL;
extern IntComboParameter MAX_LIVE_SEL;
extern IntComboParameter AIRP_RANGE;
extern IntComboParameter AIRP_HEIGHT;

// ---------------------------------------------------------------- edit boxes
// MAX_FIT has an id and a row but no control of its own: the user edits it in
// hours through MAX_FIT_FL, and MAX_FIT = round(2 × MAX_FIT_FL) − 1.
extern IntEditParameter MAX_FIT;
extern FloatEditParameter MAX_FIT_FL;
extern IntEditParameter parking_percentage;
extern IntEditParameter TIME_SHIFT_HOURS;
extern IntEditParameter TIME_SHIFT_DAYS;
extern IntEditParameter TIME_SHIFT_MINS;

// ---------------------------------------------------------------- integers kept only in the file (13)
extern IntParameter CUSTOM_PARKING_PERCENTAGE;
extern IntParameter MAIN_WINDOW_X;
extern IntParameter MAIN_WINDOW_Y;
extern IntParameter LATERAL_RANGE;            // older name of RANGE
extern IntParameter AIRPORT_RANGE;            // older name of AIRP_RANGE
extern IntParameter AUTO_RANGE_ABOVE_HEIGHT;  // older name of AR_ABOVE_HEIGHT
extern IntParameter AIRPORT_HEIGHT;           // older name of AIRP_HEIGHT
extern IntParameter LAST_EPOCH_TIME;          // key "LAST_EPOCH_TIME:"; read only, never written back
extern IntParameter HOLDING_THRESHOLD_METERS;
extern IntParameter MAX_HOLDING_MINUTES;
extern IntParameter CUSTOM_MAX_PARK;  // older name of MAX_PARK_SEL
extern IntParameter MAX_LIVE;         // older name of MAX_LIVE_SEL
extern IntParameter P3D_VERSION;

// ---------------------------------------------------------------- texts kept only in the file
extern StringParameter PROGRAM_VERSION;
extern StringParameter SIM_INSTALL_PATH;
extern StringParameter lfolder0, lfolder1, lfolder2, lfolder3, lfolder4;
extern StringParameter lfolder5, lfolder6, lfolder7, lfolder8, lfolder9;
extern StringParameter afolder0, afolder1, afolder2, afolder3, afolder4;
extern StringParameter afolder5, afolder6, afolder7, afolder8, afolder9;
extern StringParameter PROGRAM_INSTALL_PATH;
extern StringParameter AIG_VERSION;
extern StringParameter DBASE_VERSION;

// The manual livery and add-on airport folders, in order.
extern const std::array<StringParameter*, 10> g_lfolders;
extern const std::array<StringParameter*, 10> g_afolders;

// ---------------------------------------------------------------- text edit boxes (3)
extern StringEditParameter ALL_INSTALL_PATH;  // shows and sets SIM_INSTALL_PATH; not stored itself
extern StringEditParameter BLOCK_CALLSIGN;
extern StringEditParameter DESTINATION;

// ---------------------------------------------------------------- push buttons (3)
extern ButtonControl UNBLOCK_BUTTON;       // "Unblock"
extern ButtonControl REREAD_BUTTON;        // "Re-read"
extern ButtonControl FLUSH_STATIC_BUTTON;  // "Flush static"

// Every object above, in the order of this header.
std::span<Parameter* const> gf_allParameters();
// The object with that exact name (a button by its caption); nullptr when none.
Parameter* gf_findParameter(std::string_view name);

// The five lists that gf_readParameters works through, in its order: check
// boxes (26), integers without a control (13), integers with a control (11),
// texts read without touching a control (26, DESTINATION last), texts shown in
// an edit box (1). MAX_FIT_FL, parking_percentage and ALL_INSTALL_PATH are in
// none: they are not read from parameters.xml.
struct ParameterReadLists {
    std::vector<BoolCheckParameter*> checkBoxes;
    std::vector<IntParameter*> fileInts;
    std::vector<IntParameter*> shownInts;
    std::vector<StringParameter*> fileStrings;
    std::vector<StringEditParameter*> shownStrings;
};
const ParameterReadLists& gf_parameterReadLists();

}  // namespace zrb
