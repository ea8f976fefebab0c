// The dispatch against scripted messages, without a connection: the open
// check, events, objects, exceptions, the range reply and bad input.
#include "foundation/user_error.h"
#include "simlink_test_support.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

using namespace simconnect;

class Dispatch : public ::testing::Test {
protected:
    Dispatch() { resetLink(); }
    ~Dispatch() override { resetLink(); }
    LoggedFolder m_folder;
};

std::string lf_userErrorOf(const Bytes& message) {
    try {
        dispatch(message);
    } catch (const UserErrorException& e) {
        return e.what();
    }
    return "<none>";
}

TEST_F(Dispatch, TheOpenCheckAcceptsTheRightSimulatorAndRefusesOthers) {
    gf_showMessage("Waiting for Prepar3Dv5 ...", false);
    dispatch(openMsg("Lockheed Martin\xAE Prepar3D\xAE v5"));
    EXPECT_TRUE(m_folder.logContains("Lockheed Martin Prepar3D v5 (5.3.17.28160) connected"));
    EXPECT_EQ(gf_displayText(DisplayText::simulatorText), "Lockheed Martin Prepar3D v5 (5.3.17.28160)");
    EXPECT_TRUE(g_mainWindowState.simConnected);
    EXPECT_EQ(gf_messageLineView().message, "");

    // A v6 simulator while path and setting name v5 is refused.
    EXPECT_EQ(lf_userErrorOf(openMsg("Lockheed Martin\xAE Prepar3D\xAE v6", 6, 0, 21, 0)),
              "78: wrong P3D version 'Lockheed Martin Prepar3D v6 (6.0.21.0)' connects ... ?)");

    // The path alone may name the version, in either case of the v.
    SIM_INSTALL_PATH.value = std::string("D:\\P3D V6");
    g_simVersion = 5;
    EXPECT_EQ(lf_userErrorOf(openMsg("Prepar3D v6", 6)), "<none>");
    // One rule with the version detection: "P3Dv6" names version 6, a folder
    // "dev5" names none.
    SIM_INSTALL_PATH.value = std::string("D:\\P3Dv6");
    EXPECT_EQ(lf_userErrorOf(openMsg("Prepar3D v6", 6)), "<none>");
    SIM_INSTALL_PATH.value = std::string("D:\\dev5\\Prepar3D");
    g_simVersion = 6;
    EXPECT_EQ(lf_userErrorOf(openMsg("Lockheed Martin\xAE Prepar3D\xAE v5")),
              "78: wrong P3D version 'Lockheed Martin Prepar3D v5 (5.3.17.28160)' connects ... ?)");
    // The other simulator is refused before any version check.
    EXPECT_EQ(lf_userErrorOf(openMsg("Kitty\xAEHawk")), "78: KittyHawk, (MSFS) not being P3D connects ... ?");
    EXPECT_EQ(lf_userErrorOf(openMsg("SunRise")), "78: SunRise, (MSFS) not being P3D connects ... ?");

    g_mainWindowState.simConnected = false;
    dispatch(openMsg(""));
    EXPECT_TRUE(m_folder.logContains("! Simulator name empty?"));
    EXPECT_FALSE(g_mainWindowState.simConnected);
}

TEST_F(Dispatch, EventsSetTheRunningStateAndANewFlightStopsTheRunOnce) {
    dispatch(eventMsg(eventSim, 1));
    EXPECT_TRUE(g_simRunning);
    dispatch(eventMsg(eventSim, 0));
    EXPECT_FALSE(g_simRunning);
    dispatch(eventMsg(eventSim, 1));
    dispatch(Msg(msgQuit).done());
    EXPECT_FALSE(g_simRunning);
    EXPECT_EQ(gf_exitReason(), ExitReason::simWasClosed);  // the simulator went: the run ends

    resetLink();
    dispatch(eventMsg(eventFlightLoaded, 0));
    EXPECT_TRUE(m_folder.logContains("SimConnect: flight loaded event"));
    EXPECT_EQ(gf_exitReason(), ExitReason::newFlight);
    EXPECT_EQ(gf_restartDelaySeconds(), 30U);
    gf_requestStop(ExitReason::newSettings, 2);  // first stop wins: nothing changes
    dispatch(eventMsg(eventPositionChanged, 0));
    EXPECT_EQ(gf_exitReason(), ExitReason::newFlight);

    resetLink();
    dispatch(eventMsg(eventPositionChanged, 0));
    EXPECT_TRUE(m_folder.logContains("===> User ac position changed"));
    EXPECT_EQ(gf_exitReason(), ExitReason::newFlight);

    resetLink();
    dispatch(Msg(msgEventFilename).u32(kUnknownGroup).u32(eventFlightLoaded).u32(0).text("a.fxml", 260).u32(0).done());
    EXPECT_TRUE(m_folder.logContains("===> SimConnect: New file event"));
    EXPECT_EQ(gf_exitReason(), ExitReason::newFlight);
}

