#include "foundation/bounded_json.h"

#include <sstream>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

namespace zrb {
namespace {

std::string lf_nested(int levels, const std::string& inner = "1") {
    return std::string(static_cast<std::size_t>(levels), '[') + inner + std::string(static_cast<std::size_t>(levels), ']');
}

TEST(BoundedJson, NestingUpToTheBoundParsesAndDeeperIsRefusedBeforeItExists) {
    EXPECT_EQ(gf_parseJson(lf_nested(g_maxJsonDepth)).dump(), lf_nested(g_maxJsonDepth));
    EXPECT_THROW(gf_parseJson(lf_nested(g_maxJsonDepth + 1)), std::runtime_error);
    EXPECT_TRUE(gf_parseJsonOrDiscard(lf_nested(g_maxJsonDepth + 1)).is_discarded());
    // Objects count as levels too, mixed with arrays.
    std::string objects;
    for (int i = 0; i < g_maxJsonDepth; ++i) objects += i % 2 == 0 ? "{\"a\":" : "[";
    objects += "0";
    for (int i = g_maxJsonDepth - 1; i >= 0; --i) objects += i % 2 == 0 ? "}" : "]";
    EXPECT_FALSE(gf_parseJsonOrDiscard(objects).is_discarded());
    EXPECT_TRUE(gf_parseJsonOrDiscard("[" + objects + "]").is_discarded());

    // Deep enough to overflow a thread's stack when copied or written out.
    const std::string deep = lf_nested(200000);
    EXPECT_THROW(gf_parseJson(deep), std::runtime_error);
    std::istringstream in(deep);
    EXPECT_THROW(gf_parseJson(in), std::runtime_error);
    EXPECT_TRUE(gf_parseJsonOrDiscard(deep).is_discarded());

    // Malformed text: the parser's own error, or a discarded value.
    EXPECT_THROW(gf_parseJson("{\"status\":"), nlohmann::json::parse_error);
    EXPECT_TRUE(gf_parseJsonOrDiscard("{\"status\":").is_discarded());
    EXPECT_EQ(gf_parseJsonOrDiscard(R"({"status":200,"data":{"a":[1,2]}})")["data"]["a"][1], 2);
}

}  // namespace
}  // namespace zrb
