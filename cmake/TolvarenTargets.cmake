# tlv_c_string(<var> <text>): the text as it may stand in a C++ string literal
# (backslashes and quotes escaped), so that a Windows path survives.
function(tlv_c_string out text)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "\"" "\\\"" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# tlv_sites_library(<name> <STATIC|OBJECT> <service host> <its CA file>
# <download base URL> <its CA file>): the definitions of foundation/sites.h.
# The foundation links the program's (tlv_sites, a static library); an
# executable that links an OBJECT one besides gets that one's addresses, as
# its objects come before every library on the link line.
function(tlv_sites_library name kind serviceHost serviceCa downloadUrl downloadCa)
    tlv_c_string(TLV_SITES_SERVICE_HOST "${serviceHost}")
    tlv_c_string(TLV_SITES_SERVICE_CA_FILE "${serviceCa}")
    tlv_c_string(TLV_SITES_DOWNLOAD_BASE_URL "${downloadUrl}")
    tlv_c_string(TLV_SITES_DOWNLOAD_CA_FILE "${downloadCa}")
    configure_file(${CMAKE_SOURCE_DIR}/cmake/sites.cpp.in ${CMAKE_BINARY_DIR}/generated/${name}.cpp @ONLY)
    add_library(${name} ${kind} ${CMAKE_BINARY_DIR}/generated/${name}.cpp)
    target_link_libraries(${name} PRIVATE tlv_options)
endfunction()

# Precompiled headers: the standard and fmt headers that most of the
# program's files read (a third of the compile time of a typical one) are
# parsed once per build tree, for the libraries (tlv_src_pch) and for the test
# files, with GoogleTest (tlv_test_pch). Only for GCC, the compiler of every
# build CI makes, and without a compiler launcher: ccache cannot cache a
# compile that reads one, and spares the parsing itself.
set(TLV_PCH_HEADERS <algorithm> <atomic> <filesystem> <functional> <memory> <mutex> <optional> <sstream>
    <string> <unordered_map> <vector> <fmt/format.h>)
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU" OR CMAKE_CXX_COMPILER_LAUNCHER)
    set(CMAKE_DISABLE_PRECOMPILE_HEADERS ON)
endif()

# tlv_pch_target(<name> <headers...>): an object library that precompiles the
# headers with its own flags; targets of the same flags take it with
# target_precompile_headers(<target> REUSE_FROM <name>).
function(tlv_pch_target name)
    set(anchor ${CMAKE_BINARY_DIR}/generated/${name}.cpp)
    file(CONFIGURE OUTPUT ${anchor} CONTENT "// The precompiled header ${name} is built with this file.\n")
    add_library(${name} OBJECT ${anchor})
    target_precompile_headers(${name} PRIVATE ${ARGN})
endfunction()

# tlv_test_code_options(), at the top of tests/ and tools/: how the test
# programs and the stand-ins compile where that differs from the program.
# - Under the sanitizers, -O0: their checks hold at every level, the
#   program's libraries keep their own level (the tests run at their speed),
#   and unoptimised code compiles in 40% less time.
# - On Windows, no debug information: the test programs are linked stripped,
#   so it would only be thrown away (the program's libraries keep theirs for
#   tolvaren.exe.debug).
macro(tlv_test_code_options)
    if(TOLVAREN_SANITIZE OR TOLVAREN_TSAN)
        add_compile_options(-O0)
    endif()
    if(WIN32)
        add_compile_options(-g0)
    endif()
endmacro()

# One static library per source folder: every .cpp of the folder, plus the
# platform side that matches the target.
function(tlv_add_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;SOURCES" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(APPEND srcs ${ARG_SOURCES})
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC tlv_options tlv_deps ${ARG_DEPENDS})
    target_precompile_headers(${name} REUSE_FROM tlv_src_pch)
    # The subsystems call each other (the planner the manager, the manager the
    # matcher and the stand table, ...): five passes over such a cycle of
    # static libraries resolve every call, whichever library a program names first
    # (four are needed today; the fifth is room for new calls).
    set_property(TARGET ${name} PROPERTY LINK_INTERFACE_MULTIPLICITY 5)
endfunction()

