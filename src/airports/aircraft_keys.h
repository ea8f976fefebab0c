#pragma once
// The text keys of an aircraft that the traffic manager, the livery matcher and
// the planner log and look up by, and the callsign tests. Pure functions:
// safe from any thread.
//
// A width fills the field with blanks after the text and never cuts a longer one.

#include <optional>
#include <string>
#include <string_view>

#include "airports/aircraft_identity.h"

namespace zrb {

// "{:3} {:4}" of airline and type: "DLH B738", "    B738".
std::string gf_airlineTypeKey(const AcIdentityRecord& aircraft);

// "{:3}->{:3}" of departure and destination when one of them is known, else 8 blanks.
std::string gf_routeText(std::string_view departure, std::string_view destination);

// "{} {:8} {}" of the callsign filled to 8, the registration and the route text.
std::string gf_routeCallsignReg(const AcIdentityRecord& aircraft);

// "{} {}" of gf_routeCallsignReg and gf_airlineTypeKey: the head of the manager's log lines.
std::string gf_acLogKey(const AcIdentityRecord& aircraft);
std::string gf_liveAcLogKey(const AcIdentityRecord& aircraft);

// "{} {} {}" of the callsign filled to 8, the registration and gf_airlineTypeKey.
std::string gf_callsignRegKey(const AcIdentityRecord& aircraft);

// gf_airlineTypeKey + " " + registration.
std::string gf_airlineTypeRegKey(const AcIdentityRecord& aircraft);

bool gf_sameAirlineType(const AcIdentityRecord& a, const AcIdentityRecord& b);

// 1 to 8 characters and not "@@@@@@@@".
bool gf_hasValidCallsign(const AcIdentityRecord& aircraft);

// The airline code of a callsign that begins with three letters and a digit,
// upper-cased ("dlh4" -> "DLH"); none otherwise.
std::optional<std::string> lf_splitCallsign(std::string_view callsign);

// Sets the airline from the callsign when lf_splitCallsign gives one.
bool gf_airlineFromCallsign(AcIdentityRecord& aircraft);

}  // namespace zrb
