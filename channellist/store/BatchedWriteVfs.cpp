#include "channellist/store/BatchedWriteVfs.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <utility>
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

struct FileState {
    sqlite3_file* real = nullptr;
    bool journal = false;
    std::string database;  // the database file's name (for a journal: the one it belongs to)
    std::mutex lock;       // guards pending, direct and the real file's position in the order
    sqlite3_int64 pendingOffset = 0;
    std::vector<char> pending;
    bool direct = false;  // writes are handed on at once (see ShmMap)
    // The first write that failed to reach the file. SQLite believes it written, so every later
    // access fails with it until SQLite has let go of the database's lock: by then it has given
    // up the transaction, and the next one rolls the journal back.
    std::atomic<int> error{SQLITE_OK};
    // A database whose connection holds the write lock: the one that writes the journal.
    std::atomic<bool> writer{false};
};

// Every database and journal open through a batching VFS, so that a database can hand on its
// own journal's writes before its own.
struct FileRegistry {
    std::mutex lock;
    std::vector<FileState*> files;
};

FileRegistry& Files() {
    static FileRegistry registry;
    return registry;
}

// SQLite is C: an exception must not unwind into it. Memory that runs out is its "out of
// memory" (`outOfMemory`, the code the calling method may return), anything else an I/O error.
template <typename Body>
int Shielded(int outOfMemory, Body body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return outOfMemory;
    } catch (...) {
        return SQLITE_IOERR;
    }
}

// Keeps the first failure of a file; returns `rc`.
int Keep(FileState& state, int rc) {
    int none = SQLITE_OK;
    state.error.compare_exchange_strong(none, rc);
    return rc;
}

// The other databases or journals (`journals`) of the same database. Caller holds the registry.
template <typename Visit>
void ForEachFileOf(const FileState& file, bool journals, Visit visit) {
    for (FileState* other : Files().files) {
        if (other != &file && other->journal == journals && other->database == file.database) visit(*other);
    }
}

int Flush(FileState& state);

// A database's writes go after its journal's (see the header). The registry is held only to
// find the journals: a journal stays while its own lock is held, and the registry is taken by
// every open and close, those of the window thread's connections too.
int FlushJournalsOf(const FileState& database) {
    std::vector<std::pair<FileState*, std::unique_lock<std::mutex>>> journals;
    {
        std::lock_guard<std::mutex> guard(Files().lock);
        ForEachFileOf(database, true, [&](FileState& journal) {
            journals.emplace_back(&journal, std::unique_lock<std::mutex>(journal.lock));
        });
    }
    for (auto& journal : journals) {
        const int rc = Flush(*journal.first);
        if (rc != SQLITE_OK) return rc;
    }
    return SQLITE_OK;
}

// Writes to the real file, a database's journals first, whatever the size. Caller holds the
// file's lock.
int HandOn(FileState& state, const void* data, int amount, sqlite3_int64 offset) {
    if (state.error != SQLITE_OK) return state.error;
    int rc = state.journal ? SQLITE_OK : FlushJournalsOf(state);
    if (rc == SQLITE_OK) rc = state.real->pMethods->xWrite(state.real, data, amount, offset);
    return rc == SQLITE_OK ? rc : Keep(state, rc);
}

// Hands the gathered writes on; returns the file's first failure, if any. What could not be
// handed on is dropped. Caller holds the file's lock.
int Flush(FileState& state) {
    if (state.pending.empty()) return state.error;
    const int rc = HandOn(state, state.pending.data(), static_cast<int>(state.pending.size()), state.pendingOffset);
    state.pending.clear();
    return rc;
}

struct File {
    sqlite3_file base;  // first: SQLite's pointer to the file is a pointer to this
    FileState* state;
};

constexpr int kRealOffset = static_cast<int>((sizeof(File) + 15) & ~std::size_t{15});

FileState& StateOf(sqlite3_file* file) { return *reinterpret_cast<File*>(file)->state; }

