// The two reader threads against the stand-in service: history, polling,
// parked-traffic requests, QNH, and every way a reader ends.
#include <algorithm>
#include <map>
#include <set>
#include <stdexcept>

#include <fmt/format.h>

#include "feed/parked_traffic.h"
#include "service_fixture.h"

using namespace zrb;
using namespace zrb::test;
using tools::Injection;
using tools::StandInEndpoint;

namespace {
Injection lf_status(int status, std::string message = {}) {
    Injection i;
    i.status = status;
    i.message = std::move(message);
    return i;
}

std::size_t lf_pendingCount() {
    std::lock_guard lock(g_runMutex);
    return g_pendingTrafficRecords.size();
}

// The history's records waiting for the manager's passes, taken out.
std::vector<TrafficRecord> lf_takeHistory() {
    std::lock_guard lock(g_runMutex);
    std::vector<TrafficRecord> history(g_pendingHistoryRecords.begin(), g_pendingHistoryRecords.end());
    g_pendingHistoryRecords.clear();
    return history;
}
}  // namespace

class Readers : public ServiceTest {
protected:
    static void SetUpTestSuite() { loadTestDatabase(); }
    void startTraffic() {
        login();
        gf_startTrafficReader();
        ASSERT_TRUE(eventually([] { return g_trafficReader.receiving.load(); }));
    }
};

TEST_F(Readers, HistoryFirstThenLivePollsIntoThePendingVector) {
    gf_setUserPositionSource([] { return FeedUserPosition{52.3, 4.76, 0.0}; });
    gf_updateTrafficBox();
    startTraffic();
    const auto history = service->forms("/v4/traffic");
    ASSERT_FALSE(history.empty());
    EXPECT_EQ(history[0].field("buffercount"), "5");
    EXPECT_EQ(history[0].field("buffertime"), "6");
    EXPECT_EQ(history[0].field("GUID"), g_trafficReader.guid());
    EXPECT_NE(history[0].body.find("&top=52.97&bottom=51.63&left=3.67&right=5.85&querytype=locationtraffic&toffset=0&"),
              std::string::npos)
        << history[0].body;

    // The history waits for the manager, oldest batch first and 6 s apart; it
    // was range-filtered around the user, not around (0, 0).
    const std::vector<TrafficRecord> processed = lf_takeHistory();
    ASSERT_FALSE(processed.empty());
    std::set<std::int32_t> due;
    for (const TrafficRecord& r : processed) due.insert(r.sample.duePass);
    EXPECT_EQ(due, (std::set<std::int32_t>{0, 600, 1200, 1800, 2400}));
    EXPECT_TRUE(g_collectFeedIds.load());

    ASSERT_TRUE(eventually([] { return lf_pendingCount() > 0; }));
    ASSERT_TRUE(eventually([this] { return service->forms("/v4/traffic").size() >= 3; }));
    const auto live = service->forms("/v4/traffic").back();
    EXPECT_EQ(live.field("buffercount"), "");
    EXPECT_EQ(live.field("querytype"), "locationtraffic");
    EXPECT_GT(g_trafficReader.liveCount.load(), 0);

    EXPECT_TRUE(gf_stopRtReaders(20000));
    EXPECT_FALSE(g_trafficReader.receiving.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::notYetSet);
}

TEST_F(Readers, HistoryBuffersOldestFirstAroundTheUserEvenWithAStaleReference) {
    // One aircraft per buffer, "buffer_2" left out.
    const auto buffer = [](const std::string& hex) {
        nlohmann::json a = liveArray();
        a[0] = hex;
        return nlohmann::json{{hex, a}};
    };
    Injection history;
    history.json = nlohmann::json{{"status", 200},
                                  {"rrl", 250},
                                  {"data",
                                   {{"buffer_4", buffer("400004")},
                                    {"buffer_3", buffer("400003")},
                                    {"buffer_1", buffer("400001")},
                                    {"buffer_0", buffer("400000")}}}};
    service->inject(StandInEndpoint::history, history);
    // The previous run's (or no) reference: the reader must filter around the user.
    g_trafficReader.setReferencePosition(0.0, 0.0);
    startTraffic();

    std::map<std::uint32_t, std::int32_t> due;
    for (const TrafficRecord& r : lf_takeHistory()) due[r.hexId] = r.sample.duePass;
    EXPECT_EQ(due, (std::map<std::uint32_t, std::int32_t>{
                       {0x400004, 0}, {0x400003, 600}, {0x400001, 1800}, {0x400000, 2400}}));

    // A 200 poll without "rrl" puts the wait back to its default.
    Injection noWait;
    noWait.json = nlohmann::json{{"status", 200}, {"data", nlohmann::json::object()}};
    service->inject(StandInEndpoint::live, noWait);
    EXPECT_TRUE(eventually([] { return g_trafficReader.rrl.load() == g_defaultWaitMs; }));
}

