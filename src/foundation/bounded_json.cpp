#include "foundation/bounded_json.h"

#include <stdexcept>

namespace zrb {

namespace {

using Event = nlohmann::json::parse_event_t;

// The parser calls back at each value; the start of an object or array one
// level too deep ends the parse by an exception.
bool lf_boundDepth(int depth, Event event, nlohmann::json& /*parsed*/) {
    if ((event == Event::object_start || event == Event::array_start) && depth >= g_maxJsonDepth)
        throw std::runtime_error("JSON nested deeper than 32 levels");
    return true;
}

}  // namespace

nlohmann::json gf_parseJson(std::string_view text) { return nlohmann::json::parse(text, lf_boundDepth); }

nlohmann::json gf_parseJson(std::istream& in) { return nlohmann::json::parse(in, lf_boundDepth); }

nlohmann::json gf_parseJsonOrDiscard(std::string_view text) {
    try {
        return nlohmann::json::parse(text, lf_boundDepth, false);
    } catch (const std::runtime_error&) {
        return nlohmann::json(nlohmann::json::value_t::discarded);
    }
}

}  // namespace zrb
