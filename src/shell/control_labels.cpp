// The captions of the controls in the middle band. The controls have none of
// their own: the window paints each label beside its control, in a colour that
// tells the control's state where the user needs to see it.
#include <fmt/format.h>

#include "config/parameters.h"
#include "foundation/number_text.h"
#include "shell/status_display.h"

namespace zrb {

namespace {

constexpr std::int32_t renewalMinutesShownMax = 19;

int lf_row(const GuiControl& control) { return static_cast<int>(control.rowY); }

platform::Colour lf_onYellow(bool on) { return on ? g_yellow : g_black; }
platform::Colour lf_blackOrGrey(bool black) { return black ? g_black : g_grey; }

// Labels whose colour follows nothing.
struct FixedLabel {
    const GuiControl* row;
    int x;
    const char* text;
};

void lf_addFixedLabels(platform::DrawList& drawing) {
    const FixedLabel labels[] = {
        {&ALL_INSTALL_PATH, 5, "Install path:"},
        {&LIG_AUTOMATIC, 237, "Automatic"},
        {&LIG_PRIORITIZE, 470, "Prioritize"},
        {&SUPPRESS_STUB, 556, "Stub"},
        {&LOG, 672, "Log"},
        {&AFG_AUTOMATIC, 237, "Automatic"},
        {&NAV_LIGHTS_WHILE_PARKED, 672, "Nav lights"},
        {&LEARN_SOFT, 768, "Learn Soft"},
        {&MATCHING_DEPTH, 5, "Max aircraft matching depth"},
        {&MATCHING_DEPTH, 258, "Optional:"},
        {&RANGE, 5, "Traffic injection"},
        {&RANGE, 163, "Radius:"},
        {&RANGE, 270, "nm, or"},
        {&AUTO_RANGE, 343, "Auto range"},
        {&SIM_TIME, 672, "Sim Time"},
        {&BLOCK_CALLSIGN, 5, "Callsigns"},
        {&BLOCK_CALLSIGN, 172, "Block:"},
        {&TIME_SHIFT_DAYS, 652, "Time shift:"},
        {&COLLISION_USER_GND, 5, "Collision avoidance"},
        {&COLLISION_USER_GND, 237, "User ground"},
        {&COLLISION_USER_AIR, 343, "User air"},
        {&COLLISION_LIVE_PARKED_GND, 450, "Live X parked"},
        {&KEEP_SIM_TIME_PAR, 672, "Save"},
        {&MAX_PARK_SEL, 247, "Max park:"},
        {&MAX_LIVE_SEL, 450, "Max live:"},
        {&DESTINATION, 137, "Destination:"},
        {&AIRP_RANGE, 303, "Range:"},
        {&AIRP_RANGE, 403, "nm"},
        {&AIRP_HEIGHT, 440, "Height above gnd:"},
        {&AIRP_HEIGHT, 646, "ft"},
        {&RT_PARKTRAFFIC_ONLY, 662, "PT only"},
    };
    for (const FixedLabel& label : labels) gf_addText(drawing, label.x, lf_row(*label.row), label.text, g_black);
}

void lf_addStateLabels(const DisplaySnapshot& s, platform::DrawList& drawing) {
    gf_addText(drawing, 25, lf_row(SCAN_LIVERIES), "Scan for liveries", lf_onYellow(s.scanLiveries));
    gf_addText(drawing, 768, lf_row(ALWAYS_ON_TOP), "Stay on top", lf_onYellow(s.alwaysOnTop));
    gf_addText(drawing, 25, lf_row(SCAN_AIRPORTS), "Scan for addon airports", lf_onYellow(s.scanAirports));
    if (s.airportsScanned > 0)
        gf_addText(drawing, 323, lf_row(SCAN_AIRPORTS),
                   fmt::format("{} airport{} in {} folder", s.airportsScanned, gf_plural(s.airportsScanned),
                               s.scanFolder),
                   g_yellow);
    gf_addText(drawing, 343, lf_row(LIGHT_AIRCRAFT), "Light aircraft", lf_blackOrGrey(s.lightAircraftEnabled));
    gf_addText(drawing, 450, lf_row(HELICOPTERS), "Helicopters", lf_blackOrGrey(s.helicoptersEnabled));
    gf_addText(drawing, 556, lf_row(HIGH_PERF_AIRCRAFT), "FighterJets", lf_blackOrGrey(s.highPerfEnabled));
    gf_addText(drawing, 768, lf_row(GUID_CHANGES), "GUID changes", s.guidChanges ? g_black : g_yellow);
    gf_addText(drawing, 430, lf_row(AR_ABOVE_HEIGHT), "Ah:", lf_blackOrGrey(s.autoRange));
    gf_addText(drawing, 536, lf_row(AR_ABOVE_HEIGHT), "ft", lf_blackOrGrey(s.autoRange));
    gf_addText(drawing, 788, lf_row(TIME_SHIFT_HOURS), fmt::format("hour{}", gf_plural(s.shiftHours)), g_black);
    gf_addText(drawing, 788, lf_row(TIME_SHIFT_DAYS), fmt::format("day{}", gf_plural(s.shiftDays)), g_black);
    gf_addText(drawing, 788, lf_row(TIME_SHIFT_MINS), fmt::format("minute{}", gf_plural(s.shiftMinutes)), g_black);
    gf_addText(drawing, 5, lf_row(MAX_PARK_SEL),
               fmt::format("Airport parking{}", s.renewalHoldsControls ? " active" : ""),
               lf_onYellow(s.renewalHoldsControls));
    gf_addText(drawing, 672, lf_row(STRAIGHT_PBS_ONLY), "Straight push backs only",
               lf_blackOrGrey(s.straightPushbacksOnly));
    const bool renewalsRun = !s.initialLoadOnly || s.parkedTrafficOnly;
    if (s.parkingDataLoaded && !s.renewalHoldsControls && renewalsRun && s.minutesToRenewal >= 1 &&
        s.minutesToRenewal <= renewalMinutesShownMax)
        gf_addText(drawing, 5, lf_row(DESTINATION), fmt::format("(next in {} min)", s.minutesToRenewal), g_black);
}

// The parking row: greyed while only the service's parked traffic is used.
void lf_addParkingRow(const DisplaySnapshot& s, platform::DrawList& drawing) {
    const platform::Colour colour = s.parkedTrafficOnly ? g_grey : g_black;
    const int row = lf_row(PARK_FAKE);
    gf_addText(drawing, 25, row, "Fake", colour);
    gf_addText(drawing, 91, row, "Week", colour);
    gf_addText(drawing, 171, row, "Soft", colour);
    gf_addText(drawing, 264, row, "Target: ", colour);
    gf_addText(drawing, 363, row, "%", colour);
    gf_addText(drawing, 450, row, "ILO", s.parkedTrafficOnly ? g_grey : lf_onYellow(s.initialLoadOnly));
    gf_addText(drawing, 506, row, "Max fit:", colour);
}

}  // namespace

void gf_addControlLabels(const DisplaySnapshot& shown, platform::DrawList& drawing) {
    lf_addFixedLabels(drawing);
    lf_addStateLabels(shown, drawing);
    lf_addParkingRow(shown, drawing);
}

}  // namespace zrb
