# Dependencies prepared by scripts/setup.sh under .cache/deps.
set(TROVA_DEPS_DIR ${CMAKE_SOURCE_DIR}/.cache/deps CACHE PATH "Cross-built dependencies")

# SQLite 3 as the shared library sqlite3.dll.
add_library(sqlite3 SHARED IMPORTED GLOBAL)
set_target_properties(sqlite3 PROPERTIES
    IMPORTED_LOCATION ${TROVA_DEPS_DIR}/sqlite/${CMAKE_SYSTEM_PROCESSOR}/sqlite3.dll
    IMPORTED_IMPLIB ${TROVA_DEPS_DIR}/sqlite/${CMAKE_SYSTEM_PROCESSOR}/libsqlite3.dll.a
    INTERFACE_INCLUDE_DIRECTORIES ${TROVA_DEPS_DIR}/sqlite/${CMAKE_SYSTEM_PROCESSOR})
file(COPY ${TROVA_DEPS_DIR}/sqlite/${CMAKE_SYSTEM_PROCESSOR}/sqlite3.dll DESTINATION ${TROVA_DIST_DIR})

# Boost headers: a folder that holds only "boost".
add_library(boost_headers INTERFACE)
target_include_directories(boost_headers SYSTEM INTERFACE ${TROVA_DEPS_DIR}/boost/include)
target_compile_definitions(boost_headers INTERFACE BOOST_USE_WINDOWS_H BOOST_ALL_NO_LIB)

# Boost.Thread's compiled part (with the part of Boost.Chrono it needs).
set(BOOST_SRC ${TROVA_DEPS_DIR}/boost/libs)
add_library(boost_thread STATIC
    ${BOOST_SRC}/thread/src/win32/thread.cpp
    ${BOOST_SRC}/thread/src/win32/tss_pe.cpp
    ${BOOST_SRC}/thread/src/win32/thread_primitives.cpp
    ${BOOST_SRC}/thread/src/future.cpp
    ${BOOST_SRC}/chrono/src/chrono.cpp)
target_compile_definitions(boost_thread
    PUBLIC BOOST_THREAD_BUILD_LIB=1 BOOST_THREAD_WIN32 BOOST_THREAD_USES_CHRONO BOOST_CHRONO_STATIC_LINK=1)
target_compile_options(boost_thread PRIVATE -w)
target_link_libraries(boost_thread PUBLIC boost_headers)

# GoogleTest, cross-built from Debian's sources.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
