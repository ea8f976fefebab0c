#include "config/parameter_store.h"

#include <algorithm>
#include <filesystem>
#include <mutex>
#include <optional>
#include <system_error>

#include "config/parameter_controls.h"
#include "config/paths.h"
#include "foundation/log.h"
#include "foundation/text_file.h"  // gf_pathText
#include "foundation/xml_file.h"
#include "foundation/stop_flags.h"
#include "platform/platform.h"

namespace zrb {

namespace fs = std::filesystem;

namespace {

// The settings-file lock: held for every load-change-save of parameters.xml,
// from any thread. Never held while a control is touched; the log's lock is
// the only lock taken under it.
std::mutex g_parametersFileMutex;

constexpr const char* rootElementName = "parameters";
constexpr const char* valueAttributeName = "value";
constexpr const char* brokenFileSuffix = ".bad";

// Banner of the logged settings: 70 stars wide, 80 for the closing one.
constexpr int bannerWidth = 70;
constexpr int closingBannerExtra = 10;

const char* lf_boolText(bool value) { return value ? "true" : "false"; }

bool lf_isFolderListParameter(const Parameter& parameter) {
    return parameter.name.find("lfolder") != std::string::npos || parameter.name.find("afolder") != std::string::npos;
}

void lf_logBool(const BoolParameter& p) { gf_logLineUnlessStopping(fmt::format("{}={}", p.name, lf_boolText(p.value))); }
void lf_logInt(const IntParameter& p) { gf_logLineUnlessStopping(fmt::format("{}={}", p.name, p.value.load())); }
void lf_logString(const StringParameter& p) {
    gf_logLineUnlessStopping(fmt::format("{}=\"{}\"", p.name, p.value.get()));
}

// The first entry of that name under the root element; null when none.
pugi::xml_node lf_findEntry(const pugi::xml_node& doc, const std::string& name) {
    try {
        return doc.select_node(fmt::format("/parameters/parameter[@name='{}']", name).c_str()).node();
    } catch (const pugi::xpath_exception& e) {
        gf_logLine("{}", e.what());
        return {};
    }
}

bool lf_setValueAttribute(pugi::xml_node node, const std::string& text) {
    pugi::xml_attribute attr = node.attribute(valueAttributeName);
    if (!attr) attr = node.append_attribute(valueAttributeName);
    return attr && attr.set_value(text.c_str());
}

std::int32_t lf_clamp(std::int32_t value, const IntParameter& p) { return std::clamp(value, p.min, p.max); }

// What loading parameters.xml found.
enum class Loaded {
    file,        // the document holds the file
    none,        // no file, or an empty one: a new file may be written
    keptAside,   // a malformed file, copied beside it: it may be replaced
    unreadable,  // a file that could not be read, or not be kept aside: never written over
};

// Loads parameters.xml; the caller holds the settings-file lock. A file that
// exists but cannot be read as XML would be replaced, so a copy of it is kept
// beside it first for the user to recover from; when it cannot be read at all
// (permissions, a failing disk) or the copy fails, it is left alone.
Loaded lf_loadLocked(pugi::xml_document& doc, const fs::path& path) {
    const pugi::xml_parse_result result = gf_loadXml(doc, path);
    if (result) return Loaded::file;
    doc.reset();
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) return Loaded::none;
    if (!ec && fs::is_regular_file(status) && fs::file_size(path, ec) == 0 && !ec) {
        gf_logMarked("'{}' is empty", gf_pathText(path));
        return Loaded::none;
    }
    const bool readFailed = ec || result.status == pugi::status_file_not_found ||
                            result.status == pugi::status_io_error || result.status == pugi::status_out_of_memory;
    if (readFailed) {
        gf_logMarked("'{}' cannot be read ({}); it is left as it is and no setting is saved into it",
                     gf_pathText(path), result.description());
        return Loaded::unreadable;
    }
    fs::path kept = path;
    kept += brokenFileSuffix;
    platform::copyFileReplacing(path, kept, ec);
    if (ec) {
        gf_logMarked("'{}' cannot be read ({}, at byte {}) nor kept as '{}' ({}); it is left as it is and no setting "
                     "is saved into it",
                     gf_pathText(path), result.description(), result.offset, gf_pathText(kept), ec.message());
        return Loaded::unreadable;
    }
    gf_logMarked("'{}' cannot be read ({}, at byte {}), kept as '{}'", gf_pathText(path), result.description(),
                 result.offset, gf_pathText(kept));
    return Loaded::keptAside;
}

// The data folder is normally made by the program's start; a first save
// after it was deleted must still work.
void lf_ensureFolder(const fs::path& path) {
    if (!path.has_parent_path()) return;
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
}

bool lf_writeLocked(const pugi::xml_document& doc, const fs::path& path) {
    lf_ensureFolder(path);
    return gf_writeXml(doc, path);
}

bool lf_saveLocked(const pugi::xml_document& doc, const fs::path& path) {
    lf_ensureFolder(path);
    return gf_saveXml(doc, path);
}

void lf_logSaveFailed(const fs::path& path) {
    // Logged even while stopping: a lost setting should always leave a trace.
    gf_logLine("Saving '{}' failed", gf_pathText(path));
}

// ---------------------------------------------------------------- readers
bool lf_readBoolParameter(BoolParameter& p, const pugi::xml_node& doc) {
    const pugi::xml_node node = lf_findEntry(doc, p.name);
    p.value = node ? node.attribute(valueAttributeName).as_bool() : p.defaultValue;
    lf_logBool(p);
    return static_cast<bool>(node);
}

bool lf_readStringRaw(StringParameter& p, const pugi::xml_node& doc) {
    const pugi::xml_node node = lf_findEntry(doc, p.name);
    p.value = node ? std::string(node.attribute(valueAttributeName).as_string()) : p.defaultValue;
    return static_cast<bool>(node);
}

bool lf_readStringParameter(StringParameter& p, const pugi::xml_node& doc) {
    const bool found = lf_readStringRaw(p, doc);
    lf_logString(p);
    return found;
}

bool lf_readFolderParameter(StringParameter& p, const pugi::xml_node& doc) {
    const bool found = lf_readStringRaw(p, doc);
    if (!p.value.empty()) lf_logString(p);
    return found;
}

void lf_appendOrWarn(pugi::xml_node root, const std::string& name, const std::string& valueText) {
    if (!gf_appendParameterNode(root, name, valueText))
        gf_logMarked("Adding Init XML parameter '{}' with value '{}' failed!", name, valueText);
}

// Appending needs the root element: without it the setting keeps its default
// in memory only.
void lf_readOrAppendBoolParameter(BoolParameter& p, const pugi::xml_node& doc, pugi::xml_node root) {
    if (!lf_readBoolParameter(p, doc) && root) lf_appendOrWarn(root, p.name, lf_boolText(p.value));
}

void lf_readOrAppendIntParameter(IntParameter& p, const pugi::xml_node& doc, pugi::xml_node root) {
    if (!gf_readIntParameter(p, doc, true) && root) lf_appendOrWarn(root, p.name, std::to_string(p.value.load()));
}

void lf_readOrAppendStringParameter(StringParameter& p, const pugi::xml_node& doc, pugi::xml_node root) {
    if (!lf_readStringParameter(p, doc) && root) lf_appendOrWarn(root, p.name, p.value.get());
}

// Drops an entry from the loaded document, as gf_removeParameter does in the file.
void lf_removeFromDocument(const pugi::xml_node& doc, pugi::xml_node root, const Parameter& p) {
    const pugi::xml_node node = lf_findEntry(doc, p.name);
    if (!root || !node || node.parent() != root) return;
    root.remove_child(node);
    gf_logLineUnlessStopping(fmt::format("Parameter '{}' removed", p.name));
}

// ---------------------------------------------------------------- a new file
void lf_initBoolParameter(BoolParameter& p, pugi::xml_node root) {
    lf_appendOrWarn(root, p.name, lf_boolText(p.defaultValue));
    p.value = p.defaultValue;
    lf_logBool(p);
}

void lf_initIntParameter(IntParameter& p, pugi::xml_node root) {
    lf_appendOrWarn(root, p.name, std::to_string(p.defaultValue));
    p.value = p.defaultValue;
    lf_logInt(p);
}

void lf_initStringParameter(StringParameter& p, pugi::xml_node root) {
    lf_appendOrWarn(root, p.name, p.defaultValue);
    p.value = p.defaultValue;
    lf_logString(p);
}

void lf_createWithDefaults(pugi::xml_document& doc, std::span<BoolCheckParameter* const> checkBoxes,
                           std::span<IntParameter* const> fileInts, std::span<IntParameter* const> shownInts,
                           std::span<StringParameter* const> fileStrings,
                           std::span<StringEditParameter* const> shownStrings) {
    doc.reset();
    pugi::xml_node root = doc.append_child(rootElementName);
    for (BoolCheckParameter* p : checkBoxes) lf_initBoolParameter(*p, root);
    for (IntParameter* p : fileInts) lf_initIntParameter(*p, root);
    for (IntParameter* p : shownInts) lf_initIntParameter(*p, root);
    for (StringParameter* p : fileStrings) {
        if (lf_isFolderListParameter(*p))
            p->value = p->defaultValue;  // kept in the file only once it holds a folder
        else
            lf_initStringParameter(*p, root);
    }
    for (StringEditParameter* p : shownStrings) lf_initStringParameter(*p, root);
}

void lf_readAndComplete(pugi::xml_document& doc, std::span<BoolCheckParameter* const> checkBoxes,
                        std::span<IntParameter* const> fileInts, std::span<IntParameter* const> shownInts,
                        std::span<StringParameter* const> fileStrings,
                        std::span<StringEditParameter* const> shownStrings) {
    const pugi::xml_node root = doc.child(rootElementName);
    for (BoolCheckParameter* p : checkBoxes) lf_readOrAppendBoolParameter(*p, doc, root);
    for (IntParameter* p : fileInts) lf_readOrAppendIntParameter(*p, doc, root);
    for (IntParameter* p : shownInts) lf_readOrAppendIntParameter(*p, doc, root);
    for (StringParameter* p : fileStrings) {
        if (lf_isFolderListParameter(*p)) {
            lf_readFolderParameter(*p, doc);
            if (p->value.empty()) lf_removeFromDocument(doc, root, *p);
        } else {
            lf_readOrAppendStringParameter(*p, doc, root);
        }
    }
    for (StringEditParameter* p : shownStrings) lf_readOrAppendStringParameter(*p, doc, root);
}

// Loads (or starts) the file, sets the one entry and writes the file back.
bool lf_saveSingleValue(const Parameter& p, const std::string& valueText, const std::optional<std::string>& logLine) {
    const fs::path path = gf_parametersPath();
    std::lock_guard lock(g_parametersFileMutex);
    pugi::xml_document doc;
    if (lf_loadLocked(doc, path) == Loaded::unreadable) {
        lf_logSaveFailed(path);
        return false;
    }
    pugi::xml_node root = doc.child(rootElementName);
    if (!root) root = doc.append_child(rootElementName);
    const pugi::xml_node node = lf_findEntry(doc, p.name);
    if (node)
        lf_setValueAttribute(node, valueText);
    else
        gf_appendParameterNode(root, p.name, valueText);
    if (logLine) gf_logLineUnlessStopping(*logLine);
    if (lf_writeLocked(doc, path)) return true;
    lf_logSaveFailed(path);
    return false;
}

}  // namespace

