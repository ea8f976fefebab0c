#include "foundation/folders.h"

#include <vector>

#include "foundation/strings.h"
#include "foundation/text_file.h"  // gf_pathText
#include "foundation/user_error.h"

namespace zrb {

namespace {

constexpr std::int32_t folderErrorCode = 5;           // UserErrorException: emptying a folder failed
constexpr std::size_t expectedAirportFiles = 512;     // room reserved for the list
constexpr std::size_t airportCodeLength = 4;          // characters of an ICAO code
constexpr std::string_view xmlExtension = ".XML";     // compared upper-cased

std::size_t lf_characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

}  // namespace

void gf_clearSubfolders(const std::filesystem::path& folder) {
    try {
        if (!std::filesystem::is_directory(folder)) return;
        // Collected first: removing entries while iterating the folder is unspecified.
        std::vector<std::filesystem::path> subfolders;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            if (entry.is_directory() && !entry.is_symlink()) subfolders.push_back(entry.path());
        for (const auto& subfolder : subfolders) std::filesystem::remove_all(subfolder);
    } catch (const std::filesystem::filesystem_error& e) {
        throw UserErrorException(folderErrorCode, e.what());
    }
}

std::size_t gf_countFolderEntries(const std::filesystem::path& folder) {
    if (!std::filesystem::exists(folder)) return 0;
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
    return count;
}

std::vector<std::string> gf_findXmlFiles(const std::filesystem::path& folder) {
    std::vector<std::string> codes;
    codes.reserve(expectedAirportFiles);
    if (!std::filesystem::exists(folder)) return codes;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        const std::filesystem::path& path = entry.path();
        if (!gf_equalsUppercased(xmlExtension, gf_pathText(path.extension()))) continue;
        std::string stem = gf_pathText(path.stem());
        if (lf_characterCount(stem) == airportCodeLength) codes.push_back(std::move(stem));
    }
    return codes;
}

}  // namespace zrb
