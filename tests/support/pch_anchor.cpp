// The precompiled header of the test files is built with this file (tests/support/CMakeLists.txt).