void gf_logLineUnlessStopping(const std::string& line) {
    if (!gf_stopUnderWay()) gf_logLine(line);
}

bool gf_readIntParameter(IntParameter& parameter, const pugi::xml_node& doc, bool log) {
    const pugi::xml_node node = lf_findEntry(doc, parameter.name);
    // A text that is no number reads 0; a number beyond 32 bits saturates.
    parameter.value = node ? lf_clamp(node.attribute(valueAttributeName).as_int(), parameter) : parameter.defaultValue;
    if (log) lf_logInt(parameter);
    return static_cast<bool>(node);
}

bool gf_readParameters(std::span<BoolCheckParameter* const> checkBoxes, std::span<IntParameter* const> fileInts,
                       std::span<IntParameter* const> shownInts, std::span<StringParameter* const> fileStrings,
                       std::span<StringEditParameter* const> shownStrings) {
    gf_logLine(gf_banner(bannerWidth, 0, true, false, "parameters"));
    const fs::path path = gf_parametersPath();
    bool usable = true;
    {
        std::lock_guard lock(g_parametersFileMutex);
        pugi::xml_document doc;
        const Loaded loaded = lf_loadLocked(doc, path);
        usable = loaded != Loaded::unreadable;
        if (loaded == Loaded::file) {
            gf_logLine("from '{}'", gf_pathText(path));
            lf_readAndComplete(doc, checkBoxes, fileInts, shownInts, fileStrings, shownStrings);
        } else {
            if (usable)
                gf_logLine("{} not found, default values taken:", gf_pathText(path));
            else
                gf_logLine("{} cannot be read, default values taken:", gf_pathText(path));
            lf_createWithDefaults(doc, checkBoxes, fileInts, shownInts, fileStrings, shownStrings);
        }
        if (usable) lf_saveLocked(doc, path);
    }
    gf_logLine(gf_banner(bannerWidth, closingBannerExtra, false, true));

    // The controls live on the GUI thread, which may itself be waiting for the
    // settings-file lock to save a change: show the values only after it is free.
    for (BoolCheckParameter* p : checkBoxes) gf_setCheckBox(*p);
    for (IntParameter* p : shownInts) gf_showIntParameter(*p);
    for (StringEditParameter* p : shownStrings) gf_showTextParameter(*p);
    return usable;
}

