#include "common/settings/AppPaths.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include "framework/win/tests/TempFolder.h"

namespace {

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

void ExpectAllEmpty() {
    EXPECT_EQ(L"", CAppPaths::Base());
    EXPECT_EQ(L"", CAppPaths::Cache());
    EXPECT_EQ(L"", CAppPaths::Data());
}

// A file where set-up wants a folder.
void PutFileAt(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
}

class AppPathsTest : public ::testing::Test {
protected:
    void TearDown() override { CAppPaths::Shutdown(); }
    TempFolder appData_;
};

TEST_F(AppPathsTest, CreatesVantelFolderWithCacheAndData) {
    CAppPaths::InitAt(appData_.path());
    const std::wstring base = appData_.path() + L"Vantel\\";
    EXPECT_EQ(base, CAppPaths::Base());
    EXPECT_EQ(base + L"cache\\", CAppPaths::Cache());
    EXPECT_EQ(base + L"data\\", CAppPaths::Data());
    EXPECT_TRUE(IsFolder(CAppPaths::Cache()));
    EXPECT_TRUE(IsFolder(CAppPaths::Data()));

    // Folders left by an earlier run are taken as they are; a folder name without
    // its backslash gives the same folders.
    CAppPaths::Shutdown();
    ExpectAllEmpty();
    std::wstring withoutBackslash = appData_.path();
    withoutBackslash.pop_back();
    CAppPaths::InitAt(withoutBackslash);
    EXPECT_EQ(base, CAppPaths::Base());
    EXPECT_EQ(base + L"data\\", CAppPaths::Data());
}

TEST_F(AppPathsTest, UncreatableVantelFolderEmptiesAllWithoutFallBack) {
    ASSERT_NO_FATAL_FAILURE(PutFileAt(appData_.path() + L"Vantel"));
    CAppPaths::InitAt(appData_.path());
    ExpectAllEmpty();
}

TEST_F(AppPathsTest, CreatesOneLevelOnly) {
    CAppPaths::InitAt(appData_.path() + L"missing\\");
    ExpectAllEmpty();
    EXPECT_FALSE(IsFolder(appData_.path() + L"missing"));
}

TEST_F(AppPathsTest, UncreatableDataFolderEmptiesAll) {
    ASSERT_TRUE(CreateDirectoryW((appData_.path() + L"Vantel").c_str(), nullptr));
    ASSERT_NO_FATAL_FAILURE(PutFileAt(appData_.path() + L"Vantel\\data"));
    CAppPaths::InitAt(appData_.path());
    ExpectAllEmpty();
    // Set-up went as far as the cache folder.
    EXPECT_TRUE(IsFolder(appData_.path() + L"Vantel\\cache"));
}

TEST_F(AppPathsTest, WithoutAppDataFallsBackToProgramFolder) {
    wchar_t program[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, program, MAX_PATH);
    std::wstring folder = program;
    folder.resize(folder.find_last_of(L'\\') + 1);
    const bool hadCache = IsFolder(folder + L"cache");
    const bool hadData = IsFolder(folder + L"data");

    CAppPaths::InitAt(L"");
    EXPECT_EQ(folder, CAppPaths::Base());
    EXPECT_EQ(folder + L"cache\\", CAppPaths::Cache());
    EXPECT_EQ(folder + L"data\\", CAppPaths::Data());
    EXPECT_TRUE(IsFolder(CAppPaths::Data()));

    if (!hadCache)
        RemoveDirectoryW((folder + L"cache").c_str());
    if (!hadData)
        RemoveDirectoryW((folder + L"data").c_str());
}

// Extended-length form, for folders deeper than the plain calls take.
std::wstring Long(const std::wstring& path) { return L"\\\\?\\" + path; }

TEST_F(AppPathsTest, ModuleNameOf260CharactersOrMoreIsCutThere) {
    // The probe library, more than 300 characters deep, stands in for the program. No level
    // ends exactly at character 260, where systems differ in putting the terminator.
    std::wstring top = appData_.path() + L"deep";
    const size_t level = 38;
    if ((MAX_PATH - 1 - top.size()) % level == 0)
        top += L'x';
    top += L'\\';
    std::wstring folder = top;
    ASSERT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr));
    while (folder.size() < 300) {
        folder += std::wstring(level - 1, L'd') + L"\\";
        ASSERT_TRUE(CreateDirectoryW(Long(folder).c_str(), nullptr)) << folder.size();
    }
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring probe = self;
    probe.resize(probe.find_last_of(L'\\') + 1);
    probe += L"skin_probe_module.dll";
    const std::wstring name = folder + L"probe.dll";
    ASSERT_TRUE(CopyFileW(probe.c_str(), Long(name).c_str(), FALSE)) << probe;
    HMODULE module = LoadLibraryW(Long(name).c_str());
    ASSERT_NE(nullptr, module);

    CAppPaths::InitAt(L"", module);
    std::wstring expected = name.substr(0, MAX_PATH - 1);
    expected.resize(expected.find_last_of(L'\\') + 1);
    EXPECT_EQ(expected, CAppPaths::Base());
    EXPECT_EQ(expected + L"cache\\", CAppPaths::Cache());
    EXPECT_EQ(expected + L"data\\", CAppPaths::Data());
    EXPECT_TRUE(IsFolder(Long(expected + L"data")));
    CAppPaths::Shutdown();
    FreeLibrary(module);
    TempFolder::RemoveTree(top);
}

TEST_F(AppPathsTest, InitUsesShellAppDataFolder) {
    wchar_t appData[MAX_PATH] = {};
    ASSERT_EQ(S_OK, SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData));
    CAppPaths::Init();
    EXPECT_EQ(std::wstring(appData) + L"\\Vantel\\", CAppPaths::Base());
    EXPECT_TRUE(IsFolder(CAppPaths::Data()));
}

}  // namespace
