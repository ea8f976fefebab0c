// The client against the stand-in simulator over loopback TCP: the calls the
// program makes and the answers it relies on.
#include <cmath>

#include "loopback_support.h"
#include "simconnect/protocol.h"

namespace zrb {
namespace {

using namespace simconnect;
using test::pumpUntil;

class Loopback : public test::LoopbackFixture {};

TEST_F(Loopback, OpenIsAnsweredWithTheSimulatorsIdentity) {
    openAndWaitForReply();
    const auto log = m_standin->packetLog();
    ASSERT_FALSE(log.empty());
    EXPECT_TRUE(log.front().fromClient);
    EXPECT_EQ(log.front().bytes.size(), kOpenBytes);
    EXPECT_EQ(log.front().sendId, 1u);

    const auto reply = m_inbox.withId(msgOpen).front();
    const auto open = gf_recvOpen(reply.data(), static_cast<std::uint32_t>(reply.size()));
    ASSERT_TRUE(open);
    EXPECT_EQ(open->applicationName, "Lockheed Martin\xAE Prepar3D\xAE v5");
    EXPECT_EQ(open->versionMajor, 5u);
    EXPECT_EQ(open->buildMinor, 28160u);
    const auto connections = m_standin->connections();
    ASSERT_EQ(connections.size(), 1u);
    EXPECT_TRUE(connections[0].open);
    EXPECT_EQ(connections[0].applicationName, "TLVR_P3D");
}

TEST_F(Loopback, SystemEventsAndUserAircraftRequests) {
    openAndWaitForReply();
    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 201, "Sim"), hresult::ok);
    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 204, "Frame"), hresult::ok);
    for (const auto& [name, units, type] : std::vector<std::tuple<const char*, const char*, std::uint32_t>>{
             {"Plane Latitude", "degree", 4}, {"Plane Longitude", "degree", 4},
             {"Plane Pitch degrees", "radians", 4}, {"Plane Bank degrees", "radians", 4},
             {"Plane Heading degrees true", "radians", 4}, {"Plane Altitude", "feet", 4},
             {"Plane Alt Above Ground", "feet", 4}, {"Ground Velocity", "knots", 4}, {"ZULU TIME", "Seconds", 2},
             {"ZULU DAY OF YEAR", "Number", 2}, {"ZULU YEAR", "Number", 2}, {"LIGHT STATES", "Mask", 2}})
        ASSERT_EQ(SimConnect_AddToDataDefinition(m_handle, 403, name, units, type, 0.0f, 0xFFFFFFFF), hresult::ok);
    ASSERT_EQ(SimConnect_AddToDataDefinition(m_handle, 407, "TITLE", nullptr, 11, 0.0f, 0xFFFFFFFF), hresult::ok);
    ASSERT_EQ(SimConnect_AddToDataDefinition(m_handle, 408, "ATC MODEL", nullptr, 6, 0.0f, 0xFFFFFFFF), hresult::ok);
    ASSERT_EQ(SimConnect_AddToDataDefinition(m_handle, 409, "SIM ON GROUND", "Bool", 2, 0.0f, 0xFFFFFFFF),
              hresult::ok);

    // "Sim" is answered at once with the running state.
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return !m_inbox.withId(msgEvent).empty(); }));
    const auto sim = gf_recvEvent(m_inbox.withId(msgEvent)[0].data(), kEventMsgBytes);
    ASSERT_TRUE(sim);
    EXPECT_EQ(sim->eventId, 201u);
    EXPECT_EQ(sim->data, 1u);
    m_standin->setPaused(true);
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return m_inbox.withId(msgEvent).size() == 2; }));
    EXPECT_EQ(gf_recvEvent(m_inbox.withId(msgEvent)[1].data(), kEventMsgBytes)->data, 0u);

    m_standin->setFrameRate(75.0);
    m_standin->emitFrame();
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return !m_inbox.withId(msgEventFrame).empty(); }));
    const auto frameBytes = m_inbox.withId(msgEventFrame)[0];
    const auto frame = gf_recvFrame(frameBytes.data(), static_cast<std::uint32_t>(frameBytes.size()));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->event.eventId, 204u);
    EXPECT_FLOAT_EQ(frame->frameRate, 75.0f);

    standin::UserState user = m_standin->user();
    user.aircraft.title = "Stand-in 737";
    user.aircraft.atcModel = "B738";
    user.aircraft.onGround = false;
    user.zuluYear = 2024;
    user.zuluDayOfYear = 60;
    user.zuluTimeS = 3600;
    m_standin->setUser(user);
    m_standin->setUserPosition(47.5, 8.5, 3000.0);
    ASSERT_EQ(SimConnect_RequestDataOnSimObject(m_handle, 109, 403, 0, periodOnce, 0, 0, 0, 0), hresult::ok);
    ASSERT_EQ(SimConnect_RequestDataOnSimObject(m_handle, 106, 407, 0, periodOnce, 0, 0, 0, 0), hresult::ok);
    ASSERT_EQ(SimConnect_RequestDataOnSimObject(m_handle, 107, 408, 0, periodOnce, 0, 0, 0, 0), hresult::ok);
    ASSERT_EQ(SimConnect_RequestDataOnSimObject(m_handle, 108, 409, 0, periodSecond, 0, 0, 0, 0), hresult::ok);
    // A tick answers only the requests the stand-in holds, and the answers to the
    // three single requests may come before it has read this one.
    std::uint32_t periodic = 0;
    ASSERT_EQ(SimConnect_GetLastSentPacketID(m_handle, &periodic), hresult::ok);
    ASSERT_TRUE(m_standin->waitHandled(periodic, std::chrono::seconds(10)));
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return m_inbox.withId(msgSimObjectData).size() == 3; }));
    m_standin->tickSecond();
    m_standin->tickSecond();
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return m_inbox.withId(msgSimObjectData).size() == 5; }));

    std::map<std::uint32_t, RecvObjectData> byRequest;  // views into dataMessages
    const auto dataMessages = m_inbox.withId(msgSimObjectData);
    for (const auto& m : dataMessages) {
        const auto data = gf_recvObjectData(m.data(), static_cast<std::uint32_t>(m.size()));
        ASSERT_TRUE(data);
        EXPECT_EQ(data->objectId, 1u);  // the user's real id
        byRequest[data->requestId] = *data;
    }
    EXPECT_EQ(byRequest[109].data.size(), 96u);
    EXPECT_DOUBLE_EQ(*gf_dataF64(byRequest[109].data, 0), 47.5);
    EXPECT_DOUBLE_EQ(*gf_dataF64(byRequest[109].data, 40), 3000.0);
    EXPECT_EQ(*gf_dataI64(byRequest[109].data, 64), 3600);
    EXPECT_EQ(*gf_dataI64(byRequest[109].data, 72), 60);
    EXPECT_EQ(*gf_dataI64(byRequest[109].data, 80), 2024);
    EXPECT_EQ(gf_dataText(byRequest[106].data, 0, 0), "Stand-in 737");
    EXPECT_EQ(byRequest[107].data.size(), 32u);
    EXPECT_EQ(gf_dataText(byRequest[107].data, 0, 32), "B738");
    EXPECT_EQ(byRequest[108].data.size(), 8u);
    EXPECT_EQ(*gf_dataI64(byRequest[108].data, 0), 0);
}