bool gf_loadParametersDocument(pugi::xml_document& doc) {
    const fs::path path = gf_parametersPath();
    std::lock_guard lock(g_parametersFileMutex);
    return lf_loadLocked(doc, path) == Loaded::file;
}

bool gf_saveBoolParameter(BoolParameter& parameter) {
    const bool value = parameter.value;
    return lf_saveSingleValue(parameter, lf_boolText(value), fmt::format("{}={}", parameter.name, lf_boolText(value)));
}

bool gf_saveStringParameter(StringParameter& parameter) {
    const std::string value = parameter.value.get();
    return lf_saveSingleValue(parameter, value, fmt::format("{}=\"{}\"", parameter.name, value));
}

bool gf_saveIntParameter(IntParameter& parameter) {
    return lf_saveSingleValue(parameter, std::to_string(parameter.value.load()), std::nullopt);
}

bool gf_setStringParameter(StringParameter& parameter, std::string text) {
    parameter.value = std::move(text);
    return gf_saveStringParameter(parameter);
}

bool gf_removeParameter(Parameter& parameter) {
    const fs::path path = gf_parametersPath();
    std::lock_guard lock(g_parametersFileMutex);
    pugi::xml_document doc;
    if (lf_loadLocked(doc, path) != Loaded::file) return false;
    pugi::xml_node root = doc.child(rootElementName);
    const pugi::xml_node node = lf_findEntry(doc, parameter.name);
    if (!root || !node || node.parent() != root) return false;
    root.remove_child(node);
    gf_logLineUnlessStopping(fmt::format("Parameter '{}' removed", parameter.name));
    if (lf_writeLocked(doc, path)) return true;
    lf_logSaveFailed(path);
    return false;
}

}  // namespace zrb
