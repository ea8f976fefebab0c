#pragma once
// Keeping the encrypted data files current from the download site.
//
// versions.json at the site's root offers one version per data file:
//   {"aig":{"major":1,"minor":4,"patch":12},"dbase":{"major":2,"minor":0,"patch":0}}
// "aig" is AIG-regcodes.enc (setting AIG_VERSION), "dbase" is dbase.enc
// (setting DBASE_VERSION); other members are ignored.
//
// Runs on the worker thread during start-up.

namespace zrb {

// Fetches versions.json and, for "aig" and then "dbase", downloads the file
// into input/ when the offered version is newer than the setting or the local
// file is missing. A downloaded file replaces the local one only when it
// decrypts and holds well-formed XML; only then is the new version stored
// ("{} updated to {}") and parameters.xml saved. Every failure is logged and
// the start-up goes on with the files present; nothing is thrown.
void gf_checkDataFileVersions();

}  // namespace zrb
