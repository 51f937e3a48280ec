// Stand-in for the outside update library. It knows no versions; environment variables
// decide what it answers, so that tests and demonstrations can drive the player's check:
//   UPDATEPROBE_NEWER=1      report that a newer version exists
//   UPDATEPROBE_FAIL=1       report that the check itself failed
//   UPDATEPROBE_DELAY_MS=n   take n milliseconds before answering
//   UPDATEPROBE_LOG=path     append one line per call to that file
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t value[1024];
    const DWORD length = ::GetEnvironmentVariableW(name, value, 1024);
    return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

void Log(int a, int b, int c, bool newer, bool ok) {
    const std::wstring path = Env(L"UPDATEPROBE_LOG");
    if (path.empty())
        return;
    FILE* file = _wfopen(path.c_str(), L"a");
    if (!file)
        return;
    std::fprintf(file, "CheckVersion(%d,%d,%d) pid=%lu newer=%d ok=%d\n", a, b, c, ::GetCurrentProcessId(),
                 newer ? 1 : 0, ok ? 1 : 0);
    std::fclose(file);
}

}  // namespace

extern "C" __declspec(dllexport) int WINAPI CheckVersion(int a, int b, int c, int* newer) {
    const int delay = _wtoi(Env(L"UPDATEPROBE_DELAY_MS").c_str());
    if (delay > 0)
        ::Sleep(static_cast<DWORD>(delay));
    const bool ok = Env(L"UPDATEPROBE_FAIL") != L"1";
    const bool isNewer = ok && Env(L"UPDATEPROBE_NEWER") == L"1";
    if (newer && ok)
        *newer = isNewer ? 1 : 0;
    Log(a, b, c, isNewer, ok);
    return ok ? 1 : 0;
}