int Close(sqlite3_file* file) {
    std::unique_ptr<FileState> state(reinterpret_cast<File*>(file)->state);
    reinterpret_cast<File*>(file)->state = nullptr;
    sqlite3_file* real = state->real;
    const int flushed = Shielded(SQLITE_IOERR_NOMEM, [&] {
        std::lock_guard<std::mutex> guard(state->lock);
        return Flush(*state);
    });
    const int unregistered = Shielded(SQLITE_IOERR_NOMEM, [&] {
        std::lock_guard<std::mutex> guard(Files().lock);
        std::vector<FileState*>& files = Files().files;
        files.erase(std::remove(files.begin(), files.end(), state.get()), files.end());
        // A journal whose writes were lost lacks originals of pages its database may still have
        // gathered: those must not reach the file either (SQLite closes the journal first).
        if (state->journal && state->error != SQLITE_OK) {
            ForEachFileOf(*state, false, [&](FileState& database) {
                if (database.writer) Keep(database, state->error);
            });
        }
        return SQLITE_OK;
    });
    // Still reachable from the registry: kept rather than left dangling.
    if (unregistered != SQLITE_OK) state.release();
    const int closed = real->pMethods->xClose(real);
    return flushed != SQLITE_OK ? flushed : closed;
}

// Every method that reads or changes the file hands on the gathered writes first, then asks
// the real file; a file whose write failed answers with that failure.
template <typename Call>
int FlushThen(sqlite3_file* file, Call call) {
    return Shielded(SQLITE_IOERR_NOMEM, [&] {
        FileState& state = StateOf(file);
        std::lock_guard<std::mutex> guard(state.lock);
        const int rc = Flush(state);
        return rc != SQLITE_OK ? rc : call(state.real);
    });
}

int Read(sqlite3_file* file, void* buffer, int amount, sqlite3_int64 offset) {
    return FlushThen(file, [&](sqlite3_file* real) { return real->pMethods->xRead(real, buffer, amount, offset); });
}

int Write(sqlite3_file* file, const void* data, int amount, sqlite3_int64 offset) {
    FileState& state = StateOf(file);
    const int rc = Shielded(SQLITE_IOERR_NOMEM, [&] {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.error != SQLITE_OK) return state.error.load();
        const std::size_t size = static_cast<std::size_t>(amount);
        const bool follows = !state.pending.empty() &&
                             offset == state.pendingOffset + static_cast<sqlite3_int64>(state.pending.size());
        if (!follows || state.pending.size() + size > kBatchLimit) {
            const int flushed = Flush(state);
            if (flushed != SQLITE_OK) return flushed;
            if (state.direct || size >= kBatchLimit) return HandOn(state, data, amount, offset);
            state.pendingOffset = offset;
        }
        const char* bytes = static_cast<const char*>(data);
        state.pending.insert(state.pending.end(), bytes, bytes + size);
        return SQLITE_OK;
    });
    // A write that was neither handed on nor gathered is lost like one that failed.
    return rc == SQLITE_OK ? rc : Keep(state, rc);
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
// Memory-mapped reads must see the gathered writes as well.
int Fetch(sqlite3_file* file, sqlite3_int64 offset, int amount, void** page) {
    *page = nullptr;
    return FlushThen(file, [&](sqlite3_file* real) {
        return real->pMethods->iVersion >= 3 ? real->pMethods->xFetch(real, offset, amount, page) : SQLITE_OK;
    });
}

int Lock(sqlite3_file* file, int level) {
    FileState& state = StateOf(file);
    const int rc = state.real->pMethods->xLock(state.real, level);
    if (rc == SQLITE_OK && level >= SQLITE_LOCK_RESERVED) state.writer = true;
    return rc;
}

