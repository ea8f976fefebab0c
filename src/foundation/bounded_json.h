#pragma once
// Parsing JSON from outside (the service's replies, versions.json) with a
// bound on its nesting. The parser itself is iterative, but copying, dumping
// and comparing a value recurse once per level: a reply nested 20,000 deep
// would overflow a reader thread's stack long after it was parsed. The
// program's own replies nest a few levels; anything deeper is refused while it
// is parsed, before a deep value exists.
//
// No shared state: safe from any thread.

#include <istream>
#include <string_view>

#include <nlohmann/json.hpp>

namespace zrb {

// Arrays and objects inside one another, counting the outermost as 1.
inline constexpr int g_maxJsonDepth = 32;

// Parses the text; throws nlohmann::json::parse_error for malformed text and
// std::runtime_error "JSON nested deeper than 32 levels" beyond the bound.
nlohmann::json gf_parseJson(std::string_view text);
nlohmann::json gf_parseJson(std::istream& in);

// The same without exceptions: a discarded value (is_discarded()) for
// malformed or too deeply nested text.
nlohmann::json gf_parseJsonOrDiscard(std::string_view text);

}  // namespace zrb
