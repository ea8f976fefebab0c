# One static library per source folder: every .cpp of the folder, plus the
# platform side that matches the target.
function(tlv_add_library name)
    cmake_parse_arguments(ARG "" "" "DEPENDS;SOURCES" ${ARGN})
    file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
    list(APPEND srcs ${ARG_SOURCES})
    add_library(${name} STATIC ${srcs})
    target_link_libraries(${name} PUBLIC tlv_options tlv_deps ${ARG_DEPENDS})
    # The subsystems call each other (the planner the manager, the manager the
    # matcher and the stand table, ...): five passes over such a cycle of
    # static libraries resolve every call, whichever library a program names first
    # (four are needed today; the fifth is room for new calls).
    set_property(TARGET ${name} PROPERTY LINK_INTERFACE_MULTIPLICITY 5)
endfunction()

# One test program per *_test.cpp file, so that a file under construction in one
# folder never stops the others from building.
# Tests of one platform's side: win32_*_test.cpp build for Windows only,
# posix_*_test.cpp for Linux only.
function(tlv_add_tests prefix)
    cmake_parse_arguments(ARG "" "" "LIBS;LABELS" ${ARGN})
    set_property(DIRECTORY APPEND PROPERTY LABELS ${prefix} ${ARG_LABELS})
    file(GLOB tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*_test.cpp)
    if(WIN32)
        list(FILTER tests EXCLUDE REGEX "/posix_[^/]*$")
    else()
        list(FILTER tests EXCLUDE REGEX "/win32_[^/]*$")
    endif()
    foreach(src IN LISTS tests)
        get_filename_component(stem ${src} NAME_WE)
        set(exe ${prefix}_${stem})
        add_executable(${exe} ${src})
        target_link_libraries(${exe} PRIVATE ${ARG_LIBS} tlv_testsupport GTest::gmock GTest::gtest GTest::gtest_main)
        if(WIN32)
            target_link_libraries(${exe} PRIVATE tlv_win_resources)  # the exe's string and icon resources
            # Without debug information: a hundred test programs would take gigabytes.
            target_link_options(${exe} PRIVATE -s)
        endif()
        # Test files about threads also run under ThreadSanitizer (scripts/test --tsan).
        # The folder's label comes from the directory; gtest_discover_tests cannot
        # pass a list of labels, so a test gets at most the one label "threads".
        set(props TIMEOUT 120)
        if(stem MATCHES "thread|concurren|race")
            list(APPEND props LABELS threads)
        endif()
        gtest_discover_tests(${exe}
            WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
            DISCOVERY_MODE PRE_TEST
            DISCOVERY_TIMEOUT 60
            PROPERTIES ${props})
    endforeach()
endfunction()

# tlv_windows_program(): resources, GUI subsystem and window smoke test of the exe.
include(${CMAKE_CURRENT_LIST_DIR}/TolvarenWindows.cmake)
