// Any bytes as a reply of the live-traffic service: the conversion of live,
// history and parked members and the QNH must neither crash nor hang.
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "airports/park_airport.h"
#include "config/paths.h"
#include "feed/traffic_reader.h"
#include "feed/weather_reader.h"
#include "foundation/bounded_json.h"
#include "fuzz_target.h"
#include "traffic/feed_intake.h"

namespace {
void lf_prepare() {
    static const bool prepared = [] {
        zrb::g_workingRangeNm = 40.0;
        zrb::g_trafficReader.setReferencePosition(52.3086, 4.7639);
        zrb::CurrentParkAirportData park;
        park.icao = "EHAM";
        park.lat = 52.3086;
        park.lon = 4.7639;
        zrb::gf_setCurrentParkAirport(park);
        return true;
    }();
    (void)prepared;
}

void lf_convert(const nlohmann::json& data) {
    zrb::TrafficReader& reader = zrb::g_trafficReader;
    reader.refreshLineContext();
    reader.records.clear();
    reader.convertTrafficMembers(data);
    reader.records.clear();
    if (data.is_object() || data.is_array()) {
        for (auto& member : data.items()) {
            reader.parkedRecord = member.value();
            reader.processParkedTrafficLine(member.key());
        }
    }
    reader.parkedWork.clear();
    try {
        (void)zrb::gf_findQnh(data);
    } catch (const std::exception&) {
        // A QNH beyond 32 bits is a narrowing error the reader's pass catches.
    }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lf_prepare();
    // As the reader parses a reply: nesting beyond the bound is refused.
    const nlohmann::json reply =
        zrb::gf_parseJsonOrDiscard(std::string_view(reinterpret_cast<const char*>(data), size));
    if (reply.is_discarded()) return 0;
    lf_convert(reply);
    if (reply.is_object()) {
        const auto payload = reply.find("data");
        if (payload != reply.end()) {
            lf_convert(*payload);
            if (payload->is_object()) {
                for (int k = 0; k < 5; ++k) {
                    const auto batch = payload->find("buffer_" + std::to_string(k));
                    if (batch != payload->end()) lf_convert(*batch);
                }
            }
        }
    }
    // The history batches wait for the manager: keep their queue empty.
    {
        std::lock_guard lock(zrb::g_runMutex);
        zrb::g_pendingHistoryRecords.clear();
    }
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    std::string array = R"(["484506",52.35,4.76,240.0,3000.0,250.0,null,null,"B738","PH-BXA",1700000000.5,"EHAM","EGLL","KLM1023",null,1500.0,null,"adsb_icao",3000.0,null,-1,null,null,5.0,null,240.0,null,null,"A3")";
    for (int i = 29; i < 48; ++i) array += ",null";
    array += "]";
    return {
        R"({"status":200,"rrl":2000,"data":{"484506":)" + array + R"(,"full_count":1}})",
        R"({"status":200,"data":{"buffer_0":{"484506":)" + array + R"(},"buffer_4":{},"buffer_2":null}})",
        R"({"status":200,"data":{"484a2f":[52.3083,4.7612,"D7","B747","PH-BXB",1700000000,"KLM1391."],"4ca9e2":[52,4,"E18","A320","EI-DEA",1.7e9,"null"]}})",
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