TEST_F(Loopback, AiAircraftLifeCycle) {
    openAndWaitForReply();
    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 202, "ObjectAdded"), hresult::ok);
    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 203, "ObjectRemoved"), hresult::ok);
    for (const auto& [name, units, type] : std::vector<std::tuple<const char*, const char*, std::uint32_t>>{
             {"Plane Alt Above Ground", "feet", 4}, {"Ground Altitude", "feet", 4}, {"SIM ON GROUND", "Bool", 2},
             {"ATC ID", nullptr, 6}})
        ASSERT_EQ(SimConnect_AddToDataDefinition(m_handle, 404, name, units, type, 0.0f, 0xFFFFFFFF), hresult::ok);
    for (const auto& [name, units] : std::vector<std::pair<const char*, const char*>>{
             {"Plane Latitude", "degree"}, {"Plane Longitude", "degree"}, {"Plane Pitch degrees", "degree"},
             {"Plane Bank degrees", "degree"}, {"Plane Heading degrees true", "degree"}, {"Plane Altitude", "feet"},
             {"Vertical Speed", "feet per second"}, {"Airspeed True", "knots"}})
        ASSERT_EQ(SimConnect_AddToDataDefinition(m_handle, 402, name, units, 4, 0.0f, 0xFFFFFFFF), hresult::ok);
    ASSERT_EQ(SimConnect_MapClientEventToSimEvent(m_handle, 215, "FREEZE_LATITUDE_LONGITUDE_SET"), hresult::ok);
    m_standin->setLiveries({"Airbus A320 Swiss"});

    const auto user = m_standin->user().aircraft;
    SimConnectInitPosition pos;
    pos.latitudeDeg = user.latitudeDeg + 0.01;
    pos.longitudeDeg = user.longitudeDeg;
    pos.altitudeFt = 1416.0;
    pos.headingDeg = 90.0;
    pos.onGround = 1;
    ASSERT_EQ(SimConnect_AICreateNonATCAircraft(m_handle, "Airbus A320 Swiss", "SWR12", pos, 104), hresult::ok);
    ASSERT_EQ(SimConnect_AICreateNonATCAircraft(m_handle, "Unknown Livery", "XYZ1", pos, 104), hresult::ok);
    std::uint32_t refusedId = 0;
    ASSERT_EQ(SimConnect_GetLastSentPacketID(m_handle, &refusedId), hresult::ok);

    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] {
        return !m_inbox.withId(msgEventObjectAddRemove).empty() && !m_inbox.withId(msgException).empty();
    }));
    const auto added = gf_recvObjectAddRemove(m_inbox.withId(msgEventObjectAddRemove)[0].data(), kObjectAddRemoveMsgBytes);
    ASSERT_TRUE(added);
    EXPECT_EQ(added->event.eventId, 202u);
    EXPECT_EQ(added->objectType, kObjectTypeAircraft);
    const std::uint32_t objectId = added->event.data;
    EXPECT_GE(objectId, 100u);
    const auto refused = gf_recvException(m_inbox.withId(msgException)[0].data(), kExceptionMsgBytes);
    EXPECT_EQ(refused->exception, excCreateObjectFailed);
    EXPECT_EQ(refused->sendId, refusedId);

    // The range request reports the user and the new aircraft with its tail number.
    ASSERT_EQ(SimConnect_RequestDataOnSimObjectType(m_handle, 101, 404, 84080, 2), hresult::ok);
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return m_inbox.withId(msgSimObjectDataByType).size() == 2; }));
    const auto second = m_inbox.withId(msgSimObjectDataByType)[1];
    const auto entry = gf_recvObjectData(second.data(), static_cast<std::uint32_t>(second.size()));
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry->objectId, objectId);
    EXPECT_EQ(entry->entryNumber, 2u);
    EXPECT_EQ(entry->outOf, 2u);
    EXPECT_EQ(entry->data.size(), 56u);
    EXPECT_EQ(*gf_dataI64(entry->data, 16), 1);
    EXPECT_EQ(gf_dataText(entry->data, 24, 32), "SWR12");

    ASSERT_EQ(SimConnect_AIReleaseControl(m_handle, objectId, 103), hresult::ok);
    ASSERT_EQ(SimConnect_TransmitClientEvent(m_handle, objectId, 215, 1, 301, 0), hresult::ok);
    const double block[8] = {47.0, 8.0, 0.0, 0.0, 90.0, 2000.0, 0.0, 150.0};
    ASSERT_EQ(SimConnect_SetDataOnSimObject(m_handle, 402, objectId, 0, 0, sizeof block, block), hresult::ok);
    ASSERT_TRUE(m_standin->waitFor([&] {
        const auto objects = m_standin->aiObjects();
        return objects.size() == 1 && objects[0].positionUpdates == 1;
    }));
    const auto object = m_standin->aiObjects()[0];
    EXPECT_TRUE(object.released);
    EXPECT_TRUE(object.frozenLatLon);
    EXPECT_DOUBLE_EQ(object.altitudeFt, 2000.0);
    EXPECT_EQ(object.atcId, "SWR12");
    ASSERT_EQ(m_standin->events().size(), 1u);
    EXPECT_EQ(m_standin->events()[0].eventName, "FREEZE_LATITUDE_LONGITUDE_SET");

    ASSERT_EQ(SimConnect_AIRemoveObject(m_handle, objectId, 105), hresult::ok);
    ASSERT_EQ(SimConnect_AIRemoveObject(m_handle, 1, 105), hresult::ok);  // the user: refused
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] {
        return m_inbox.withId(msgEventObjectAddRemove).size() == 2 && m_inbox.withId(msgException).size() == 2;
    }));
    const auto removed = gf_recvObjectAddRemove(m_inbox.withId(msgEventObjectAddRemove)[1].data(), kObjectAddRemoveMsgBytes);
    EXPECT_EQ(removed->event.eventId, 203u);
    EXPECT_EQ(removed->event.data, objectId);
    EXPECT_EQ(gf_recvException(m_inbox.withId(msgException)[1].data(), kExceptionMsgBytes)->exception,
              excOperationInvalidForObjectType);
    EXPECT_TRUE(m_standin->aiObjects().empty());
}

