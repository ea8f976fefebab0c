#pragma once
// Where the program finds the live-traffic service and the download site, and
// the CA files that vouch for them (empty: the system's store). Constants of
// the build (CMake cache variables), defined in a generated source that every
// executable links once (tlv_sites_library): the program's own, or, for the
// Windows program run against the stand-ins, the demo's.

namespace zrb::build {

extern const char* const serviceHost;      // scheme and host, no trailing slash
extern const char* const serviceCaFile;
extern const char* const downloadBaseUrl;  // with its trailing slash
extern const char* const downloadCaFile;

}  // namespace zrb::build
