# Every dependency comes from a Debian package (or, for the Windows build, from
# the static builds that scripts/build-win-deps makes out of Debian's sources).
if(CMAKE_CROSSCOMPILING AND WIN32)
    include(${CMAKE_CURRENT_LIST_DIR}/TolvarenWinDeps.cmake)
    return()
endif()

find_package(Threads REQUIRED)
find_package(PkgConfig REQUIRED)
find_package(fmt REQUIRED)
find_package(nlohmann_json 3 REQUIRED)
find_package(Microsoft.GSL REQUIRED)
find_package(pugixml REQUIRED)
pkg_check_modules(CURL REQUIRED IMPORTED_TARGET libcurl)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)

add_library(tlv_deps INTERFACE)
target_link_libraries(tlv_deps INTERFACE
    fmt::fmt nlohmann_json::nlohmann_json Microsoft.GSL::GSL pugixml::pugixml
    PkgConfig::CURL PkgConfig::SODIUM Threads::Threads)

if(TOLVAREN_TESTS)
    find_package(GTest REQUIRED)
    include(GoogleTest)
    if(NOT CMAKE_CROSSCOMPILING)
        find_package(benchmark REQUIRED)
        pkg_check_modules(HTTPLIB IMPORTED_TARGET cpp-httplib)
    endif()
endif()
