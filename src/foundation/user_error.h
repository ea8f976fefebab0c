#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace zrb {

// A failure the user must put right (wrong folder, missing setting, wrong
// simulator). The code lives only in the message: "{code}: {text}", or the text
// alone for code 99. Catchers show or log what() unchanged.
class UserErrorException : public std::runtime_error {
public:
    UserErrorException(std::int32_t code, const std::string& text);
};

}  // namespace zrb