TEST_F(Readers, SlowDownKeepsPollingAndAReauthenticationStopsTheRunForARestart) {
    startTraffic();
    const std::int32_t rrl = g_trafficReader.rrl.load();
    service->inject(StandInEndpoint::live, lf_status(406, "slow down"));
    ASSERT_TRUE(eventually([this] { return logContains("curl traffic msg: slow down"); }));
    EXPECT_EQ(g_trafficReader.rrl.load(), rrl);
    service->inject(StandInEndpoint::live, lf_status(401));
    ASSERT_TRUE(eventually([] { return g_trafficReader.stopped.load(); }));
    EXPECT_TRUE(logContains("re-authentication to RT API is needed, restart TLVR_P3D"));
    EXPECT_TRUE(logContains("The Traffic Reader has stopped with an error"));
    EXPECT_TRUE(g_weatherReader.stop.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::readerError);
    EXPECT_EQ(gf_restartDelaySeconds(), 15U);
    EXPECT_EQ(g_mainWindowState.trafficLight.load(), g_lightOff);
}

TEST_F(Readers, ParameterFaultEndsWithSystemErrorAndBadRepliesDoNot) {
    login();
    Injection empty;
    empty.body = "";
    Injection malformed;
    malformed.body = "{\"status\":";
    service->inject(StandInEndpoint::live, empty);
    service->inject(StandInEndpoint::live, malformed);
    service->inject(StandInEndpoint::live, lf_status(400));
    gf_startTrafficReader();
    ASSERT_TRUE(eventually([] { return g_trafficReader.stopped.load(); }));
    EXPECT_TRUE(logContains("traffic receive: empty content"));
    EXPECT_TRUE(logContains("receive: "));
    EXPECT_TRUE(logContains("Traffic RT API: parameter fault"));
    EXPECT_EQ(gf_exitReason(), ExitReason::systemError);
}

// A reader stuck in a stalled transfer: nothing of the feed is reset and no
// second reader starts while it runs; its stop ends it within about a second,
// transfer included, and then the feed is joined and reset for a new run.
TEST_F(Readers, AReaderInAStalledPollIsNeitherResetNorDoubledAndItsStopEndsIt) {
    startTraffic();
    Injection stall;
    stall.delayMs = -1;
    service->inject(StandInEndpoint::live, stall);
    ASSERT_TRUE(eventually([&] { return service->stalledAnswers() == 1; }));
    EXPECT_THROW(gf_resetRtReaders(), std::logic_error);
    EXPECT_THROW(gf_startTrafficReader(), std::logic_error);
    EXPECT_FALSE(gf_trafficReaderFinished());
    EXPECT_TRUE(g_trafficReader.receiving.load()) << "the running reader was reset under it";

    const auto stopAt = std::chrono::steady_clock::now();
    EXPECT_TRUE(gf_stopRtReaders(5000)) << "a stalled transfer must not keep the reader";
    EXPECT_LT(std::chrono::steady_clock::now() - stopAt, std::chrono::milliseconds(2500));
    EXPECT_TRUE(gf_trafficReaderFinished());
    EXPECT_NO_THROW(gf_resetRtReaders());
    EXPECT_EQ(gf_exitReason(), ExitReason::notYetSet);
}

// Replies nested far deeper than the service ever nests (a copy or a dump of
// one would overflow the reader's stack) are refused as they are parsed; the
// readers log them and poll on.
TEST_F(Readers, DeeplyNestedRepliesAreRefusedAndTheReadersPollOn) {
    const std::string nested = std::string(200000, '[') + std::string(200000, ']');
    startTraffic();
    Injection deep;
    deep.body = R"({"status":200,"data":{"484506":)" + nested + "}}";
    service->inject(StandInEndpoint::live, deep);
    Injection deepWeather;
    deepWeather.body = R"({"status":200,"data":{"QNH":)" + nested + "}}";
    service->inject(StandInEndpoint::weather, deepWeather);
    gf_startWeatherReader();
    const std::size_t before = service->forms("/v4/traffic").size();
    ASSERT_TRUE(eventually([&] { return service->forms("/v4/traffic").size() >= before + 2; }));
    ASSERT_TRUE(eventually([&] { return service->forms("/v4/weather").size() >= 2; }));
    EXPECT_TRUE(logContains("receive: JSON nested deeper than 32 levels"));
    EXPECT_TRUE(logContains("Invalid JSON: "));
    EXPECT_TRUE(g_trafficReader.receiving.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::notYetSet);
}

