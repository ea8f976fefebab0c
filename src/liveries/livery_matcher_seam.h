#pragma once
// The livery matcher in its least form, until it is built: a livery is the
// first of g_seamLiveries with the aircraft's type and airline, else the first
// with its type. The list stands for the scanned liveries of a run; nothing
// fills it in this build, so no aircraft is matched until the matcher and the
// scan are built (tests fill it). The matcher's issue replaces both files and
// keeps the three function names.
//
// Threads: worker thread. The list must not change while a run lasts: the
// records keep views of its titles.

#include <string>
#include <string_view>
#include <vector>

#include "airports/aircraft_identity.h"

namespace zrb {

struct SeamLivery {
    std::string airline;  // ICAO airline code
    std::string type;     // ICAO type code
    std::string title;
    bool cargo = false;
    bool fsltl = false;   // of the "FSLTL_" family
};

extern std::vector<SeamLivery> g_seamLiveries;

// Sets the aircraft's livery title (a view of the list's text) and its FSLTL
// flag; leaves the title empty when no livery fits.
void gf_matchLiveryLive(AcIdentity& aircraft);
// The same for a static aircraft, with the cargo flag of the livery; false
// when no livery fits.
bool gf_matchLiveryStatic(AcIdentity& aircraft);
// The livery title the registration-code files name for a registration;
// empty when none.
std::string_view gf_regcodeTitle(std::string_view registration);

}  // namespace zrb
