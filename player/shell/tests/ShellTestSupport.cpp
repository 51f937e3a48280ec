#include "player/shell/tests/ShellTestSupport.h"

#include <vector>

std::wstring DistFolder() {
    wchar_t unixPath[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"TROVA_DIST_DIR", unixPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    std::wstring path = L"Z:" + std::wstring(unixPath, length);
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

bool WriteMachineFlag(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Vantel\\Setting", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                          &key, nullptr) != ERROR_SUCCESS)
        return false;
    const bool written = ::RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                          sizeof(value)) == ERROR_SUCCESS;
    ::RegCloseKey(key);
    return written;
}

namespace {

// Copies the shipped default skin beside the probe module of `folder`.
void CopyDefaultSkin(const SkinFolder& folder) {
    const std::wstring source = DistFolder() + L"\\skin\\general\\";
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((source + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            ::CopyFileW((source + found.cFileName).c_str(), folder.SkinPath(found.cFileName).c_str(), FALSE);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

}  // namespace

CShellTest::CShellTest() {
    // The single-instance window starts the update check; the substitute answers "current".
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", L"0");
    CopyDefaultSkin(skinFolder_);
    EXPECT_TRUE(CSkin::Instance()->Load(skinFolder_.Module())) << "default skin from TROVA_DIST_DIR";
    EXPECT_TRUE(playerClass_.IsRegistered());
    EXPECT_TRUE(listClass_.IsRegistered());
}

CShellTest::~CShellTest() {
    CSkin::Destroy();
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", nullptr);
}
