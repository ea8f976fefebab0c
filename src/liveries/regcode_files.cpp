#include "liveries/regcode_files.h"

#include <exception>
#include <system_error>

#include "config/paths.h"
#include "foundation/ansi_text.h"
#include "foundation/folders.h"
#include "foundation/log.h"
#include "foundation/strings.h"
#include "foundation/text_file.h"
#include "foundation/xml_file.h"
#include "liveries/encrypted_file.h"
#include "liveries/livery_tables.h"

namespace zrb {

std::vector<std::string> g_dontUseTitles;

namespace {

namespace fs = std::filesystem;

constexpr std::string_view specialMark = "#";
constexpr std::size_t maxRegcodeFields = 3;

bool lf_validLength(std::string_view registration) {
    return registration.size() >= g_minRegcodeLength && registration.size() <= g_maxRegcodeLength;
}

// The registrations of a "reg" attribute: the comma pieces, trimmed, without
// empty ones (an empty registration would only clutter the table).
std::vector<std::string> lf_splitRegistrations(std::string_view text) {
    std::vector<std::string> registrations = gf_splitComma(text);
    std::erase_if(registrations, [](const std::string& r) { return r.empty(); });
    return registrations;
}

// One line of a text file; false when it counts as an error.
bool lf_parseRegcodeLine(const std::string& line, std::string_view fileText, RegcodeEntries& out) {
    std::vector<std::string> fields = gf_split(line, ';');
    if (fields.empty()) return true;
    if (fields.size() > maxRegcodeFields) {
        gf_logMarked("{}: wrong format '{}'", fileText, line);
        return false;
    }
    if (fields.size() == 1) {
        if (!fields[0].empty()) out.push_back({std::move(fields[0]), {}, false});
        return true;
    }
    std::vector<std::string> registrations = gf_splitComma(fields[1]);
    if (registrations.empty()) return true;
    bool ok = true;
    if (registrations.size() == 1) {
        if (!lf_validLength(registrations[0])) {
            gf_logMarked("wrong regcode length '{}' in {}", registrations[0], fileText);
            return false;
        }
        out.push_back({std::move(fields[0]), std::move(registrations), true});
        return true;
    }
    std::vector<std::string> kept;
    kept.reserve(registrations.size());
    for (std::string& registration : registrations) {
        if (lf_validLength(registration)) {
            kept.push_back(std::move(registration));
        } else {
            gf_logMarked("wrong regcode length '{}' in {}", registration, fileText);
            ok = false;
        }
    }
    if (kept.empty()) {
        gf_logMarked("{} ; regs empty?", fileText);
        return ok;
    }
    const bool special = fields.size() == maxRegcodeFields && fields[2] == specialMark;
    out.push_back({std::move(fields[0]), std::move(kept), special});
    return ok;
}

bool lf_isRegcodeTextFile(const fs::directory_entry& entry) {
    return entry.is_regular_file() && gf_equalsUppercased(".TXT", gf_pathText(entry.path().extension()));
}

// Reads one file; false when it counts as an error.
bool lf_readRegcodeTextFile(const fs::path& path, RegcodeEntries& out) {
    const std::string fileText = gf_pathText(path);
    gf_logLine("Processing regcodes file '{}'", fileText);
    std::error_code error;
    const std::uintmax_t bytes = fs::file_size(path, error);
    if (error || bytes > g_maxRegcodeFileBytes) {
        gf_logMarked("{}: not read, {}", fileText,
                     error ? error.message() : fmt::format("larger than {} bytes", g_maxRegcodeFileBytes));
        return false;
    }
    TextFile file{path, {}};
    // Titles in the legacy code page become UTF-8: the liveries they name are
    // looked up by the UTF-8 form of their titles, whatever the code page of
    // either file.
    for (std::string& line : gf_readTextFile(file)) line = gf_legacyTextToUtf8(line);
    return gf_parseRegcodeLines(file.lines, fileText, out);
}

}  // namespace

std::string_view gf_liveryWord(std::size_t count) { return count == 1 ? "livery" : "liveries"; }

bool gf_parseRegcodeLines(const std::vector<std::string>& lines, std::string_view fileText, RegcodeEntries& out) {
    bool ok = true;
    for (const std::string& line : lines) {
        if (gf_trim(line).empty()) continue;
        if (!lf_parseRegcodeLine(line, fileText, out)) ok = false;
    }
    return ok;
}

bool gf_readRegcodeTxtFiles(const fs::path& folder, RegcodeEntries& out) {
    bool ok = true;
    try {
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (!lf_isRegcodeTextFile(entry)) continue;
            if (!lf_readRegcodeTextFile(entry.path(), out)) ok = false;
        }
    } catch (const fs::filesystem_error& e) {
        gf_logMarked("Error reading regcode files in {}, what: {}", gf_pathText(folder), e.what());
        ok = false;
    }
    gf_logLine("{} {}", out.size(), gf_liveryWord(out.size()));
    return ok;
}