TEST_F(Loopback, NewFlightEventsOnlyWhenSubscribedAndAsked) {
    openAndWaitForReply();
    m_standin->emitFlightLoaded("flights\\before.fxml");  // not subscribed yet: nothing comes
    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 205, "PositionChanged"), hresult::ok);
    ASSERT_EQ(SimConnect_SubscribeToSystemEvent(m_handle, 206, "FlightLoaded"), hresult::ok);
    ASSERT_TRUE(m_standin->waitFor([&] { return m_standin->connections()[0].subscriptions.size() == 2; }));
    m_standin->emitFlightLoaded("flights\\other.fxml");
    m_standin->emitPositionChanged();
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return !m_inbox.withId(msgEvent).empty(); }));
    const auto files = m_inbox.withId(msgEventFilename);
    ASSERT_EQ(files.size(), 1u);
    const auto loaded = gf_recvFilename(files[0].data(), static_cast<std::uint32_t>(files[0].size()));
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->event.eventId, 206u);
    EXPECT_EQ(loaded->fileName, "flights\\other.fxml");
    EXPECT_EQ(gf_recvEvent(m_inbox.withId(msgEvent)[0].data(), kEventMsgBytes)->eventId, 205u);
}

TEST_F(Loopback, SimulatorGoneIsReportedAfterTheLastMessages) {
    openAndWaitForReply();
    m_standin->emitQuit();
    HRESULT last = hresult::ok;
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return last < 0; }, &last));
    EXPECT_EQ(m_inbox.withId(msgQuit).size(), 1u);
    EXPECT_EQ(last, hresult::statusZeroByteRead);
    EXPECT_EQ(SimConnect_AIReleaseControl(m_handle, 100, 103), hresult::statusZeroByteRead);
}

