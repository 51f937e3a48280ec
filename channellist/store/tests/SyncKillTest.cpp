// A process killed in the middle of a synchronisation of 50,000 channels: the helper process
// merges a new catalogue through TRCore.dll and is ended with TerminateProcess after a random
// delay, several times, and right after its first and third writes to the database file.
// Afterwards the database must open with the content before the merge or the content after
// it, never a mixture, and pass SQLite's integrity check.

#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <random>
#include <string>

#include "channellist/store/ChannelDatabase.h"
#include "channellist/store/ChannelSync.h"
#include "channellist/store/tests/FaultHelperProcess.h"
#include "channellist/store/tests/SyncTestSupport.h"
#include "framework/win/ScopedHandle.h"

namespace {

constexpr int kChannels = 50000;
constexpr int kReplaced = 5000;  // dropped from the old list and new in the new one
constexpr int kKills = 6;

// Catalogue of generation 0 (the stored list) or 1 (the list being merged): the new one drops
// the first kReplaced channels, adds as many, and changes viewers and descriptions.
std::string Catalogue(int generation) {
    std::string text;
    text.reserve(kChannels * 90);
    char line[256];
    const int first = generation == 0 ? 0 : kReplaced;
    for (int i = first; i < first + kChannels; ++i) {
        const int viewers = generation == 0 ? i % 5000 : (i * 7) % 9000;
        const int length = std::snprintf(line, sizeof(line), u8"频道 %d\tid%06d\t%s %d\thttp://c.test/%d\t目录 %02d\t%d\t%d\t%d\n",
                                          i, i, generation == 0 ? "old" : "new", i, i, i % 100, i % 2, viewers,
                                          200 + i % 800);
        text.append(line, length);
    }
    return text;
}

std::wstring WriteCatalogue(const std::wstring& path, int generation) {
    const std::string text = Catalogue(generation);
    FILE* file = _wfopen(path.c_str(), L"wb");
    if (file) {
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    return path;
}

// What a database holds, without the times a merge writes: counts and a checksum over every
// column of every row of the three tables.
struct Content {
    int channels = -1, listed = -1, catalogs = -1, history = -1;
    std::uint64_t checksum = 0;
    bool operator==(const Content& o) const {
        return channels == o.channels && listed == o.listed && catalogs == o.catalogs && history == o.history &&
               checksum == o.checksum;
    }
};

void PrintTo(const Content& c, std::ostream* out) {
    *out << "{channels " << c.channels << ", listed " << c.listed << ", catalogs " << c.catalogs << ", history "
         << c.history << ", checksum " << std::hex << c.checksum << std::dec << "}";
}

std::uint64_t HashRows(sqlite3* db, const char* sql, std::uint64_t hash) {
    sqlite3_stmt* rows = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &rows, nullptr) != SQLITE_OK) return 0;
    while (sqlite3_step(rows) == SQLITE_ROW) {
        for (int column = 0; column < sqlite3_column_count(rows); ++column) {
            const unsigned char* text = sqlite3_column_text(rows, column);
            const int length = sqlite3_column_bytes(rows, column);
            for (int i = 0; i < length; ++i) hash = (hash ^ text[i]) * 1099511628211ull;
            hash = (hash ^ 0x1F) * 1099511628211ull;  // column separator
        }
        hash = (hash ^ 0x1E) * 1099511628211ull;  // row separator
    }
    sqlite3_finalize(rows);
    return hash;
}

Content Measure() {
    TestDatabase db;
    Content content;
    content.channels = db.Int("SELECT count(*) FROM channel");
    content.listed = db.Int("SELECT count(*) FROM channel WHERE del=0");
    content.catalogs = db.Int("SELECT count(*) FROM catalog");
    content.history = db.Int("SELECT count(*) FROM history");
    std::uint64_t hash = 14695981039346656037ull;
    hash = HashRows(db.handle(),
                    "SELECT id,catalogid,name,desc,url,channelid,type,server,portno,bitrate,visitors,hits,del "
                    "FROM channel ORDER BY id",
                    hash);
    hash = HashRows(db.handle(), "SELECT id,name FROM catalog ORDER BY id", hash);
    hash = HashRows(db.handle(), "SELECT id FROM history ORDER BY id", hash);
    content.checksum = hash;
    return content;
}

