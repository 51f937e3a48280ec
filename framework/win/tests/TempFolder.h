#pragma once

#include <windows.h>

#include <string>

// A fresh folder under the temp folder, removed with its contents when destroyed, so
// that test programs running in parallel never share a file.
class TempFolder {
public:
    TempFolder() {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        static LONG counter = 0;
        for (;;) {
            path_ = std::wstring(temp) + L"trova-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                    std::to_wstring(GetTickCount()) + L"-" + std::to_wstring(InterlockedIncrement(&counter)) + L"\\";
            if (CreateDirectoryW(path_.c_str(), nullptr))
                break;
        }
    }
    ~TempFolder() { RemoveTree(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // Ends in a backslash.
    const std::wstring& path() const { return path_; }

    // Removes a folder (ending in a backslash) with its contents, at any depth: the calls take
    // the extended-length form of its paths.
    static void RemoveTree(const std::wstring& folder) {
        const std::wstring extended = L"\\\\?\\" + folder;
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((extended + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    RemoveTree(folder + name + L"\\");
                else
                    DeleteFileW((extended + name).c_str());
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        RemoveDirectoryW(extended.c_str());
    }

private:
    std::wstring path_;
};
