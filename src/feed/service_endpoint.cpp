#include "feed/service_endpoint.h"

#include <fstream>
#include <mutex>
#include <optional>

#include "build_config.h"
#include "foundation/log.h"

namespace zrb {

namespace {
std::mutex g_serviceEndpointMutex;  // owns the three values below
ServiceEndpoint g_endpoint{build::serviceHost, build::serviceCaFile};
std::optional<std::string> g_keyOverride;

std::string lf_trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}
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
    std::ifstream in(g_licenseFileName);
    if (!in) {
        gf_logMarked("RT license key file {} not found", g_licenseFileName);
        return {};
    }
    std::string line;
    while (std::getline(in, line)) {
        std::string key = lf_trim(line);
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
