#pragma once
// A second process that a test starts and ends: ended by force if it still runs when the
// object goes, so that a failed test leaves no process behind.
#include <windows.h>

#include <string>

#include "framework/win/ScopedHandle.h"

class CChildProcess {
public:
    ~CChildProcess() { Kill(); }

    // Runs `program` with the arguments in `folder` (null: this process's); it inherits this
    // process's environment.
    bool Start(const std::wstring& program, const std::wstring& arguments, const wchar_t* folder = nullptr) {
        std::wstring command = L"\"" + program + L"\"";
        if (!arguments.empty())
            command += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info{};
        if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info))
            return false;
        process_.Reset(info.hProcess);
        thread_.Reset(info.hThread);
        id_ = info.dwProcessId;
        return true;
    }
    bool Running() const { return process_ && ::WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }
    // The exit code once ended (STILL_ACTIVE while running, ~0 when never started).
    DWORD ExitCode() const {
        DWORD code = ~0u;
        if (process_)
            ::GetExitCodeProcess(process_, &code);
        return code;
    }
    HANDLE Handle() const { return process_; }
    DWORD Id() const { return id_; }
    // Ends the process at once, wherever it is, and waits until it is gone.
    void Kill() {
        if (Running()) {
            ::TerminateProcess(process_, 9);
            ::WaitForSingleObject(process_, 10000);
        }
        process_.Reset();
        thread_.Reset();
        id_ = 0;
    }

private:
    ScopedKernelHandle process_;
    ScopedKernelHandle thread_;
    DWORD id_ = 0;
};
