#pragma once
// Readable GoogleTest output for livery records.

#include <ostream>

#include "liveries/livery_data.h"

namespace zrb {

inline void PrintTo(const LiveryData& l, std::ostream* os) {
    *os << "{" << l.airl << ", " << l.type << ", \"" << l.title << "\", " << l.atcid << ", " << l.folderIndex
        << (l.cargo ? ", cargo}" : "}");
}

}  // namespace zrb
