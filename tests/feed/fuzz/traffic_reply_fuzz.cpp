// Any bytes as the live-traffic service's replies, taken by the Traffic
// Reader's own loop (TrafficReader::receive): the history reply, the reply to
// a parked-traffic request and one live poll, each converted and handed to the
// intake's queues as a run does. The input holds the three replies apart by a
// zero byte (a JSON text holds none); with fewer, the last one is used again.
// The reader's requests go to a local folder through libcurl's file protocol
// (the seam that points tests at a stand-in service), so every byte of a reply
// takes the reader's way; its sleeps are skipped. Nothing may crash or hang.
// The Windows build's libcurl speaks HTTP only: there each reply's members are
// converted directly, as live and as parked traffic, without the reader's loop.
//
// The blocked callsign is KLM1023 for the history and DLH4 for the live poll,
// so that a block is both reported and lifted; the park airport is Schiphol
// with its elevation known and stand D7 reserved; the aircraft database is the
// tests' sample, so parked aircraft of known types are kept.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include "../feed_test_support.h"
#include "feed/parked_traffic.h"
#include "feed/service_endpoint.h"
#include "foundation/bounded_json.h"
#include "fuzz_target.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace zrb;

// Where the reader's requests land: <folder>/v4/traffic.
struct Service {
    Service() {
        fs::create_directories(reply.parent_path());
        // file:///tmp/x/v4/traffic for the path /v4/traffic of the base URL.
        gf_setServiceEndpointForTest("file://" + folder.path().generic_string(), "");
    }
    test::TempFolder folder;
    fs::path reply = folder / "v4" / "traffic";
};

Service& lf_service() {
    static Service service;
    return service;
}

void lf_answerWith(std::string_view text) {
    const fs::path& file = lf_service().reply;
    // A new file rather than a truncated one: truncation flushes to the disk.
    fs::remove(file);
    test::writeFile(file, std::string(text));
}

std::vector<std::string_view> g_replies;  // history, parked, live
int g_sleeps = 0;

// Every sleep of the reader ends a step: after the history's comes the parked
// reply; after the first of the two sleeps that follow the parked request, the
// live reply; a sleep after the live poll stops the reader.
bool lf_nextStep(std::int64_t) {
    ++g_sleeps;
    if (g_sleeps == 1) {
        lf_answerWith(g_replies[1]);
    } else if (g_sleeps == 2) {
        lf_answerWith(g_replies[2]);
        BLOCK_CALLSIGN.value.set("DLH4");
    } else if (g_sleeps >= 4) {
        g_trafficReader.stop = true;
    }
    return false;
}

bool lf_curlReadsFiles() {
    for (const char* const* p = curl_version_info(CURLVERSION_NOW)->protocols; *p != nullptr; ++p)
        if (std::strcmp(*p, "file") == 0) return true;
    return false;
}

// The members of a reply's value (and of its history batches) converted as live
// and as parked traffic, and the live batch handed on.
void lf_convertDirectly(const nlohmann::json& data) {
    TrafficReader& reader = g_trafficReader;
    reader.records.clear();
    reader.convertTrafficMembers(data);
    gf_scheduleTrafficRecords(reader.records, g_livePollDelaySeconds);
    if (data.is_object() || data.is_array()) {
        for (auto& member : data.items()) {
            reader.parkedRecord = member.value();
            reader.processParkedTrafficLine(member.key());
        }
    }
    reader.parkedWork.clear();
}

void lf_convertDirectly(std::string_view text) {
    const nlohmann::json reply = gf_parseJsonOrDiscard(text);
    if (!reply.is_object() || !reply.contains("data")) return;
    const nlohmann::json& data = reply["data"];
    g_trafficReader.refreshLineContext();
    lf_convertDirectly(data);
    for (int k = 0; k < g_historyBufferCount && data.is_object(); ++k)
        if (const auto batch = data.find("buffer_" + std::to_string(k)); batch != data.end()) lf_convertDirectly(*batch);
}

