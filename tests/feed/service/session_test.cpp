// Login and logout against the stand-in service.
#include <atomic>
#include <functional>
#include <thread>
#include <mutex>
#include <vector>

#include <curl/curl.h>
#include <fmt/format.h>

#include "foundation/curl_handle.h"
#include "foundation/user_error.h"
#include "service_fixture.h"

using namespace zrb;
using namespace zrb::test;
using tools::Injection;
using tools::StandInEndpoint;

namespace {
std::mutex g_sleepsMutex;
std::vector<std::int64_t> g_sleeps;

// Records every sleep of the feed and skips it.
bool lf_recordSleep(std::int64_t ms) {
    std::lock_guard lock(g_sleepsMutex);
    g_sleeps.push_back(ms);
    return false;
}

std::vector<std::int64_t> lf_takeSleeps() {
    std::lock_guard lock(g_sleepsMutex);
    std::vector<std::int64_t> taken;
    taken.swap(g_sleeps);
    return taken;
}

Injection lf_reply(nlohmann::json reply) {
    Injection i;
    i.json = std::move(reply);
    return i;
}
}  // namespace

class Session : public ServiceTest {
protected:
    void SetUp() override {
        ServiceTest::SetUp();
        gf_setFeedSleepHookForTest(&lf_recordSleep);
        lf_takeSleeps();
    }
};

TEST_F(Session, LoginSendsTheEncodedFormAndOpensTheSession) {
    service->inject(StandInEndpoint::auth, lf_reply({{"status", 200}, {"GUID", "abc"}, {"rrl", 1500}, {"wrrl", 2500}, {"server", "s1"}}));
    login();
    EXPECT_EQ(g_trafficReader.guid(), "abc");
    EXPECT_EQ(g_weatherReader.guid(), "abc");
    EXPECT_EQ(g_weatherReader.rrl.load(), 1500);
    EXPECT_EQ(g_weatherReader.wrrl.load(), 2500);
    EXPECT_EQ(lf_takeSleeps(), std::vector<std::int64_t>{2500});
    EXPECT_TRUE(g_mainWindowState.session.load());
    EXPECT_TRUE(logContains("Authenticated at RT server 's1'"));

    const auto forms = service->forms("/v4/auth");
    ASSERT_EQ(forms.size(), 1U);
    EXPECT_EQ(forms[0].body, "license=key%26%3D%2B%25%201&software=TLVR_P3D_11.0.2");
    EXPECT_EQ(forms[0].field("license"), "key&=+% 1");
    EXPECT_EQ(forms[0].contentType, "application/x-www-form-urlencoded");
    EXPECT_EQ(forms[0].acceptEncoding, "deflate,gzip");
}

TEST_F(Session, ServiceWaitsAreClamped) {
    service->inject(StandInEndpoint::auth, lf_reply({{"status", 200}, {"GUID", "g"}, {"rrl", 0}, {"wrrl", 2000000000}}));
    login();
    EXPECT_EQ(g_weatherReader.rrl.load(), g_minWaitMs);
    EXPECT_EQ(g_weatherReader.wrrl.load(), g_maxWaitMs);
    service->inject(StandInEndpoint::auth, lf_reply({{"status", 200}, {"GUID", "g"}, {"rrl", -5}, {"wrrl", "fast"}}));
    gf_resetRtReaders();
    login();
    EXPECT_EQ(g_weatherReader.rrl.load(), g_minWaitMs);
    EXPECT_EQ(g_weatherReader.wrrl.load(), g_defaultWaitMs);
}

TEST_F(Session, ServerErrorStopsWithoutRestart) {
    service->inject(StandInEndpoint::auth, lf_reply({{"status", 500}}));
    try {
        gf_authenticater();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "No RT database connection");
    }
    EXPECT_TRUE(lf_takeSleeps().empty());
    EXPECT_FALSE(g_trafficReader.hasSession());
}

