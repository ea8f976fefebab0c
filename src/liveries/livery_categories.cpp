#include "liveries/livery_categories.h"

#include <set>

#include "config/parameter_store.h"
#include "config/parameters.h"
#include "foundation/log.h"
#include "liveries/dbase.h"
#include "liveries/livery_tables.h"
#include "traffic/category_name.h"

namespace zrb {

namespace {

constexpr std::size_t typesPerLine = 20;
constexpr std::string_view typeLineIndent = "  ";

// The category's setting and the words of its message; none for the
// categories that cannot be switched off.
struct CategorySetting {
    BoolCheckParameter* setting;
    std::string_view installedWords;
};

CategorySetting lf_categorySetting(int category) {
    switch (category) {
        case g_categoryLight:
            return {&LIGHT_AIRCRAFT, "light aircraft"};
        case g_categoryHighPerf:
            return {&HIGH_PERF_AIRCRAFT, "High Perf aircraft"};
        case g_categoryRotorcraft:
            return {&HELICOPTERS, "Helicopters"};
        default:
            return {nullptr, {}};
    }
}

void lf_enableBox(const BoolCheckParameter& box, bool enable) {
    const platform::ControlHandle handle = box.handle_;
    if (handle != platform::noControl) platform::enableControl(handle, enable);
}

void lf_switchOffCategory(const CategorySetting& category) {
    if (category.setting == nullptr) return;
    if (category.setting->value) {
        category.setting->value = false;
        gf_saveBoolParameter(*category.setting);
        gf_logLine("{} temporarily switched off because you do not have {} installed", category.setting->name,
                   category.installedWords);
    }
    lf_enableBox(*category.setting, false);
}

}  // namespace

void lf_reportCategory(int category) {
    std::array<std::size_t, 2> counts{};
    std::set<std::string, std::less<>> types;
    for (std::size_t table : {g_paxTable, g_cargoTable}) {
        for (const auto& [type, titles] : g_typeTitles[table]) {
            if (gf_typeCategory(type) != category) continue;
            types.insert(type);
            counts[table] += titles.size();
        }
    }
    const std::size_t pax = counts[g_paxTable];
    const std::size_t cargo = counts[g_cargoTable];
    const std::string_view name = gf_categoryName(static_cast<std::uint32_t>(category));
    const CategorySetting setting = lf_categorySetting(category);
    if (pax == 0 && cargo == 0) {
        gf_logLine("Category {}: No livery found", name);
        lf_switchOffCategory(setting);
        return;
    }
    const std::string cargoPart =
        cargo == 0 ? std::string() : fmt::format(" and {} cargo liverie{}", cargo, gf_pluralSuffix(cargo));
    gf_logLine("Category {}: {} pax liverie{}{}", name, pax, gf_pluralSuffix(pax), cargoPart);
    lf_addCategoryTypes(category == g_categoryLight, category == g_categoryBuzjets, category == g_categoryRotorcraft,
                        std::vector<std::string>(types.begin(), types.end()));
    if (setting.setting != nullptr) lf_enableBox(*setting.setting, true);
}

void lf_addCategoryTypes(bool light, bool buzjet, bool rotorcraft, const std::vector<std::string>& types) {
    std::vector<std::string>* list = light ? &g_lightTypes : buzjet ? &g_buzjetTypes : rotorcraft ? &g_rotorcraftTypes
                                                                                                   : nullptr;
    std::string line(typeLineIndent);
    std::size_t onLine = 0;
    for (const std::string& type : types) {
        if (list != nullptr) list->push_back(type);
        if (onLine > 0) line += ',';
        line += type;
        if (++onLine == typesPerLine) {
            gf_logLine(line);
            line = typeLineIndent;
            onLine = 0;
        }
    }
    if (onLine > 0) gf_logLine(line);
}

}  // namespace zrb
