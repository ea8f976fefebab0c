// The SimClient thread against the stand-in: the set-up of every connection,
// the simulator check, the user aircraft, and how the link ends.
#include <cstring>
#include <filesystem>
#include <limits>

#include <fmt/format.h>

#include "platform/controls.h"
#include "simlink/sim_requests.h"
#include "simlink/user_aircraft.h"
#include "standin_fixture.h"

namespace zrb::test {
namespace {

using namespace simconnect;

class SimClient : public StandinTest {};

// Opcodes of the set-up, in order: Open, 6 subscriptions, 33 definition
// entries, 17 mappings, 16 group entries and the group priority.
std::vector<std::uint32_t> lf_setupOpcodes() {
    std::vector<std::uint32_t> opcodes{opOpen};
    opcodes.insert(opcodes.end(), 6, opSubscribeToSystemEvent);
    opcodes.insert(opcodes.end(), 33, opAddToDataDefinition);
    opcodes.insert(opcodes.end(), 17, opMapClientEventToSimEvent);
    opcodes.insert(opcodes.end(), 16, opAddClientEventToNotificationGroup);
    opcodes.push_back(opSetNotificationGroupPriority);
    return opcodes;
}

void lf_expectSetupOf(const standin::ConnectionInfo& c) {
    EXPECT_EQ(c.subscriptions,
              (std::vector<std::string>{"Sim", "ObjectAdded", "ObjectRemoved", "PositionChanged", "FlightLoaded", "Frame"}));
    ASSERT_EQ(c.definitions.size(), 9U);
    const auto& inRange = c.definitions.at(404);
    ASSERT_EQ(inRange.size(), 4U);
    EXPECT_EQ(inRange[3].name, "ATC ID");
    EXPECT_EQ(inRange[3].units, "");
    EXPECT_EQ(inRange[3].type, 6U);
    const auto& user = c.definitions.at(403);
    ASSERT_EQ(user.size(), 12U);
    EXPECT_EQ(user[6].name, "Plane Alt Above Ground");
    EXPECT_EQ(user[11].units, "Mask");
    EXPECT_EQ(user[11].type, 2U);
    const auto& position = c.definitions.at(402);
    ASSERT_EQ(position.size(), 8U);
    EXPECT_EQ(position[2].units, "radians");
    EXPECT_EQ(position[6].units, "feet per second");
    EXPECT_EQ(c.definitions.at(407)[0].type, 11U);
    EXPECT_EQ(c.definitions.at(401)[2].name, "GENERAL ENG THROTTLE LEVER POSITION:2");
    EXPECT_EQ(c.mappedEvents.size(), 17U);
    EXPECT_EQ(c.mappedEvents.at(215), "FREEZE_LATITUDE_LONGITUDE_SET");
    const std::vector<std::uint32_t> group{208, 207, 211, 209, 210, 213, 212, 214, 218, 219, 220, 222, 223, 215, 216, 217};
    EXPECT_EQ(c.groups.at(GROUP_AI), group);  // ENGINE_AUTO_START (221) stays out
    EXPECT_EQ(c.groupPriorities.at(GROUP_AI), 1U);
}

TEST_F(SimClient, EveryConnectionRegistersTheSameVocabularyInTheSameOrder) {
    for (int run = 0; run < 2; ++run) {
        m_standin->clearPacketLog();
        connect();
        ASSERT_TRUE(eventually([&] { return clientPackets().size() >= 74; }));
        const auto packets = clientPackets();
        EXPECT_EQ(clientOpcodes(), lf_setupOpcodes());
        for (std::size_t i = 0; i < packets.size(); ++i) EXPECT_EQ(packets[i].sendId, i + 1);
        const auto connections = m_standin->connections();
        ASSERT_EQ(connections.size(), 1U);
        EXPECT_EQ(connections[0].applicationName, "TLVR_P3D");
        lf_expectSetupOf(connections[0]);
        EXPECT_FALSE(g_simNotConnected);
        stopClient();
        EXPECT_TRUE(m_folder.logContains("SimConnect closed ok"));
        EXPECT_TRUE(eventually([&] { return m_standin->connections().empty(); }));
        EXPECT_FALSE(g_simRunning);
        EXPECT_FALSE(g_mainWindowState.simConnected);
        resetLink();
    }
}

// Each packet of the set-up as a line of its fields, read from the bytes the
// stand-in received.
std::string lf_describe(const standin::PacketLogEntry& p) {
    const auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t b = 0; b < 4; ++b) value |= std::uint32_t{p.bytes.at(at + b)} << (8 * b);
        return value;
    };
    const auto text = [&](std::size_t at) {
        const auto* start = reinterpret_cast<const char*>(p.bytes.data() + at);
        return std::string(start, strnlen(start, 256));
    };
    switch (p.id) {
        case opOpen: return "open " + text(16);
        case opSubscribeToSystemEvent: return fmt::format("subscribe {} {}", u32(16), text(20));
        case opAddToDataDefinition: {
            float epsilon = 0.0F;
            std::memcpy(&epsilon, p.bytes.data() + 536, sizeof epsilon);
            return fmt::format("define {} '{}' '{}' {} {} {:#x}", u32(16), text(20), text(276), u32(532), epsilon,
                               u32(540));
        }
        case opMapClientEventToSimEvent: return fmt::format("map {} {}", u32(16), text(20));
        case opAddClientEventToNotificationGroup: return fmt::format("group {} {} {}", u32(16), u32(20), u32(24));
        case opSetNotificationGroupPriority: return fmt::format("priority {} {}", u32(16), u32(20));
        default: return fmt::format("opcode {}", p.id);
    }
}

