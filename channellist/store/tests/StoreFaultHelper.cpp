// A second process for the fault tests of the channel database:
//   store_fault_helper sync <application-data folder>
//       runs the synchronisation against TRCore.dll (TRCORE_* variables come from the parent)
//       and exits 0 when it committed, 1 when it failed, 4 without its data folder;
//   store_fault_helper sync-stopped <application-data folder> <n> <written event>
//       the same, but when the nth write call reaches the database file it sets the event and
//       waits to be killed (exit 5 when nobody does within two minutes);
//   store_fault_helper lock <database path> exclusive|shared <ready event> <release event>
//       holds an exclusive transaction, or a read transaction with its shared lock, on the
//       file, sets the ready event, and lets go when the release event is set (or after a
//       minute), exit 0; 2 when the lock could not be taken.

#include <windows.h>
#include <shellapi.h>
#include <sqlite3.h>

#include <string>
#include <vector>

#include "channellist/store/ChannelSync.h"
#include "common/settings/AppPaths.h"

namespace {

// The system's VFS with the write method of database files watched: the nth call that reaches
// the file sets the event and then holds the process still.
struct WriteStop {
    int remaining = 0;
    HANDLE written = nullptr;
    sqlite3_vfs vfs;
    sqlite3_io_methods methods;
    int (*systemWrite)(sqlite3_file*, const void*, int, sqlite3_int64) = nullptr;
};
WriteStop stop;

int StoppingWrite(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    const int rc = stop.systemWrite(file, data, amount, offset);
    if (--stop.remaining == 0) {
        SetEvent(stop.written);
        Sleep(120000);
        ExitProcess(5);
    }
    return rc;
}

int StoppingOpen(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    auto* system = static_cast<sqlite3_vfs*>(vfs->pAppData);
    const int rc = system->xOpen(system, name, file, flags, outFlags);
    if (rc == SQLITE_OK && file->pMethods && (flags & SQLITE_OPEN_MAIN_DB)) {
        stop.methods = *file->pMethods;
        stop.systemWrite = file->pMethods->xWrite;
        stop.methods.xWrite = StoppingWrite;
        file->pMethods = &stop.methods;
    }
    return rc;
}

// Made the default before the store's VFS is set up over the default one.
bool StopAtDatabaseWrite(int n, const std::wstring& eventName) {
    stop.remaining = n;
    stop.written = OpenEventW(EVENT_MODIFY_STATE, FALSE, eventName.c_str());
    sqlite3_vfs* system = sqlite3_vfs_find(nullptr);
    if (!stop.written || !system || n < 1) return false;
    stop.vfs = *system;
    stop.vfs.zName = "stop-at-database-write";
    stop.vfs.pAppData = system;
    stop.vfs.xOpen = StoppingOpen;
    return sqlite3_vfs_register(&stop.vfs, 1) == SQLITE_OK;
}

int RunSync(const std::wstring& appDataFolder) {
    CAppPaths::InitAt(appDataFolder);
    // Never fall back to a database in the current folder.
    if (CAppPaths::Data().empty()) return 4;
    const bool committed = SyncChannelList();
    CAppPaths::Shutdown();
    return committed ? 0 : 1;
}

int HoldLock(const std::wstring& path, const std::wstring& kind, const std::wstring& readyName,
             const std::wstring& releaseName) {
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, readyName.c_str());
    HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, releaseName.c_str());
    if (!ready || !release) return 2;
    sqlite3* db = nullptr;
    if (sqlite3_open16(path.c_str(), &db) != SQLITE_OK) return 2;
    const char* take = kind == L"exclusive" ? "BEGIN EXCLUSIVE;"
                                            : "BEGIN; SELECT count(*) FROM sqlite_master;";
    if (sqlite3_exec(db, take, nullptr, nullptr, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return 2;
    }
    SetEvent(ready);
    WaitForSingleObject(release, 60000);
    sqlite3_exec(db, "ROLLBACK;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    CloseHandle(ready);
    CloseHandle(release);
    return 0;
}

}  // namespace

int main() {
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::wstring> args(arguments, arguments + count);
    LocalFree(arguments);
    if (args.size() == 3 && args[1] == L"sync") return RunSync(args[2]);
    if (args.size() == 5 && args[1] == L"sync-stopped")
        return StopAtDatabaseWrite(_wtoi(args[3].c_str()), args[4]) ? RunSync(args[2]) : 3;
    if (args.size() == 6 && args[1] == L"lock") return HoldLock(args[2], args[3], args[4], args[5]);
    return 3;
}
