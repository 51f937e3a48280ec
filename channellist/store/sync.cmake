# Channel list synchronisation: merges the engine's catalogue into the database.
add_library(trova_sync STATIC ${CMAKE_CURRENT_SOURCE_DIR}/ChannelSync.cpp)
target_include_directories(trova_sync PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(trova_sync PUBLIC trova_store TRCore)

# Fake engines in process: calling protocol and merge rules.
trova_add_gtest(sync_tests
    SOURCES tests/sync_engine_test.cpp tests/sync_merge_test.cpp tests/sync_favorite_test.cpp
            tests/sync_fake_engine.cpp
            tests/sync_test_support.cpp
    LIBS trova_sync trova_settings sqlite3)
# The engine substitute TRCore.dll, bound by import like in the shipped control.
trova_add_gtest(sync_trcore_tests
    SOURCES tests/sync_trcore_test.cpp tests/sync_test_support.cpp
    LIBS trova_sync trova_settings sqlite3)
