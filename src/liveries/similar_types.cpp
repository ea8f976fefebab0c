#include "liveries/similar_types.h"

#include <set>

#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/strings.h"
#include "liveries/dbase.h"

namespace zrb {

TextKeyMap<TypeList> g_similarInstalledTypes;
TextKeyMap<TextKeyMap<TypeList>> g_airlineSimilarTypes;

namespace {

// Both stay as they are between calls: the empty answer, and the one-type list
// of the last pick.
TypeList g_noSimilarTypes;
TypeList g_pickedTypes;

bool lf_typeInstalled(std::string_view type) {
    return g_typeTitles[g_paxTable].contains(type) || g_typeTitles[g_cargoTable].contains(type);
}

// "T,S1,S2,..." for every member T of every group that has at least one other
// installed member; identical texts once, in ascending byte order.
std::set<std::string> lf_similarTexts() {
    std::set<std::string> texts;
    for (const std::vector<std::string>& group : g_dbaseSimilarGroups) {
        for (std::size_t member = 0; member < group.size(); ++member) {
            std::string text = group[member];
            bool added = false;
            for (std::size_t other = 0; other < group.size(); ++other) {
                // A group that names a type twice must not make it its own stand-in.
                if (group[other] == group[member] || !lf_typeInstalled(group[other])) continue;
                text += ',';
                text += group[other];
                added = true;
            }
            if (added) texts.insert(std::move(text));
        }
    }
    return texts;
}

TextKeyMap<TypeList> lf_airlineSimilarTypes(std::string_view airline) {
    TextKeyMap<TypeList> types;
    for (const auto& [type, similar] : g_similarInstalledTypes) {
        if (gf_airlineHasModel(airline, type)) continue;
        TypeList owned;
        for (const std::string& candidate : similar)
            if (gf_airlineHasModel(airline, candidate)) owned.push_back(candidate);
        if (!owned.empty()) types.emplace(type, std::move(owned));
    }
    return types;
}

}  // namespace

void gf_clearSimilarModels() {
    g_similarInstalledTypes.clear();
    g_airlineSimilarTypes.clear();
}

void gf_buildSimilarModels() {
    gf_clearSimilarModels();
    g_noSimilarTypes.reserve(1);
    g_pickedTypes.reserve(1);
    for (const std::string& text : lf_similarTexts()) {
        std::vector<std::string> words = gf_split(text, ',');
        std::string type = std::move(words.front());
        words.erase(words.begin());
        g_similarInstalledTypes.try_emplace(std::move(type), std::move(words));
    }
    // Every airline key whole: a key cut to its first three characters would
    // give a longer code nothing and mix up codes that share a beginning.
    for (const auto& entry : g_liveryIndex) {
        TextKeyMap<TypeList> types = lf_airlineSimilarTypes(entry.first);
        if (!types.empty()) g_airlineSimilarTypes.emplace(entry.first, std::move(types));
    }
    gf_logLine("{} similar model definitions", g_similarInstalledTypes.size());
}

const TypeList& gf_similarTypes(std::string_view airline, std::string_view type) {
    const auto types = g_airlineSimilarTypes.find(airline);
    if (types == g_airlineSimilarTypes.end()) return g_noSimilarTypes;
    const auto similar = types->second.find(type);
    if (similar == types->second.end()) return g_noSimilarTypes;
    gf_shuffle(similar->second);
    return similar->second;
}

const TypeList& gf_pickedTypeList(const std::function<std::string()>& picker) {
    std::string type = picker();
    if (type.empty()) return g_noSimilarTypes;
    g_pickedTypes.assign(1, std::move(type));
    return g_pickedTypes;
}

}  // namespace zrb
