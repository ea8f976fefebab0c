#pragma once
// The scenario harness: the real traffic manager and the real simulator layer
// against the stand-in simulator, in-process on loopback, on a virtual clock.
//
// What is real: the manager's pass (lf_handleAddingStack) and everything it
// calls, the simulator layer's setup, dispatch, requests and Frame flush, the
// SimConnect client and its transport, and the stand-in simulator with its
// world (flat ground at one elevation, AI objects, the user aircraft).
//
// What the harness plays: the worker thread (the test thread runs the passes)
// and the SimClient thread's loop. Instead of dispatching every millisecond,
// the harness dispatches on the test thread until both sides are quiet: after
// each pass it waits until the stand-in has handled every packet the client
// sent, has the stand-in send a marker behind its replies, and dispatches until
// the marker arrives; it repeats that until no new packet was sent. So every
// reply (ObjectAdded, range replies, exceptions) reaches the manager's notices
// before the next pass, and a test sees the same order every time.
//
// Time: one pass is 10 ms of virtual time; the system clock (gf_systemNow and
// gf_now) follows it, starting at options.start. Nothing sleeps: 360000 passes
// (an hour) take seconds when frames are sparse (options.passesPerFrame).
//
// Frames: a Frame event follows every passesPerFrame passes (1 by default, the
// simulator's 60 fps give one or two per pass); it carries options.frameRate,
// which decides whether a busy mutex drops a pass of position updates. The
// stand-in answers the per-second requests every 100 passes; the optional
// everySecond hook then runs too (a test may hand it the shell's lf_everySecond).
//
// Feeding: feedLive hands a batch to the intake's real entry point with the
// live delay of 30 s (records become due 3000 passes later); the pass takes two
// records per pass. The aircraft database is the test sample
// (tests/data/dbase_sample.xml); the livery matcher's tables hold one generic
// ("ZZZ") livery per type of the sample, titled "Stand-in {type}" (a test may
// build others with tests/liveries/livery_fixture.h).
//
// One scenario at a time per process (the manager's lists are globals). The
// destructor puts the manager, the link, the clock and the settings back.
//
// Typical use:
//     TrafficScenario s;
//     const Flight dlh{0x3C6444, "DLH4AB", "A320", "D-AIZA", "EDDF", "LSZH"};
//     s.feedLive({s.record(dlh, 47.50, 8.55, 5000, 250, 90, -800),
//                 s.record(dlh, 47.50, 8.60, 4800, 250, 90, -800, 5)});
//     s.passUntil([&] { return !s.sim().creations().empty(); }, 4000);

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "feed/traffic_record.h"
#include "foundation/time.h"
#include "simconnect/simconnect.h"
#include "simulator/standin.h"
#include "support/temp_folder.h"

namespace zrb::test {

struct ScenarioOptions {
    Seconds start = 1717243200;  // Sat 1 June 2024 12:00:00 UTC
    int passesPerFrame = 1;
    float frameRate = 60.0F;
    double groundElevationFt = 1416.0;  // the stand-in's flat ground
    double userLat = 47.4647;           // the user aircraft, parked on the ground
    double userLon = 8.5492;
    bool log = true;                     // LOG on: the manager's detail lines
};

// The identity of a live aircraft of the feed.
struct Flight {
    std::uint32_t hexId = 0;
    std::string callsign;
    std::string type;
    std::string registration;
    std::string departure;
    std::string destination;
};

class TrafficScenario {
public:
    explicit TrafficScenario(ScenarioOptions options = {});
    ~TrafficScenario();
    TrafficScenario(const TrafficScenario&) = delete;
    TrafficScenario& operator=(const TrafficScenario&) = delete;

    standin::SimStandin& sim() { return *m_sim; }
    LoggedFolder& folder() { return m_folder; }
    std::filesystem::path dataFolder() const;

    // ------------------------------------------------------------ passes
    // One manager pass, then the Frame and the second when due, then quiet.
    void pass();
    void passes(int count);
    // Passes until the condition holds (true) or maxPasses have run (false).
    bool passUntil(const std::function<bool()>& condition, int maxPasses);
    std::int32_t tick() const;
    Seconds now() const;
    // Called every 100 passes after the stand-in's per-second answers.
    std::function<void()> everySecond;

    // ------------------------------------------------------------ feed
    // A feed record of the flight at the current time plus secondsLater.
    TrafficRecord record(const Flight& flight, double lat, double lon, double altitudeFt, double groundSpeedKt,
                         double headingDeg, double verticalRateFpm = 0.0, double secondsLater = 0.0) const;
    // Through gf_scheduleTrafficRecords with the live delay: false when the
    // intake dropped the batch (the previous one was not taken yet).
    bool feedLive(std::vector<TrafficRecord> batch);

    // ------------------------------------------------------------ the simulator side
    // Dispatches and waits until every packet sent so far is handled and every
    // reply has reached the dispatch (the passes do this themselves).
    void settle();
    // One Frame event now (between passes), then quiet.
    void frame();
    // The user aircraft in the stand-in, picked up by the manager's next copy.
    void setUser(double lat, double lon, double altitudeFt, bool onGround);

private:
    std::uint32_t lastSentId() const;
    void dispatchUntilMarker(std::uint32_t marker);
    static void lf_harnessDispatch(const std::uint8_t* message, std::uint32_t size, void* context);

    ScenarioOptions m_options;
    LoggedFolder m_folder;
    std::unique_ptr<standin::SimStandin> m_sim;
    SimConnectHandle m_handle = nullptr;
    std::uint32_t m_marker = 0;
    std::uint32_t m_seenMarker = 0;
    std::uint32_t m_settledSendId = 0;
    bool m_inbound = false;  // the stand-in was told to send something
    std::int32_t m_passes = 0;
};

}  // namespace zrb::test