// The 74 packets of the set-up, field by field, as the program's vocabulary
// towards the simulator has them: a dropped field, a swapped id or a wrong
// unit shows here.
TEST_F(SimClient, TheSetUpSendsTheProgramsVocabularyFieldByField) {
    connect();
    ASSERT_TRUE(eventually([&] { return clientPackets().size() >= 74; }));
    std::vector<std::string> sent;
    for (const auto& packet : clientPackets()) sent.push_back(lf_describe(packet));
    sent.resize(74);
    const std::vector<std::string> expected{
        "open TLVR_P3D",
        "subscribe 201 Sim",
        "subscribe 202 ObjectAdded",
        "subscribe 203 ObjectRemoved",
        "subscribe 205 PositionChanged",
        "subscribe 206 FlightLoaded",
        "subscribe 204 Frame",
        "define 407 'TITLE' '' 11 0 0xffffffff",
        "define 408 'ATC MODEL' '' 6 0 0xffffffff",
        "define 409 'SIM ON GROUND' 'Bool' 2 0 0xffffffff",
        "define 402 'Plane Latitude' 'degree' 4 0 0xffffffff",
        "define 402 'Plane Longitude' 'degree' 4 0 0xffffffff",
        "define 402 'Plane Pitch degrees' 'radians' 4 0 0xffffffff",
        "define 402 'Plane Bank degrees' 'radians' 4 0 0xffffffff",
        "define 402 'Plane Heading degrees true' 'radians' 4 0 0xffffffff",
        "define 402 'Plane Altitude' 'feet' 4 0 0xffffffff",
        "define 402 'Vertical Speed' 'feet per second' 4 0 0xffffffff",
        "define 402 'Airspeed True' 'knots' 4 0 0xffffffff",
        "define 403 'Plane Latitude' 'degree' 4 0 0xffffffff",
        "define 403 'Plane Longitude' 'degree' 4 0 0xffffffff",
        "define 403 'Plane Pitch degrees' 'radians' 4 0 0xffffffff",
        "define 403 'Plane Bank degrees' 'radians' 4 0 0xffffffff",
        "define 403 'Plane Heading degrees true' 'radians' 4 0 0xffffffff",
        "define 403 'Plane Altitude' 'feet' 4 0 0xffffffff",
        "define 403 'Plane Alt Above Ground' 'feet' 4 0 0xffffffff",
        "define 403 'Ground Velocity' 'knots' 4 0 0xffffffff",
        "define 403 'ZULU TIME' 'Seconds' 2 0 0xffffffff",
        "define 403 'ZULU DAY OF YEAR' 'Number' 2 0 0xffffffff",
        "define 403 'ZULU YEAR' 'Number' 2 0 0xffffffff",
        "define 403 'LIGHT STATES' 'Mask' 2 0 0xffffffff",
        "define 405 'Static CG to Ground' 'feet' 4 0 0xffffffff",
        "define 405 'Static Pitch' 'radians' 4 0 0xffffffff",
        "define 406 'Light On States' 'Mask' 2 0 0xffffffff",
        "define 404 'Plane Alt Above Ground' 'feet' 4 0 0xffffffff",
        "define 404 'Ground Altitude' 'feet' 4 0 0xffffffff",
        "define 404 'SIM ON GROUND' 'Bool' 2 0 0xffffffff",
        "define 404 'ATC ID' '' 6 0 0xffffffff",
        "define 401 'SPOILERS HANDLE POSITION' 'percent' 4 0 0xffffffff",
        "define 401 'GENERAL ENG THROTTLE LEVER POSITION:1' 'percent' 4 0 0xffffffff",
        "define 401 'GENERAL ENG THROTTLE LEVER POSITION:2' 'percent' 4 0 0xffffffff",
        "map 220 GEAR_SET",
        "map 221 ENGINE_AUTO_START",
        "map 222 ENGINE_AUTO_SHUTDOWN",
        "map 223 THROTTLE_SET",
        "map 218 FLAPS_SET",
        "map 219 SPOILERS_SET",
        "map 208 NAV_LIGHTS_SET",
        "map 207 BEACON_LIGHTS_SET",
        "map 211 LANDING_LIGHTS_SET",
        "map 209 TAXI_LIGHTS_SET",
        "map 210 STROBES_SET",
        "map 213 LOGO_LIGHTS_SET",
        "map 212 CABIN_LIGHTS_SET",
        "map 214 ALL_LIGHTS_TOGGLE",
        "map 215 FREEZE_LATITUDE_LONGITUDE_SET",
        "map 216 FREEZE_ALTITUDE_SET",
        "map 217 FREEZE_ATTITUDE_SET",
        "group 301 208 1",
        "group 301 207 1",
        "group 301 211 1",
        "group 301 209 1",
        "group 301 210 1",
        "group 301 213 1",
        "group 301 212 1",
        "group 301 214 1",
        "group 301 218 1",
        "group 301 219 1",
        "group 301 220 1",
        "group 301 222 1",
        "group 301 223 1",
        "group 301 215 1",
        "group 301 216 1",
        "group 301 217 1",
        "priority 301 1",
    };
    EXPECT_EQ(sent, expected);
}

