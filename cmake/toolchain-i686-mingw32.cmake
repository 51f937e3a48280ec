# Cross-build for 32-bit Windows: the build that ships (the outside engine and player control are 32-bit).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw32-common.cmake)
