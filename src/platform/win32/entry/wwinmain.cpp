// The Windows program's entry.
#include <windows.h>

namespace zrb {
int gf_programMain();
}

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
    return zrb::gf_programMain();
}
