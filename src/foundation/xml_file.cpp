#include "foundation/xml_file.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <system_error>
#include <thread>

#include "foundation/file_replace_hook.h"
#include "foundation/log.h"
#include "platform/platform.h"
#include "foundation/text_file.h"  // gf_pathText

namespace zrb {

namespace fs = std::filesystem;

namespace {

// Numbers the temporary files, so that saves of different files (or a retry)
// never share one.
std::atomic<unsigned> g_tempFileCounter{0};

// Another program may hold the target open for a moment (a virus scanner, a
// backup, an editor) and the replace is refused meanwhile: it is tried again
// for half a second. Copying over the target instead would leave half a file
// when it fails too.
constexpr int replaceAttempts = 10;
constexpr auto replaceRetryDelay = std::chrono::milliseconds(50);

std::atomic<FileReplaceHook> g_replaceHook{nullptr};

void lf_replace(const fs::path& from, const fs::path& to, std::error_code& ec) {
    if (const FileReplaceHook hook = g_replaceHook.load(); hook != nullptr) {
        hook(from, to, ec);
        return;
    }
    platform::replaceFile(from, to, ec);
}

fs::path lf_tempPathFor(const fs::path& target) {
    fs::path temp = target;
    temp += fmt::format(".{}.tmp", g_tempFileCounter.fetch_add(1));
    return temp;
}

bool lf_writeStream(const pugi::xml_document& doc, const fs::path& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out.is_open()) return false;
    doc.save(out, "\t", pugi::format_default, pugi::encoding_utf8);
    out.close();
    return !out.fail();
}

}  // namespace

pugi::xml_parse_result gf_loadXml(pugi::xml_document& doc, const fs::path& path) {
    // A folder opens as a file on Linux and reports an absurd size, which pugixml
    // would then try to allocate: refuse it as unreadable.
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        doc.reset();
        pugi::xml_parse_result folder;
        folder.status = pugi::status_io_error;
        return folder;
    }
    // c_str() is wchar_t on Windows, char (UTF-8) elsewhere: pugixml has both overloads.
    return doc.load_file(path.c_str());
}

bool gf_writeXml(const pugi::xml_document& doc, const fs::path& path) {
    const fs::path temp = lf_tempPathFor(path);
    std::error_code ec;
    if (!lf_writeStream(doc, temp)) {
        fs::remove(temp, ec);
        return false;
    }
    for (int attempt = 0; attempt < replaceAttempts; ++attempt) {
        if (attempt > 0) std::this_thread::sleep_for(replaceRetryDelay);
        lf_replace(temp, path, ec);
        if (!ec) return true;
    }
    // The old file stays whole; the caller reports the failure.
    std::error_code ignored;
    fs::remove(temp, ignored);
    return false;
}

void gf_setFileReplaceHookForTest(FileReplaceHook hook) { g_replaceHook.store(hook); }

bool gf_saveXml(const pugi::xml_document& doc, const fs::path& path) {
    if (gf_writeXml(doc, path)) {
        gf_logLine("'{}' saved", gf_pathText(path));
        return true;
    }
    gf_logLine("could not save to '{}'", gf_pathText(path));
    return false;
}

std::string gf_getAttrString(const pugi::xml_node& element, const char* attributeName) {
    if (!element) return {};
    return element.attribute(attributeName).as_string();
}

bool gf_appendParameterNode(pugi::xml_node parent, std::string_view name, std::string_view value) {
    pugi::xml_node node = parent.append_child("parameter");
    if (!node) return false;
    pugi::xml_attribute nameAttr = node.append_attribute("name");
    pugi::xml_attribute valueAttr = node.append_attribute("value");
    if (!nameAttr || !valueAttr) {
        parent.remove_child(node);
        return false;
    }
    return nameAttr.set_value(std::string(name).c_str()) && valueAttr.set_value(std::string(value).c_str());
}

bool gf_setBoolAttribute(pugi::xml_node node, const char* attributeName, bool value) {
    if (node.type() != pugi::node_element && node.type() != pugi::node_declaration) return false;
    pugi::xml_attribute attr = node.attribute(attributeName);
    if (!attr) attr = node.append_attribute(attributeName);
    return attr && attr.set_value(value ? "true" : "false");
}

}  // namespace zrb
