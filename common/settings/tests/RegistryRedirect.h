#pragma once

#include <windows.h>
#include <shlwapi.h>

#include <string>

// Redirects HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process to fresh private keys
// for the life of the object, so that a test neither sees nor changes the values that other
// test programs read at the same time.
class CRegistryRedirect {
public:
    CRegistryRedirect() {
        root_ = L"Software\\TrovaTests\\redirect-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                std::to_wstring(::GetTickCount());
        user_ = Create(root_ + L"\\user");
        machine_ = Create(root_ + L"\\machine");
        ::RegOverridePredefKey(HKEY_CURRENT_USER, user_);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
    }
    ~CRegistryRedirect() {
        ::RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        ::RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        ::RegCloseKey(user_);
        ::RegCloseKey(machine_);
        ::SHDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
    }
    CRegistryRedirect(const CRegistryRedirect&) = delete;
    CRegistryRedirect& operator=(const CRegistryRedirect&) = delete;

    HKEY User() const { return user_; }
    HKEY Machine() const { return machine_; }

private:
    static HKEY Create(const std::wstring& path) {
        HKEY key = nullptr;
        ::RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        return key;
    }

    std::wstring root_;
    HKEY user_ = nullptr;
    HKEY machine_ = nullptr;
};