TEST_F(Readers, ParkedTrafficAroundTheParkAirport) {
    useParkAirport(-11.0);
    startTraffic();
    ASSERT_TRUE(gf_requestParkedTraffic());
    const auto forms = service->forms("/v4/traffic");
    const auto parked = std::find_if(forms.begin(), forms.end(), [](const auto& f) { return f.field("querytype") == "parkedtraffic"; });
    ASSERT_NE(parked, forms.end());
    EXPECT_NE(parked->body.find("&top=52.36&bottom=52.26&left=4.68&right=4.85&querytype=parkedtraffic&toffset=0"),
              std::string::npos);
    // B738, A320 and B747 (as B744) are known types; E190 and A332 are not.
    const std::vector<ParkedTrafficRecord>& records = g_trafficReader.parkedRecords;
    ASSERT_EQ(records.size(), 3U);
    EXPECT_EQ(records[0].stand, "D7");  // seen 10 minutes ago: the youngest
    EXPECT_EQ(records[0].callsign, "KLM1391");
    EXPECT_TRUE(std::any_of(records.begin(), records.end(), [](const auto& r) { return r.type == "B744"; }));

    service->inject(StandInEndpoint::parked, lf_status(406));
    EXPECT_TRUE(gf_requestParkedTraffic());
    EXPECT_TRUE(g_trafficReader.parkedRecords.empty());
    service->inject(StandInEndpoint::parked, lf_status(400));
    EXPECT_THROW(gf_requestParkedTraffic(), std::runtime_error);
    service->inject(StandInEndpoint::parked, lf_status(403));
    EXPECT_THROW(gf_requestParkedTraffic(), std::runtime_error);
    service->inject(StandInEndpoint::parked, lf_status(401));
    EXPECT_FALSE(gf_requestParkedTraffic());
    EXPECT_TRUE(logContains("RT Parkedtraffic: re-authentication to RT API is needed TLVR_P3D"));
    EXPECT_TRUE(g_trafficReader.receiving.load()) << "no parked status ends the reader";
}

// One reply of 20,000 members whose time cannot be read: one line and a count
// for the request, not a line each; the next request tells its own.
TEST_F(Readers, BadParkedMembersLeaveOneLineAndACountPerRequest) {
    useParkAirport(-11.0);
    startTraffic();
    const auto badReply = [](int members) {
        std::string body = R"({"status":200,"data":{)";
        for (int i = 0; i < members; ++i)
            body += fmt::format(R"({}"{:x}":[52.3,4.76,"D{}","B738","PH-BXA",1e300,"KLM{}"])", i > 0 ? "," : "",
                                0x400000 + i, i, i);
        Injection bad;
        bad.body = body + "}}";
        return bad;
    };
    service->inject(StandInEndpoint::parked, badReply(20000));
    EXPECT_TRUE(gf_requestParkedTraffic());
    service->inject(StandInEndpoint::parked, badReply(3));
    EXPECT_TRUE(gf_requestParkedTraffic());
    EXPECT_TRUE(g_trafficReader.parkedRecords.empty());
    EXPECT_LT(std::filesystem::file_size(folder / "Log.txt"), 20000U);
    const auto lines = folder.logLines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.find("processParkedTrafficLine") != std::string::npos; }),
              4);
    EXPECT_TRUE(logContains("===> processParkedTrafficLine: members dropped ... and 19,999 more like it"));
    EXPECT_TRUE(logContains("===> processParkedTrafficLine: members dropped ... and 2 more like it"));
}

TEST_F(Readers, ALateParkedAnswerIsNotTakenForANewerRequest) {
    useParkAirport(-11.0);
    startTraffic();
    Injection slow;
    slow.delayMs = 1000;
    service->inject(StandInEndpoint::parked, slow);
    const std::uint64_t first = g_trafficReader.postParkedRequest(gf_parkedBoxAround(g_ehamLat, g_ehamLon));
    ASSERT_TRUE(eventually([this] { return !service->forms().empty() && service->forms().back().field("querytype") == "parkedtraffic"; }));
    // The planner gave up on the first request and asks again.
    const std::uint64_t second = g_trafficReader.postParkedRequest(gf_parkedBoxAround(g_ehamLat + 1.0, g_ehamLon));
    ASSERT_TRUE(eventually([] { return g_trafficReader.parkedStatus.load() != g_parkedPending; }));
    std::int32_t status = -1;
    std::vector<ParkedTrafficRecord> result;
    EXPECT_FALSE(g_trafficReader.takeParkedResult(first, status, result));
    ASSERT_TRUE(g_trafficReader.takeParkedResult(second, status, result));
    EXPECT_EQ(status, g_parkedDone);
    EXPECT_TRUE(result.empty()) << "the second box holds no parked aircraft";
    std::size_t parkedForms = 0;
    for (const auto& f : service->forms()) parkedForms += f.field("querytype") == "parkedtraffic" ? 1 : 0;
    EXPECT_EQ(parkedForms, 2U);
}

