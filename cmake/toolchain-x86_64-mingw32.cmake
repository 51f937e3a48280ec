# Cross-build for 64-bit Windows: a stand-in that the tests run where the machine runs no 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32-common.cmake)
