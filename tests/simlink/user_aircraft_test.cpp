// The user aircraft's replies: simulator time, the jump test, the title and
// the model with its wing span and category.
#include <cstdint>

#include "foundation/user_error.h"
#include "liveries/dbase.h"
#include "shell/common/main_window_state.h"
#include "foundation/ansi_text.h"
#include "simlink_test_support.h"
#include "support/temp_folder.h"

namespace zrb::test {
namespace {

using namespace simconnect;

constexpr double degreesPerNm = 1.0 / 60.0;  // on the program's sphere

class UserAircraft : public ::testing::Test {
protected:
    UserAircraft() {
        resetLink();
        gf_clearDbase();
        g_dbaseWingspans = {{"B738", 0.0097}, {"E190", 0.0078}, {"A320", 0.0097}, {"A388", 0.0215}};
        g_dbaseMaxHalfSpan = 0.0215;
        g_dbaseLargeTypes = {"B738", "A320", "E190"};
        g_dbaseHeavyTypes = {"A388"};
    }
    ~UserAircraft() override {
        gf_clearDbase();
        resetLink();
    }
    void model(const std::string& text) {
        dispatch(textDataMsg(reqUserModel, defUserModel, text, 32));
    }
    void title(const std::string& text) { dispatch(textDataMsg(reqUserTitle, defUserTitle, text, 0)); }
    LoggedFolder m_folder;
};

TEST(SimTime, ZuluYearDayAndTimeGiveUnixSeconds) {
    EXPECT_EQ(gf_zuluToUnixSeconds(2024, 60, 3600), 1709168400);
    EXPECT_EQ(gf_zuluToUnixSeconds(1970, 1, 0), 0);
    EXPECT_EQ(gf_zuluToUnixSeconds(2000, 1, 0), 946684800);
    EXPECT_EQ(gf_zuluToUnixSeconds(2024, 366, 86399), 1735689599);
    EXPECT_EQ(gf_zuluToUnixSeconds(0x10000 + 2024, 60, 3600), 1709168400);  // only the low 16 bits count
    EXPECT_EQ(gf_zuluToUnixSeconds(1969, 365, 0), -86400);
    // Words of a broken or hostile simulator overflow nothing.
    EXPECT_EQ(gf_zuluToUnixSeconds(2024, 4503599626650967, 0), gf_zuluToUnixSeconds(2024, 366, 0));
    EXPECT_EQ(gf_zuluToUnixSeconds(2024, INT64_MIN, INT64_MAX), gf_zuluToUnixSeconds(2024, 1, 86399));
}

TEST(AnsiText, TheCodePageBecomesUtf8AndCutsKeepWholeCharacters) {
    EXPECT_EQ(gf_ansiToUtf8("Prepar3D\xAE \x80 caf\xE9 \x81"), "Prepar3D\u00AE \u20AC caf\u00E9 \u0081");
    EXPECT_EQ(gf_firstUtf8Chars("a\u00E9\u20ACb", 3), "a\u00E9\u20AC");
    EXPECT_EQ(gf_firstUtf8Chars("abc", 5), "abc");
    EXPECT_EQ(gf_firstUtf8Chars("", 0), "");
}

TEST_F(UserAircraft, PositionRepliesStoreTheRecordAndAJumpOverTenMilesIsANewFlight) {
    UserData d;
    d.altitudeFt = -35.0;
    dispatch(userDataMsg(d, 7));
    UserAcData user = gf_getUserAcPosition();
    EXPECT_EQ(user.lat, 50.0);
    EXPECT_EQ(user.altitudeFt, 0.0);  // below sea level is kept as 0
    EXPECT_EQ(user.heading, 1.0);
    EXPECT_EQ(user.zuluYear, 2024);
    EXPECT_EQ(g_userObjectId.load(), g_firstUserObjectId) << "a reply nobody asked for names no object";
    EXPECT_EQ(gf_simUtcTime(), 1709168400);
    EXPECT_FALSE(g_stopRun);  // the first reply is never a jump

    d.lat += 9.9 * degreesPerNm;
    dispatch(userDataMsg(d));
    EXPECT_FALSE(g_stopRun);
    d.lat += 10.1 * degreesPerNm;
    dispatch(userDataMsg(d));
    EXPECT_TRUE(m_folder.logContains("Teleport"));
    EXPECT_EQ(gf_exitReason(), ExitReason::newFlight);
    EXPECT_EQ(gf_restartDelaySeconds(), 30U);
}

TEST_F(UserAircraft, TheTitleIsConvertedCutAndLoggedWhenItChanges) {
    title("");
    EXPECT_TRUE(m_folder.logContains("! Title of your aircraft is empty?"));
    const std::string sixty = "Lockheed Martin\xAE C-130 Hercules of the Royal Air Force 123456";
    ASSERT_GE(sixty.size(), 60U);
    title(sixty);
    const std::string shown = gf_displayText(DisplayText::userAircraftTitle);
    EXPECT_EQ(shown, gf_firstUtf8Chars(gf_ansiToUtf8(sixty), 48));
    EXPECT_EQ(shown.substr(0, 17), "Lockheed Martin\u00AE");
    EXPECT_TRUE(m_folder.logContains("          SimConnect: User aircraft title: " + shown));
    const auto before = m_folder.logLines().size();
    title(sixty);  // unchanged: not logged again
    EXPECT_EQ(m_folder.logLines().size(), before);
}

TEST_F(UserAircraft, TheModelGivesHalfSpanAndCategory) {
    model("B738");
    EXPECT_EQ(g_userSpan.load(), 0.0097);
    EXPECT_EQ(g_userCategory.load(), 2U);
    EXPECT_TRUE(g_mainWindowState.wingSpanKnown);
    EXPECT_TRUE(m_folder.logContains("model raw: B738"));
    EXPECT_TRUE(
        m_folder.logContains("SimConnect: User aircraft model: B738, half wing span: 18.0 meter, category: Large"));
    EXPECT_EQ(gf_getUserAcPosition().halfSpanNm, 0.0097);

    // A long model is no type code: the largest span, and the user is told.
    title("PMDG 737-800 KLM");
    model("Boeing 737-800");
    EXPECT_EQ(g_userSpan.load(), 0.0215);
    EXPECT_FALSE(g_mainWindowState.wingSpanKnown);
    EXPECT_EQ(gf_messageLineView().message,
              "User aircraft wing span unknown, max is taken instead, please report in my Forum!");

    // ... unless the title tells the type.
    lf_resetUserAircraftThreadState();
    title("Aerosoft A320 Lufthansa D-AIZA");
    model("Airbus A320-214");
    EXPECT_EQ(g_userSpan.load(), 0.0097);
    EXPECT_TRUE(g_mainWindowState.wingSpanKnown);
    EXPECT_TRUE(m_folder.logContains("SimConnect: User aircraft model deduced from title: A320, half wing span"));

    // A type as wide as the widest counts as unknown.
    gf_clearMessage();
    title("Airbus A380-800");
    model("A388");
    EXPECT_EQ(g_userSpan.load(), 0.0215);
    EXPECT_FALSE(g_mainWindowState.wingSpanKnown);
    EXPECT_EQ(g_userCategory.load(), 3U);

    // No aircraft at all: the E190's span and no message.
    gf_clearMessage();
    model("SimObjects Crew Vessel");
    EXPECT_EQ(g_userSpan.load(), 0.0078);
    EXPECT_EQ(g_userCategory.load(), 0U);
    EXPECT_TRUE(g_mainWindowState.wingSpanKnown);
    EXPECT_EQ(gf_messageLineView().message, "");
}

TEST_F(UserAircraft, AnEmptyModelIsTheUsersError) {
    try {
        model("");
        FAIL() << "no exception";
    } catch (const UserErrorException& e) {
        EXPECT_STREQ(e.what(), "71: atc_model= in [General] section of your aircraft.cfg is empty or missing");
    }
    // A reply shorter than its 32-byte field is dropped, not read past its end.
    dispatch(objectDataMsg(msgSimObjectData, reqUserModel, 1, defUserModel, Bytes{'B', '7', '3', '8'}));
    EXPECT_FALSE(g_userSpanSet);
}

}  // namespace
}  // namespace zrb::test
