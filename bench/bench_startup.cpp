// Times the player's start: from CreateProcess of TrovaPlayer6.exe to its main frame being
// shown, to its first painted frame (the frame and every visible window in it without a
// pending paint) and to the channel list showing the whole catalogue (its all-channels header
// counting `channels`), then reads the process's memory once start-up has settled, and asks
// the player to quit. From the frame's appearance until then a prober thread sends the frame
// a message every few milliseconds and reports the longest wait for an answer: the longest
// time the window thread left a sent message unanswered during the start and the
// synchronisation. Run it only in a Wine prefix of its own (bench/run_startup.sh): the player
// uses the per-user folders and settings of the prefix it runs in.
//
// Usage: bench_startup <path of TrovaPlayer6.exe> [runs] [settle ms] [timeout ms] [channels]
// With TROVA_BENCH_DRIVE set to a keyword, once the list is complete the first catalog is
// expanded by a click, the keyword typed into the search box key by key, the last key taken
// back and typed again, the first result opened and the keyword cleared: each action with the
// frame probed as above ("[probe] ..."), the first two followed by a line "[drive] ..." and a
// pause, in which a screenshot can be taken.

#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "framework/win/ScopedHandle.h"

using Bench::Now;

namespace {

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

struct ChildSearch {
    int id;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK CheckChildId(HWND child, LPARAM param) {
    auto& search = *reinterpret_cast<ChildSearch*>(param);
    wchar_t name[64] = {};
    ::GetClassNameW(child, name, 64);
    if (::GetDlgCtrlID(child) != search.id || (search.className && std::wcscmp(name, search.className) != 0))
        return TRUE;
    search.found = child;
    return FALSE;
}

HWND FindChild(HWND parent, int id, const wchar_t* className) {
    ChildSearch search{id, className, nullptr};
    ::EnumChildWindows(parent, &CheckChildId, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

struct StartResult {
    double shown = -1, framePainted = -1, allPainted = -1;  // seconds after CreateProcess
    double listComplete = -1;
    double longestUnanswered = 0;     // seconds
    double longestUnansweredAt = -1;  // when that message was sent, seconds after CreateProcess
    SIZE_T workingSet = 0, peakWorkingSet = 0, privateBytes = 0;
};

// The count that the all-channels header shows as "所有频道(count)", or -1 when no such header
// answered in time.
struct HeaderSearch {
    int count;
};

BOOL CALLBACK CheckHeader(HWND child, LPARAM param) {
    static const wchar_t kCaption[] = L"所有频道(";
    const size_t captionLength = sizeof(kCaption) / sizeof(kCaption[0]) - 1;
    wchar_t text[64] = {};
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(child, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 1000, &copied))
        return TRUE;
    if (std::wcsncmp(text, kCaption, captionLength) != 0)
        return TRUE;
    reinterpret_cast<HeaderSearch*>(param)->count = _wtoi(text + captionLength);
    return FALSE;
}

int ShownChannelCount(HWND frame) {
    HeaderSearch search{-1};
    ::EnumChildWindows(frame, &CheckHeader, reinterpret_cast<LPARAM>(&search));
    return search.count;
}

// Sends the frame WM_NULL every few milliseconds until stopped and keeps the longest wait.
class CResponsivenessProbe {
public:
    CResponsivenessProbe(HWND frame, double origin) : frame_(frame), origin_(origin) {
        stop_.Reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_.Reset(::CreateThread(nullptr, 0, &Run, this, 0, nullptr));
    }
    ~CResponsivenessProbe() {
        double at = 0;
        Stop(at);
    }
    CResponsivenessProbe(const CResponsivenessProbe&) = delete;
    CResponsivenessProbe& operator=(const CResponsivenessProbe&) = delete;

    // Seconds of the longest wait for an answer; `at` receives when it began.
    double Stop(double& at) {
        if (thread_) {
            ::SetEvent(stop_);
            ::WaitForSingleObject(thread_, INFINITE);
            thread_.Reset();
            stop_.Reset();
        }
        at = longestAt_ - origin_;
        return longest_;
    }

private:
    static DWORD WINAPI Run(void* self) {
        auto& probe = *static_cast<CResponsivenessProbe*>(self);
        while (::WaitForSingleObject(probe.stop_, 5) == WAIT_TIMEOUT) {
            const double start = Now();
            DWORD_PTR result = 0;
            if (!::SendMessageTimeoutW(probe.frame_, WM_NULL, 0, 0, SMTO_NORMAL, 60000, &result) &&
                !::IsWindow(probe.frame_))
                break;
            if (Now() - start > probe.longest_) {
                probe.longest_ = Now() - start;
                probe.longestAt_ = start;
            }
        }
        return 0;
    }

    HWND frame_;
    ScopedKernelHandle stop_;
    ScopedKernelHandle thread_;
    double origin_;
    double longest_ = 0;
    double longestAt_ = 0;
};

// Runs one action of the drive and waits for what it sets off, reporting the frame's longest
// wait for an answer meanwhile.
void Probed(HWND frame, const char* what, DWORD settleMs, const std::function<void()>& action) {
    CResponsivenessProbe probe(frame, Now());
    action();
    ::Sleep(settleMs);
    double at = 0;
    std::printf("[probe] %-44s longest unanswered %6.0f ms\n", what, probe.Stop(at) * 1000);
    std::fflush(stdout);
}

// Expands the first catalog of the all-channels list, types the keyword into the search box
// key by key, takes the last key back and types it again, opens the first result, and clears
// the keyword; each with the frame probed. Markers let the caller take screenshots.
void Drive(HWND frame, const std::wstring& keyword) {
    const DWORD pauseMs = 2000;
    if (const HWND tree = FindChild(frame, 1001, L"TrovaChannelTree")) {
        const LPARAM secondRow = MAKELPARAM(40, 22 + 11);  // row 0 is the group of latest updates
        Probed(frame, "catalog expanded", pauseMs, [&] {
            ::PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, secondRow);
            ::PostMessageW(tree, WM_LBUTTONUP, 0, secondRow);
        });
    }
    std::printf("[drive] expanded\n");
    std::fflush(stdout);
    ::Sleep(pauseMs);
    const HWND panel = FindChild(frame, 1009, L"TrovaSearchPanel");
    if (!panel)
        return;
    const HWND edit = ::GetDlgItem(panel, 1001);
    // A click gives the box the focus, which takes its cue text away, as for a user.
    ::PostMessageW(edit, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 8));
    ::PostMessageW(edit, WM_LBUTTONUP, 0, MAKELPARAM(10, 8));
    ::Sleep(300);
    for (size_t i = 0; i < keyword.size(); ++i) {
        char what[64];
        std::snprintf(what, sizeof(what), "key %u of the keyword", static_cast<unsigned>(i + 1));
        Probed(frame, what, pauseMs, [&] { ::PostMessageW(edit, WM_CHAR, keyword[i], 0); });
    }
    std::printf("[drive] searched\n");
    std::fflush(stdout);
    ::Sleep(pauseMs);
    Probed(frame, "Backspace", pauseMs, [&] { ::PostMessageW(edit, WM_CHAR, VK_BACK, 0); });
    Probed(frame, "the key typed again", pauseMs, [&] { ::PostMessageW(edit, WM_CHAR, keyword.back(), 0); });
    if (const HWND results = FindChild(frame, 1008, L"TrovaChannelTree")) {
        const LPARAM firstRow = MAKELPARAM(40, 11);
        Probed(frame, "first result opened (history reload)", pauseMs, [&] {
            ::PostMessageW(results, WM_LBUTTONDOWN, MK_LBUTTON, firstRow);
            ::PostMessageW(results, WM_LBUTTONUP, 0, firstRow);
            ::PostMessageW(results, WM_LBUTTONDBLCLK, MK_LBUTTON, firstRow);
            ::PostMessageW(results, WM_LBUTTONUP, 0, firstRow);
        });
    }
    Probed(frame, "keyword cleared", pauseMs, [&] {
        for (size_t i = 0; i < keyword.size(); ++i)
            ::PostMessageW(edit, WM_CHAR, VK_BACK, 0);
    });
}

// Starts the player, polls its windows every millisecond, lets it settle, reads its memory
// and ends it.
bool StartOnce(const std::wstring& program, DWORD settleMs, DWORD timeoutMs, int channels, StartResult& result) {
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
    const ScopedKernelHandle processHandle(process.hProcess);
    const ScopedKernelHandle threadHandle(process.hThread);

    std::unique_ptr<CResponsivenessProbe> probe;
    HWND frame = nullptr;
    while (Now() - start < timeoutMs / 1000.0) {
        if (::WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
            std::fprintf(stderr, "the player ended during start-up\n");
            return false;
        }
        frame = FindFrame(process.dwProcessId);
        if (frame) {
            if (!probe)
                probe.reset(new CResponsivenessProbe(frame, start));
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
    // The whole catalogue in the list: the synchronisation after the start has ended.
    while (frame && channels > 0 && Now() - start < timeoutMs / 1000.0) {
        if (ShownChannelCount(frame) >= channels) {
            result.listComplete = Now() - start;
            break;
        }
        ::Sleep(20);
    }

    ::Sleep(settleMs);
    if (probe)
        result.longestUnanswered = probe->Stop(result.longestUnansweredAt);
    if (const wchar_t* keyword = _wgetenv(L"TROVA_BENCH_DRIVE"))
        if (frame && *keyword)
            Drive(frame, keyword);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    if (::GetProcessMemoryInfo(process.hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory))) {
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
    const int channels = argc > 5 ? _wtoi(argv[5]) : 0;

    std::printf("%4s %10s %16s %14s %14s %16s %12s %12s %12s %12s\n", "run", "shown ms", "frame painted ms",
                "all painted ms", "list done ms", "unanswered max ms", "working MB", "peak WS MB", "private MB",
                "(max at ms)");
    std::vector<double> painted;
    for (int run = 1; run <= runs; ++run) {
        StartResult result;
        if (!StartOnce(program, settleMs, timeoutMs, channels, result))
            return 1;
        const double mb = 1024.0 * 1024.0;
        std::printf("%4d %10.0f %16.0f %14.0f %14.0f %16.0f %12.1f %12.1f %12.1f %12.0f\n", run, result.shown * 1000,
                    result.framePainted * 1000, result.allPainted * 1000, result.listComplete * 1000,
                    result.longestUnanswered * 1000, result.workingSet / mb, result.peakWorkingSet / mb,
                    result.privateBytes / mb, result.longestUnansweredAt * 1000);
        std::fflush(stdout);
        if (run > 1)
            painted.push_back(result.allPainted);
    }
    if (!painted.empty())
        std::printf("median of runs 2..%d: all painted %.0f ms\n", runs, Bench::Median(painted) * 1000);
    return 0;
}
