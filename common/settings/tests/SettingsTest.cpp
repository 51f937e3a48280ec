#include "common/settings/Settings.h"

#include <shlwapi.h>

#include <gtest/gtest.h>

namespace {

const wchar_t kSettingKey[] = L"Software\\Vantel\\Setting";
const wchar_t kRunKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// Redirects both hives to private keys of this process, so that the tests neither
// see nor change the values other test programs read at the same time.
class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = L"Software\\TrovaTests\\settings-" + std::to_wstring(GetCurrentProcessId());
        user_ = CreateKey(HKEY_CURRENT_USER, root_ + L"\\user");
        machine_ = CreateKey(HKEY_CURRENT_USER, root_ + L"\\machine");
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_CURRENT_USER, user_));
        ASSERT_EQ(ERROR_SUCCESS, RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_));
    }
    void TearDown() override {
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegCloseKey(user_);
        RegCloseKey(machine_);
        SHDeleteKeyW(HKEY_CURRENT_USER, root_.c_str());
    }

    static HKEY CreateKey(HKEY root, const std::wstring& path) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &key, nullptr));
        return key;
    }

    static void SetRaw(HKEY hive, const wchar_t* path, const wchar_t* name, DWORD type,
                       const void* data, DWORD size) {
        HKEY key = CreateKey(hive, path);
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size));
        RegCloseKey(key);
    }
    static void SetDword(HKEY hive, const wchar_t* name, DWORD value) {
        SetRaw(hive, kSettingKey, name, REG_DWORD, &value, sizeof(value));
    }
    static void SetSz(HKEY hive, const wchar_t* path, const wchar_t* name, const std::wstring& text,
                      DWORD type = REG_SZ) {
        SetRaw(hive, path, name, type, text.c_str(),
               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    }

    struct RawValue {
        DWORD type = REG_NONE;
        std::wstring bytes;  // raw data, as wide characters
        DWORD size = 0;
    };
    static RawValue GetRaw(HKEY hive, const wchar_t* path, const wchar_t* name) {
        RawValue value;
        value.bytes.assign(1024, L'?');
        value.size = 2048;
        HKEY key = nullptr;
        if (RegOpenKeyExW(hive, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
            return RawValue();
        if (RegQueryValueExW(key, name, nullptr, &value.type,
                             reinterpret_cast<BYTE*>(&value.bytes[0]), &value.size) != ERROR_SUCCESS)
            value = RawValue();
        RegCloseKey(key);
        value.bytes.resize((value.size + 1) / 2);
        return value;
    }

    static std::wstring ProgramPath() {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, path, MAX_PATH);
        return path;
    }

    std::wstring root_;
    HKEY user_ = nullptr;
    HKEY machine_ = nullptr;
};

TEST_F(SettingsTest, WithoutKeyEveryReaderFailsAndKeepsDefault) {
    const wchar_t* flags[] = {L"StartIntoCMode", L"CModeOnTop", L"CloseMinimize", L"CloseConfirm",
                              L"SendToMSN", L"EnableUPnP"};
    for (const wchar_t* name : flags) {
        bool on = true;
        EXPECT_FALSE(ReadFlag(name, on)) << name;
        EXPECT_TRUE(on) << name;
        bool off = false;
        EXPECT_FALSE(ReadFlag(name, off)) << name;
        EXPECT_FALSE(off) << name;
    }
    bool hide = false;
    EXPECT_FALSE(ReadFlag(L"HideHome", hide, true));
    EXPECT_FALSE(ReadCloseMinimize());
    DWORD size = 1024;
    EXPECT_FALSE(ReadMaxBufferSize(size));
    EXPECT_EQ(1024u, size);
    std::wstring text = L"preset";
    EXPECT_FALSE(ReadText(L"ISP", text));
    EXPECT_EQ(L"preset", text);
    EXPECT_FALSE(IsAutoRunOn());
}

TEST_F(SettingsTest, FlagsAreDwordsInCurrentUserHive) {
    ASSERT_TRUE(WriteFlag(L"CloseMinimize", true));
    RawValue raw = GetRaw(HKEY_CURRENT_USER, kSettingKey, L"CloseMinimize");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), raw.type);
    EXPECT_EQ(4u, raw.size);
    EXPECT_EQ(1, raw.bytes[0]);
    EXPECT_TRUE(ReadCloseMinimize());
    bool value = false;
    EXPECT_TRUE(ReadFlag(L"CloseMinimize", value));
    EXPECT_TRUE(value);

    ASSERT_TRUE(WriteFlag(L"CloseMinimize", false));
    raw = GetRaw(HKEY_CURRENT_USER, kSettingKey, L"CloseMinimize");
    EXPECT_EQ(0, raw.bytes[0]);
    value = true;
    EXPECT_TRUE(ReadFlag(L"CloseMinimize", value));
    EXPECT_FALSE(value);
    EXPECT_FALSE(ReadCloseMinimize());

    // Nothing went to the machine hive.
    EXPECT_EQ(static_cast<DWORD>(REG_NONE),
              GetRaw(HKEY_LOCAL_MACHINE, kSettingKey, L"CloseMinimize").type);
}

