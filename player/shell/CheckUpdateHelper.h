#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

namespace boost {
class thread;
}

// Asks "UpdateProbe.dll" once per run, on a worker thread, whether a newer version exists,
// and tells the given window with a synchronous WM_COPYDATA 200 when one does.
class CCheckUpdateHelper {
public:
    CCheckUpdateHelper();
    ~CCheckUpdateHelper();
    CCheckUpdateHelper(const CCheckUpdateHelper&) = delete;
    CCheckUpdateHelper& operator=(const CCheckUpdateHelper&) = delete;

    // Loads the library and starts the check; nothing happens without the library or its
    // export, or when a check already runs.
    void Start(HWND notify);
    // Waits for the worker to end, then frees the library. While it waits it answers messages
    // that other threads send to this thread, so a worker inside its SendMessage cannot
    // deadlock the wait; what the worker sends from then on is to be ignored (IsStopping).
    void Stop();
    bool IsStopping() const { return stopping_; }

private:
    using CheckVersionFn = int(WINAPI*)(int, int, int, int*);

    void Run();

    HMODULE library_ = nullptr;
    CheckVersionFn checkVersion_ = nullptr;
    std::unique_ptr<boost::thread> worker_;
    HWND notify_ = nullptr;
    std::atomic<bool> stopping_{false};
};
