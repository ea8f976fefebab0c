# Dependencies of the Windows cross build (cmake/toolchain-mingw64.cmake): the
# static libraries and header folders that scripts/build-win-deps makes from
# Debian's sources, under the same target names the Linux build uses.

if(NOT EXISTS "${TOLVAREN_WIN_DEPS}/stamps")
    message(FATAL_ERROR "No Windows dependencies in ${TOLVAREN_WIN_DEPS}: "
        "run scripts/build-win-deps ${TOLVAREN_WIN_DEPS} first.")
endif()

# The resource compiler builds the exe's string and icon resources.
enable_language(RC)

find_package(Threads REQUIRED)

# zlib from libz-mingw-w64-dev, which also ships an import library of zlib1.dll:
# name the static archive so the exe needs no extra DLL.
find_library(ZLIB_LIBRARY NAMES libz.a REQUIRED)
find_path(ZLIB_INCLUDE_DIR zlib.h REQUIRED)
find_package(CURL CONFIG REQUIRED)  # CURL::libcurl, static, with Schannel
find_package(pugixml CONFIG REQUIRED)
find_package(fmt CONFIG REQUIRED)  # fmt::fmt, static

find_path(TOLVAREN_SODIUM_INCLUDE_DIR sodium.h REQUIRED)
find_library(TOLVAREN_SODIUM_LIBRARY NAMES libsodium.a REQUIRED)
add_library(tlv_win_sodium STATIC IMPORTED)
set_target_properties(tlv_win_sodium PROPERTIES
    IMPORTED_LOCATION "${TOLVAREN_SODIUM_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${TOLVAREN_SODIUM_INCLUDE_DIR}"
    INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)

# Header-only libraries, from a folder that holds nothing else.
find_path(TOLVAREN_WIN_HEADERS nlohmann/json.hpp REQUIRED)
foreach(lib nlohmann_json::nlohmann_json Microsoft.GSL::GSL)
    add_library(${lib} INTERFACE IMPORTED)
    set_target_properties(${lib} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES "${TOLVAREN_WIN_HEADERS}")
endforeach()

add_library(tlv_deps INTERFACE)
target_link_libraries(tlv_deps INTERFACE
    fmt::fmt nlohmann_json::nlohmann_json Microsoft.GSL::GSL pugixml::pugixml
    CURL::libcurl tlv_win_sodium Threads::Threads
    ws2_32 crypt32 secur32 bcrypt advapi32)
# libcurl.pc leaves it out; without it every curl call is a DLL import.
target_compile_definitions(tlv_deps INTERFACE CURL_STATICLIB)

if(TOLVAREN_TESTS)
    # GoogleTest from the googletest package's sources, built with this toolchain.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    foreach(lib gtest gtest_main gmock gmock_main)
        if(NOT TARGET GTest::${lib})
            add_library(GTest::${lib} ALIAS ${lib})
        endif()
        # Linked into stripped test programs only (tlv_test_code_options).
        target_compile_options(${lib} PRIVATE -g0)
    endforeach()
    include(GoogleTest)
endif()