TEST_F(Loopback, ResetAndBadSizes) {
    openAndWaitForReply();
    m_standin->dropClients(true);
    HRESULT last = hresult::ok;
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return last < 0; }, &last));
    EXPECT_EQ(last, hresult::statusConnectionReset);
    EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);

    openAndWaitForReply();
    m_standin->sendRaw({0x02, 0x00, 0x00, 0x00});
    ASSERT_TRUE(pumpUntil(m_handle, m_inbox, [&] { return last < 0; }, &last));
    EXPECT_EQ(last, hresult::abort);
    // The client closed its end: the stand-in sees the connection go.
    EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);
    m_handle = nullptr;
    EXPECT_TRUE(m_standin->waitFor([&] { return m_standin->connections().empty(); }));
}

TEST_F(Loopback, TooLongNameClosesTheConnection) {
    const std::string name(256, 'n');
    EXPECT_EQ(SimConnect_Open(&m_handle, name.c_str(), nullptr, 0, nullptr, 0), hresult::textTooLong);
    EXPECT_EQ(m_handle, nullptr);
    EXPECT_TRUE(m_standin->waitFor([&] { return m_standin->clientPacketCount() == 0 && m_standin->connections().empty(); }));
}

TEST_F(Loopback, ClientDisconnectRemovesItsObjects) {
    openAndWaitForReply();
    SimConnectInitPosition pos;
    ASSERT_EQ(SimConnect_AICreateNonATCAircraft(m_handle, "Any", "T1", pos, 104), hresult::ok);
    ASSERT_TRUE(m_standin->waitFor([&] { return m_standin->aiObjects().size() == 1; }));
    const auto foreign = m_standin->addForeignAircraft(standin::SimAircraft{});
    EXPECT_EQ(SimConnect_Close(m_handle), hresult::ok);
    m_handle = nullptr;
    ASSERT_TRUE(m_standin->waitFor([&] { return m_standin->aiObjects().size() == 1; }));
    EXPECT_EQ(m_standin->aiObjects()[0].objectId, foreign);
}

}  // namespace
}  // namespace zrb
