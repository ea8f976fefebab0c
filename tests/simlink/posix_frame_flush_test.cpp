// The outgoing queues as the stand-in sees them: what leaves on a Frame
// event, in which order, and what happens to creations the simulator or the
// link cannot take.
#include <algorithm>
#include <bit>
#include <cstdint>

#include "standin_fixture.h"

namespace zrb::test {
namespace {

using namespace simconnect;

constexpr double userLat = 47.4647;
constexpr double userLon = 8.5492;

CreateAcRequest lf_create(const std::string& callsign, std::uint32_t hexId, const std::string& title = "B738 KLM") {
    CreateAcRequest request;
    request.initPos.latitudeDeg = userLat + 0.01;
    request.initPos.longitudeDeg = userLon;
    request.initPos.altitudeFt = 1416.0;
    request.initPos.onGround = 1;
    request.callsign = callsign;
    request.title = title;
    request.hexId = hexId;
    return request;
}

std::uint32_t lf_u32At(const standin::PacketLogEntry& p, std::size_t offset) {
    std::uint32_t v = 0;
    std::memcpy(&v, p.bytes.data() + offset, sizeof v);
    return v;
}

class FrameFlush : public StandinTest {
protected:
    // A connected link and two aircraft of someone else's near the user.
    void SetUp() override {
        connect();
        standin::SimAircraft ai;
        ai.title = "Foreign";
        ai.latitudeDeg = userLat;
        ai.longitudeDeg = userLon + 0.01;
        ai.atcId = "FOR1";
        m_a = m_standin->addForeignAircraft(ai);
        ai.atcId = "FOR2";
        m_b = m_standin->addForeignAircraft(ai);
        drain();
        m_standin->clearPacketLog();
    }
    // Collects notices until one of the kind with that hex id (or object id) came.
    bool waitForNotice(SimNoticeKind kind, std::uint32_t hexId, std::uint32_t objectId = 0) {
        return eventually([&] {
            for (const SimNotice& n : gf_takeSimNotices()) m_notices.push_back(n);
            return std::any_of(m_notices.begin(), m_notices.end(), [&](const SimNotice& n) {
                return n.kind == static_cast<std::uint32_t>(kind) && n.hexId == hexId &&
                       (objectId == 0 || n.objectId == objectId);
            });
        });
    }
    void queueOneOfEach() {
        PosUpdate update;
        update.objectId = m_a;
        update.block.latitudeDeg = userLat + 0.02;
        update.block.longitudeDeg = userLon;
        update.block.altitudeFt = 3000.0;
        gf_writePosUpdate(update);
        ASSERT_TRUE(gf_exchangePosUpdates());
        gf_queueClientEvent(ClientEventRequest{m_a, evNavLightsSet, 1});
        gf_queueCreateAc(lf_create("KLM123", 0x4840D6));
        gf_queueRemoval(m_b);
    }

