#pragma once

#include <windows.h>

#include <memory>
#include <string>

// Per-user application folders ("Vantel\" with "cache\" and "data\" beneath it),
// decided once per process. When the folders cannot be set up every folder string is
// empty, and users of a folder must cope with that.
class CAppPaths {
public:
    // Shell's per-user roaming application-data folder + "Vantel\".
    static void Init();
    // Same set-up under the given folder instead of the shell's, falling back to the folder of
    // the given module instead of the running program's (tests).
    static void InitAt(const std::wstring& appDataFolder, HMODULE fallbackModule = nullptr);
    // Copies of the folder strings; each ends in a backslash or is empty.
    static std::wstring Base();
    static std::wstring Cache();
    static std::wstring Data();
    // Destroys the process-wide object (program exit, control destruction).
    static void Shutdown();

    CAppPaths(const CAppPaths&) = delete;
    CAppPaths& operator=(const CAppPaths&) = delete;

private:
    CAppPaths() = default;
    static CAppPaths& Instance();
    void SetUp(const std::wstring& appDataFolder, HMODULE fallbackModule);
    void Clear();

    // Module whose folder is the fall-back; null means the running program.
    HMODULE module_ = nullptr;
    std::wstring base_;
    std::wstring cache_;
    std::wstring data_;

    static std::unique_ptr<CAppPaths> instance_;
};