TEST_F(Dispatch, ObjectsAddedAboveTheUserAreRememberedAndRemovalsBecomeNotices) {
    g_userObjectId = 2;
    dispatch(addRemoveMsg(eventObjectAdded, 2));
    dispatch(addRemoveMsg(eventObjectAdded, 1));
    dispatch(addRemoveMsg(eventObjectAdded, 900, 3));  // not an aircraft
    dispatch(addRemoveMsg(eventObjectAdded, 1001));
    dispatch(addRemoveMsg(eventObjectAdded, 1002));
    EXPECT_EQ(lf_addedObjects(), (std::vector<std::uint32_t>{1001, 1002}));
    dispatch(addRemoveMsg(eventObjectRemoved, 1002));
    EXPECT_EQ(lf_addedObjects(), (std::vector<std::uint32_t>{1001}));
    const auto removed = noticesOfKind(SimNoticeKind::removed);
    ASSERT_EQ(removed.size(), 1U);
    EXPECT_EQ(removed[0].objectId, 1002U);
}

TEST_F(Dispatch, TheRangeReplyMatchesCreationsByCallsignAndReportsGroundData) {
    g_userObjectId = 1;
    lf_pendingCreates().push_back(PendingCreate{7, 0x4840D6, "KLM123"});
    lf_pendingCreates().push_back(PendingCreate{8, 812, "KLM9*"});
    dispatch(addRemoveMsg(eventObjectAdded, 1001));
    dispatch(addRemoveMsg(eventObjectAdded, 1002));
    dispatch(addRemoveMsg(eventObjectAdded, 1003));
    dispatch(inRangeMsg(1001, 120.0, 400.0, 0, "KLM123"));
    dispatch(inRangeMsg(1002, 0.0, 400.0, 1, "KLM9*"));
    dispatch(inRangeMsg(1003, 3.0, 400.0, 1, "OTHER1"));

    const auto events = gf_queuedClientEvents();
    ASSERT_EQ(events.size(), 6U);  // three freezes for each of the two aircraft made here
    EXPECT_EQ(events[0].objectId, 1001U);
    EXPECT_EQ(events[0].eventId, static_cast<std::uint32_t>(evFreezeLatLonSet));
    EXPECT_EQ(events[2].eventId, static_cast<std::uint32_t>(evFreezeAttitudeSet));
    EXPECT_EQ(events[2].data, 1U);
    const auto notices = gf_takeSimNotices();
    ASSERT_EQ(notices.size(), 2U);
    EXPECT_EQ(notices[0].kind, static_cast<std::uint32_t>(SimNoticeKind::liveCreated));
    EXPECT_EQ(notices[0].hexId, 0x4840D6U);
    EXPECT_EQ(notices[0].b, 120.0);
    EXPECT_EQ(notices[1].kind, static_cast<std::uint32_t>(SimNoticeKind::staticCreated));
    EXPECT_EQ(notices[1].b, 0.0);
    EXPECT_TRUE(lf_pendingCreates().empty());
    EXPECT_TRUE(lf_addedObjects().empty());
    EXPECT_TRUE(m_folder.logContains("just spawned, but not by TLVR_P3D, oid: 1003, callsign 'OTHER1', "
                                     "altaboveGnd:3 ft, onground:1, gnd_alt:400 ft"));

    // Known objects: ground data up to 2500 ft, never for static callsigns.
    dispatch(inRangeMsg(1001, 2600.0, 100.0, 0, "KLM123"));
    dispatch(inRangeMsg(1001, 2500.0, 100.0, 0, "KLM123"));
    dispatch(inRangeMsg(1002, 0.0, 100.0, 1, "KLM9*"));
    dispatch(inRangeMsg(1003, 0.0, 100.0, 1, ""));
    dispatch(inRangeMsg(1, 0.0, 100.0, 1, "N12345"));  // the user
    const auto ground = noticesOfKind(SimNoticeKind::groundData);
    ASSERT_EQ(ground.size(), 1U);
    EXPECT_EQ(ground[0].objectId, 1001U);
    EXPECT_EQ(ground[0].a, 100.0);
    EXPECT_EQ(ground[0].b, 2500.0);

    // A 32-character ATC id has no terminator: it is read to its field's end.
    const std::string full(32, 'X');
    lf_pendingCreates().push_back(PendingCreate{9, 0x111111, full});
    dispatch(addRemoveMsg(eventObjectAdded, 1004));
    dispatch(inRangeMsg(1004, 5.0, 0.0, 1, full));
    EXPECT_EQ(noticesOfKind(SimNoticeKind::liveCreated).size(), 1U);

    // A creation 100 range requests left unanswered is taken out, and the
    // report of an object made of it with it: no reply gives that to its twin.
    lf_pendingCreates().push_back(PendingCreate{10, 0x222222, "DLH5", g_rangeRequestsSent.load()});
    dispatch(addRemoveMsg(eventObjectAdded, 1005));
    g_rangeRequestsSent += 99;
    EXPECT_TRUE(lf_takeUnansweredCreates().empty());
    g_rangeRequestsSent += 1;
    ASSERT_EQ(lf_takeUnansweredCreates().size(), 1U);
    EXPECT_TRUE(lf_pendingCreates().empty());
    lf_pendingCreates().push_back(PendingCreate{11, 0x333333, "DLH5", g_rangeRequestsSent.load()});
    dispatch(inRangeMsg(1005, 5.0, 0.0, 1, "DLH5"));
    EXPECT_TRUE(noticesOfKind(SimNoticeKind::liveCreated).empty());

    // Its object may still come: the twin flies the first under the callsign,
    // and the one nobody claims is removed, one per creation given up. Without
    // a twin the late one is removed while the record lasts, whatever its send
    // id; a creation refused after all makes none, and an object that comes
    // after the record ended is another program's, left alone.
    const auto arrive = [](std::uint32_t objectId, const char* callsign) {
        dispatch(addRemoveMsg(eventObjectAdded, objectId));
        dispatch(inRangeMsg(objectId, 5.0, 0.0, 1, callsign));
    };
    for (const std::uint32_t objectId : {1007, 1008, 1009}) arrive(objectId, "DLH5");
    const auto giveUp = [](std::uint32_t sendId, std::uint32_t hexId, const char* callsign) {
        lf_pendingCreates().push_back(PendingCreate{sendId, hexId, callsign, g_rangeRequestsSent.load()});
    };
    giveUp(14, 0x666666, "SAS3");
    giveUp(0, 0x777777, "UAL8");
    g_rangeRequestsSent += 100;
    ASSERT_EQ(lf_takeUnansweredCreates().size(), 2U);
    lf_ageGivenUpCreatesForTest(g_givenUpCreateLifetime - std::chrono::seconds(10));
    giveUp(12, 0x444444, "AFR7");
    giveUp(13, 0x555555, "BAW2");
    giveUp(0, 0x888888, "EZY4");
    g_rangeRequestsSent += 100;
    ASSERT_EQ(lf_takeUnansweredCreates().size(), 3U);
    dispatch(exceptionMsg(excCreateObjectFailed, 13, 1));
    dispatch(exceptionMsg(excCreateObjectFailed, 0, 1));
    arrive(1010, "AFR7");
    arrive(1011, "BAW2");
    arrive(1012, "EZY4");
    arrive(1013, "SAS3");  // ten seconds before its record ends
    lf_ageGivenUpCreatesForTest(std::chrono::seconds(10));
    arrive(1014, "UAL8");
    const auto late = gf_takeSimNotices();
    ASSERT_EQ(late.size(), 1U);
    EXPECT_EQ(late[0].kind, static_cast<std::uint32_t>(SimNoticeKind::liveCreated));
    EXPECT_EQ(late[0].objectId, 1007U);
    EXPECT_EQ(late[0].hexId, 0x333333U);
    EXPECT_EQ(gf_queuedRemovals(), (std::vector<std::uint32_t>{1008, 1010, 1012, 1013}));
    const auto lines = m_folder.logLines();
    const auto count = [&lines](const std::string& text) {
        return std::count_if(lines.begin(), lines.end(),
                             [&text](const std::string& l) { return l.find(text) != std::string::npos; });
    };
    EXPECT_EQ(count("! Simcon object 1008 came for a creation given up, hexid:2236962, callsign: 'DLH5': removed"), 1);
    EXPECT_EQ(count("! Simcon object 1010 came for a creation given up, hexid:4473924, callsign: 'AFR7': removed"), 1);
    EXPECT_EQ(count("came for a creation given up"), 4);
    EXPECT_EQ(count("just spawned, but not by TLVR_P3D, oid: 1009, callsign 'DLH5'"), 1);
    EXPECT_EQ(count("just spawned, but not by TLVR_P3D, oid: 1011, callsign 'BAW2'"), 1);
    EXPECT_EQ(count("just spawned, but not by TLVR_P3D, oid: 1014, callsign 'UAL8'"), 1);
    EXPECT_EQ(count("just spawned, but not by TLVR_P3D, oid: 10"), 4);  // 1003 above, 1009, 1011, 1014
}