TEST_F(SettingsTest, AnyNonZeroNumberIsSet) {
    SetDword(HKEY_CURRENT_USER, L"SendToMSN", 7);
    bool value = false;
    EXPECT_TRUE(ReadFlag(L"SendToMSN", value));
    EXPECT_TRUE(value);
    SetDword(HKEY_CURRENT_USER, L"SendToMSN", 0x80000000u);
    value = false;
    EXPECT_TRUE(ReadFlag(L"SendToMSN", value));
    EXPECT_TRUE(value);
}

TEST_F(SettingsTest, FlagOfOtherTypeIsAbsent) {
    SetSz(HKEY_CURRENT_USER, kSettingKey, L"CloseMinimize", L"1");
    EXPECT_FALSE(ReadCloseMinimize());
    bool value = true;
    EXPECT_FALSE(ReadFlag(L"CloseMinimize", value));
    EXPECT_TRUE(value);

    const DWORD one = 1;
    SetRaw(HKEY_CURRENT_USER, kSettingKey, L"CloseConfirm", REG_BINARY, &one, sizeof(one));
    value = false;
    EXPECT_FALSE(ReadFlag(L"CloseConfirm", value));
    EXPECT_FALSE(value);

    // A REG_DWORD of the wrong size is no number either.
    const ULONGLONG wide = 1;
    SetRaw(HKEY_CURRENT_USER, kSettingKey, L"EnableUPnP", REG_DWORD, &wide, sizeof(wide));
    EXPECT_FALSE(ReadFlag(L"EnableUPnP", value));
    SetRaw(HKEY_CURRENT_USER, kSettingKey, L"EnableUPnP", REG_DWORD, &one, 2);
    EXPECT_FALSE(ReadFlag(L"EnableUPnP", value));
    EXPECT_FALSE(value);
}

TEST_F(SettingsTest, MachineFlagsComeFromMachineHiveOnly) {
    SetDword(HKEY_CURRENT_USER, L"HideCList", 1);
    bool hide = false;
    EXPECT_FALSE(ReadFlag(L"HideCList", hide, true));
    EXPECT_FALSE(hide);
    SetDword(HKEY_LOCAL_MACHINE, L"HideCList", 1);
    EXPECT_TRUE(ReadFlag(L"HideCList", hide, true));
    EXPECT_TRUE(hide);
    SetDword(HKEY_LOCAL_MACHINE, L"HideHome", 1);
    bool userHide = false;
    EXPECT_FALSE(ReadFlag(L"HideHome", userHide));
}

TEST_F(SettingsTest, MaxBufferSizeIsDword) {
    ASSERT_TRUE(WriteMaxBufferSize(2048));
    RawValue raw = GetRaw(HKEY_CURRENT_USER, kSettingKey, L"MaxBufferSize");
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), raw.type);
    DWORD size = 0;
    EXPECT_TRUE(ReadMaxBufferSize(size));
    EXPECT_EQ(2048u, size);

    SetSz(HKEY_CURRENT_USER, kSettingKey, L"MaxBufferSize", L"4096");
    size = 1024;
    EXPECT_FALSE(ReadMaxBufferSize(size));
    EXPECT_EQ(1024u, size);
}

TEST_F(SettingsTest, ProviderTextsAreTerminatedSz) {
    const std::wstring isp = L"\x4e2d\x56fd\x7535\x4fe1";
    ASSERT_TRUE(WriteISP(isp));
    ASSERT_TRUE(WriteMediaType(L"ADSL"));
    ASSERT_TRUE(WriteNetworkType(L""));
    ASSERT_TRUE(WriteBandwidth(L"2M"));

    RawValue raw = GetRaw(HKEY_CURRENT_USER, kSettingKey, L"ISP");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ((isp.size() + 1) * 2, raw.size);
    EXPECT_EQ(isp + L'\0', raw.bytes);

    std::wstring text;
    EXPECT_TRUE(ReadText(L"ISP", text));
    EXPECT_EQ(isp, text);
    EXPECT_TRUE(ReadText(L"MediaType", text));
    EXPECT_EQ(L"ADSL", text);
    EXPECT_TRUE(ReadText(L"NetworkType", text));
    EXPECT_EQ(L"", text);
    EXPECT_EQ(2u, GetRaw(HKEY_CURRENT_USER, kSettingKey, L"NetworkType").size);
    EXPECT_TRUE(ReadText(L"Bandwidth", text));
    EXPECT_EQ(L"2M", text);

    ASSERT_TRUE(WriteText(L"ISP", L"machine", true));
    EXPECT_EQ(std::wstring(L"machine") + L'\0', GetRaw(HKEY_LOCAL_MACHINE, kSettingKey, L"ISP").bytes);
    EXPECT_TRUE(ReadText(L"ISP", text));
    EXPECT_EQ(isp, text);
}

