# Cross build of the Windows program on Linux: MinGW-w64 for x86_64 with the
# posix thread model (std::thread and std::mutex need it), everything linked
# statically so that tolvaren.exe and the test programs import system DLLs only.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-mingw64.cmake
#
# The libraries Debian does not ship for MinGW (curl, libsodium, pugixml) and the
# header-only ones come from scripts/build-win-deps, which fills
# TOLVAREN_WIN_DEPS (default: the build tree's deps/ folder). The test programs
# run under Wine through scripts/wine-run, so the same ctest runs them.

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TOLVAREN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOLVAREN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOLVAREN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TOLVAREN_MINGW_TRIPLE}-windres)

set(TOLVAREN_WIN_DEPS "${CMAKE_BINARY_DIR}/deps" CACHE PATH
    "Folder of the cross-built Windows dependencies (scripts/build-win-deps)")
set(TOLVAREN_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH
    "Wine prefix in which the Windows test programs run")
# try_compile projects read this file again with a cache of their own.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TOLVAREN_WIN_DEPS TOLVAREN_WINEPREFIX)

# Look for headers, libraries and CMake packages only inside the MinGW sysroot and
# the dependency folders: the Linux system's /usr/include holds glibc headers that
# must never mix into a Windows build. Programs (pkg-config, windres) are the host's.
set(CMAKE_FIND_ROOT_PATH
    /usr/${TOLVAREN_MINGW_TRIPLE}
    ${TOLVAREN_WIN_DEPS}/prefix
    ${TOLVAREN_WIN_DEPS}/headers)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# pkg-config, where a dependency's build asks it, sees the cross-built packages only.
set(ENV{PKG_CONFIG_LIBDIR} "${TOLVAREN_WIN_DEPS}/prefix/lib/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")

# The exe users run is a Release build; its debug information is made (-g) only
# to be split off into tolvaren.exe.debug beside it (TolvarenWindows.cmake).
set(CMAKE_CXX_FLAGS_RELEASE_INIT "-O3 -DNDEBUG -g")
set(CMAKE_C_FLAGS_RELEASE_INIT "-O3 -DNDEBUG -g")

# No libstdc++-6.dll, libgcc_s_seh-1.dll or libwinpthread-1.dll beside the exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# ctest (and gtest_discover_tests) start every Windows program through Wine.
get_filename_component(_tlv_wine_run "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" REALPATH)
set(CMAKE_CROSSCOMPILING_EMULATOR "${_tlv_wine_run};${TOLVAREN_WINEPREFIX}")
unset(_tlv_wine_run)