TEST_F(Dispatch, ExceptionsAreHandledByCode) {
    lf_pendingCreates().push_back(PendingCreate{40, 0xABCDEF, "DLH1"});
    lf_pendingCreates().push_back(PendingCreate{41, 0, "STATIC*"});
    dispatch(exceptionMsg(excCreateObjectFailed, 99, 1));  // matches nothing
    EXPECT_EQ(lf_pendingCreates().size(), 2U);
    dispatch(exceptionMsg(excCreateObjectFailed, 40, 1));
    ASSERT_EQ(lf_pendingCreates().size(), 1U);
    EXPECT_EQ(lf_pendingCreates()[0].sendId, 41U);
    dispatch(exceptionMsg(excCreateObjectFailed, 41, 1));  // no hex id: no notice
    const auto failed = gf_takeSimNotices();
    ASSERT_EQ(failed.size(), 1U);
    EXPECT_EQ(failed[0].kind, static_cast<std::uint32_t>(SimNoticeKind::creationFailed));
    EXPECT_EQ(failed[0].hexId, 0xABCDEFU);

    EXPECT_EQ(lf_userErrorOf(exceptionMsg(excVersionMismatch, 1, 4)), "95: SimConnect Version Mismatch, dwIndex: 4");

    dispatch(exceptionMsg(excUnrecognizedId, 5, 1));  // no user position yet: quiet
    EXPECT_FALSE(m_folder.logContains("UNRECOGNIZED_ID"));
    dispatch(userDataMsg(UserData{}));
    dispatch(exceptionMsg(excUnrecognizedId, 5, 1));
    EXPECT_TRUE(m_folder.logContains("===> SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"));
    dispatch(exceptionMsg(excTooManyObjects, 5, 1));
    EXPECT_EQ(gf_messageLineView().message, "SimConnect: too many objects (max 1000)");
    dispatch(exceptionMsg(excInvalidDataSize, 5, 1));
    dispatch(exceptionMsg(excLoadFlightPlanFailed, 5, 1));
    dispatch(exceptionMsg(excOperationInvalidForObjectType, 5, 1));
    dispatch(exceptionMsg(31, 5, 1));
    EXPECT_TRUE(m_folder.logContains("SIMCONNECT_EXCEPTION_INVALID_DATA_SIZE"));
    EXPECT_TRUE(m_folder.logContains("===> SimConnect exception: load flight plan failed"));
    EXPECT_TRUE(m_folder.logContains("SIMCONNECT_EXCEPTION_OPERATION_INVALID_FOR_OBJECT_TYPE"));
    EXPECT_TRUE(m_folder.logContains("===> SIMCONNECT_EXCEPTION #31"));
}

