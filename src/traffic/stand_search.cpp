#include "traffic/stand_search.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "airports/park_airport.h"
#include "airports/stand_options.h"
#include "foundation/random.h"
#include "liveries/dbase.h"
#include "shell/common/main_window_state.h"
#include "simlink/sim_state.h"
#include "traffic/traffic_lists.h"

namespace zrb {

namespace {

constexpr double noBestNm = 900.0;
constexpr double samePositionDeg = 1e-8;
// A great circle between two latitudes is never shorter than the meridian
// arc between them: 60 NM per degree on this sphere. Stands farther north or
// south than a search reaches are passed over without the trigonometry.
constexpr double nmPerDegreeLat = 60.0;
constexpr double latitudeFilterSlack = 1.0 + 1e-9;
constexpr std::int32_t firstBestScore = 100;
constexpr std::uint32_t mainFirstDraws = 10;  // of 100: below this, ramp stands come first
constexpr std::uint32_t drawModulo = 100;
constexpr std::size_t candidateReserve = 256;

// The last answer of gf_getUserStand. Guarded by g_standTableMutex.
struct UserStandCache {
    bool valid = false;
    std::uint64_t generation = 0;
    LatLon position;
    std::string name;
};
UserStandCache g_userStandCache;

bool lf_beyondLatitude(const LatLon& position, const Stand& stand, double reachNm) {
    return std::abs(stand.lat - position.lat) * nmPerDegreeLat > reachNm * latitudeFilterSlack;
}

bool lf_isHelicopter(const AiAc& aircraft) {
    return aircraft.category == static_cast<std::uint32_t>(g_categoryRotorcraft);
}

bool lf_fits(const AiAc& aircraft, const Stand& stand) {
    return aircraft.halfSpan - stand.radius <= g_standFitToleranceNm;
}

bool lf_optionForCallsign(const AiAc& aircraft, const Stand& stand) {
    const OptionMatchKey key{aircraft.callsign, aircraft};
    return std::any_of(stand.options.begin(), stand.options.end(),
                       [&key](const StandOption& o) { return gf_optionMatches(key, o); });
}

// A score as a whole number; none when it is not one a stand could have.
std::optional<std::int32_t> lf_wholeScore(double value) {
    const double rounded = std::round(value);
    if (!std::isfinite(rounded) || std::abs(rounded) > static_cast<double>(std::numeric_limits<std::int32_t>::max()))
        return std::nullopt;
    return static_cast<std::int32_t>(rounded);
}

// ---------------------------------------------------------------- gf_chooseStand
struct StandCandidate {
    std::size_t index = 0;  // into StandTable (stand names are unique, so this is the stand the name gives)
    std::int32_t score = 0;
    std::int32_t matched = 0;
};

enum class SizeRule { bySize, anySize };

class StandChooser {
public:
    StandChooser(DaySlot time, const AiAc& aircraft)
        : m_day(static_cast<std::int32_t>(gf_dayOf(time))),
          m_slotBit(gf_slotOf(time) < g_slotsPerDay ? std::uint64_t{1} << gf_slotOf(time) : 0),
          m_ac(aircraft),
          m_facts(StandTable.size(), unknown) {
        m_candidates.reserve(candidateReserve);
    }

    // One pass over the stands of a kind; nothing when an earlier pass found some.
    template <typename Kind>
    void pass(Kind kind, SizeRule rule) {
        if (!m_candidates.empty()) return;
        std::int32_t best = firstBestScore;
        for (std::size_t i = 0; i < StandTable.size(); ++i) {
            const Stand& stand = StandTable[i];
            if (!kind(stand)) continue;
            std::optional<std::int32_t> score;
            if (rule == SizeRule::bySize) {
                if (!lf_fits(m_ac, stand)) continue;
                const double step = m_ac.halfSpan <= g_smallSpanLimitNm ? g_smallSizeStepNm : g_largeSizeStepNm;
                score = lf_wholeScore((stand.radius - m_ac.halfSpan) / step);
            } else {
                score = lf_wholeScore(std::abs(m_ac.halfSpan - stand.radius));
            }
            if (!score || *score > best) continue;
            const std::int8_t facts = lf_facts(i);
            if ((facts & booked) != 0) continue;
            best = *score;
            m_candidates.push_back(StandCandidate{i, *score, (facts & matched) != 0 ? 1 : 0});
        }
    }

    // By size, then any size when that found nothing.
    template <typename Kind>
    void passes(Kind kind) {
        pass(kind, SizeRule::bySize);
        pass(kind, SizeRule::anySize);
    }

