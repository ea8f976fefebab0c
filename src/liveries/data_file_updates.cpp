#include "liveries/data_file_updates.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include <curl/curl.h>
#include <nlohmann/json.hpp>
#include <pugixml.hpp>

#include "config/parameter_store.h"
#include "config/parameters.h"
#include "config/paths.h"
#include "foundation/bounded_json.h"
#include "foundation/curl_handle.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/version_data.h"
#include "foundation/xml_file.h"
#include "liveries/download.h"
#include "liveries/encrypted_file.h"

namespace zrb {

namespace {

namespace fs = std::filesystem;

constexpr std::string_view versionsFileName = "versions.json";
// A downloaded data file waits here until it has proved sound.
constexpr std::string_view downloadSuffix = ".download";
// Its plain text while it is checked.
constexpr std::string_view plainSuffix = ".plain";

struct DataFile {
    const char* key;          // member of versions.json
    std::string_view fileName;  // name on the site
    const fs::path& localPath;
    StringParameter& setting;
};

std::optional<std::int32_t> lf_versionField(const nlohmann::json& member, const char* name) {
    const auto it = member.find(name);
    if (it == member.end() || !it->is_number_integer()) return std::nullopt;
    const auto value = it->get<std::int64_t>();
    if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return static_cast<std::int32_t>(value);
}

// The version offered for the key; none when the member is missing or is not
// an object of three integers.
std::optional<VersionData> lf_offeredVersion(const nlohmann::json& doc, const char* key) {
    if (!doc.is_object()) return std::nullopt;
    const auto it = doc.find(key);
    if (it == doc.end() || !it->is_object()) return std::nullopt;
    const auto major = lf_versionField(*it, "major");
    const auto minor = lf_versionField(*it, "minor");
    const auto patch = lf_versionField(*it, "patch");
    if (!major || !minor || !patch) return std::nullopt;
    return VersionData(*major, *minor, *patch);
}

// A data file is sound when it decrypts whole with the program's key and its
// plain text is well-formed XML: a captive portal's page or a cut transfer is
// not. The plain text goes to a temporary file beside it (removed again), so
// memory use does not grow with the file.
bool lf_isSoundDataFile(const fs::path& path) {
    fs::path plain = path;
    plain += plainSuffix;
    bool sound = false;
    try {
        lf_decryptFile(gf_dataFileKey(), path, plain);
        pugi::xml_document doc;
        if (const auto result = gf_loadXml(doc, plain); !result) throw std::runtime_error(result.description());
        sound = true;
    } catch (const std::exception& e) {
        gf_logMarked("Downloaded file {} is not valid ({}), the installed one stays", gf_pathText(path), e.what());
    }
    gf_removeFile(plain);
    return sound;
}

// Downloads beside the local file and puts it in place once it proved sound.
bool lf_installDataFile(const DataFile& file) {
    fs::path downloaded = file.localPath;
    downloaded += downloadSuffix;
    std::error_code ec;
    if (file.localPath.has_parent_path()) fs::create_directories(file.localPath.parent_path(), ec);
    bool installed = gf_downloadFile(file.fileName, downloaded) && lf_isSoundDataFile(downloaded);
    if (installed) {
        fs::rename(downloaded, file.localPath, ec);
        if (ec) {
            gf_logMarked("could not replace {}: {}", gf_pathText(file.localPath), ec.message());
            installed = false;
        }
    }
    gf_removeFile(downloaded);
    return installed;
}

void lf_checkDataFile(const std::optional<VersionData>& offered, const DataFile& file) {
    if (!offered) {
        gf_logMarked("{} version not found", file.key);
        return;
    }
    const VersionData current(file.setting.value.get());
    std::error_code ec;
    if (*offered <= current && fs::exists(file.localPath, ec)) {
        gf_logLine("{} version up-to-date", file.key);
        return;
    }
    if (!lf_installDataFile(file)) return;
    const std::string text = gf_versionToString(*offered);
    file.setting.value = text;
    gf_saveStringParameter(file.setting);
    gf_logLine("{} updated to {}", file.key, text);
}

}  // namespace

std::optional<OfferedDataFiles> gf_readOfferedVersions(std::istream& in) {
    try {
        const nlohmann::json doc = gf_parseJson(in);
        return OfferedDataFiles{lf_offeredVersion(doc, "aig"), lf_offeredVersion(doc, "dbase")};
    } catch (const std::exception& e) {
        gf_logMarked("versions.json is not valid, the installed data files stay: {}", e.what());
    }
    return std::nullopt;
}

void gf_checkDataFileVersions() {
    try {
        const CurlHandle handle(curl_easy_init());
        const fs::path versionsPath(versionsFileName);
        if (!gf_curlDownloadSmall(handle.get(), gf_downloadSiteUrl() + std::string(versionsFileName),
                                  versionsPath, false)) {
            gf_logMarked("Downloading version info from my web site failed!");
            return;
        }
        std::ifstream in(versionsPath);
        if (!in) {
            gf_logMarked("Cannot open versions.json");
            return;
        }
        const auto offered = gf_readOfferedVersions(in);
        if (!offered) return;
        lf_checkDataFile(offered->aig, {"aig", "AIG-regcodes.enc", g_regcodesEncFile, AIG_VERSION});
        lf_checkDataFile(offered->dbase, {"dbase", "dbase.enc", g_dbaseEncFile, DBASE_VERSION});
    } catch (const std::exception& e) {
        gf_logMarked("{} exception: {}", "gf_checkDataFileVersions", e.what());
    }
}

}  // namespace zrb