TEST_F(Dispatch, FramesStoreTheRateEveryThirtiethAndSecondsTickOnlyWithData) {
    for (int i = 1; i < 30; ++i) dispatch(frameMsg(static_cast<float>(i)));
    EXPECT_EQ(g_simFrameRate.load(), 0.0F);
    dispatch(frameMsg(45.0F));
    EXPECT_EQ(g_simFrameRate.load(), 45.0F);
    for (int i = 1; i < 30; ++i) dispatch(frameMsg(60.0F));
    EXPECT_EQ(g_simFrameRate.load(), 45.0F);

    // Before the first position the per-second reply only ticks.
    dispatch(onGroundMsg(true));
    EXPECT_TRUE(g_secondTick.exchange(false));
    EXPECT_FALSE(g_userDataValid);
    EXPECT_FALSE(g_userOnGround);
    dispatch(userDataMsg(UserData{}));
    dispatch(onGroundMsg(true));
    EXPECT_TRUE(g_secondTick);
    EXPECT_TRUE(g_userDataValid);
    EXPECT_TRUE(g_userOnGround);
    dispatch(onGroundMsg(false));
    EXPECT_FALSE(g_userOnGround);
}

TEST_F(Dispatch, MalformedTruncatedAndUnexpectedMessagesAreLoggedAndDropped) {
    dispatch(userDataMsg(UserData{}));
    const Bytes good = inRangeMsg(1001, 10.0, 0.0, 1, "KLM1");
    Bytes truncated(good.begin(), good.end() - 20);
    const auto size = static_cast<std::uint32_t>(truncated.size());
    std::memcpy(truncated.data(), &size, sizeof size);
    dispatch(truncated);  // a whole message whose data is too short for its definition
    Bytes lying = eventMsg(eventSim, 1);
    lying[0] = 200;  // dwSize disagrees with the length
    dispatch(lying);
    dispatch(Msg(msgEventObjectAddRemove).u32(0).u32(eventObjectAdded).done());  // too short
    dispatch(Msg(msgOpen).text("Prepar3D v5", 100).done());                        // too short
    dispatch(Bytes{1, 2, 3});
    dispatch(objectDataMsg(msgSimObjectData, reqUserData, 1, defInRange, UserData{}.bytes()));  // wrong definition
    dispatch(Msg(77).u32(1).done());
    dispatch(Msg(msgAssignedObjectId).u32(104).u32(1001).done());
    EXPECT_FALSE(g_simRunning);
    EXPECT_TRUE(gf_takeSimNotices().empty());
    EXPECT_TRUE(m_folder.logContains("! SimConnect reply to request 101 for definition 404 with 36 data bytes dropped"));
    EXPECT_TRUE(m_folder.logContains("is malformed, dropped"));
    EXPECT_TRUE(m_folder.logContains("! Unknown Dispatch dwID 77"));
    EXPECT_FALSE(m_folder.logContains("Unknown Dispatch dwID 12"));
    // The link goes on: a good message after all of it is handled.
    dispatch(eventMsg(eventSim, 1));
    EXPECT_TRUE(g_simRunning);
}

