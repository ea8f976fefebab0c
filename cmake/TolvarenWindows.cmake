# The Windows program: its resources, the GUI subsystem and the window smoke test.

# The program's resources (src/shell/res/tolvaren.rc: icon 100, string 101),
# compiled once. Test programs on Windows link them too, so that code which
# loads the window title or icon finds them there as in tolvaren.exe.
if(WIN32)
    set(_tlv_res ${CMAKE_SOURCE_DIR}/src/shell/res)
    add_library(tlv_win_resources OBJECT ${_tlv_res}/tolvaren.rc)
    # windres reports no dependencies of its own: rebuild when the icon changes.
    set_source_files_properties(${_tlv_res}/tolvaren.rc PROPERTIES OBJECT_DEPENDS ${_tlv_res}/tolvaren.ico)
    unset(_tlv_res)
endif()

# tlv_windows_program(target), in src/shell, on the program's executable. On
# Linux it does nothing. On Windows it links the resources into the exe and
# makes it a GUI program entered at wWinMain (-mwindows -municode). Its debug
# information goes into <exe>.debug beside it, which the exe names (a debugger
# finds it there); the exe users run carries none.
function(tlv_windows_program target)
    if(NOT WIN32)
        return()
    endif()
    target_link_libraries(${target} PRIVATE tlv_win_resources)
    target_link_options(${target} PRIVATE -mwindows -municode)
    if(CMAKE_OBJCOPY)
        add_custom_command(TARGET ${target} POST_BUILD
            COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> $<TARGET_FILE:${target}>.debug
            COMMAND ${CMAKE_OBJCOPY} --strip-debug --strip-unneeded
                    --add-gnu-debuglink=$<TARGET_FILE:${target}>.debug $<TARGET_FILE:${target}>
            WORKING_DIRECTORY $<TARGET_FILE_DIR:${target}>
            COMMENT "Debug information of ${target} into ${target}.exe.debug"
            VERBATIM)
    endif()
endfunction()

# tlv_add_stripped_exe_test(target), in tests/shell, cross build only: the
# exe holds no debug sections and its debug information lies beside it.
function(tlv_add_stripped_exe_test target)
    if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
        return()
    endif()
    add_test(NAME shell_exe_is_stripped
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-stripped-exe ${CMAKE_OBJDUMP} $<TARGET_FILE:${target}>)
    set_tests_properties(shell_exe_is_stripped PROPERTIES LABELS "shell" TIMEOUT 60)
endfunction()

# tlv_add_window_smoke_test(target states_target), in tests/shell (ctest sees
# only tests added below enable_testing). Only in the cross build: the ctest
# "shell_window_smoke" runs scripts/win-window-smoke, which starts the exe
# under Wine on an Xvfb display of its own, in a Wine prefix of its own, then
# the states program, and leaves the screenshots, the installation folder with
# Log.txt and the logs in <build>/window-smoke/.
function(tlv_add_window_smoke_test target states_target)
    if(NOT (WIN32 AND CMAKE_CROSSCOMPILING))
        return()
    endif()
    add_test(NAME shell_window_smoke
        COMMAND ${CMAKE_SOURCE_DIR}/scripts/win-window-smoke
            $<TARGET_FILE:${target}> ${TOLVAREN_WINEPREFIX}-window ${CMAKE_BINARY_DIR}/window-smoke
            $<TARGET_FILE:${states_target}>)
    # Serial, so that the load of parallel tests does not stretch the program's start.
    set_tests_properties(shell_window_smoke PROPERTIES LABELS "shell;window" TIMEOUT 300 RUN_SERIAL TRUE)
endfunction()
