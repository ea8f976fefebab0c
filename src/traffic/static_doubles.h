#pragma once
// A static aircraft that turns out to stand for a live one is a double: the
// simulator would show the same real aircraft twice. When a live aircraft's
// turn in the doubles check comes (once a second, after its coupled-callsign
// search), the first active static aircraft that stands for it goes: planned
// for its hex id, or with its registration, or planned from an option of its
// callsign.
//
// Threads: worker thread.

#include <cstdint>

#include "traffic/ai_aircraft.h"

namespace zrb {

// Nothing for a live aircraft without a callsign. onGround only words the log line.
void gf_removeStaticDoubles(const LiveAc& live, bool onGround);
// The same for the live aircraft of that hex id, if it is still there.
void gf_removeStaticDoubles(std::uint32_t hexId, bool onGround);

}  // namespace zrb