    StandIterator result() {
        if (m_candidates.empty()) return StandTable.end();
        std::shuffle(m_candidates.begin(), m_candidates.end(), lf_initThreadRng());
        std::sort(m_candidates.begin(), m_candidates.end(), [](const StandCandidate& x, const StandCandidate& y) {
            if (x.matched != y.matched) return x.matched > y.matched;
            return x.score < y.score;
        });
        return StandTable.begin() + static_cast<std::ptrdiff_t>(m_candidates.front().index);
    }

private:
    // Whether an option books the stand at this weekday's half-hour, and
    // whether one is for the aircraft's callsign: one walk over the stand's
    // options, once, since the passes meet the same stands again.
    std::int8_t lf_facts(std::size_t index) {
        std::int8_t& facts = m_facts[index];
        if (facts != unknown) return facts;
        const std::vector<StandOption>& options = StandTable[index].options;
        const bool isBooked = std::any_of(options.begin(), options.end(), [this](const StandOption& o) {
            return o.optionId != 0 && o.day == m_day && (o.halfHours & m_slotBit) != 0;
        });
        facts = isBooked ? booked : 0;
        if (!isBooked && !m_ac.callsign.empty()) {
            const OptionMatchKey key{m_ac.callsign, m_ac};
            if (std::any_of(options.begin(), options.end(), [&key](const StandOption& o) { return gf_optionMatches(key, o); }))
                facts = matched;
        }
        return facts;
    }

