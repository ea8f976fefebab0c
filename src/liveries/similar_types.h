#pragma once
// Similar aircraft types with installed liveries, from the database's groups of
// types that can stand in for each other: the matcher's way to a livery when
// none exists for an aircraft's exact type.
//
// Threads: built by the worker thread during the livery processing of a
// start-up, after the livery tables; afterwards read and reordered only by the
// matcher on the worker thread. The lists handed out are shared and reordered
// in place by later calls, so they are used on that thread only.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "liveries/livery_tables.h"

namespace zrb {

using TypeList = std::vector<std::string>;

// type -> the other members of its group that have any installed livery, in
// ascending order. A type in several groups keeps the list whose text (the
// type, then its list, joined by ",") sorts first.
extern TextKeyMap<TypeList> g_similarInstalledTypes;
// airline -> type the airline has no livery of -> the similar types it has.
extern TextKeyMap<TextKeyMap<TypeList>> g_airlineSimilarTypes;

// Fills both maps from the database groups and the livery tables and logs
// "{} similar model definitions". Empties them first.
void gf_buildSimilarModels();
// Empties both maps (before the livery tables are rebuilt).
void gf_clearSimilarModels();

// The similar types the airline has liveries of, for a type it has none of, put
// into a new random order; the empty list when there are none. The same list
// object for the same key on every call.
const TypeList& gf_similarTypes(std::string_view airline, std::string_view type);

// A one-type list of the type the picker returns; the empty list when it
// returns the empty text (the previous pick is then kept, unseen).
const TypeList& gf_pickedTypeList(const std::function<std::string()>& picker);

}  // namespace zrb
