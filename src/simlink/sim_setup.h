#pragma once
// Registers the program's vocabulary on a freshly opened connection: the
// system events, the data definitions, the client events and the AI group.

#include <cstdint>

#include "simconnect/simconnect.h"

namespace zrb {

// 6 subscriptions, 33 data-definition entries, 17 mappings, 16 group additions
// and the group priority, one packet each and always in the same order. The
// results are not checked: a refusal comes back later as an exception message.
void lf_setupSimConnect(SimConnectHandle handle);

// AddClientEventToNotificationGroup(GROUP_AI, eventId, maskable).
void lf_addEventToGroup(SimConnectHandle handle, std::uint32_t eventId);

}  // namespace zrb