// A time-shifted run: every body of the readers, whole, with its offset; the
// stand-in refuses a body with a field dropped or out of its range, so a
// swapped latitude and longitude or a lost toffset fails here.
TEST_F(Readers, EveryBodyOfATimeShiftedRunWhole) {
    g_trafficReader.toffset = 90;
    g_weatherReader.toffset = 90;
    startTraffic();
    gf_startWeatherReader();
    ASSERT_TRUE(eventually([this] { return service->forms("/v4/weather").size() >= 1; }));
    ASSERT_TRUE(eventually([this] { return service->forms("/v4/traffic").size() >= 2; }));
    const std::string guid = g_trafficReader.guid();
    const QueryBox box = g_trafficReader.queryState().liveBox;
    const std::string boxText =
        fmt::format("top={:.2F}&bottom={:.2F}&left={:.2F}&right={:.2F}", box.top, box.bottom, box.left, box.right);
    const auto traffic = service->forms("/v4/traffic");
    EXPECT_EQ(traffic[0].body, fmt::format("GUID={}&{}&querytype=locationtraffic&toffset=90&buffercount=5&buffertime=6",
                                           guid, boxText));
    EXPECT_EQ(traffic[1].body, fmt::format("GUID={}&{}&querytype=locationtraffic&toffset=90", guid, boxText));
    EXPECT_EQ(service->forms("/v4/nearestmetar").at(0).body,
              fmt::format("GUID={}&toffset=90&lat={:.4F}&lon={:.4F}", guid, g_ehamLat, g_ehamLon));
    EXPECT_EQ(service->forms("/v4/weather").at(0).body,
              fmt::format("GUID={}&querytype=locwx&toffset=90&lat={:.4F}&lon={:.4F}&alt=0&airports=EHAM", guid,
                          g_ehamLat, g_ehamLon));
    EXPECT_FALSE(logContains("parameter fault"));
    EXPECT_EQ(gf_exitReason(), ExitReason::notYetSet);
}

TEST_F(Readers, WeatherKeepsTheLastValidQnh) {
    tools::Scenario s = service->scenario();
    s.qnh = 1005;
    service->setScenario(s);
    login();
    gf_startWeatherReader();
    ASSERT_TRUE(eventually([] { return g_qnh.load() == 1005; }));
    EXPECT_EQ(g_mainWindowState.qnh.load(), 1005);
    EXPECT_EQ(g_trafficReader.qnh.load(), 1005);
    const auto weather = service->forms("/v4/weather");
    ASSERT_FALSE(weather.empty());
    EXPECT_EQ(weather[0].field("alt"), "0");
    EXPECT_EQ(weather[0].field("airports"), "EHAM");
    EXPECT_EQ(weather[0].field("querytype"), "locwx");

    s.qnh = nullptr;
    service->setScenario(s);
    const std::size_t seen = service->forms("/v4/weather").size();
    ASSERT_TRUE(eventually([&] { return service->forms("/v4/weather").size() >= seen + 2; }));
    EXPECT_TRUE(logContains("No QNH found in data"));
    EXPECT_EQ(g_qnh.load(), 1005) << "a reply without a QNH keeps the last valid one";

    s.qnh = 1081;
    service->setScenario(s);
    ASSERT_TRUE(eventually([this] { return logContains("Strange QNH 366 found in"); }));
    EXPECT_EQ(g_qnh.load(), 1005);
    EXPECT_TRUE(g_weatherReader.weatherOk.load());

    service->inject(StandInEndpoint::nearestMetar, lf_status(401));
    ASSERT_TRUE(eventually([] { return g_weatherReader.stopped.load(); }));
    EXPECT_TRUE(g_trafficReader.stop.load());
    EXPECT_EQ(gf_exitReason(), ExitReason::readerError);
    EXPECT_TRUE(logContains("The Weather Reader has stopped with an error"));
}

TEST_F(Readers, WeatherServerErrorsKeepTheReaderGoing) {
    login();
    service->inject(StandInEndpoint::weather, lf_status(500, "busy"));
    gf_startWeatherReader();
    ASSERT_TRUE(eventually([this] { return logContains("500 json weather busy"); }));
    ASSERT_TRUE(eventually([] { return g_weatherReader.weatherOk.load(); }));
    service->inject(StandInEndpoint::weather, lf_status(404));
    ASSERT_TRUE(eventually([] { return g_weatherReader.stopped.load(); }));
    EXPECT_TRUE(logContains("Weather RT API error: 404"));
    EXPECT_EQ(gf_exitReason(), ExitReason::systemError);
}
