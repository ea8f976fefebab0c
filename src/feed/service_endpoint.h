#pragma once
// Where the live-traffic service is: its base URL (scheme and host, no
// trailing slash), the CA bundle to trust (empty = the system's store) and the
// user's license key. The program takes the URL and CA from its build; tests
// point the process at a stand-in on loopback through the seam below.
//
// Any thread; g_serviceEndpointMutex (inside) owns the values.

#include <string>

namespace zrb {

struct ServiceEndpoint {
    std::string baseUrl;
    std::string caFile;
};

ServiceEndpoint gf_serviceEndpoint();

// Tests only: the stand-in's URL (e.g. "https://localhost:40123") and CA file.
void gf_setServiceEndpointForTest(const std::string& baseUrl, const std::string& caFile);

// The license key the login sends. Read from "input/rt_license.txt" (its first
// non-empty line) at each login unless one was set here.
inline constexpr const char* g_licenseFileName = "input/rt_license.txt";
std::string gf_serviceKey();
void gf_setServiceKey(const std::string& key);

}  // namespace zrb
