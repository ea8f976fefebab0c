#pragma once
// Keeping the encrypted data files current from the download site.
//
// versions.json at the site's root offers one version per data file:
//   {"aig":{"major":1,"minor":4,"patch":12},"dbase":{"major":2,"minor":0,"patch":0}}
// "aig" is AIG-regcodes.enc (setting AIG_VERSION), "dbase" is dbase.enc
// (setting DBASE_VERSION); other members are ignored.
//
// Runs on the worker thread during start-up.

#include <istream>
#include <optional>

#include "foundation/version_data.h"

namespace zrb {

// The versions versions.json offers: for each data file, none when its member
// is missing or not an object of three 32-bit integers.
struct OfferedDataFiles {
    std::optional<VersionData> aig;
    std::optional<VersionData> dbase;
};
// Reads versions.json from the stream; nothing (and a warning in the log)
// when it is not JSON or is nested deeper than any versions.json.
std::optional<OfferedDataFiles> gf_readOfferedVersions(std::istream& in);

// Fetches versions.json and, for "aig" and then "dbase", downloads the file
// into input/ when the offered version is newer than the setting or the local
// file is missing. A downloaded file replaces the local one only when it
// decrypts and holds well-formed XML; only then is the new version stored
// ("{} updated to {}") and parameters.xml saved. Every failure is logged and
// the start-up goes on with the files present; nothing is thrown.
void gf_checkDataFileVersions();

}  // namespace zrb
