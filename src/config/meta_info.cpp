#include "config/meta_info.h"

#include <string>

#include "foundation/log.h"
#include "foundation/program_id.h"
#include "foundation/time.h"
#include "foundation/version_data.h"

namespace zrb {

StringParameter g_metaAuthor{"author", ""};
StringParameter g_metaDate{"date", ""};
StringParameter g_metaVersion{"version", ""};
StringParameter g_metaCopyright{"copyright", ""};
StringParameter g_metaMsfs{"MSFS", ""};
StringParameter g_metaP3d{"P3D", ""};

GuardedString g_metaSimulator{"MSFS"};

namespace {

constexpr std::string_view p3dSimulatorValue = "v5/v6";
constexpr std::string_view msfs2020Value = "2020";
constexpr std::string_view msfs2024Value = "2024";

bool lf_appendInfo(pugi::xml_node meta, const std::string& name, const std::string& value) {
    pugi::xml_node info = meta.append_child("info");
    if (!info) return false;
    pugi::xml_attribute nameAttr = info.append_attribute("name");
    if (!nameAttr || !nameAttr.set_value(name.c_str())) return false;
    pugi::xml_attribute valueAttr = info.append_attribute("value");
    return valueAttr && valueAttr.set_value(value.c_str());
}

}  // namespace

bool gf_writeMetaInfo(pugi::xml_node node) {
    pugi::xml_node meta = node.append_child("meta");
    if (!meta) return false;
    const std::string version =
        fmt::format("{}.{}.{}", g_programVersion.major, g_programVersion.minor, g_programVersion.patch);
    if (!lf_appendInfo(meta, g_metaAuthor.name, std::string(g_programId)) ||
        !lf_appendInfo(meta, g_metaDate.name, gf_dateText()) || !lf_appendInfo(meta, g_metaVersion.name, version) ||
        !lf_appendInfo(meta, g_metaCopyright.name, std::string(g_copyrightText)))
        return false;
    const std::string simulator = g_metaSimulator.get();
    if (simulator == g_metaP3d.name) return lf_appendInfo(meta, g_metaP3d.name, std::string(p3dSimulatorValue));
    const std::string_view year = simulator == g_metaMsfs.name ? msfs2020Value : msfs2024Value;
    return lf_appendInfo(meta, g_metaMsfs.name, std::string(year));
}

bool gf_readMetaInfo(const pugi::xml_node& doc, StringParameter& entry) {
    try {
        const pugi::xml_node info =
            doc.select_node(fmt::format("/meta/info[@name='{}']", entry.name).c_str()).node();
        if (!info) return false;
        entry.value = std::string(info.attribute("value").as_string());
        return true;
    } catch (const pugi::xpath_exception& e) {
        gf_logLine("{}", e.result().description());
        return false;
    }
}

}  // namespace zrb