# The test programs of a folder: <prefix>_tests holds its *_test.cpp files,
# <prefix>_thread_tests those whose name contains thread|concurren|race, which
# also run under ThreadSanitizer (scripts/test --tsan builds only those).
# Tests of one platform's side: win32_*_test.cpp build for Windows only,
# posix_*_test.cpp for Linux only. Each CTest test is still one test case in a
# process of its own (gtest_discover_tests), so merging files costs no
# isolation; it saves a link and a discovery run (a Wine start on Windows) per file.
# Each file is compiled as an object library named <prefix>_<file name>, so that
# a folder can give one file its own definitions or dependencies
# (target_compile_definitions(<prefix>_<stem> ...), add_dependencies);
# an object library linked to it only lends its usage requirements, so such a
# one goes to the folder's program instead. Files linked together must not
# define the same name outside an anonymous namespace, nor use one test suite
# name with two fixtures.
function(tlv_add_tests prefix)
    cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
    set_property(DIRECTORY APPEND PROPERTY LABELS ${prefix} ${ARG_LABELS})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    if(WIN32)
        list(FILTER tests EXCLUDE REGEX "/posix_[^/]*$")
    else()
        list(FILTER tests EXCLUDE REGEX "/win32_[^/]*$")
    endif()
    set(libs ${ARG_LIBS} tlv_testsupport GTest::gmock GTest::gtest)
    set(plain_objects)
    set(thread_objects)
    foreach(src IN LISTS tests)
        get_filename_component(stem ${src} NAME_WE)
        set(object ${prefix}_${stem})
        add_library(${object} OBJECT ${src})
        target_link_libraries(${object} PRIVATE ${libs})
        target_precompile_headers(${object} REUSE_FROM tlv_test_pch)
        if(stem MATCHES "thread|concurren|race")
            list(APPEND thread_objects ${object})
        else()
            list(APPEND plain_objects ${object})
        endif()
    endforeach()
    foreach(kind plain thread)
        if(NOT ${kind}_objects)
            continue()
        endif()
        # The folder's label comes from the directory; gtest_discover_tests
        # cannot pass a list of labels, so a test gets at most the one label "threads".
        set(props TIMEOUT 120)
        if(kind STREQUAL plain)
            set(exe ${prefix}_tests)
        else()
            set(exe ${prefix}_thread_tests)
            list(APPEND props LABELS threads)
        endif()
        add_executable(${exe})
        target_link_libraries(${exe} PRIVATE ${${kind}_objects} ${libs} GTest::gtest_main)
        if(WIN32)
            target_link_libraries(${exe} PRIVATE tlv_win_resources)  # the exe's string and icon resources
            # Without debug information: the test programs would take gigabytes.
            target_link_options(${exe} PRIVATE -s)
        endif()
        gtest_discover_tests(${exe}
            WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 60
            PROPERTIES ${props})
    endforeach()
endfunction()

# tlv_add_fuzz_target(<name> SOURCE <file> LIBS <libraries> LABEL <label>
# [FILE_PER_INPUT]): a fuzz target of one reader of outside input (<file>
# defines LLVMFuzzerTestOneInput and fuzzSeeds, see
# tests/liveries/fuzz/fuzz_target.h). Every compiler builds fuzz_replay_<name>,
# which CTest runs over the seeds and a fixed series of mutations (a short one
# under Wine for a target that writes a file per input: each costs milliseconds
# there); a TOLVAREN_FUZZ build (clang, every library instrumented) also builds
# the libFuzzer program fuzz_<name> (scripts/fuzz runs it).
function(tlv_add_fuzz_target name)
    cmake_parse_arguments(ARG "FILE_PER_INPUT" "SOURCE;LABEL" "LIBS" ${ARGN})
    set(driver ${CMAKE_SOURCE_DIR}/tests/liveries/fuzz)
    add_executable(fuzz_replay_${name} ${ARG_SOURCE} ${driver}/replay_main.cpp)
    target_include_directories(fuzz_replay_${name} PRIVATE ${driver})
    target_link_libraries(fuzz_replay_${name} PRIVATE ${ARG_LIBS} tlv_testsupport)
    set(series)
    if(ARG_FILE_PER_INPUT AND CMAKE_CROSSCOMPILING)
        set(series --mutations 40)
    endif()
    add_test(NAME fuzz_replay_${name} COMMAND fuzz_replay_${name} ${series})
    set_tests_properties(fuzz_replay_${name} PROPERTIES LABELS "${ARG_LABEL};fuzz" TIMEOUT 300)
    if(TOLVAREN_FUZZ)
        add_executable(fuzz_${name} ${ARG_SOURCE})
        target_include_directories(fuzz_${name} PRIVATE ${driver})
        target_compile_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(fuzz_${name} PRIVATE -fsanitize=fuzzer)
        target_link_libraries(fuzz_${name} PRIVATE ${ARG_LIBS} tlv_testsupport)
    endif()
endfunction()

# tlv_windows_program(): resources, GUI subsystem and window smoke test of the exe.
include(${CMAKE_CURRENT_LIST_DIR}/TolvarenWindows.cmake)
