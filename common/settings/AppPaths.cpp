#include "common/settings/AppPaths.h"

#include <shlobj.h>

std::unique_ptr<CAppPaths> CAppPaths::instance_;

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// Creates one folder level. Another process may be creating the same folder at the
// same moment, so a failed creation is given a moment before looking again.
bool EnsureFolder(const std::wstring& path) {
    if (IsFolder(path))
        return true;
    if (!CreateDirectoryW(path.c_str(), nullptr))
        Sleep(100);
    return IsFolder(path);
}

std::wstring WithBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/')
        folder += L'\\';
    return folder;
}

std::wstring ShellAppDataFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder)))
        return std::wstring();
    return folder;
}

// The folder of the module's file, backslash kept; empty when the name is unknown. A name too
// long for the buffer comes back cut (without a terminator on XP): the part up to its last
// backslash still names a folder on the program's path.
std::wstring ModuleFolder(HMODULE module) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring folder(path, wcsnlen(path, length));
    const size_t slash = folder.find_last_of(L'\\');
    if (slash == std::wstring::npos)
        return std::wstring();
    folder.resize(slash + 1);
    return folder;
}

}  // namespace

CAppPaths& CAppPaths::Instance() {
    if (!instance_)
        instance_.reset(new CAppPaths());
    return *instance_;
}

void CAppPaths::Init() {
    Instance().SetUp(ShellAppDataFolder(), nullptr);
}

void CAppPaths::InitAt(const std::wstring& appDataFolder, HMODULE fallbackModule) {
    Instance().SetUp(appDataFolder, fallbackModule);
}

void CAppPaths::Shutdown() {
    instance_.reset();
}

std::wstring CAppPaths::Base() {
    return instance_ ? instance_->base_ : std::wstring();
}

std::wstring CAppPaths::Cache() {
    return instance_ ? instance_->cache_ : std::wstring();
}

std::wstring CAppPaths::Data() {
    return instance_ ? instance_->data_ : std::wstring();
}

void CAppPaths::SetUp(const std::wstring& appDataFolder, HMODULE fallbackModule) {
    module_ = fallbackModule;
    base_ = appDataFolder.empty() ? std::wstring() : WithBackslash(appDataFolder) + L"Vantel\\";
    if (base_.empty())
        base_ = ModuleFolder(module_);
    if (base_.empty()) {
        Clear();
        return;
    }
    cache_ = base_ + L"cache\\";
    data_ = base_ + L"data\\";
    if (!EnsureFolder(base_) || !EnsureFolder(cache_) || !EnsureFolder(data_))
        Clear();
}

void CAppPaths::Clear() {
    base_.clear();
    cache_.clear();
    data_.clear();
}