TEST_F(SimClient, TheUserAircraftArrivesAndItsSecondsPaceTheLoop) {
    connect();
    EXPECT_TRUE(m_folder.logContains("Waiting for Prepar3Dv5 ..."));
    EXPECT_TRUE(m_folder.logContains("Lockheed Martin Prepar3D v5 (5.3.17.28160) connected"));
    ASSERT_TRUE(gf_requestUserAcOnGround());
    // The request reaches the stand-in in its own time: tick until it answers.
    ASSERT_TRUE(eventually([&] {
        m_standin->tickSecond();
        return g_secondTick.exchange(false);
    }));
    EXPECT_FALSE(g_userDataValid);  // no position yet

    ASSERT_TRUE(eventually([] { return gf_hasPosition(gf_getUserAcPosition().lat, 0.0); }));
    const UserAcData user = gf_getUserAcPosition();
    EXPECT_NEAR(user.lat, 47.4647, 1e-9);
    EXPECT_NEAR(user.lon, 8.5492, 1e-9);
    EXPECT_EQ(user.altitudeFt, 1416.0);
    EXPECT_EQ(gf_simUtcTime(), gf_zuluToUnixSeconds(2024, 172, 12 * 3600));
    EXPECT_EQ(g_userObjectId.load(), 1U);
    EXPECT_NEAR(gf_feedUserPosition().lat, 47.4647, 1e-9);  // the feed reads the same record

    m_standin->tickSecond();
    ASSERT_TRUE(eventually([] { return g_userDataValid.load(); }));
    EXPECT_TRUE(g_userOnGround);
    EXPECT_TRUE(g_secondTick);

    gf_requestUserAcTitleAndModel();
    ASSERT_TRUE(eventually([] { return g_userSpanSet.load(); }));
    EXPECT_EQ(gf_displayText(DisplayText::userAircraftTitle), "Stand-in User Aircraft");
    EXPECT_TRUE(m_folder.logContains("SimConnect: User aircraft title: Stand-in User Aircraft"));
    EXPECT_TRUE(m_folder.logContains("model raw: B738"));
    EXPECT_FALSE(g_simConnectError);
    EXPECT_FALSE(g_stopRun);
}

