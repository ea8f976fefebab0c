#include "foundation/user_error.h"

#include <fmt/format.h>

namespace zrb {

namespace {
constexpr std::int32_t textOnlyCode = 99;

std::string lf_userErrorText(std::int32_t code, const std::string& text) {
    return code == textOnlyCode ? text : fmt::format("{}: {}", code, text);
}
}  // namespace

UserErrorException::UserErrorException(std::int32_t code, const std::string& text)
    : std::runtime_error(lf_userErrorText(code, text)) {}

}  // namespace zrb
