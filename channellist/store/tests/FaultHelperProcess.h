#pragma once
// Starts store_fault_helper.exe (built beside the test programs) as a second process: a
// synchronisation that can be killed part-way, or another process holding the database.

#include <windows.h>

#include <string>

#include "framework/win/tests/ChildProcess.h"

// One helper process.
class CFaultHelperProcess : public CChildProcess {
public:
    static std::wstring Path() {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path = self;
        return path.substr(0, path.find_last_of(L"\\/") + 1) + L"store_fault_helper.exe";
    }

    bool Start(const std::wstring& arguments) { return CChildProcess::Start(Path(), arguments); }
    bool WaitForExit(DWORD timeoutMs) const {
        return Handle() && WaitForSingleObject(Handle(), timeoutMs) == WAIT_OBJECT_0;
    }
};

// Another process holding the database file: an exclusive transaction (nobody else may read
// or write) or a read transaction (nobody may commit a write) until Release or destruction.
class CDatabaseHolder {
public:
    enum Kind { kExclusive, kShared };

    CDatabaseHolder(const std::wstring& databasePath, Kind kind) {
        static LONG sequence = 0;
        const std::wstring prefix = L"trova-db-holder-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(InterlockedIncrement(&sequence));
        ready_ = CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-ready").c_str());
        release_ = CreateEventW(nullptr, TRUE, FALSE, (prefix + L"-release").c_str());
        const std::wstring arguments = L"lock \"" + databasePath + L"\" " +
                                       (kind == kExclusive ? L"exclusive" : L"shared") + L" " + prefix + L"-ready " +
                                       prefix + L"-release";
        if (process_.Start(arguments)) {
            const HANDLE waits[] = {ready_, process_.Handle()};
            held_ = WaitForMultipleObjects(2, waits, FALSE, 30000) == WAIT_OBJECT_0;
        }
    }
    ~CDatabaseHolder() {
        Release();
        CloseHandle(ready_);
        CloseHandle(release_);
    }
    CDatabaseHolder(const CDatabaseHolder&) = delete;
    CDatabaseHolder& operator=(const CDatabaseHolder&) = delete;

    // True once the other process holds the file.
    bool Held() const { return held_; }
    // Lets go of the file and waits until the process has ended.
    void Release() {
        SetEvent(release_);
        process_.WaitForExit(10000);
        process_.Kill();
        held_ = false;
    }

private:
    HANDLE ready_ = nullptr;
    HANDLE release_ = nullptr;
    CFaultHelperProcess process_;
    bool held_ = false;
};
