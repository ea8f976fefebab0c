#include "feed/service_endpoint.h"

#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>
#include <vector>

#include "foundation/sites.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"

namespace zrb {

namespace {
std::mutex g_serviceEndpointMutex;  // owns the three values below
ServiceEndpoint g_endpoint{build::serviceHost, build::serviceCaFile};
std::optional<std::string> g_keyOverride;
}  // namespace

ServiceEndpoint gf_serviceEndpoint() {
    std::lock_guard lock(g_serviceEndpointMutex);
    return g_endpoint;
}

void gf_setServiceEndpointForTest(const std::string& baseUrl, const std::string& caFile) {
    std::lock_guard lock(g_serviceEndpointMutex);
    g_endpoint = ServiceEndpoint{baseUrl, caFile};
}

std::string gf_serviceKey() {
    {
        std::lock_guard lock(g_serviceEndpointMutex);
        if (g_keyOverride) return *g_keyOverride;
    }
    std::error_code error;
    if (!std::filesystem::is_regular_file(g_licenseFileName, error)) {
        gf_logMarked("RT license key file {} not found", g_licenseFileName);
        return {};
    }
    // The user writes this file with any editor: a byte-order mark (UTF-8 or
    // UTF-16) must not end up in the key, or the service refuses it.
    std::vector<std::string> lines;
    gf_readExtTextFileToStringVector(g_licenseFileName, lines);
    for (const std::string& line : lines) {
        std::string key = gf_trim(line);
        if (!key.empty()) return key;
    }
    gf_logMarked("RT license key file {} is empty", g_licenseFileName);
    return {};
}

void gf_setServiceKey(const std::string& key) {
    std::lock_guard lock(g_serviceEndpointMutex);
    g_keyOverride = key;
}

}  // namespace zrb
