#include "traffic/traffic_lists.h"

#include <algorithm>

#include "airports/stand.h"
#include "traffic/stand_search.h"

namespace zrb {

std::vector<LiveAc> g_liveList;
std::vector<AiAc> g_staticList;
std::vector<std::uint32_t> g_spawnStack;
std::unordered_set<std::string> g_noMatchSet;
std::vector<std::string> g_ghostList;
std::vector<LearnedLive> LearnedLiveList;
std::deque<CreateAcRequest> g_liveCreateDeque;
std::deque<CreateAcRequest> g_staticCreateDeque;
std::deque<std::uint32_t> g_removalDeque;
bool g_fastRange = false;
UserAcData g_userAcCopy;
bool g_staticFlagged = false;

namespace {

template <typename List, typename Pred>
auto* lf_find(List& list, Pred pred) {
    const auto it = std::find_if(list.begin(), list.end(), pred);
    return it == list.end() ? nullptr : &*it;
}

template <typename Record>
bool lf_flagged(const Record& r) {
    return r.dropFromList != 0 || r.cancelled != 0;
}

}  // namespace

LiveAc* gf_findLive(std::uint32_t hexId) {
    return lf_find(g_liveList, [hexId](const LiveAc& a) { return a.hexId == hexId; });
}

LiveAc* gf_findLiveByObject(std::uint32_t objectId) {
    if (objectId == 0) return nullptr;
    return lf_find(g_liveList, [objectId](const LiveAc& a) { return a.objectId == objectId; });
}

AiAc* gf_findStatic(std::uint32_t hexId) {
    return lf_find(g_staticList, [hexId](const AiAc& a) { return a.hexId == hexId; });
}

AiAc* gf_findStaticByObject(std::uint32_t objectId) {
    if (objectId == 0) return nullptr;
    return lf_find(g_staticList, [objectId](const AiAc& a) { return a.objectId == objectId; });
}

Stand* gf_standById(std::uint32_t standId) {
    if (standId == 0) return nullptr;
    // The loader numbers the stands 1..n in table order.
    if (standId <= StandTable.size() && StandTable[standId - 1].number == standId) return &StandTable[standId - 1];
    return lf_find(StandTable, [standId](const Stand& s) { return s.number == standId; });
}

std::string lf_standName(std::uint32_t standId) {
    if (standId == 0) return "sid==0?";
    const Stand* stand = gf_standById(standId);
    return stand == nullptr ? std::string("unknown") : stand->id;
}

void lf_eraseAc(LiveAc& aircraft) {
    const std::uint32_t standId = aircraft.standId;
    LiveAc* last = &g_liveList.back();
    if (&aircraft != last) aircraft = std::move(*last);
    g_liveList.pop_back();
    gf_settleStandClaim(standId);
}

void lf_eraseStaticAc(AiAc& aircraft) {
    AiAc* last = &g_staticList.back();
    if (&aircraft != last) aircraft = std::move(*last);
    g_staticList.pop_back();
}

void lf_eraseFlaggedLive() {
    std::vector<std::uint32_t> standIds;
    for (const LiveAc& a : g_liveList)
        if (lf_flagged(a) && a.standId != 0) standIds.push_back(a.standId);
    std::erase_if(g_liveList, lf_flagged<LiveAc>);
    for (const std::uint32_t standId : standIds) gf_settleStandClaim(standId);
}

void lf_eraseFlaggedStatic() {
    std::erase_if(g_staticList, lf_flagged<AiAc>);
    g_staticFlagged = false;
}

}  // namespace zrb
