// Counts the control's synchronisations that leave no merge behind: 50 starts on a fresh
// database, 50 on a filled one, and 20 on a filled one with a user typing into the search box
// from the start, each with the SQLite errors reported meanwhile. Runs on GoogleTest for the
// control tests' private per-user folder, beside the test programs, with TROVA_DIST_DIR naming
// the shipped folder as CTest sets it:
//   TROVA_DIST_DIR=<build>/dist scripts/wine-exec.sh <build>/tests/bench_control_sync.exe

#include "channellist/control/tests/ControlSyncSupport.h"
#include "channellist/control/tests/ControlTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

TEST(ControlSyncBench, FailedSynchronisations) {
    CPrivateAppData::DeleteDatabase();
    CSqliteErrorLog::Instance().Take();
    const int freshFailures = CountFailedSyncs(50, true);
    const std::string freshErrors = DescribeSqliteErrors(CSqliteErrorLog::Instance().Take());
    for (int attempt = 0; attempt < 20 && QueryInt("SELECT count(*) FROM channel") != 44; ++attempt)
        CountFailedSyncs(1, true);
    ASSERT_EQ(44, QueryInt("SELECT count(*) FROM channel")) << "no synchronisation filled the database";
    CSqliteErrorLog::Instance().Take();
    const int filledFailures = CountFailedSyncs(50, false);
    const std::string filledErrors = DescribeSqliteErrors(CSqliteErrorLog::Instance().Take());
    std::printf("fresh database:  %d of 50 synchronisations failed; SQLite errors: %s\n", freshFailures,
                freshErrors.c_str());
    std::printf("filled database: %d of 50 synchronisations failed; SQLite errors: %s\n", filledFailures,
                filledErrors.c_str());
    const int searchingFailures = CountFailedSyncsWhileSearching(20);
    std::printf("filled database, searching meanwhile: %d of 20 synchronisations failed; SQLite errors: %s\n",
                searchingFailures, DescribeSqliteErrors(CSqliteErrorLog::Instance().Take()).c_str());
}