TEST_F(SettingsTest, TextRules) {
    std::wstring text;
    SetSz(HKEY_CURRENT_USER, kSettingKey, L"ISP", std::wstring(259, L'a'));
    EXPECT_TRUE(ReadText(L"ISP", text));
    EXPECT_EQ(259u, text.size());

    text = L"preset";
    SetSz(HKEY_CURRENT_USER, kSettingKey, L"ISP", std::wstring(260, L'a'));
    EXPECT_FALSE(ReadText(L"ISP", text));
    EXPECT_EQ(L"preset", text);

    // Taken literally, not expanded.
    SetSz(HKEY_CURRENT_USER, kSettingKey, L"ISP", L"%WINDIR%", REG_EXPAND_SZ);
    EXPECT_TRUE(ReadText(L"ISP", text));
    EXPECT_EQ(L"%WINDIR%", text);

    const wchar_t unterminated[] = {L'a', L'b'};
    SetRaw(HKEY_CURRENT_USER, kSettingKey, L"ISP", REG_SZ, unterminated, sizeof(unterminated));
    EXPECT_FALSE(ReadText(L"ISP", text));
    SetRaw(HKEY_CURRENT_USER, kSettingKey, L"ISP", REG_SZ, L"ab", 5);  // odd size
    EXPECT_FALSE(ReadText(L"ISP", text));
    SetRaw(HKEY_CURRENT_USER, kSettingKey, L"ISP", REG_SZ, L"", 0);
    EXPECT_FALSE(ReadText(L"ISP", text));
    SetDword(HKEY_CURRENT_USER, L"ISP", 1);
    EXPECT_FALSE(ReadText(L"ISP", text));
    SetRaw(HKEY_CURRENT_USER, kSettingKey, L"ISP", REG_MULTI_SZ, L"a\0", 6);
    EXPECT_FALSE(ReadText(L"ISP", text));
    EXPECT_EQ(L"%WINDIR%", text);
}

TEST_F(SettingsTest, AutoRunWritesProgramPathWithStartMinimized) {
    const std::wstring command = ProgramPath() + L" -startmin";
    EXPECT_FALSE(IsAutoRunOn());
    ASSERT_TRUE(SetAutoRun(true));
    RawValue raw = GetRaw(HKEY_LOCAL_MACHINE, kRunKey, L"vantel-tray");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ(command + L'\0', raw.bytes);
    EXPECT_TRUE(IsAutoRunOn());

    // Switching off keeps the value, empty.
    ASSERT_TRUE(SetAutoRun(false));
    raw = GetRaw(HKEY_LOCAL_MACHINE, kRunKey, L"vantel-tray");
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), raw.type);
    EXPECT_EQ(2u, raw.size);
    EXPECT_FALSE(IsAutoRunOn());
    // Nothing in the current user's hive.
    EXPECT_EQ(static_cast<DWORD>(REG_NONE),
              GetRaw(HKEY_CURRENT_USER, kRunKey, L"vantel-tray").type);
}

TEST_F(SettingsTest, AutoRunMustMatchExactly) {
    std::wstring upper = ProgramPath();
    CharUpperW(&upper[0]);
    ASSERT_NE(ProgramPath(), upper);
    SetSz(HKEY_LOCAL_MACHINE, kRunKey, L"vantel-tray", upper + L" -startmin");
    EXPECT_FALSE(IsAutoRunOn());
    SetSz(HKEY_LOCAL_MACHINE, kRunKey, L"vantel-tray", ProgramPath());
    EXPECT_FALSE(IsAutoRunOn());
    SetSz(HKEY_LOCAL_MACHINE, kRunKey, L"vantel-tray", ProgramPath() + L" -startmin ");
    EXPECT_FALSE(IsAutoRunOn());
    SetSz(HKEY_LOCAL_MACHINE, kRunKey, L"vantel-tray", ProgramPath() + L" -startmin", REG_EXPAND_SZ);
    EXPECT_TRUE(IsAutoRunOn());
    const DWORD one = 1;
    SetRaw(HKEY_LOCAL_MACHINE, kRunKey, L"vantel-tray", REG_DWORD, &one, sizeof(one));
    EXPECT_FALSE(IsAutoRunOn());
}

TEST_F(SettingsTest, AutoRunFailsWhenRunKeyCannotBeWritten) {
    // A stored key cannot be created beneath a volatile one.
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(machine_, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                             0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                                             nullptr, &parent, nullptr));
    RegCloseKey(parent);
    EXPECT_FALSE(SetAutoRun(true));
    EXPECT_FALSE(SetAutoRun(false));
    EXPECT_FALSE(IsAutoRunOn());
}

}  // namespace
