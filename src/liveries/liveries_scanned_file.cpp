#include "liveries/liveries_scanned_file.h"

#include <string>

#include <pugixml.hpp>

#include "config/meta_info.h"
#include "foundation/log.h"
#include "foundation/text_file.h"
#include "foundation/user_error.h"
#include "foundation/xml_file.h"

namespace zrb {

namespace {

constexpr int errorFileNotLoaded = 51;
constexpr int errorNoLiveriesSection = 52;
constexpr int errorNoLiveries = 533;
constexpr int errorMissingAttribute = 999;

constexpr const char* liveriesElement = "liveries";
constexpr const char* liveryElement = "liv";
constexpr const char* airlineAttribute = "airl";
constexpr const char* typeAttribute = "type";
constexpr const char* cargoAttribute = "cargo";
constexpr const char* titleAttribute = "title";
constexpr const char* atcidAttribute = "atcid";

bool lf_appendLivery(pugi::xml_node parent, const LiveryData& livery) {
    pugi::xml_node liv = parent.append_child(liveryElement);
    if (!liv) return false;
    bool ok = liv.append_attribute(airlineAttribute).set_value(livery.airl.c_str()) &&
              liv.append_attribute(typeAttribute).set_value(livery.type.c_str());
    if (livery.cargo) ok = ok && liv.append_attribute(cargoAttribute).set_value("true");
    ok = ok && liv.append_attribute(titleAttribute).set_value(livery.title.c_str());
    if (!livery.atcid.empty()) ok = ok && liv.append_attribute(atcidAttribute).set_value(livery.atcid.c_str());
    return ok;
}

std::string lf_requiredAttribute(const pugi::xml_node& liv, const char* name) {
    const pugi::xml_attribute attribute = liv.attribute(name);
    if (!attribute)
        throw UserErrorException(errorMissingAttribute,
                                 fmt::format("Missing required attribute '{}' in <{}>", name, liv.name()));
    return attribute.value();
}

// Only a file this program wrote is taken: its header names author, date and
// version, each looked for only when the one before it was found.
bool lf_hasOwnHeader(const pugi::xml_document& doc) {
    return gf_readMetaInfo(doc, g_metaAuthor) && gf_readMetaInfo(doc, g_metaDate) &&
           gf_readMetaInfo(doc, g_metaVersion);
}

}  // namespace

bool lf_writeLiveriesScannedXml(const std::vector<LiveryData>& liveries, const std::filesystem::path& file) {
    if (liveries.empty()) return false;
    pugi::xml_document doc;
    if (!gf_writeMetaInfo(doc)) return false;
    pugi::xml_node list = doc.append_child(liveriesElement);
    if (!list) return false;
    for (const LiveryData& livery : liveries)
        if (!lf_appendLivery(list, livery)) return false;
    const bool saved = gf_saveXml(doc, file);
    gf_logLine("{} liveries in {}", liveries.size(), gf_pathText(file));
    return saved;
}

std::vector<LiveryData> lf_readLiveriesScannedXml(const std::filesystem::path& file) {
    const std::string path = gf_pathText(file);
    pugi::xml_document doc;
    if (!gf_loadXml(doc, file)) throw UserErrorException(errorFileNotLoaded, fmt::format("File {} not found", path));
    if (!lf_hasOwnHeader(doc))
        throw UserErrorException(errorFileNotLoaded,
                                 fmt::format("{}: refused to load (copyright), rescan liveries", path));
    const pugi::xml_node list = doc.child(liveriesElement);
    if (!list)
        throw UserErrorException(errorNoLiveriesSection,
                                 fmt::format("{} does not contain a <{}> section", path, liveriesElement));

    std::vector<LiveryData> liveries;
    for (const pugi::xml_node& liv : list.children(liveryElement)) {
        LiveryData livery;
        livery.airl = lf_requiredAttribute(liv, airlineAttribute);
        livery.type = lf_requiredAttribute(liv, typeAttribute);
        livery.title = lf_requiredAttribute(liv, titleAttribute);
        livery.atcid = liv.attribute(atcidAttribute).value();
        livery.cargo = liv.attribute(cargoAttribute).as_bool();  // "1", "t", "T", "y", "Y" first
        liveries.push_back(std::move(livery));
    }
    if (liveries.empty()) throw UserErrorException(errorNoLiveries, path + " does not contain liveries");
    gf_sortLiveries(liveries);
    gf_logLine("{} liveries read from {}", liveries.size(), path);
    return liveries;
}

}  // namespace zrb
