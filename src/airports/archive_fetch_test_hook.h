#pragma once
// Tests only: a step of the airport-file fetcher just before it serves a
// request, so that a test can have serving one fail as running out of memory
// would (the hook throws). Never set by the program.

#include <string>

namespace zrb {

// Called on the fetcher's thread with the request's URL; nullptr: none.
using ArchiveServeHook = void (*)(const std::string& url);
void gf_setArchiveServeHookForTest(ArchiveServeHook hook);

}  // namespace zrb
