#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "framework/win/ScopedHandle.h"

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
    // Ends the check: from now on the worker tells nobody. Waits a bounded time for it while
    // answering what other threads send to this thread (the worker may be inside its send),
    // then frees the library. A worker still inside the library after the wait is left to run
    // out with the process, the library kept for it. While the worker's own request is being
    // answered further up this thread's stack the worker cannot end before that answer, so
    // nothing is waited for: the next call (at the latest the destructor) finishes the stop.
    void Stop();

    // Marks the answer to the worker's request on this thread, for Stop.
    class CAnswering {
    public:
        explicit CAnswering(CCheckUpdateHelper& helper) : helper_(helper) { ++helper_.answering_; }
        ~CAnswering() { --helper_.answering_; }
        CAnswering(const CAnswering&) = delete;
        CAnswering& operator=(const CAnswering&) = delete;

    private:
        CCheckUpdateHelper& helper_;
    };

private:
    using CheckVersionFn = int(WINAPI*)(int, int, int, int*);
    // What the worker reads; shared so that a worker left running never reads a freed helper.
    struct Check {
        CheckVersionFn checkVersion = nullptr;
        HWND notify = nullptr;
        std::atomic<bool> stopping{false};
    };

    static void Run(std::shared_ptr<Check> check);

    ScopedModule library_;
    CheckVersionFn checkVersion_ = nullptr;
    std::shared_ptr<Check> check_;
    std::unique_ptr<boost::thread> worker_;
    int answering_ = 0;
};