TEST_F(Session, LicenseRefusalsBecomeUserErrors) {
    for (const int status : {402, 404, 405}) {
        service->inject(StandInEndpoint::auth, lf_reply({{"status", status}, {"message", "x"}}));
        try {
            gf_authenticater();
            FAIL() << "no exception for " << status;
        } catch (const UserErrorException& e) {
            EXPECT_EQ(std::string(e.what()).rfind(std::to_string(status) + ": ", 0), 0U) << e.what();
        }
        EXPECT_EQ(lf_takeSleeps(), std::vector<std::int64_t>{g_refusalReadMs});
    }
}

TEST_F(Session, EveryOtherOutcomeIsAFailedLoginWithARestart) {
    std::vector<Injection> failures;
    for (const int status : {400, 401, 403, 406, 429}) failures.push_back(lf_reply({{"status", status}, {"GUID", "g"}}));
    failures.push_back(lf_reply(nlohmann::json::object()));                               // no GUID
    failures.push_back(lf_reply({{"status", 200}}));                                      // no GUID
    failures.push_back(lf_reply({{"status", 200}, {"GUID", 17}}));                        // GUID not text
    failures.push_back(lf_reply({{"status", "200"}, {"GUID", "g"}}));                     // status not a number
    failures.push_back(lf_reply(nlohmann::json::array({1, 2})));                           // not an object
    Injection empty;
    empty.body = "";
    failures.push_back(empty);
    Injection malformed;
    malformed.body = "{\"status\":200,";
    failures.push_back(malformed);
    for (const Injection& failure : failures) {
        gf_resetStopState();
        gf_resetRtReaders();
        service->inject(StandInEndpoint::auth, failure);
        EXPECT_NO_THROW(gf_authenticater());
        EXPECT_FALSE(g_trafficReader.hasSession());
        EXPECT_EQ(gf_exitReason(), ExitReason::readerError);
        EXPECT_EQ(gf_restartDelaySeconds(), 15U);
        EXPECT_FALSE(g_mainWindowState.session.load());
    }
    EXPECT_TRUE(logContains("The Authenticater has stopped with an error"));
    EXPECT_TRUE(logContains("Authentication: empty response"));
    EXPECT_TRUE(logContains("authenticate: "));

    // A stop already under way keeps its reason.
    gf_resetStopState();
    gf_requestStop(ExitReason::newSettings, 2);
    service->inject(StandInEndpoint::auth, lf_reply({{"status", 400}}));
    gf_authenticater();
    EXPECT_EQ(gf_exitReason(), ExitReason::newSettings);
    EXPECT_EQ(gf_restartDelaySeconds(), 2U);
}

TEST_F(Session, LoginWithoutStatusButWithGuidOpensTheSession) {
    service->inject(StandInEndpoint::auth, lf_reply({{"GUID", "g2"}}));
    login();
    EXPECT_EQ(g_trafficReader.guid(), "g2");
    EXPECT_TRUE(logContains("Authenticated at RT server '?'"));
}

TEST_F(Session, LogoutEndsTheSessionOnlyOn200) {
    login();
    const std::string guid = g_weatherReader.guid();
    service->inject(StandInEndpoint::deauth, lf_reply({{"status", 500}}));
    g_weatherReader.deauthenticate();
    EXPECT_EQ(g_weatherReader.guid(), guid);
    EXPECT_TRUE(g_mainWindowState.session.load());
    EXPECT_TRUE(logContains("Deauthentication failed, status: 500"));
    Injection malformed;
    malformed.body = "not json";
    service->inject(StandInEndpoint::deauth, malformed);
    g_weatherReader.deauthenticate();
    EXPECT_TRUE(logContains("Deauthentication: invalid JSON"));
    g_weatherReader.deauthenticate();
    EXPECT_EQ(g_weatherReader.guid(), "");
    EXPECT_FALSE(g_mainWindowState.session.load());
    EXPECT_TRUE(logContains("Logged out of RT server 'standin-1'"));
    const auto forms = service->forms("/v4/deauth");
    ASSERT_EQ(forms.size(), 3U);
    EXPECT_EQ(forms[2].field("GUID"), guid);
}