// Other connections may look at the files once the lock goes, so everything gathered goes
// first: the journal's (which SQLite may keep open), then the database's. The real lock is let
// go whatever that gave, since SQLite takes it as released either way.
int Unlock(sqlite3_file* file, int level) {
    FileState& state = StateOf(file);
    const bool failedBefore = state.error != SQLITE_OK;
    const int flushed = Shielded(SQLITE_IOERR_NOMEM, [&] {
        std::lock_guard<std::mutex> guard(state.lock);
        const int rc = state.writer ? FlushJournalsOf(state) : SQLITE_OK;
        if (rc != SQLITE_OK) Keep(state, rc);
        return Flush(state);
    });
    const int unlocked = state.real->pMethods->xUnlock(state.real, level);
    // The write transaction is over (what its journal lost, the database dropped above), and
    // once SQLite lets go of every lock it has given up a failed one: the journal rolls it back.
    if (state.writer) {
        Shielded(SQLITE_IOERR_NOMEM, [&] {
            std::lock_guard<std::mutex> guard(Files().lock);
            ForEachFileOf(state, true, [](FileState& journal) { journal.error = SQLITE_OK; });
            return SQLITE_OK;
        });
        state.writer = false;
    }
    if (level == SQLITE_LOCK_NONE) state.error = SQLITE_OK;
    return !failedBefore && flushed != SQLITE_OK ? flushed : unlocked;
}

// File controls pass straight on: those SQLite sends to a database or journal do not look at
// its contents, and some are hints whose result SQLite ignores (the page writer's size hint,
// a checkpoint's end), so a failure to hand writes on there would be lost.
int FileControl(sqlite3_file* file, int op, void* argument) {
    sqlite3_file* real = StateOf(file).real;
    return real->pMethods->xFileControl(real, op, argument);
}

sqlite3_file* RealOf(sqlite3_file* file) { return StateOf(file).real; }
int Unfetch(sqlite3_file* file, sqlite3_int64 offset, void* page) {
    sqlite3_file* real = RealOf(file);
    return real->pMethods->iVersion >= 3 ? real->pMethods->xUnfetch(real, offset, page) : SQLITE_OK;
}
int CheckReservedLock(sqlite3_file* file, int* reserved) {
    return RealOf(file)->pMethods->xCheckReservedLock(RealOf(file), reserved);
}
int SectorSize(sqlite3_file* file) { return RealOf(file)->pMethods->xSectorSize(RealOf(file)); }
int DeviceCharacteristics(sqlite3_file* file) {
    return RealOf(file)->pMethods->xDeviceCharacteristics(RealOf(file));
}
// Shared memory holds the index of a write-ahead log, whose own file SQLite opens straight on the
// underlying VFS. The database of such a log is written only by checkpoints, which publish
// what they copied in that index as soon as their writes return, for other connections to
// read from the database file: from its first mapping on, its writes are handed on at once.
int ShmMap(sqlite3_file* file, int page, int size, int extend, void volatile** memory) {
    FileState& state = StateOf(file);
    sqlite3_file* real = state.real;
    if (real->pMethods->iVersion < 2) return SQLITE_IOERR_SHMMAP;
    const int rc = Shielded(SQLITE_IOERR_NOMEM, [&] {
        std::lock_guard<std::mutex> guard(state.lock);
        state.direct = true;
        return Flush(state);
    });
    return rc != SQLITE_OK ? rc : real->pMethods->xShmMap(real, page, size, extend, memory);
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
    std::unique_ptr<FileState> state;
    const int registered = Shielded(SQLITE_NOMEM, [&] {
        state.reset(new FileState);
        state->real = real;
        state->journal = journal;
        state->database = name;
        const std::size_t suffixLength = sizeof(kJournalSuffix) - 1;
        if (journal && state->database.size() > suffixLength &&
            state->database.compare(state->database.size() - suffixLength, suffixLength, kJournalSuffix) == 0) {
            state->database.resize(state->database.size() - suffixLength);
        }
        std::lock_guard<std::mutex> guard(Files().lock);
        Files().files.push_back(state.get());
        return SQLITE_OK;
    });
    if (registered != SQLITE_OK) {
        real->pMethods->xClose(real);
        return registered;
    }
    reinterpret_cast<File*>(file)->state = state.release();
    file->pMethods = &kMethods;
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
    auto vfs = std::make_unique<Vfs>();
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
    // Lives as long as the process: SQLite keeps the pointer while it is registered.
    if (rc == SQLITE_OK) vfs.release();
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
