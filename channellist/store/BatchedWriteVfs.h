#pragma once

#include <sqlite3.h>

// SQLite writes a rewritten page to the rollback journal in three calls (page number, page,
// checksum) and to the database in one call per page. Under Wine every write call costs far
// more than the bytes it moves, so a merge that rewrites a large catalogue spent most of its
// time in those calls. This VFS passes everything to another VFS but gathers consecutive
// writes to a database or its journal into one call, and hands them on before anything that
// could observe them: a read, a mapping, a sync, a size, a truncation, an unlock or a close.
// Crash safety is kept by order: a database's writes, gathered or not, are handed on only after
// its journal's, so the file never holds a changed page whose original is not in the journal's
// file. A write that fails to reach the file is never forgotten: that file answers every later
// access with the failure until SQLite lets go of the database's lock.

// The name to open the store's connections with; registered (not as the default) on first use
// over the system's default VFS. Null when registration failed.
const char* StoreVfsName();

// Registers a batching VFS called `name` over `underlying`; for tests that watch what reaches
// the files. Returns SQLITE_OK or SQLite's error. The VFS stays registered for the process.
int RegisterBatchedWriteVfs(const char* name, sqlite3_vfs* underlying);
