#pragma once
// Loading and saving the program's XML files (pugixml documents) and the small
// node helpers that the settings store and the file writers share.
//
// Paths are std::filesystem::path, so names outside the ANSI code page work on
// Windows too. Every function may be called from any thread; two threads must
// not save the same file at the same time (the callers' own locks see to that).

#include <filesystem>
#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace zrb {

// Loads the file into the document with pugixml's default parsing. The result
// tells a missing or unreadable file (status_file_not_found, status_io_error,
// also for a folder by that name) from a malformed one; description() and
// offset say what and where.
pugi::xml_parse_result gf_loadXml(pugi::xml_document& doc, const std::filesystem::path& path);

// Writes the document with pugixml's default output (XML declaration, one
// element per line, tab indentation, UTF-8) into a temporary file beside the
// target, then replaces the target with it in one step (tried again for half a
// second while another program holds the target), so that a crash or a full
// disk never leaves a half-written file: the target holds either the old or
// the new content. Returns false, and leaves the target untouched, when any
// step fails. Logs nothing.
bool gf_writeXml(const pugi::xml_document& doc, const std::filesystem::path& path);

// gf_writeXml, then logs "'{}' saved" or "could not save to '{}'" with the path.
bool gf_saveXml(const pugi::xml_document& doc, const std::filesystem::path& path);

// The attribute's text; empty when the element is null or has no such attribute.
std::string gf_getAttrString(const pugi::xml_node& element, const char* attributeName);

// Appends <parameter name="..." value="..."/> to the parent; false when the
// element or an attribute could not be created (for example a null parent).
bool gf_appendParameterNode(pugi::xml_node parent, std::string_view name, std::string_view value);

// Sets the attribute to "true" or "false", appending it when missing; false when
// the node takes no attributes.
bool gf_setBoolAttribute(pugi::xml_node node, const char* attributeName, bool value);

}  // namespace zrb