    std::uint32_t m_a = 0;
    std::uint32_t m_b = 0;
    std::vector<SimNotice> m_notices;
};

TEST_F(FrameFlush, OneFrameSendsUpdatesEventsCreationsAndRemovalsInThatOrder) {
    queueOneOfEach();
    EXPECT_TRUE(clientPackets().empty());  // nothing leaves before a Frame
    m_standin->emitFrame();
    ASSERT_TRUE(eventually([&] { return clientPackets().size() >= 4; }));
    const auto packets = clientPackets();
    EXPECT_EQ(clientOpcodes(), (std::vector<std::uint32_t>{opSetDataOnSimObject, opTransmitClientEvent,
                                                           opAICreateNonATCAircraft, opAIRemoveObject}));
    ASSERT_EQ(packets[0].bytes.size(), 100U);  // 36 bytes of header and one 64-byte block
    // Latitude, longitude, three zero angles and the altitude, each a
    // little-endian 64-bit float in its place.
    const auto doubleAt = [&](std::size_t offset) {
        std::uint64_t bits = 0;
        for (std::size_t b = 0; b < 8; ++b) bits |= std::uint64_t{packets[0].bytes[offset + b]} << (8 * b);
        return std::bit_cast<double>(bits);
    };
    EXPECT_EQ(doubleAt(36), userLat + 0.02);
    EXPECT_EQ(doubleAt(44), userLon);
    EXPECT_EQ(doubleAt(76), 3000.0);
    EXPECT_TRUE(gf_queuedClientEvents().empty());
    EXPECT_TRUE(gf_queuedCreates().empty());
    EXPECT_TRUE(gf_queuedRemovals().empty());
    drain();
    for (const auto& object : m_standin->aiObjects()) {
        EXPECT_NE(object.objectId, m_b);
        if (object.objectId == m_a) {
            EXPECT_NEAR(object.latitudeDeg, userLat + 0.02, 1e-12);
        }
    }
    EXPECT_TRUE(m_standin->events().size() == 1 && m_standin->events()[0].eventName == "NAV_LIGHTS_SET");
}

TEST_F(FrameFlush, AFrameThatFindsTheMutexBusySendsNothingAndTheNextSendsAll) {
    queueOneOfEach();
    {
        const std::lock_guard lock(g_simConnectMutex);
        m_standin->emitFrame();
        drain();  // the frame has been handled meanwhile
        EXPECT_TRUE(clientPackets().empty());
    }
    m_standin->emitFrame();
    ASSERT_TRUE(eventually([&] { return clientPackets().size() >= 4; }));
    EXPECT_EQ(clientOpcodes(), (std::vector<std::uint32_t>{opSetDataOnSimObject, opTransmitClientEvent,
                                                           opAICreateNonATCAircraft, opAIRemoveObject}));
}

TEST_F(FrameFlush, FlapsAreSentBetweenTwoReleasesOfControl) {
    gf_queueClientEvent(ClientEventRequest{m_a, evFlapsSet, 8192});
    m_standin->emitFrame();
    ASSERT_TRUE(eventually([&] { return clientPackets().size() >= 3; }));
    const auto p = clientPackets();
    EXPECT_EQ(clientOpcodes(),
              (std::vector<std::uint32_t>{opAIReleaseControl, opTransmitClientEvent, opAIReleaseControl}));
    EXPECT_EQ(lf_u32At(p[0], 16), m_a);
    EXPECT_EQ(lf_u32At(p[0], 20), 103U);
    EXPECT_EQ(lf_u32At(p[1], 16), m_a);
    EXPECT_EQ(lf_u32At(p[1], 20), 218U);
    EXPECT_EQ(lf_u32At(p[1], 24), 8192U);
    EXPECT_EQ(lf_u32At(p[1], 28), 301U);
    EXPECT_EQ(lf_u32At(p[1], 32), 0U);
    EXPECT_EQ(lf_u32At(p[2], 16), m_a);
}

TEST_F(FrameFlush, LightsGoInTheirOrderAndTheUserIsNeverRemoved) {
    gf_setLights(m_a, {1, 1, 0, 1, 0, 1, 1});
    gf_queueRemoval(g_userObjectId.load());
    m_standin->emitFrame();
    ASSERT_TRUE(eventually([&] { return m_folder.logContains("===> SimConnect call to remove ac with objectid 2"); }));
    drain();
    // The stand-in reads the client's packets on a thread of its own.
    ASSERT_TRUE(eventually([&] { return m_standin->events().size() >= 7; }));
    const auto events = m_standin->events();
    ASSERT_EQ(events.size(), 7U);
    const std::vector<std::uint32_t> order{208, 207, 211, 209, 210, 213, 212};
    const std::vector<std::uint32_t> data{1, 1, 0, 1, 0, 1, 1};
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(events[i].eventId, order[i]);
        EXPECT_EQ(events[i].data, data[i]);
        EXPECT_EQ(events[i].groupId, GROUP_AI);
    }
    const auto opcodes = clientOpcodes();
    EXPECT_EQ(std::count(opcodes.begin(), opcodes.end(), opAIRemoveObject), 0);
}

TEST_F(FrameFlush, TextsTooLongForTheSimulatorFailOneAircraftNotTheRun) {
    gf_queueCreateAc(lf_create("ABCDEFGHIJKL", 0x100001, "B738 M\xFCller"));     // 12 characters, legacy title
    gf_queueCreateAc(lf_create("KLM1", 0x100002, std::string(256, 'T')));        // 256 characters
    gf_queueCreateAc(lf_create("KLM2", 0x100003));
    m_standin->emitFrame();
    ASSERT_TRUE(waitForNotice(SimNoticeKind::creationFailed, 0x100002));
    EXPECT_TRUE(waitForNotice(SimNoticeKind::creationFailed, 0x100001));
    // Log.txt is UTF-8 whatever the bytes of the title.
    EXPECT_TRUE(m_folder.logContains("! Simcon create refused, hexid:1048577, liv: 'B738 M\xC3\xBCller'"));
    EXPECT_TRUE(m_folder.logIsUtf8());
    // The one creation that fits reaches the stand-in a moment after the notices.
    const auto creations = [&] {
        const auto opcodes = clientOpcodes();
        return std::count(opcodes.begin(), opcodes.end(), opAICreateNonATCAircraft);
    };
    EXPECT_TRUE(eventually([&] { return creations() == 1; }));
    EXPECT_FALSE(g_simConnectError);
    EXPECT_FALSE(g_stopRun);
    // The link goes on sending.
    gf_queueClientEvent(ClientEventRequest{m_a, evBeaconLightsSet, 1});
    m_standin->emitFrame();
    EXPECT_TRUE(eventually([&] { return m_standin->events().size() == 1; }));
}

// The simulator knows its titles in its code page, as it sends them: a title
// read as UTF-8 from an aircraft.cfg of that code page must reach it as it
// stood there.
// Titles go in the bytes of their aircraft.cfg, UTF-8 or legacy text: the
// simulator knows a livery by those.
TEST_F(FrameFlush, TitlesReachTheSimulatorAsTheirFilesHoldThem) {
    gf_queueCreateAc(lf_create("DLH1", 0x100011, "B738 \xC5\x81\xC3\xB3" "d\xC5\xBA"));
    gf_queueCreateAc(lf_create("DLH2", 0x100012, "B738 M\xFCnchen"));
    m_standin->emitFrame();
    const auto titlesSent = [&] {
        std::vector<std::string> titles;
        for (const auto& p : clientPackets())
            if (p.id == opAICreateNonATCAircraft)
                titles.emplace_back(reinterpret_cast<const char*>(p.bytes.data() + 16));
        return titles;
    };
    ASSERT_TRUE(eventually([&] { return titlesSent().size() == 2; }));
    EXPECT_EQ(titlesSent(), (std::vector<std::string>{"B738 \xC5\x81\xC3\xB3" "d\xC5\xBA", "B738 M\xFCnchen"}));
}

TEST_F(FrameFlush, ANewAircraftIsMatchedByCallsignReleasedAndFrozen) {
    gf_queueCreateAc(lf_create("KLM123", 0x4840D6));
    m_standin->emitFrame();
    std::uint32_t created = 0;
    ASSERT_TRUE(eventually([&] {
        for (const auto& o : m_standin->aiObjects())
            if (o.atcId == "KLM123") created = o.objectId;
        return created != 0;
    }));
    drain();  // its ObjectAdded has been dispatched
    m_standin->clearPacketLog();
    gf_requestAircraftInRange(20000);
    ASSERT_TRUE(waitForNotice(SimNoticeKind::liveCreated, 0x4840D6, created));
    ASSERT_TRUE(eventually([&] { return clientPackets().size() >= 2; }));
    const auto release = clientPackets()[1];
    EXPECT_EQ(release.id, opAIReleaseControl);
    EXPECT_EQ(lf_u32At(release, 16), created);
    // The foreign aircraft were added before: they stay unknown, with a log line.
    EXPECT_TRUE(m_folder.logContains("just spawned, but not by TLVR_P3D"));
    EXPECT_EQ(m_notices.size(), 1U);

    m_standin->emitFrame();
    ASSERT_TRUE(eventually([&] {
        for (const auto& o : m_standin->aiObjects())
            if (o.objectId == created) return o.released && o.frozenLatLon && o.frozenAltitude && o.frozenAttitude;
        return false;
    }));
}

TEST_F(FrameFlush, ACreationTheSimulatorRefusesComesBackAsCreationFailed) {
    m_standin->failNextCreates(1);
    gf_queueCreateAc(lf_create("DLH400", 0x3C6444));
    m_standin->emitFrame();
    ASSERT_TRUE(waitForNotice(SimNoticeKind::creationFailed, 0x3C6444));
    EXPECT_FALSE(g_simConnectError);
}

TEST_F(FrameFlush, AfterARequestErrorNothingIsSentUntilTheNextRun) {
    gf_simConnectRequestError();
    EXPECT_EQ(gf_exitReason(), ExitReason::simConnectError);
    EXPECT_EQ(gf_restartDelaySeconds(), 9U);
    EXPECT_TRUE(m_folder.logContains("SimConnect request error"));
    queueOneOfEach();
    m_standin->emitFrame();
    drain();
    (void)gf_getUserAcPosition();
    gf_requestAircraftInRange(20000);
    drain();
    EXPECT_TRUE(clientPackets().empty());
    EXPECT_TRUE(gf_queuedCreates().empty());
    EXPECT_TRUE(gf_queuedClientEvents().empty());
}

}  // namespace
}  // namespace zrb::test