TEST_F(SimClient, AWrongSimulatorIsRefusedAndItsLinkLetGo) {
    standin::SimIdentity identity;
    identity.name = "Lockheed Martin\xAE Prepar3D\xAE v6";
    identity.versionMajor = 6;
    identity.versionMinor = 0;
    identity.buildMajor = 21;
    identity.buildMinor = 0;
    m_standin->setIdentity(identity);
    const platform::ControlHandle edit = platform::createHeadlessControl();
    platform::enableControl(edit, false);
    ALL_INSTALL_PATH.handle_ = edit;
    startClient();
    ASSERT_TRUE(eventually([&] { return ended(); }));
    EXPECT_EQ(gf_messageLineView().error,
              "78: wrong P3D version 'Lockheed Martin Prepar3D v6 (6.0.21.0)' connects ... ?)");
    EXPECT_TRUE(platform::headlessControlState(edit).enabled);  // the user may correct the path
    ALL_INSTALL_PATH.handle_ = platform::noControl;
    platform::destroyHeadlessControl(edit);
    EXPECT_TRUE(eventually([&] { return m_standin->connections().empty(); }));
    EXPECT_FALSE(g_simRunning);
    EXPECT_FALSE(g_stopRun);  // the user decides what follows

    // The closed link is safe to use and reports no request error.
    const auto before = m_standin->clientPacketCount();
    (void)gf_getUserAcPosition();
    gf_requestUserAcTitleAndModel();
    gf_requestAircraftInRange(10000);
    EXPECT_TRUE(gf_requestUserAcOnGround());
    EXPECT_EQ(gf_setAiFlightPlan(100, "plan.pln"), hresult::fail);
    EXPECT_FALSE(g_simConnectError);
    EXPECT_FALSE(g_stopRun);
    EXPECT_EQ(m_standin->clientPacketCount(), before);
}

TEST_F(SimClient, TheOtherSimulatorIsRefusedByName) {
    standin::SimIdentity identity;
    identity.name = "KittyHawk";
    m_standin->setIdentity(identity);
    startClient();
    ASSERT_TRUE(eventually([&] { return ended(); }));
    EXPECT_EQ(gf_messageLineView().error, "78: KittyHawk, (MSFS) not being P3D connects ... ?");
}

TEST_F(SimClient, AVersionMismatchEndsTheThread) {
    connect();
    m_standin->emitException(excVersionMismatch, 0, 3);
    ASSERT_TRUE(eventually([&] { return ended(); }));
    EXPECT_EQ(gf_messageLineView().error, "95: SimConnect Version Mismatch, dwIndex: 3");
    EXPECT_FALSE(g_simRunning);
    EXPECT_TRUE(eventually([&] { return m_standin->connections().empty(); }));
}

TEST_F(SimClient, AQuitOrABrokenLinkEndsTheRunAsSimWasClosed) {
    connect();
    m_standin->emitQuit();
    ASSERT_TRUE(eventually([&] { return ended(); }));
    EXPECT_FALSE(g_simRunning);
    EXPECT_EQ(gf_exitReason(), ExitReason::simWasClosed);
    EXPECT_TRUE(m_folder.logContains("Flight Simulator no longer connected"));
    stopClient();

    resetLink();
    connect();
    m_standin->dropClients(true);
    ASSERT_TRUE(eventually([&] { return ended(); }));
    EXPECT_EQ(gf_exitReason(), ExitReason::simWasClosed);
    EXPECT_TRUE(m_folder.logContains("===> SimConnect link broken"));
}

TEST_F(SimClient, ALoadedFlightEndsTheRunAsNewFlight) {
    connect();
    m_standin->emitFlightLoaded("C:\\flights\\other.fxml");
    ASSERT_TRUE(eventually([] { return g_stopRun.load(); }));
    EXPECT_EQ(gf_exitReason(), ExitReason::newFlight);
    EXPECT_EQ(gf_restartDelaySeconds(), 30U);
    EXPECT_FALSE(ended());  // the thread waits for closing down to stop it
}

