// Any bytes as the reply of the login, the logout, the nearest-METAR and the
// weather requests, and as the license key file: what the program makes of
// them must neither crash nor hang, nor sleep (the feed's sleeps are skipped
// here). The login and the logout go the whole way: their requests are
// answered from a local folder through libcurl's file protocol (the seam that
// points tests at a stand-in service), the login with the key the file gives
// (the Windows build's libcurl speaks HTTP only: there both fail at once).
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "config/paths.h"
#include "feed/rt_api_client.h"
#include "feed/service_endpoint.h"
#include "feed/weather_reader.h"
#include "fuzz_target.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// One input in this many also goes the login's and the logout's way through
// the files (files are slow, under Wine most of all).
constexpr unsigned filePassEvery = 4;

bool lf_noSleep(std::int64_t) { return false; }

bool lf_curlReadsFiles() {
    for (const char* const* p = curl_version_info(CURLVERSION_NOW)->protocols; *p != nullptr; ++p)
        if (std::strcmp(*p, "file") == 0) return true;
    return false;
}

// The installation folder (the license file lies below it) and the service's
// folder of replies, v4/auth and v4/deauth.
struct Installation {
    Installation() : cd(folder.path()) {
        fs::create_directories(zrb::g_inputFolder);
        fs::create_directories(folder / "v4");
        zrb::gf_setServiceEndpointForTest("file://" + folder.path().generic_string(), "");
        zrb::gf_setFeedSleepHookForTest(&lf_noSleep);
    }
    zrb::test::TempFolder folder;
    zrb::test::CurrentDirectory cd;
};

// A new file rather than a truncated one: truncation flushes to the disk.
void lf_writeNew(const fs::path& file, const std::string& text) {
    fs::remove(file);
    zrb::test::writeFile(file, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Installation installation;
    static const bool curlReadsFiles = lf_curlReadsFiles();
    static unsigned count = 0;
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
    if (count++ % filePassEvery != 0) return 0;
    // The login reads the key from the license file and sends it; the logout
    // of a session.
    lf_writeNew(zrb::g_licenseFileName, text);
    if (curlReadsFiles) {
        lf_writeNew(installation.folder / "v4" / "auth", text);
        lf_writeNew(installation.folder / "v4" / "deauth", text);
    }
    (void)reader.authenticate(status);
    reader.setGuid("fuzz");
    reader.deauthenticate();
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
        // Logout replies.
        R"({"status":200,"message":"Logged out","server":"rt-1"})",
        R"({"status":401,"message":"GUID unknown"})",
        R"({"status":"200"})",
        "null",
        // License key files as editors write them.
        "ABCD-1234-EFGH-5678\r\n",
        "\xEF\xBB\xBF  \r\n  KEY 1&=%+ \r\n",
        std::string("\xFF\xFEK\0E\0Y\0\r\0\n\0", 12),
        std::string("\xFE\xFF\0K\0E\0Y", 8),
        "\n\n \t\n",
        "",
    };
}
