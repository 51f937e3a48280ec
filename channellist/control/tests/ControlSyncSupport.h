#pragma once
// The control's synchronisation run over and over, for the synchronisation tests and the
// benchmark that counts failed synchronisations: the database as a second connection sees it,
// and the errors SQLite reports meanwhile.

#include <windows.h>
#include <unknwn.h>

#include <map>
#include <mutex>
#include <string>

// Errors SQLite reports anywhere in the process (the control shares sqlite3.dll with the
// program), by primary result code. Set up before SQLite initialises.
class CSqliteErrorLog {
public:
    static CSqliteErrorLog& Instance();
    // The counts since the last Take.
    std::map<int, int> Take();

private:
    CSqliteErrorLog();
    static void Log(void* self, int code, const char* message);
    std::mutex lock_;
    std::map<int, int> counts_;
};

// "database is locked x3, ..." or "none".
std::string DescribeSqliteErrors(const std::map<int, int>& errors);

// The first column of the first row of a statement on the control's database; -1 without one.
int QueryInt(const char* sql);
void Exec(const char* sql);

HRESULT CreateControl(IUnknown** control);

// Creates and destroys the control `count` times, each time on a fresh database or on one the
// engine's built-in catalogue already filled, and counts the synchronisations that left no
// merge behind.
int CountFailedSyncs(int count, bool fresh);
// The same on a filled database, with a user who starts searching at once: the window thread
// reads the file over and over while the merge runs and commits.
int CountFailedSyncsWhileSearching(int count);