TEST_F(SimClient, BadInputFromTheSimulatorIsDroppedAndTheLinkGoesOn) {
    connect();
    // Whole messages whose contents are wrong: too short for their kind, data
    // too short for their definition, an unknown kind, a reply out of turn.
    m_standin->sendRaw(Msg(msgSimObjectData).u32(reqUserData).done());
    m_standin->sendRaw(Msg(msgOpen).text("Prepar3D v5", 64).done());
    m_standin->sendRaw(objectDataMsg(msgSimObjectDataByType, reqInRange, 100, defInRange, Bytes(20, 0)));
    m_standin->sendRaw(Msg(99).u32(0).done());
    m_standin->sendRaw(userDataMsg(UserData{}, 0));
    m_standin->sendRaw(userDataMsg(UserData{}, 77));
    m_standin->sendRaw(exceptionMsg(excCreateObjectFailed, 12345, 1));
    drain();
    EXPECT_TRUE(m_folder.logContains("is malformed, dropped"));
    EXPECT_TRUE(m_folder.logContains("with 20 data bytes dropped"));
    EXPECT_TRUE(m_folder.logContains("! Unknown Dispatch dwID 99"));
    EXPECT_NEAR(gf_userAcRecord().lat, 50.0, 1e-12);  // an unasked reply still tells the position
    // but not the user's object: with id 0 every object would count as AI,
    // the user's own among them.
    EXPECT_EQ(g_userObjectId.load(), g_firstUserObjectId);
    EXPECT_FALSE(ended());
    EXPECT_FALSE(g_stopRun);
}

// Floods through the real link: 400,000 messages of an unknown kind, another
// program's 2,000 aircraft and as many unknown exceptions leave a few lines and
// a bounded list, which forgets what 50 range requests did not match.
TEST_F(SimClient, FloodsLeaveTheLogSmallAndTheAddedObjectsBounded) {
    connect();
    Bytes flood;
    const auto append = [&](const Bytes& message) { flood.insert(flood.end(), message.begin(), message.end()); };
    for (int i = 0; i < 400000; ++i) append(Msg(77).u32(1).done());
    for (std::uint32_t id = 5000; id < 7000; ++id) {
        append(addRemoveMsg(eventObjectAdded, id));
        append(exceptionMsg(31, 0, 1));
    }
    m_standin->sendRaw(flood);
    drain();
    EXPECT_EQ(lf_addedObjects().size(), g_maxAddedObjects);
    for (std::uint64_t i = 0; i < g_addedObjectRangeRequests; ++i) gf_requestAircraftInRange(20000);
    m_standin->sendRaw(addRemoveMsg(eventObjectAdded, 8000));
    drain();
    stopClient();
    EXPECT_EQ(lf_addedObjects(), (std::vector<std::uint32_t>{8000}));
    EXPECT_LT(std::filesystem::file_size(m_folder / "Log.txt"), 20000U);
    EXPECT_TRUE(m_folder.logContains("! Unknown Dispatch dwID 77"));
    EXPECT_TRUE(m_folder.logContains("! Unknown Dispatch dwID ... and 399,999 more like it"));
    EXPECT_TRUE(m_folder.logContains("SIMCONNECT_EXCEPTION of other codes ... and 1,999 more like it"));
}

// A position off the globe is no position: nothing is asked of the service
// with it, and a known one stays.
TEST_F(SimClient, AUserPositionOffTheGlobeIsNotUsed) {
    connect();
    const auto askPosition = [&](double lat, double lon) {
        m_standin->setUserPosition(lat, lon, 1416.0);
        const auto before = m_standin->clientPacketCount();
        (void)gf_getUserAcPosition();
        ASSERT_TRUE(m_standin->waitFor([&] { return m_standin->clientPacketCount() > before; }));
        drain();
    };
    askPosition(1e308, 8.5492);
    EXPECT_FALSE(gf_hasPosition(gf_userAcRecord().lat, gf_userAcRecord().lon));
    EXPECT_EQ(gf_feedUserPosition().lat, 0.0);
    EXPECT_TRUE(m_folder.logContains("===> User aircraft position 1e+308,8.5492 is off the globe: not used"));

    askPosition(47.4647, 8.5492);
    EXPECT_NEAR(gf_feedUserPosition().lat, 47.4647, 1e-9);
    askPosition(std::numeric_limits<double>::quiet_NaN(), 8.5492);
    askPosition(47.4647, -180.5);
    EXPECT_NEAR(gf_userAcRecord().lat, 47.4647, 1e-9);
    EXPECT_NEAR(gf_userAcRecord().lon, 8.5492, 1e-9);
    EXPECT_FALSE(g_stopRun) << "no teleport to nowhere";
}

}  // namespace
}  // namespace zrb::test