void lf_prepare() {
    static const bool prepared = [] {
        (void)lf_service();
        test::loadTestDatabase();
        test::resetConversion();
        gf_setFeedSleepHookForTest(&lf_nextStep);
        return true;
    }();
    (void)prepared;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lf_prepare();
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    g_replies.clear();
    for (std::size_t start = 0; g_replies.size() < 3;) {
        const std::size_t end = input.find('\0', start);
        g_replies.push_back(input.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    while (g_replies.size() < 3) g_replies.push_back(g_replies.back());

    test::resetConversion();
    test::useParkAirport(-11.0);
    g_referenceElevation = -11.0;
    gf_setReservedStand("D7");
    BLOCK_CALLSIGN.value.set("KLM1023");
    TrafficReader& reader = g_trafficReader;
    reader.qnh = 1009;
    reader.stop = false;
    reader.setGuid("fuzz");
    {
        std::lock_guard lock(g_runMutex);
        g_trafficActive = true;
    }
    static const bool curlReadsFiles = lf_curlReadsFiles();
    if (curlReadsFiles) {
        const std::uint64_t request = reader.postParkedRequest(gf_parkedBoxAround(test::g_ehamLat, test::g_ehamLon));
        lf_answerWith(g_replies[0]);
        g_sleeps = 0;
        std::int32_t status = 0;
        reader.receive(status);
        // The planner's side of the parked request.
        std::vector<ParkedTrafficRecord> parked;
        if (reader.takeParkedResult(request, status, parked) && status == g_parkedDone)
            gf_ageAndSortParked(parked, 20, false, 4);
    } else {
        for (const std::string_view reply : g_replies) lf_convertDirectly(reply);
    }
    // The weather's QNH finder on the live reply's "data", as the old target did.
    const nlohmann::json live = gf_parseJsonOrDiscard(g_replies[2]);
    if (live.is_object() && live.contains("data")) {
        try {
            (void)gf_findQnh(live["data"]);
        } catch (const std::exception&) {
            // A QNH beyond 32 bits is a narrowing error the reader's pass catches.
        }
    }
    {
        std::lock_guard lock(g_runMutex);
        g_pendingTrafficRecords.clear();
        g_pendingHistoryRecords.clear();
    }
    reader.setGuid({});
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    // One live array: "484506" at the given place, track and true heading,
    // callsign and source.
    const auto array = [](const std::string& hex, double lat, double lon, double alt, double speed,
                          const std::string& callsign, const std::string& source, const std::string& trueHeading) {
        std::string a = "[\"" + hex + "\"," + std::to_string(lat) + "," + std::to_string(lon) + ",240.0," +
                        std::to_string(alt) + "," + std::to_string(speed) +
                        R"(,null,null,"B738","PH-BXA",1700000000.5,"EHAM","EGLL",")" + callsign +
                        R"(",null,1500.0,null,")" + source + R"(",3000.0,null,-1,null,null,5.0,null,)" + trueHeading +
                        R"(,null,null,"A3")";
        for (int i = 29; i < 48; ++i) a += ",null";
        return a + "]";
    };
    const std::string klm = array("484506", 52.35, 4.76, 3000, 250, "KLM1023", "adsb_icao", "240.0");
    const std::string dlh = array("3c6444", 52.30, 4.77, 3000, 250, "DLH4", "adsb_icao", "0.0");
    const std::string north = array("400a11", 52.40, 4.70, 9000, 300, "BAW77", "adsb_icao", "400.0");  // > 360
    const std::string taxi = array("4840d6", 52.309, 4.764, 0, 12, "KLM123", "mlat", "-1");
    const std::string madrid = array("4ca9e2", 40.0, -3.0, 3000, 250, "IBE1", "adsb_icao", "90.0");
    const std::string history =
        R"({"status":200,"rrl":2000,"data":{"buffer_4":{"484506":)" + klm + R"(,"400a11":)" + north +
        R"(},"buffer_3":{},"buffer_2":null,"buffer_1":{"4840d6":)" + taxi + R"(,"4ca9e2":)" + madrid +
        R"(},"buffer_0":{"484506":)" + klm + R"(,"3c6444":)" + dlh + "}}}";
    const std::string parked =
        R"({"status":200,"rrl":1000,"data":{"484a2f":[52.3083,4.7612,"D7","B747","PH-BXB",1700000000,"KLM1391."],)"
        R"("4ca9e2":[52.31,4.76,"E18","A320","EI-DEA",1.7e9,"null"],"3c6444":[52.30,4.75,"B12","0","D-ABYA",1700000100,""],)"
        R"("400a12":[52.30,4.75,"B14","ZZZZ","",1700000100,"G-XLEA"],"4ca9e3":[52.31,4.76,"E18","A388","G-XLEA",1.7e9,"BAW1"]}})";
    const std::string live = R"({"status":200,"rrl":2000,"data":{"3c6444":)" + dlh + R"(,"484506":)" + klm +
                             R"(,"4840d6":)" + taxi + R"(,"full_count":3}})";
    const std::string z(1, '\0');
    return {
        history + z + parked + z + live,
        history + z + R"({"status":406,"message":"slow down"})" + z + R"({"status":401})",
        R"({"status":400})" + z + R"({"status":403})" + z + R"({"status":406,"message":"slow down"})",
        z + "not json" + z,
        // Single replies, each taken for all three requests.
        R"({"status":200,"rrl":2000,"data":{"484506":)" + klm + R"(,"full_count":1}})",
        R"({"status":200,"data":{"QNH":"1009"}})",
        R"({"status":200,"data":{"QNH":2992.5}})",
        R"({"status":200,"data":[["484506",null,"x",{},[],true,-1e308]]})",
        // Nesting at the bound, one level past it and far past it.
        R"({"status":200,"data":{"a":)" + std::string(30, '[') + std::string(30, ']') + "}}",
        R"({"status":200,"data":{"a":)" + std::string(31, '[') + std::string(31, ']') + "}}",
        R"({"status":200,"data":{"484506":)" + std::string(20000, '[') + std::string(20000, ']') + "}}",
        std::string(100000, '{'),
    };
}
