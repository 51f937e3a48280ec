#include "channellist/store/BatchedWriteVfs.h"

#include <algorithm>
#include <mutex>
#include <string>
#include <vector>

namespace {

// A megabyte is 256 pages in one call; larger pieces gain nothing more.
constexpr std::size_t kBatchLimit = 1 << 20;
const char kJournalSuffix[] = "-journal";

struct Vfs {
    sqlite3_vfs base;  // first: SQLite hands this pointer back to every method
    sqlite3_vfs* underlying;
    std::string name;
};

struct FileState;

// The journals open through every batching VFS, so that a database can hand on its own
// journal's writes before its own. Only the connection that holds the database's write lock
// writes its journal, so a journal is flushed from another file only by its own connection.
struct JournalRegistry {
    std::mutex lock;
    std::vector<FileState*> journals;
};

JournalRegistry& Journals() {
    static JournalRegistry registry;
    return registry;
}

struct FileState {
    sqlite3_file* real = nullptr;
    bool journal = false;
    std::string database;  // the database file's name (for a journal: the one it belongs to)
    std::mutex lock;       // guards pending and the real file's position in the order
    sqlite3_int64 pendingOffset = 0;
    std::vector<char> pending;

    // Hands the gathered writes on; what failed is dropped, the caller reports the error.
    int FlushLocked() {
        if (pending.empty()) return SQLITE_OK;
        const int rc = real->pMethods->xWrite(real, pending.data(), static_cast<int>(pending.size()), pendingOffset);
        pending.clear();
        return rc;
    }
};

struct File {
    sqlite3_file base;  // first: SQLite's pointer to the file is a pointer to this
    FileState* state;
};

constexpr int kRealOffset = static_cast<int>((sizeof(File) + 15) & ~std::size_t{15});

FileState& StateOf(sqlite3_file* file) { return *reinterpret_cast<File*>(file)->state; }

// A database's gathered writes go after its journal's (see the header).
int FlushJournalsOf(const FileState& database) {
    JournalRegistry& registry = Journals();
    std::lock_guard<std::mutex> guard(registry.lock);
    for (FileState* journal : registry.journals) {
        if (journal->database != database.database) continue;
        std::lock_guard<std::mutex> journalGuard(journal->lock);
        const int rc = journal->FlushLocked();
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

int Flush(FileState& state) {
    if (state.pending.empty()) return SQLITE_OK;
    if (!state.journal) {
        const int rc = FlushJournalsOf(state);
        if (rc != SQLITE_OK) {
            state.pending.clear();
            return rc;
        }
    }
    return state.FlushLocked();
}

int Close(sqlite3_file* file) {
    FileState* state = &StateOf(file);
    if (state->journal) {
        JournalRegistry& registry = Journals();
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.journals.erase(std::remove(registry.journals.begin(), registry.journals.end(), state),
                                registry.journals.end());
    }
    int rc;
    {
        std::lock_guard<std::mutex> guard(state->lock);
        rc = Flush(*state);
    }
    const int closed = state->real->pMethods->xClose(state->real);
    delete state;
    reinterpret_cast<File*>(file)->state = nullptr;
    return rc != SQLITE_OK ? rc : closed;
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    FileState& state = StateOf(file);
    std::lock_guard<std::mutex> guard(state.lock);
    const int rc = Flush(state);
    if (rc != SQLITE_OK) return rc;
    return state.real->pMethods->xRead(state.real, buffer, amount, offset);
}

int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    FileState& state = StateOf(file);
    std::lock_guard<std::mutex> guard(state.lock);
    const std::size_t size = static_cast<std::size_t>(amount);
    const bool follows = !state.pending.empty() &&
                         offset == state.pendingOffset + static_cast<sqlite3_int64>(state.pending.size());
    if (!follows || state.pending.size() + size > kBatchLimit) {
        const int rc = Flush(state);
        if (rc != SQLITE_OK) return rc;
        if (size >= kBatchLimit) return state.real->pMethods->xWrite(state.real, data, amount, offset);
        state.pendingOffset = offset;
    }
    const char* bytes = static_cast<const char*>(data);
    state.pending.insert(state.pending.end(), bytes, bytes + size);
    return SQLITE_OK;
}

// Every other method hands on the gathered writes first, then asks the real file.
template <typename Call>
int FlushThen(sqlite3_file* file, Call call) {
    FileState& state = StateOf(file);
    std::lock_guard<std::mutex> guard(state.lock);
    const int rc = Flush(state);
    if (rc != SQLITE_OK) return rc;
    return call(state.real);
}

int Truncate(sqlite3_file* file, sqlite3_int64 size) {
    return FlushThen(file, [&](sqlite3_file* real) { return real->pMethods->xTruncate(real, size); });
}
int Sync(sqlite3_file* file, int flags) {
    return FlushThen(file, [&](sqlite3_file* real) { return real->pMethods->xSync(real, flags); });
}
int FileSize(sqlite3_file* file, sqlite3_int64* size) {
    return FlushThen(file, [&](sqlite3_file* real) { return real->pMethods->xFileSize(real, size); });
}
int Unlock(sqlite3_file* file, int level) {
    return FlushThen(file, [&](sqlite3_file* real) { return real->pMethods->xUnlock(real, level); });
}
int FileControl(sqlite3_file* file, int op, void* argument) {
    return FlushThen(file, [&](sqlite3_file* real) { return real->pMethods->xFileControl(real, op, argument); });
}

// Memory-mapped reads must see the gathered writes as well.
int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** page) {
    *page = nullptr;
    return FlushThen(file, [&](sqlite3_file* real) {
        return real->pMethods->iVersion >= 3 ? real->pMethods->xFetch(real, offset, amount, page) : SQLITE_OK;
    });
}

sqlite3_file* RealOf(sqlite3_file* file) { return StateOf(file).real; }
int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
    sqlite3_file* real = RealOf(file);
    return real->pMethods->iVersion >= 3 ? real->pMethods->xUnfetch(real, offset, page) : SQLITE_OK;
}
int Lock(sqlite3_file* file, int level) { return RealOf(file)->pMethods->xLock(RealOf(file), level); }
int CheckReservedLock(sqlite3_file* file, int* reserved) {
    return RealOf(file)->pMethods->xCheckReservedLock(RealOf(file), reserved);
}
int SectorSize(sqlite3_file* file) { return RealOf(file)->pMethods->xSectorSize(RealOf(file)); }
int DeviceCharacteristics(sqlite3_file* file) {
    return RealOf(file)->pMethods->xDeviceCharacteristics(RealOf(file));
}
// Shared memory is used only by write-ahead logs, which never pass through the batching.
int ShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** memory) {
    sqlite3_file* real = RealOf(file);
    if (real->pMethods->iVersion < 2) return SQLITE_IOERR_SHMMAP;
    return real->pMethods->xShmMap(real, page, size, extend, memory);
}
int ShmLock(sqlite3_file* file, int offset, int count, int flags) {
    sqlite3_file* real = RealOf(file);
    if (real->pMethods->iVersion < 2) return SQLITE_IOERR_SHMLOCK;
    return real->pMethods->xShmLock(real, offset, count, flags);
}
void ShmBarrier(sqlite3_file* file) {
    sqlite3_file* real = RealOf(file);
    if (real->pMethods->iVersion >= 2) real->pMethods->xShmBarrier(real);
}
int ShmUnmap(sqlite3_file* file, int deleteFlag) {
    sqlite3_file* real = RealOf(file);
    if (real->pMethods->iVersion < 2) return SQLITE_OK;
    return real->pMethods->xShmUnmap(real, deleteFlag);
}