// A service that stalls on the logout holds the closing down a few seconds at
// most. A close of the window before the logout (the one that asked for it)
// still lets it be sent; a close during it, or the session's end, cuts it short.
TEST_F(Session, AStalledLogoutIsBoundedAndCutShortByAStopDuringIt) {
    Injection stall;
    stall.delayMs = -1;
    stall.times = -1;
    const auto logoutReturns = [this](const std::function<void()>& duringIt) {
        std::atomic<bool> done{false};
        const std::size_t sent = service->forms("/v4/deauth").size();
        std::thread logout([&] {
            g_weatherReader.deauthenticate();
            done = true;
        });
        const bool reached = eventually([&] { return service->forms("/v4/deauth").size() > sent; });
        if (duringIt) duringIt();
        const bool returned = eventually([&] { return done.load(); }, 10000);
        logout.join();
        return reached && returned;
    };
    login();
    service->inject(StandInEndpoint::deauth, stall);

    g_stopProgram = true;
    EXPECT_TRUE(logoutReturns(nullptr));
    EXPECT_TRUE(logContains("Deauthentication failed: Timeout was reached"));
    EXPECT_FALSE(logContains("aborted by an application callback"));

    g_stopProgram = false;
    EXPECT_TRUE(logoutReturns([] { g_stopProgram = true; }));
    EXPECT_TRUE(logContains("Deauthentication failed: Operation was aborted by an application callback"));

    EXPECT_TRUE(logoutReturns([] { g_sessionEnding = true; }));
    EXPECT_EQ(service->forms("/v4/deauth").size(), 3U);
    EXPECT_TRUE(g_weatherReader.hasSession()) << "a logout that did not end keeps the session";
    g_stopProgram = false;
    g_sessionEnding = false;
    service->releaseStalls();
}

TEST_F(Session, EveryRequestUsesANewConnection) {
    login();
    g_weatherReader.deauthenticate();
    gf_resetRtReaders();
    login();
    const auto forms = service->forms();
    ASSERT_EQ(forms.size(), 3U);
    EXPECT_NE(forms[0].remotePort, forms[1].remotePort);
    EXPECT_NE(forms[1].remotePort, forms[2].remotePort);
}

TEST_F(Session, OversizedReplyFailsTheTransfer) {
    Injection huge;
    huge.body = std::string(g_maxReplyBytes + 1024, ' ');
    service->inject(StandInEndpoint::auth, huge);
    gf_authenticater();
    EXPECT_FALSE(g_trafficReader.hasSession());
    EXPECT_TRUE(logContains("lf_callbackwriter: reply larger than"));
    EXPECT_TRUE(logContains("Authentication failed"));
}

// What the service nests is never written out whole: a refusal names a
// structured status by its kind, and a login reply nested deeper than any the
// service sends is refused while it is parsed.
TEST_F(Session, StructuredOrDeeplyNestedLoginRepliesAreRefusedSafely) {
    gf_setFeedSleepHookForTest(&lf_recordSleep);
    service->inject(StandInEndpoint::auth, lf_reply({{"status", {{1, 2}, {3}}}, {"GUID", "g"}}));
    std::int32_t status = 0;
    EXPECT_FALSE(g_weatherReader.authenticate(status));
    EXPECT_TRUE(logContains("Authentication refused, status: array"));
    Injection deep;
    deep.body = R"({"status":)" + std::string(200000, '[') + std::string(200000, ']') + "}";
    service->inject(StandInEndpoint::auth, deep);
    EXPECT_FALSE(g_weatherReader.authenticate(status));
    EXPECT_TRUE(logContains("authenticate: JSON nested deeper than 32 levels"));
    EXPECT_FALSE(g_weatherReader.hasSession());
    lf_takeSleeps();
}

