// Any bytes as the reply of the login, the nearest-METAR and the weather
// requests: what the readers make of them must neither crash nor hang, nor
// sleep (the feed's sleeps are skipped here).
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "feed/rt_api_client.h"
#include "feed/weather_reader.h"
#include "fuzz_target.h"

namespace {
bool lf_noSleep(std::int64_t) { return false; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    zrb::gf_setFeedSleepHookForTest(&lf_noSleep);
    zrb::WeatherReader& reader = zrb::g_weatherReader;
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::int32_t status = 0;
    try {
        reader.reply = text;
        (void)reader.takeLoginReply(status);
    } catch (const std::exception&) {
        // The login catches at its top.
    }
    try {
        reader.weatherReply = text;
        (void)reader.takeNearestMetarReply(status);
    } catch (const std::exception&) {
    }
    try {
        reader.weatherReply = text;
        (void)reader.takeWeatherReply(status);
    } catch (const std::exception&) {
    }
    reader.setGuid({});
    return 0;
}

std::vector<std::string> fuzzSeeds() {
    return {
        R"({"status":200,"GUID":"5f3c-1","rrl":2000,"wrrl":2000,"server":"rt-1"})",
        R"({"status":402,"message":"license expired"})",
        R"({"GUID":"g"})",
        R"({"status":[1,2],"GUID":"g"})",
        R"({"status":200,"data":[{"ICAO":"EHAM","Dist":3.2}]})",
        R"({"status":200,"data":[]})",
        R"({"status":500,"message":"busy"})",
        R"({"status":200,"wrrl":2000,"data":{"METAR":"EHAM 061150Z 24012KT","QNH":1009}})",
        R"({"status":200,"data":{"QNH":"2992"}})",
        R"({"status":200,"data":{"QNH":1e300}})",
        R"({"status":200,"data":[)" + std::string(40, '[') + std::string(40, ']') + "]}",
    };
}