    static constexpr std::int8_t unknown = -1;
    static constexpr std::int8_t booked = 1;
    static constexpr std::int8_t matched = 2;
    std::int32_t m_day;
    std::uint64_t m_slotBit;
    const AiAc& m_ac;
    std::vector<std::int8_t> m_facts;
    std::vector<StandCandidate> m_candidates;
};

DaySlot lf_nextSlot(DaySlot time) {
    const std::uint32_t slot = gf_slotOf(time) + 1;
    if (slot < g_slotsPerDay) return gf_makeDaySlot(gf_dayOf(time), slot);
    const std::uint32_t day = gf_dayOf(time);
    return gf_makeDaySlot(day >= g_daysPerWeek ? 1 : day + 1, 0);
}

bool lf_mainStandsFirst() {
    const std::string icao = gf_currentParkAirport().icao;
    if (!icao.empty() && icao.front() == 'K') return true;
    return lf_initThreadRng()() % drawModulo >= mainFirstDraws;
}

// The claim stays while a live aircraft other than `leaving` parks or drives
// onto the stand: an aircraft keeps the number of the stand it left, and by
// now another may hold that stand. A record on its way out holds nothing.
void lf_releaseUnlessHeld(std::uint32_t standId, const AiAc* leaving) {
    Stand* stand = gf_standById(standId);
    if (stand == nullptr) return;
    const bool held = std::any_of(g_liveList.begin(), g_liveList.end(), [standId, leaving](const LiveAc& e) {
        return static_cast<const AiAc*>(&e) != leaving && e.standId == standId &&
               e.fs != LifecycleState::removingfromsim && e.dropFromList == 0 && e.cancelled == 0 &&
               (e.st == MovementState::parking || e.st == MovementState::parked);
    });
    if (!held) stand->liveParked = 0;
}

}  // namespace

std::string gf_getUserStand(const LatLon& position) {
    if (!g_userOnGround.load()) return {};
    std::lock_guard lock(g_standTableMutex);
    if (StandTable.empty()) return {};
    UserStandCache& cache = g_userStandCache;
    if (cache.valid && cache.generation == g_standTableGeneration &&
        std::abs(position.lat - cache.position.lat) < samePositionDeg &&
        std::abs(position.lon - cache.position.lon) < samePositionDeg)
        return cache.name;
    double best = noBestNm;
    const Stand* found = nullptr;
    for (const Stand& stand : StandTable) {
        if (lf_beyondLatitude(position, stand, g_userStandRadiusNm)) continue;
        const double d = gf_distanceNm(position, LatLon{stand.lat, stand.lon});
        if (d <= g_userStandRadiusNm && d < best) {
            best = d;
            found = &stand;
        }
    }
    cache.valid = true;
    cache.generation = g_standTableGeneration;
    cache.position = position;
    cache.name = found != nullptr ? found->id : std::string{};
    return cache.name;
}

StandIterator gf_findNearestFreeStand(const LatLon& position, const AiAc& aircraft, double radiusNm,
                                      bool allowSecondChoice) {
    const StandIterator end = StandTable.end();
    if (!(radiusNm >= 0.0)) return end;
    const bool helicopter = lf_isHelicopter(aircraft);
    // A stand of the wrong kind is passed over during the walk, so that a
    // helipad next to a gate never hides the gate from an airliner.
    bool collectSecond = allowSecondChoice && !aircraft.callsign.empty();
    const double reach = collectSecond ? std::max(radiusNm, g_secondChoiceStandNm) : radiusNm;
    StandIterator first = end;
    StandIterator second = end;
    double firstBest = noBestNm;
    double secondBest = noBestNm;
    bool nearOnly = false;
    for (StandIterator it = StandTable.begin(); it != end; ++it) {
        const Stand& stand = *it;
        if (stand.liveParked != 0 && (stand.number == 0 || stand.number != aircraft.standId)) continue;
        if ((stand.heli != 0) != helicopter) continue;
        if (lf_beyondLatitude(position, stand, reach)) continue;
        const double d = gf_distanceNm(position, LatLon{stand.lat, stand.lon});
        const bool fits = lf_fits(aircraft, stand);
        if (d <= radiusNm && d < firstBest) {
            if (fits || (d <= g_nearStandNm && std::isfinite(aircraft.halfSpan))) {
                first = it;
                firstBest = d;
                nearOnly = !fits;
                collectSecond = false;
            }
            continue;
        }
        if (collectSecond && d <= g_secondChoiceStandNm && d < secondBest && fits && lf_optionForCallsign(aircraft, stand)) {
            second = it;
            secondBest = d;
        }
    }
    if (first == end) return second;
    if (nearOnly) {
        first->radius = aircraft.halfSpan - g_standRadiusMarginNm;
        first->radiusChanged = 1;
        gf_countChangedStand();
    }
    return first;
}

StandIterator gf_findStandByName(std::string_view name) {
    return std::find_if(StandTable.begin(), StandTable.end(), [name](const Stand& s) { return s.id == name; });
}

StandIterator gf_chooseStand(DaySlot time, const AiAc& aircraft, bool retryNextSlot) {
    StandChooser chooser(time, aircraft);
    const auto heli = [](const Stand& s) { return s.heli != 0; };
    const auto ramp = [](const Stand& s) { return s.ramp != 0; };
    if (lf_isHelicopter(aircraft)) {
        chooser.pass(heli, SizeRule::bySize);
        chooser.pass(ramp, SizeRule::bySize);
        chooser.pass(heli, SizeRule::anySize);
        chooser.pass(ramp, SizeRule::anySize);
    } else if (aircraft.cargo != 0) {
        chooser.passes([](const Stand& s) { return s.cargo != 0 && s.heli == 0; });
        chooser.passes([](const Stand& s) { return s.heli == 0; });
    } else if (aircraft.category == static_cast<std::uint32_t>(g_categoryLight) ||
               aircraft.category == static_cast<std::uint32_t>(g_categoryBuzjets) || aircraft.airline == "PVT") {
        chooser.passes([](const Stand& s) { return s.ramp != 0 && s.cargo == 0 && s.heli == 0; });
    } else {
        const auto main = [](const Stand& s) { return s.ramp == 0 && s.cargo == 0 && s.heli == 0; };
        const auto rampOnly = [](const Stand& s) { return s.ramp != 0 && s.cargo == 0 && s.heli == 0; };
        if (lf_mainStandsFirst()) {
            chooser.passes(main);
            chooser.passes(rampOnly);
        } else {
            chooser.passes(rampOnly);
            chooser.passes(main);
        }
    }
    const StandIterator chosen = chooser.result();
    if (chosen != StandTable.end() || !retryNextSlot || StandTable.size() > g_retryNextSlotMaxStands) return chosen;
    return gf_chooseStand(lf_nextSlot(time), aircraft, false);
}

void gf_claimStand(LiveAc& aircraft, Stand& stand) {
    if (aircraft.standId != 0 && aircraft.standId != stand.number) gf_releaseStand(aircraft);
    aircraft.lat = stand.lat;
    aircraft.lon = stand.lon;
    aircraft.heading = stand.heading;
    aircraft.standId = stand.number;
    aircraft.standCargo = stand.cargo;
    stand.liveParked = 1;
}

void gf_releaseStand(const AiAc& aircraft) { lf_releaseUnlessHeld(aircraft.standId, &aircraft); }

void gf_settleStandClaim(std::uint32_t standId) { lf_releaseUnlessHeld(standId, nullptr); }

void gf_countChangedStand() {
    ++g_changedStandCount;
    gf_countLearnedUpdate();
}

void gf_countLearnedUpdate() {
    const std::int32_t n = ++g_learnedUpdates;
    if (g_mainWindowState.updates.exchange(n) != n) gf_invalidateBand(g_lowerBand);
}

}  // namespace zrb