// The stand-in refuses what the service refuses: a body that is not a form,
// a missing license or software, an unknown query type, a field missing, not
// a number or out of its range.
TEST_F(Session, TheStandInRefusesWhatTheServiceRefuses) {
    const auto post = [this](const std::string& path, const std::string& body,
                             const std::string& contentType = "application/x-www-form-urlencoded") {
        CurlHandle curl(curl_easy_init());
        std::string reply;
        const std::string url = service->baseUrl() + path;
        const std::string header = "Content-Type: " + contentType;
        curl_slist* headers = curl_slist_append(nullptr, header.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_URL, url.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers);
        curl_easy_setopt(curl.get(), CURLOPT_CAINFO, service->caFile().c_str());
        curl_easy_setopt(curl.get(), CURLOPT_WRITEFUNCTION, &lf_callbackwriter);
        curl_easy_setopt(curl.get(), CURLOPT_WRITEDATA, &reply);
        curl_easy_perform(curl.get());
        curl_slist_free_all(headers);
        const auto answer = nlohmann::json::parse(reply, nullptr, false);
        return answer.is_object() ? answer.value("status", 0) : -1;
    };
    EXPECT_EQ(post("/v4/auth", "license=K&software=TLVR_P3D_11.0.2"), 200);
    EXPECT_EQ(post("/v4/auth", "license=K&software=TLVR_P3D_11.0.2", "text/plain"), 400);
    EXPECT_EQ(post("/v4/auth", "software=TLVR_P3D_11.0.2"), 400);
    EXPECT_EQ(post("/v4/auth", "license=K"), 400);
    service->addSession("G");
    const std::string box = "GUID=G&top=52.44&bottom=52.17&left=4.54&right=4.98";
    EXPECT_EQ(post("/v4/traffic", box + "&querytype=locationtraffic&toffset=0"), 200);
    EXPECT_EQ(post("/v4/traffic", box + "&querytype=airporttraffic&toffset=0"), 400);
    EXPECT_EQ(post("/v4/traffic", box + "&querytype=locationtraffic"), 400);  // no toffset
    EXPECT_EQ(post("/v4/traffic", "GUID=G&top=52.17&bottom=52.44&left=4.54&right=4.98&querytype=locationtraffic&toffset=0"),
              400);  // top and bottom swapped
    EXPECT_EQ(post("/v4/traffic", box + "&querytype=locationtraffic&toffset=0&buffercount=x&buffertime=6"), 400);
    EXPECT_EQ(post("/v4/nearestmetar", "GUID=G&toffset=0&lat=52.3086&lon=4.7639"), 200);
    EXPECT_EQ(post("/v4/nearestmetar", "GUID=G&toffset=0&lat=152.3086&lon=4.7639"), 400);
    EXPECT_EQ(post("/v4/nearestmetar", "GUID=G&toffset=0&lon=4.7639"), 400);
    EXPECT_EQ(post("/v4/weather", "GUID=G&querytype=locwx&toffset=0&lat=52.3&lon=4.7&alt=0&airports=EHAM"), 200);
    EXPECT_EQ(post("/v4/weather", "GUID=G&querytype=locwx&toffset=0&lat=52.3&lon=4.7&alt=0"), 400);
    EXPECT_EQ(post("/v4/weather", "GUID=G&querytype=wx&toffset=0&lat=52.3&lon=4.7&alt=0&airports=EHAM"), 400);
}

TEST_F(Session, ClosingTheProgramEndsAStalledLogin) {
    Injection stall;
    stall.delayMs = -1;
    service->inject(StandInEndpoint::auth, stall);
    std::thread closer([this] {
        eventually([this] { return !service->forms("/v4/auth").empty(); });
        g_stopProgram = true;
    });
    std::int32_t status = 0;
    EXPECT_FALSE(g_weatherReader.authenticate(status));
    closer.join();
    EXPECT_TRUE(logContains("Authentication failed"));
    g_stopProgram = false;
}
