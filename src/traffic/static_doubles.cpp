#include "traffic/static_doubles.h"

#include <string_view>

#include "config/parameters.h"
#include "foundation/log.h"
#include "traffic/coupled_callsigns.h"
#include "traffic/removal.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr std::uint32_t planKindForLive = 0;

bool lf_callsignMatches(std::string_view optionCallsign, std::string_view live, std::string_view bare) {
    return !optionCallsign.empty() && (optionCallsign == live || optionCallsign == bare);
}

void lf_remove(AiAc& s) { removeAircraftFromSim(s); }

}  // namespace

void gf_removeStaticDoubles(const LiveAc& live, bool onGround) {
    if (live.callsign.empty()) return;
    const std::string_view state = onGround ? "on ground" : "airborne";
    const std::string_view bare = gf_withoutCopyMark(live.callsign);
    for (AiAc& s : g_staticList) {
        if (s.fs != LifecycleState::active) continue;
        if (s.planKind == planKindForLive && s.liveHexId == live.hexId) {
            if (LOG.value)
                gf_logLine("{:8}: {:8} removed, new {} '{}' has same hexid", lf_standName(s.standId), s.callsign, state,
                           live.callsign);
            return lf_remove(s);
        }
        if (!s.registration.empty() && s.registration == live.registration) {
            if (LOG.value)
                gf_logLine("{:8}: {:8} {} removed, new {} '{}' has same regcode {}", lf_standName(s.standId),
                           s.callsign, s.registration, state, live.callsign, live.registration);
            return lf_remove(s);
        }
        const bool same = lf_callsignMatches(s.text6, live.callsign, bare);
        if (same || lf_callsignMatches(s.text7, live.callsign, bare)) {
            if (LOG.value)
                gf_logLine("{:8}: {:8} '{} {}' removed, new {} {} '{}' '{}' has {} callsign", lf_standName(s.standId),
                           s.callsign, s.text6, s.text7, state, live.callsign, live.text6, live.text7,
                           same ? "same" : "coupled");
            return lf_remove(s);
        }
    }
}

void gf_removeStaticDoubles(std::uint32_t hexId, bool onGround) {
    if (const LiveAc* live = gf_findLive(hexId)) gf_removeStaticDoubles(*live, onGround);
}

}  // namespace zrb