// Whether two files hold the same bytes.
bool SameContent(const std::wstring& first, const std::wstring& second) {
    const auto read = [](const std::wstring& path) {
        std::string bytes;
        ScopedKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        char buffer[1 << 16];
        DWORD read = 0;
        while (file && ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
        return bytes;
    };
    return read(first) == read(second);
}

// A journal that SQLite would roll back: its header has been completed, which happens just
// before the first page of the merge reaches the database file.
bool HotJournalLeft() {
    ScopedKernelHandle file(CreateFileW((GetDatabasePath() + L"-journal").c_str(), GENERIC_READ,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                        0, nullptr));
    if (!file) return false;
    unsigned char header[8] = {};
    DWORD read = 0;
    ReadFile(file, header, sizeof(header), &read, nullptr);
    for (DWORD i = 0; i < read; ++i)
        if (header[i] != 0) return true;
    return false;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST(SyncKillTest, KilledMidwayLeavesTheOldOrTheNewContentNeverAMix) {
    ScopedDataFolder folder;
    const std::wstring oldList = WriteCatalogue(folder.path() + L"\\old.txt", 0);
    const std::wstring newList = WriteCatalogue(folder.path() + L"\\new.txt", 1);
    const std::wstring saved = folder.path() + L"\\old.db";
    const std::wstring appData = folder.path();  // no trailing backslash: it would escape the quote

    // The stored state: the old list, and a few channels in the history.
    SetEnvironmentVariableW(L"TRCORE_CATALOGUE", oldList.c_str());
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(SyncChannelList());
    const double firstSync = SecondsSince(start);
    for (int id = 1; id <= 20; ++id) ASSERT_TRUE(TouchHistory(id * 1000));
    const Content before = Measure();
    ASSERT_EQ(kChannels, before.listed);
    ASSERT_TRUE(CopyFileW(GetDatabasePath().c_str(), saved.c_str(), FALSE));

    // The merged state, from a helper left to finish.
    SetEnvironmentVariableW(L"TRCORE_CATALOGUE", newList.c_str());  // inherited by the helper
    double fullRun = 0;
    {
        CFaultHelperProcess helper;
        start = std::chrono::steady_clock::now();
        ASSERT_TRUE(helper.Start(L"sync \"" + appData + L"\""));
        ASSERT_TRUE(helper.WaitForExit(120000));
        fullRun = SecondsSince(start);
        ASSERT_EQ(0u, helper.ExitCode()) << "the merge failed";
    }
    const Content after = Measure();
    ASSERT_EQ(kChannels + kReplaced, after.channels);
    ASSERT_EQ(kChannels, after.listed);
    ASSERT_EQ(20, after.history) << "history rows of hidden channels stay";
    std::printf("first merge in process %.1f s; merge of the new list in the helper %.1f s\n", firstSync, fullRun);

    // One helper run from the stored state, killed when `until` returns (true when the helper
    // still ran then), and what the kill left once SQLite has opened the file again.
    struct Landing {
        bool killed, isOld;
    };
    int killedAfterDatabaseWrite = 0, keptOld = 0, gotNew = 0;
    const auto killAndCheck = [&](const std::wstring& arguments, const std::function<bool(CFaultHelperProcess&)>& until,
                                  const std::string& moment) {
        EXPECT_TRUE(CopyFileW(saved.c_str(), GetDatabasePath().c_str(), FALSE));
        DeleteFileW((GetDatabasePath() + L"-journal").c_str());
        CFaultHelperProcess helper;
        EXPECT_TRUE(helper.Start(arguments));
        const bool killed = until(helper);
        helper.Kill();
        // Until the merge's first write reaches the database file, whatever the journal holds
        // is never needed: only kills after it test the journal.
        const bool databaseWritten = !SameContent(GetDatabasePath(), saved);
        killedAfterDatabaseWrite += killed && databaseWritten;

        // The control's first read after a crash: SQLite rolls the journal back.
        const int listed = CountChannels();
        TestDatabase db;
        EXPECT_EQ("ok", db.Text("PRAGMA integrity_check")) << moment;
        const Content content = Measure();
        const bool isOld = content == before, isNew = content == after;
        EXPECT_TRUE(isOld || isNew) << moment << ": a mixture " << testing::PrintToString(content) << ", before "
                                    << testing::PrintToString(before) << ", after "
                                    << testing::PrintToString(after);
        EXPECT_EQ(kChannels, listed) << moment;
        EXPECT_FALSE(HotJournalLeft()) << moment;
        keptOld += isOld;
        gotNew += isNew;
        std::printf("%s: %s, %s -> %s\n", moment.c_str(), killed ? "killed" : "had finished",
                    databaseWritten ? "database written" : "database untouched",
                    isOld ? "old content" : isNew ? "new content" : "MIXTURE");
        return Landing{killed, isOld};
    };

    // Kills spread over the helper's run, one at a random moment in each slice of it.
    std::mt19937 random(20240617);
    for (int kill = 0; kill < kKills; ++kill) {
        const double from = 0.1 + 0.9 * kill / kKills, to = 0.1 + 0.9 * (kill + 1) / kKills;
        const DWORD delayMs =
            static_cast<DWORD>(1000 * fullRun * std::uniform_real_distribution<double>(from, to)(random));
        killAndCheck(
            L"sync \"" + appData + L"\"",
            [&](CFaultHelperProcess& helper) {
                Sleep(delayMs);
                return !helper.WaitForExit(0);
            },
            "kill " + std::to_string(kill) + " after " + std::to_string(delayMs) + " ms");
    }
    // Kills right after the first and the third write call that reaches the database file: the
    // commit is under way, and every page on the file must have its original in the journal.
    for (int write : {1, 3}) {
        const std::wstring eventName = L"trova-kill-test-written-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                       std::to_wstring(write);
        ScopedKernelHandle written(CreateEventW(nullptr, TRUE, FALSE, eventName.c_str()));
        ASSERT_TRUE(written);
        const Landing landing = killAndCheck(
            L"sync-stopped \"" + appData + L"\" " + std::to_wstring(write) + L" " + eventName,
            [&](CFaultHelperProcess& helper) {
                const HANDLE waits[] = {written, helper.Handle()};
                return WaitForMultipleObjects(2, waits, FALSE, 120000) == WAIT_OBJECT_0;
            },
            "kill after database write " + std::to_string(write));
        EXPECT_TRUE(!landing.killed || landing.isOld) << "write " << write << ": the merge cannot have committed";
    }
    std::printf("%d kills: %d kept the old content, %d had the new; %d landed after the merge wrote the database\n",
                kKills + 2, keptOld, gotNew, killedAfterDatabaseWrite);
    EXPECT_GE(killedAfterDatabaseWrite, 1) << "no kill tested the journal";
    SetEnvironmentVariableW(L"TRCORE_CATALOGUE", nullptr);
}

}  // namespace
