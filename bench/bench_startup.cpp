// Times the player's start: from CreateProcess of TrovaPlayer6.exe to its main frame being
// shown and to its first painted frame (the frame and every visible window in it without a
// pending paint), then reads the process's memory once start-up has settled, and asks the
// player to quit. Run it only in a Wine prefix of its own (bench/run_startup.sh): the player
// uses the per-user folders and settings of the prefix it runs in.
//
// Usage: bench_startup <path of TrovaPlayer6.exe> [runs] [settle ms] [timeout ms]

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"

using bench::Now;

namespace {


class ScopedHandle {
public:
    explicit ScopedHandle(HANDLE handle = nullptr) : handle_(handle) {}
    ~ScopedHandle() {
        if (handle_)
            ::CloseHandle(handle_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

// The largest visible top-level window of the process: its main frame.
struct FrameSearch {
    DWORD processId;
    HWND frame;
    long area;
};

BOOL CALLBACK CheckTopLevel(HWND window, LPARAM param) {
    FrameSearch& search = *reinterpret_cast<FrameSearch*>(param);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId || !::IsWindowVisible(window))
        return TRUE;
    RECT rect;
    ::GetWindowRect(window, &rect);
    const long area = (rect.right - rect.left) * (rect.bottom - rect.top);
    if (area > search.area) {
        search.area = area;
        search.frame = window;
    }
    return TRUE;
}

HWND FindFrame(DWORD processId) {
    FrameSearch search{processId, nullptr, 0};
    ::EnumWindows(&CheckTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.frame;
}

bool HasPendingPaint(HWND window) {
    RECT rect;
    return ::GetUpdateRect(window, &rect, FALSE) != FALSE;
}

BOOL CALLBACK CheckChild(HWND child, LPARAM param) {
    if (::IsWindowVisible(child) && HasPendingPaint(child)) {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}

bool AnyChildPending(HWND frame) {
    bool pending = false;
    ::EnumChildWindows(frame, &CheckChild, reinterpret_cast<LPARAM>(&pending));
    return pending;
}

struct StartResult {
    double shown = -1, framePainted = -1, allPainted = -1;  // seconds after CreateProcess
    SIZE_T workingSet = 0, peakWorkingSet = 0, privateBytes = 0;
};

// Starts the player, polls its windows every millisecond, lets it settle, reads its memory
// and ends it.
bool StartOnce(const std::wstring& program, DWORD settleMs, DWORD timeoutMs, StartResult& result) {
    std::wstring folder = program.substr(0, program.find_last_of(L"\\/") + 1);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const double start = Now();
    if (!::CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "cannot start the player (error %lu)\n", ::GetLastError());
        return false;
    }
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);

    while (Now() - start < timeoutMs / 1000.0) {
        if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "the player ended during start-up\n");
            return false;
        }
        const HWND frame = FindFrame(process.dwProcessId);
        if (frame) {
            const double now = Now() - start;
            if (result.shown < 0)
                result.shown = now;
            if (result.framePainted < 0 && !HasPendingPaint(frame))
                result.framePainted = now;
            if (result.framePainted >= 0 && !HasPendingPaint(frame) && !AnyChildPending(frame)) {
                result.allPainted = now;
                break;
            }
        }
        ::Sleep(1);
    }

    ::Sleep(settleMs);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (::GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                               sizeof(memory))) {
        result.workingSet = memory.WorkingSetSize;
        result.peakWorkingSet = memory.PeakWorkingSetSize;
        // Wine leaves PrivateUsage of another process at 0; the commit charge is the same figure.
        result.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    }
    // The player's own quit request (no confirmation), so that it removes its tray icon and
    // firewall entry like at any exit; ended by force only when it does not quit.
    HWND singleton = ::FindWindowW(L"TrovaPlayerSWWndClass", nullptr);
    if (singleton)
        ::PostMessageW(singleton, WM_USER + 1008, 0, 0);
    if (!singleton || ::WaitForSingleObject(process.hProcess, 15000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "the player did not quit; ended by force\n");
        ::TerminateProcess(process.hProcess, 0);
        ::WaitForSingleObject(process.hProcess, 10000);
    }
    return result.shown >= 0;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_startup <TrovaPlayer6.exe> [runs] [settle ms] [timeout ms]\n");
        return 2;
    }
    const std::wstring program = argv[1];
    const int runs = argc > 2 ? _wtoi(argv[2]) : 5;
    const DWORD settleMs = argc > 3 ? _wtoi(argv[3]) : 3000;
    const DWORD timeoutMs = argc > 4 ? _wtoi(argv[4]) : 120000;

    std::printf("%4s %10s %16s %14s %12s %12s %12s\n", "run", "shown ms", "frame painted ms", "all painted ms",
                "working MB", "peak WS MB", "private MB");
    std::vector<double> painted;
    for (int run = 1; run <= runs; ++run) {
        StartResult result;
        if (!StartOnce(program, settleMs, timeoutMs, result))
            return 1;
        const double mb = 1024.0 * 1024.0;
        std::printf("%4d %10.0f %16.0f %14.0f %12.1f %12.1f %12.1f\n", run, result.shown * 1000,
                    result.framePainted * 1000, result.allPainted * 1000, result.workingSet / mb,
                    result.peakWorkingSet / mb, result.privateBytes / mb);
        std::fflush(stdout);
        if (run > 1)
            painted.push_back(result.allPainted);
    }
    if (!painted.empty())
        std::printf("median of runs 2..%d: all painted %.0f ms\n", runs, Median(painted) * 1000);
    return 0;
}
