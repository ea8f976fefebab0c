#include "feed/feed_shared.h"

#include <utility>

namespace zrb {

namespace {
std::mutex g_sourceMutex;  // owns the two sources
std::function<FeedUserPosition()> g_positionSource;
std::function<std::string()> g_standSource;
}  // namespace

FeedIds gf_takeFeedIds() {
    g_collectFeedIds.store(false);
    FeedIds taken;
    std::lock_guard lock(g_feedIdsMutex);
    taken.callsigns.swap(g_feedIds.callsigns);
    taken.hexIds.swap(g_feedIds.hexIds);
    return taken;
}

void gf_setUserPositionSource(std::function<FeedUserPosition()> source) {
    std::lock_guard lock(g_sourceMutex);
    g_positionSource = std::move(source);
}

void gf_setUserStandSource(std::function<std::string()> source) {
    std::lock_guard lock(g_sourceMutex);
    g_standSource = std::move(source);
}

FeedUserPosition gf_feedUserPosition() {
    std::function<FeedUserPosition()> source;
    {
        std::lock_guard lock(g_sourceMutex);
        source = g_positionSource;
    }
    return source ? source() : FeedUserPosition{};
}

std::string gf_feedUserStand() {
    std::function<std::string()> source;
    {
        std::lock_guard lock(g_sourceMutex);
        source = g_standSource;
    }
    return source ? source() : std::string{};
}

}  // namespace zrb
