# Cross-build for 32-bit Windows (the build that the 32-bit outside components need).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32-common.cmake)
