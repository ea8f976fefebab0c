// What one feed record does to the live list: the plausibility rules that keep
// the feed's jumps out, the field-elevation rule, new aircraft by type and
// category, the same flight under two hex ids, broken records, the identity
// change that brings an aircraft back with another livery, and the history
// that the passes take before any live record.
#include <cmath>
#include <limits>

#include "airports/park_airport.h"
#include "manager_fixture.h"
#include "traffic/feed_intake.h"

namespace zrb::test {
namespace {

constexpr std::int64_t t0 = 1700000000;

class Intake : public ManagerTest {
protected:
    static TrafficRecord record(std::uint32_t hexId, const std::string& callsign, const std::string& type,
                                std::int64_t time, double groundSpeed, double heading = 90.0, double altitude = 5000.0,
                                double lon = 8.0) {
        TrafficRecord r;
        r.hexId = hexId;
        r.callsign = callsign;
        r.type = type;
        r.time = time;
        r.sample.lat = 47.0;
        r.sample.lon = lon;
        r.sample.altitude = altitude;
        r.sample.airborne = altitude > 0.0 ? 1 : 0;
        r.sample.groundSpeed = groundSpeed;
        r.sample.speed = groundSpeed;
        r.sample.heading = heading;
        return r;
    }
    static std::size_t queued(std::uint32_t hexId) {
        const LiveAc* a = gf_findLive(hexId);
        return a == nullptr ? 0 : a->samples.size();
    }
};

TEST_F(Intake, RecordsThatRepeatOrJumpAreDropped) {
    // Time: one second after the last accepted record is a repeat.
    gf_processTrafficRecord(record(0x400001, "DLH1", "A320", t0, 200));
    ASSERT_EQ(queued(0x400001), 1u);
    TrafficRecord r = record(0x400001, "DLH1", "A320", t0 + 1, 200, 120, 5000, 8.01);
    gf_processTrafficRecord(r);
    EXPECT_EQ(queued(0x400001), 1u);
    r.time = t0 + 2;
    gf_processTrafficRecord(r);
    EXPECT_EQ(queued(0x400001), 2u);

    // Speed: ten times faster or slower than the last sample, or from standing to 80 kt.
    gf_processTrafficRecord(record(0x400002, "DLH2", "A320", t0, 6, 90, 0));
    gf_processTrafficRecord(record(0x400002, "DLH2", "A320", t0 + 20, 60, 90, 0, 8.01));
    EXPECT_EQ(queued(0x400002), 1u);
    gf_processTrafficRecord(record(0x400002, "DLH2", "A320", t0 + 20, 59, 90, 0, 8.01));
    EXPECT_EQ(queued(0x400002), 2u);
    gf_processTrafficRecord(record(0x400003, "DLH3", "A320", t0, 4, 90, 0));
    gf_processTrafficRecord(record(0x400003, "DLH3", "A320", t0 + 20, 80, 90, 0, 8.01));
    EXPECT_EQ(queued(0x400003), 1u);

    // Gaps: an airliner on a steady heading must have flown 450 m (3.645 s at 240 kt).
    gf_processTrafficRecord(record(0x400004, "DLH4", "A320", t0, 240));
    gf_processTrafficRecord(record(0x400004, "DLH4", "A320", t0 + 3, 240, 90.5, 5000, 8.01));
    EXPECT_EQ(queued(0x400004), 1u);
    gf_processTrafficRecord(record(0x400004, "DLH4", "A320", t0 + 4, 240, 90.5, 5000, 8.01));
    EXPECT_EQ(queued(0x400004), 2u);
    // On the ground 20 m, and at most 15 s when it stands; a turn is news at once.
    gf_processTrafficRecord(record(0x400005, "DLH5", "A320", t0, 0, 90, 0));
    gf_processTrafficRecord(record(0x400005, "DLH5", "A320", t0 + 15, 0, 91, 0));
    EXPECT_EQ(queued(0x400005), 1u);
    gf_processTrafficRecord(record(0x400005, "DLH5", "A320", t0 + 10, 0, 95, 0));
    EXPECT_EQ(queued(0x400005), 2u);
}

TEST_F(Intake, NewAircraftByTypeCategoryFieldElevationAndTwin) {
    // Large is always wanted; Light follows its switch; a type the database
    // does not know comes from the registration or not at all.
    LIGHT_AIRCRAFT.value = false;
    HIGH_PERF_AIRCRAFT.value = false;
    HELICOPTERS.value = false;
    gf_processTrafficRecord(record(0x410001, "KLM1", "B738", t0, 250));
    gf_processTrafficRecord(record(0x410002, "PH-ABC", "C172", t0, 100));
    gf_processTrafficRecord(record(0x410003, "ZZZ1", "XXXX", t0, 250));
    TrafficRecord byReg = record(0x410004, "BAW9", "", t0, 250);
    byReg.registration = "G-EUUA";
    gf_processTrafficRecord(byReg);
    EXPECT_EQ(queued(0x410001), 1u);
    EXPECT_EQ(queued(0x410002), 0u);
    EXPECT_EQ(queued(0x410003), 0u);
    ASSERT_EQ(queued(0x410004), 1u);
    EXPECT_EQ(gf_findLive(0x410004)->type, "A320");
    EXPECT_EQ(gf_findLive(0x410004)->text6, "BAW9");
    EXPECT_DOUBLE_EQ(gf_findLive(0x410004)->maxSpeedChange, 0.6);

    // The same callsign and type under another hex id is the same flight.
    gf_processTrafficRecord(record(0x410005, "KLM1", "B738", t0 + 5, 250));
    EXPECT_EQ(queued(0x410005), 0u);

    // Claiming to fly at the park airport's own elevation: dropped; 130 ft above is fine.
    gf_setCurrentParkAirport(CurrentParkAirportData{"LSZH", "", 47.0, 8.0, 100.0});
    gf_processTrafficRecord(record(0x410006, "SWR1", "A320", t0, 150, 90, 200));
    gf_processTrafficRecord(record(0x410007, "SWR2", "A320", t0, 150, 90, 230));
    EXPECT_EQ(queued(0x410006), 0u);
    EXPECT_EQ(queued(0x410007), 1u);
    gf_clearCurrentParkAirport();
    gf_processTrafficRecord(record(0x410006, "SWR1", "A320", t0, 150, 90, 200));
    EXPECT_EQ(queued(0x410006), 1u) << "without a park airport the rule never drops";

    // A missing number or time stamp never becomes an aircraft.
    TrafficRecord broken = record(0x410008, "SWR3", "A320", t0, 150);
    broken.sample.groundSpeed = std::numeric_limits<double>::quiet_NaN();
    gf_processTrafficRecord(broken);
    gf_processTrafficRecord(record(0x410009, "SWR4", "A320", 0, 150));
    EXPECT_EQ(queued(0x410008), 0u);
    EXPECT_EQ(queued(0x410009), 0u);
}

TEST_F(Intake, ANewRegistrationOfAnotherAircraftRespawnsOnlyWithGuidChanges) {
    for (const bool guidChanges : {true, false}) {
        gf_resetTraffic();
        GUID_CHANGES.value = guidChanges;
        TrafficRecord r = record(0x420001, "BAW12", "A320", t0, 250);
        r.registration = "G-EUUA";
        gf_processTrafficRecord(r);
        LiveAc& a = *gf_findLive(0x420001);
        a.fs = LifecycleState::active;
        a.st = MovementState::flying;
        a.objectId = 77;
        a.airline = "BAW";
        a.title = m_title;
        gf_rememberLivery(a.hexId, a.title);
        r.registration = "G-XLEA";  // BAW A388
        r.time = t0 + 10;
        r.sample.lon = 8.02;
        gf_processTrafficRecord(r);
        if (guidChanges) {
            EXPECT_EQ(a.fs, LifecycleState::liveryrespawn);
            EXPECT_EQ(g_removalDeque, std::deque<std::uint32_t>{77});
            EXPECT_EQ(a.type, "A388");
            EXPECT_EQ(a.category, 3u) << "the new type's category values";
            EXPECT_TRUE(a.title.empty());
            EXPECT_EQ(a.st, MovementState::birth);
            EXPECT_TRUE(lf_rememberedLivery(a.hexId).empty());
            EXPECT_TRUE(m_folder.logContains("BAW12    G-XLEA") && m_folder.logContains("respawns"));
            // While its object goes, the feed's records wait.
            r.time = t0 + 20;
            gf_processTrafficRecord(r);
            EXPECT_EQ(a.samples.size(), 2u);
        } else {
            EXPECT_EQ(a.fs, LifecycleState::active);
            EXPECT_TRUE(g_removalDeque.empty());
            EXPECT_EQ(a.samples.size(), 2u);
            EXPECT_EQ(a.title, m_title) << "its livery stays while it is not created again";
            EXPECT_EQ(a.registration, "G-XLEA");
        }
    }
}

TEST_F(Intake, TheHistoryGoesFirstAHundredRecordsAPass) {
    std::vector<TrafficRecord> history;
    for (std::uint32_t i = 0; i < 150; ++i) history.push_back(record(0x430000 + i, "H" + std::to_string(i), "A320", t0, 250));
    gf_scheduleTrafficRecords(history, 24);  // due in 2400 passes: nothing spawns yet
    std::vector<TrafficRecord> live{record(0x440000, "LIVE1", "A320", t0, 250)};
    {
        std::lock_guard lock(g_runMutex);
        g_trafficActive = true;
    }
    gf_scheduleTrafficRecords(live, g_livePollDelaySeconds);
    lf_handleAddingStack();
    EXPECT_EQ(g_liveList.size(), 100u);
    EXPECT_EQ(queued(0x440000), 0u);
    lf_handleAddingStack();
    EXPECT_EQ(g_liveList.size(), 150u);
    lf_handleAddingStack();
    EXPECT_EQ(queued(0x440000), 1u);
    EXPECT_EQ(g_liveList.front().hexId, 0x430000u) << "oldest first";
}

}  // namespace
}  // namespace zrb::test
