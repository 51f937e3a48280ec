#pragma once
// Starts store_fault_helper.exe (built beside the test programs) as a second process: a
// synchronisation that can be killed part-way, or another process holding the database.

#include <windows.h>

#include <string>

// One helper process; killed if it still runs when the object goes.
class CFaultHelperProcess {
public:
    CFaultHelperProcess() = default;
    ~CFaultHelperProcess() { Kill(); }
    CFaultHelperProcess(const CFaultHelperProcess&) = delete;
    CFaultHelperProcess& operator=(const CFaultHelperProcess&) = delete;

    static std::wstring Path() {
        wchar_t self[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path = self;
        return path.substr(0, path.find_last_of(L"\\/") + 1) + L"store_fault_helper.exe";
    }

    bool Start(const std::wstring& arguments) {
        std::wstring command = L"\"" + Path() + L"\" " + arguments;
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        return CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &info_) != FALSE;
    }
    bool WaitForExit(DWORD timeoutMs) const {
        return info_.hProcess && WaitForSingleObject(info_.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }
    // Exit code once ended; STILL_ACTIVE while running, ~0u without a process.
    DWORD ExitCode() const {
        DWORD code = ~0u;
        if (info_.hProcess) GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    HANDLE Handle() const { return info_.hProcess; }
    // Ends the process at once, wherever it is, and waits until it is gone.
    void Kill() {
        if (!info_.hProcess) return;
        if (!WaitForExit(0)) {
            TerminateProcess(info_.hProcess, 9);
            WaitForExit(10000);
        }
        CloseHandle(info_.hThread);
        CloseHandle(info_.hProcess);
        info_ = PROCESS_INFORMATION{};
    }

private:
    PROCESS_INFORMATION info_ = {};
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
