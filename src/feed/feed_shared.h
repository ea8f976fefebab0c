#pragma once
// What the rest of the program reads of the live-traffic feed besides the two
// reader objects: the collection of live callsigns and hex ids for the parking
// planner, the ground reference of live altitudes, and where the feed learns
// the user's position and stand.

#include <atomic>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>

namespace zrb {

// While set, every accepted live record adds its callsign (when not empty) and
// its hex id to g_feedIds. Any thread.
inline std::atomic<bool> g_collectFeedIds{false};

struct FeedIds {
    std::unordered_set<std::string> callsigns;
    std::unordered_set<std::uint32_t> hexIds;
};
// Owns g_feedIds.
inline std::mutex g_feedIdsMutex;
// Guarded by g_feedIdsMutex: filled by the Traffic Reader while collecting.
inline FeedIds g_feedIds;

// The planner's take-over: switches collecting off, then moves both sets out
// (leaving them empty) under g_feedIdsMutex, so no insertion is half seen.
FeedIds gf_takeFeedIds();

// An optional double that any thread reads and writes without tearing; empty
// is kept as NaN.
class AtomicOptionalDouble {
public:
    AtomicOptionalDouble() = default;
    AtomicOptionalDouble(const AtomicOptionalDouble&) = delete;
    AtomicOptionalDouble& operator=(const AtomicOptionalDouble&) = delete;

    AtomicOptionalDouble& operator=(double v) {
        m_value.store(v);
        return *this;
    }
    AtomicOptionalDouble& operator=(std::nullopt_t) {
        reset();
        return *this;
    }
    void reset() { m_value.store(std::numeric_limits<double>::quiet_NaN()); }
    std::optional<double> load() const {
        const double v = m_value.load();
        if (std::isnan(v)) return std::nullopt;
        return v;
    }
    bool has_value() const { return !std::isnan(m_value.load()); }
    double value_or(double def) const { return load().value_or(def); }

private:
    std::atomic<double> m_value{std::numeric_limits<double>::quiet_NaN()};
};

// The ground reference of live altitudes [ft]: the park airport's elevation,
// set by the park airport's loader, emptied when the park airport is left.
// Empty counts as g_noReferenceElevationFt.
inline AtomicOptionalDouble g_referenceElevation;
inline constexpr double g_noReferenceElevationFt = -1000.0;

// The user's aircraft as the feed sees it.
struct FeedUserPosition {
    double lat = 0.0;         // degrees
    double lon = 0.0;         // degrees
    double altitudeFt = 0.0;  // feet
};

// The simulator link installs where the feed reads the user's position and
// the stand the user stands on (a copy of its latest user-aircraft record).
// Until then the position is (0, 0, 0), which counts as "no position yet",
// and the stand is empty. Any thread; the sources are called without a lock
// of the feed held.
void gf_setUserPositionSource(std::function<FeedUserPosition()> source);
void gf_setUserStandSource(std::function<std::string()> source);
FeedUserPosition gf_feedUserPosition();
std::string gf_feedUserStand();

}  // namespace zrb
