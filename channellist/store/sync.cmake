# Channel list synchronisation: merges the engine's catalogue into the database.
add_library(trova_sync STATIC ${CMAKE_CURRENT_SOURCE_DIR}/ChannelSync.cpp)
target_include_directories(trova_sync PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(trova_sync PUBLIC trova_store TRCore)

# Fake engines in process: calling protocol and merge rules.
trova_add_gtest(sync_tests
    SOURCES tests/SyncEngineTest.cpp tests/SyncMergeTest.cpp tests/SyncFavoriteTest.cpp
            tests/SyncFakeEngine.cpp
            tests/SyncTestSupport.cpp
    LIBS trova_sync trova_settings sqlite3)
# The engine substitute TRCore.dll, bound by import like in the shipped control.
trova_add_gtest(sync_trcore_tests
    SOURCES tests/SyncTrcoreTest.cpp tests/SyncTestSupport.cpp
    LIBS trova_sync trova_settings sqlite3)
