// The matcher's least form (see the header).
#include "liveries/livery_matcher_seam.h"

namespace zrb {

std::vector<SeamLivery> g_seamLiveries;

namespace {

const SeamLivery* lf_match(const AcIdentity& aircraft) {
    const SeamLivery* sameType = nullptr;
    for (const SeamLivery& livery : g_seamLiveries) {
        if (livery.type != aircraft.type) continue;
        if (livery.airline == aircraft.airline) return &livery;
        if (sameType == nullptr) sameType = &livery;
    }
    return sameType;
}

}  // namespace

void gf_matchLiveryLive(AcIdentity& aircraft) {
    const SeamLivery* livery = lf_match(aircraft);
    aircraft.title = livery != nullptr ? std::string_view(livery->title) : std::string_view();
    aircraft.fsltl = livery != nullptr && livery->fsltl ? 1 : 0;
}

bool gf_matchLiveryStatic(AcIdentity& aircraft) {
    const SeamLivery* livery = lf_match(aircraft);
    if (livery == nullptr) return false;
    aircraft.title = livery->title;
    aircraft.cargo = livery->cargo ? 1 : 0;
    aircraft.fsltl = livery->fsltl ? 1 : 0;
    return true;
}

std::string_view gf_regcodeTitle(std::string_view /*registration*/) { return {}; }

}  // namespace zrb
