#pragma once
// A second process that a test starts and ends: ended by force if it still runs when the
// object goes, so that a failed test leaves no process behind.
#include <windows.h>

#include <string>

class CChildProcess {
public:
    CChildProcess() = default;
    ~CChildProcess() { Kill(); }
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    // Runs `program` with the arguments in `folder` (null: this process's); it inherits this
    // process's environment.
    bool Start(const std::wstring& program, const std::wstring& arguments, const wchar_t* folder = nullptr) {
        std::wstring command = L"\"" + program + L"\"";
        if (!arguments.empty())
            command += L" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        return ::CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info_) !=
               FALSE;
    }
    bool Running() const { return info_.hProcess && ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }
    // The exit code once ended (STILL_ACTIVE while running, ~0 when never started).
    DWORD ExitCode() const {
        DWORD code = ~0u;
        if (info_.hProcess)
            ::GetExitCodeProcess(info_.hProcess, &code);
        return code;
    }
    HANDLE Handle() const { return info_.hProcess; }
    DWORD Id() const { return info_.dwProcessId; }
    // Ends the process at once, wherever it is, and waits until it is gone.
    void Kill() {
        if (!info_.hProcess)
            return;
        if (Running()) {
            ::TerminateProcess(info_.hProcess, 9);
            ::WaitForSingleObject(info_.hProcess, 10000);
        }
        ::CloseHandle(info_.hThread);
        ::CloseHandle(info_.hProcess);
        info_ = PROCESS_INFORMATION{};
    }

private:
    PROCESS_INFORMATION info_{};
};