bool gf_readAigRegcodesDocument(const pugi::xml_document& doc, RegcodeEntries& out) {
    bool ok = true;
    std::string previousTitle;
    bool first = true;
    for (const pugi::xml_node livery : doc.child("AIG-regcodes").children("livery")) {
        std::string title = gf_getAttrString(livery, "title");
        if (!first && title == previousTitle) {
            gf_logMarked("SAME AS PREVIOUS title '{}'", gf_legacyTextToUtf8(title));
            ok = false;
            continue;
        }
        first = false;
        previousTitle = title;
        out.push_back({std::move(title), lf_splitRegistrations(gf_getAttrString(livery, "reg")),
                       livery.attribute("special").as_bool()});
    }
    return ok;
}

bool gf_readAigRegcodesXml(const fs::path& path, RegcodeEntries& out) {
    pugi::xml_document doc;
    if (!gf_loadXml(doc, path)) {
        gf_logMarked("Failed to load {}", gf_pathText(path));
        return false;
    }
    const bool ok = gf_readAigRegcodesDocument(doc, out);
    gf_logLine("{} {} read from {}", out.size(), gf_liveryWord(out.size()), gf_pathText(path));
    return ok;
}

bool gf_readAigRegcodesXml(RegcodeEntries& out) { return gf_readAigRegcodesXml(g_regcodesXmlFile, out); }

namespace {

std::size_t lf_appendDontUseTitles(const RegcodeEntries& entries) {
    std::size_t added = 0;
    for (const RegcodeEntry& entry : entries) {
        if (!entry.registrations.empty() || entry.title.empty()) continue;
        g_dontUseTitles.push_back(entry.title);
        ++added;
    }
    return added;
}

void lf_readDontUseTitleFile() {
    if (!gf_streamDecrypt(g_regcodesEncFile, g_regcodesXmlFile)) return;
    RegcodeEntries entries;
    try {
        gf_readAigRegcodesXml(entries);
    } catch (...) {
        gf_removeFile(g_regcodesXmlFile);
        throw;
    }
    gf_removeFile(g_regcodesXmlFile);
    const std::size_t added = lf_appendDontUseTitles(entries);
    gf_logLine("{} don't use title{} read", added, gf_pluralSuffix(added));
}

void lf_readDontUseTitleFolder() {
    RegcodeEntries entries;
    gf_readRegcodeTxtFiles(g_myRegcodesFolder, entries);
    const std::size_t added = lf_appendDontUseTitles(entries);
    gf_logLine("{} don't use title{} read from files in {}", added, gf_pluralSuffix(added),
               gf_pathText(g_myRegcodesFolder));
}

}  // namespace

void lf_readDontUseTitles() {
    try {
        lf_readDontUseTitleFile();
    } catch (const std::exception& e) {
        gf_logMarked("exception: {}", e.what());
    }
    // The user's own titles count whatever became of the shipped file.
    try {
        if (gf_countFolderEntries(g_myRegcodesFolder) > 0) lf_readDontUseTitleFolder();
    } catch (const std::exception& e) {
        gf_logMarked("exception: {}", e.what());
    }
}

}  // namespace zrb