const sqlite3_io_methods kMethods = {
    3,        Close,    Read,      Write,     Truncate,  Sync,     FileSize,
    Lock,     Unlock,   CheckReservedLock,    FileControl,         SectorSize,
    DeviceCharacteristics,         ShmMap,    ShmLock,   ShmBarrier, ShmUnmap,
    Fetch,    Unfetch,
};

sqlite3_vfs* UnderlyingOf(sqlite3_vfs* vfs) { return reinterpret_cast<Vfs*>(vfs)->underlying; }

int Open(sqlite3_vfs* vfs, const char* name, sqlite3_file* file, int flags, int* outFlags) {
    sqlite3_vfs* underlying = UnderlyingOf(vfs);
    const bool database = (flags & SQLITE_OPEN_MAIN_DB) != 0;
    const bool journal = (flags & SQLITE_OPEN_MAIN_JOURNAL) != 0;
    if ((!database && !journal) || !name) {
        // Temporary files, statement journals and logs are the underlying VFS's own, in place.
        return underlying->xOpen(underlying, name, file, flags, outFlags);
    }
    auto* real = reinterpret_cast<sqlite3_file*>(reinterpret_cast<char*>(file) + kRealOffset);
    real->pMethods = nullptr;
    file->pMethods = nullptr;
    const int rc = underlying->xOpen(underlying, name, real, flags, outFlags);
    if (rc != SQLITE_OK) {
        if (real->pMethods) real->pMethods->xClose(real);
        return rc;
    }
    auto* state = new FileState;
    state->real = real;
    state->journal = journal;
    state->database = name;
    const std::size_t suffixLength = sizeof(kJournalSuffix) - 1;
    if (journal && state->database.size() > suffixLength &&
        state->database.compare(state->database.size() - suffixLength, suffixLength, kJournalSuffix) == 0) {
        state->database.resize(state->database.size() - suffixLength);
    }
    reinterpret_cast<File*>(file)->state = state;
    file->pMethods = &kMethods;
    if (journal) {
        JournalRegistry& registry = Journals();
        std::lock_guard<std::mutex> guard(registry.lock);
        registry.journals.push_back(state);
    }
    return SQLITE_OK;
}

