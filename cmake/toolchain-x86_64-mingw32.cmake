# Cross-build for 64-bit Windows (the build that runs here under wine64).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32-common.cmake)