TEST_F(Dispatch, ARequestErrorWhileStoppingKeepsTheFirstReason) {
    // A creation the link cannot send is a request error. Log.txt is UTF-8
    // whatever the bytes of the title.
    g_hSimConnect = reinterpret_cast<SimConnectHandle>(std::uintptr_t{7});  // no such link
    gf_queueCreateAc(CreateAcRequest{{}, "DLH1", "B738 M\xFCller", 0x100001});
    lf_onFrameFlushQueues();
    g_hSimConnect = nullptr;
    EXPECT_TRUE(m_folder.logContains("call to create ac in sim failed, hexid:1048577, liv: 'B738 M\xC3\xBCller'"));
    EXPECT_TRUE(m_folder.logIsUtf8());
    EXPECT_TRUE(g_simConnectError);
    EXPECT_EQ(gf_exitReason(), ExitReason::simConnectError);
    EXPECT_EQ(gf_restartDelaySeconds(), 9U);
    EXPECT_TRUE(m_folder.logContains("SimConnect request error"));

    resetLink();
    gf_requestStop(ExitReason::newFlight, 30);
    gf_simConnectRequestError();
    EXPECT_TRUE(g_simConnectError);
    EXPECT_EQ(gf_exitReason(), ExitReason::newFlight);
    EXPECT_EQ(gf_restartDelaySeconds(), 30U);
}

}  // namespace
}  // namespace zrb::test