int Delete(sqlite3_vfs* vfs, const char* name, int syncDir) {
    return UnderlyingOf(vfs)->xDelete(UnderlyingOf(vfs), name, syncDir);
}
int Access(sqlite3_vfs* vfs, const char* name, int flags, int* result) {
    return UnderlyingOf(vfs)->xAccess(UnderlyingOf(vfs), name, flags, result);
}
int FullPathname(sqlite3_vfs* vfs, const char* name, int size, char* out) {
    return UnderlyingOf(vfs)->xFullPathname(UnderlyingOf(vfs), name, size, out);
}
void* DlOpen(sqlite3_vfs* vfs, const char* name) { return UnderlyingOf(vfs)->xDlOpen(UnderlyingOf(vfs), name); }
void DlError(sqlite3_vfs* vfs, int size, char* message) {
    UnderlyingOf(vfs)->xDlError(UnderlyingOf(vfs), size, message);
}
void (*DlSym(sqlite3_vfs* vfs, void* library, const char* symbol))(void) {
    return UnderlyingOf(vfs)->xDlSym(UnderlyingOf(vfs), library, symbol);
}
void DlClose(sqlite3_vfs* vfs, void* library) { UnderlyingOf(vfs)->xDlClose(UnderlyingOf(vfs), library); }
int Randomness(sqlite3_vfs* vfs, int size, char* out) {
    return UnderlyingOf(vfs)->xRandomness(UnderlyingOf(vfs), size, out);
}
int SleepFor(sqlite3_vfs* vfs, int microseconds) { return UnderlyingOf(vfs)->xSleep(UnderlyingOf(vfs), microseconds); }
int CurrentTime(sqlite3_vfs* vfs, double* now) { return UnderlyingOf(vfs)->xCurrentTime(UnderlyingOf(vfs), now); }
int LastError(sqlite3_vfs* vfs, int size, char* message) {
    sqlite3_vfs* underlying = UnderlyingOf(vfs);
    return underlying->xGetLastError ? underlying->xGetLastError(underlying, size, message) : 0;
}
int CurrentTimeInt64(sqlite3_vfs* vfs, sqlite3_int64* now) {
    sqlite3_vfs* underlying = UnderlyingOf(vfs);
    if (underlying->iVersion >= 2 && underlying->xCurrentTimeInt64)
        return underlying->xCurrentTimeInt64(underlying, now);
    double days = 0;
    const int rc = underlying->xCurrentTime(underlying, &days);
    *now = static_cast<sqlite3_int64>(days * 86400000.0);
    return rc;
}

}  // namespace

int RegisterBatchedWriteVfs(const char* name, sqlite3_vfs* underlying) {
    if (!name || !underlying) return SQLITE_MISUSE;
    // Lives as long as the process: SQLite keeps the pointer while it is registered.
    auto* vfs = new Vfs{};
    vfs->underlying = underlying;
    vfs->name = name;
    sqlite3_vfs& base = vfs->base;
    base.iVersion = 2;
    base.szOsFile = kRealOffset + underlying->szOsFile;
    base.mxPathname = underlying->mxPathname;
    base.zName = vfs->name.c_str();
    base.xOpen = Open;
    base.xDelete = Delete;
    base.xAccess = Access;
    base.xFullPathname = FullPathname;
    base.xDlOpen = DlOpen;
    base.xDlError = DlError;
    base.xDlSym = DlSym;
    base.xDlClose = DlClose;
    base.xRandomness = Randomness;
    base.xSleep = SleepFor;
    base.xCurrentTime = CurrentTime;
    base.xGetLastError = LastError;
    base.xCurrentTimeInt64 = CurrentTimeInt64;
    const int rc = sqlite3_vfs_register(&base, 0);
    if (rc != SQLITE_OK) delete vfs;
    return rc;
}

const char* StoreVfsName() {
    static const char kName[] = "trova-batched";
    static const bool registered = [] {
        sqlite3_vfs* system = sqlite3_vfs_find(nullptr);
        return system && RegisterBatchedWriteVfs(kName, system) == SQLITE_OK;
    }();
    return registered ? kName : nullptr;
}
