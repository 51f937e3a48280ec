#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "common/settings/Settings.h"
#include "common/settings/tests/RegistryRedirect.h"
#include "framework/win/tests/TempFolder.h"
#include "framework/win/tests/TestHost.h"
#include "player/options/OptPanels.h"

namespace {

std::wstring Text(HWND page, int id) {
    wchar_t text[512] = {};
    ::GetDlgItemTextW(page, id, text, 512);
    return text;
}

void WriteSmallFile(const std::wstring& path, const char* content) {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    DWORD written = 0;
    ::WriteFile(file, content, static_cast<DWORD>(strlen(content)), &written, nullptr);
    ::CloseHandle(file);
}

bool Checked(HWND page, int id) { return ::IsDlgButtonChecked(page, id) == BST_CHECKED; }

// What a click on a check box does: toggle it, then tell the page.
void ClickCheckBox(HWND page, int id) {
    ::CheckDlgButton(page, id, Checked(page, id) ? BST_UNCHECKED : BST_CHECKED);
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

void ClickButton(HWND page, int id) {
    ::SendMessageW(page, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(page, id)));
}

bool StoredFlag(const wchar_t* name, bool& value) { return ReadFlag(name, value); }

DWORD StoredBufferSize() {
    DWORD size = 0;
    return ReadMaxBufferSize(size) ? size : 0;
}

class OptPanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES};
        ::InitCommonControlsEx(&controls);
    }

    CRegistryRedirect registry;
    CTestHost host;
};

TEST_F(OptPanelTest, GeneralPageShowsDefaultsAndWritesEachClick) {
    CTestWindow<COptGeneralPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    EXPECT_EQ(L"启动时进入精简模式", Text(page, IDC_OPT_START_COMPACT));
    EXPECT_EQ(L"启动Windows时自动运行", Text(page, IDC_OPT_AUTORUN));
    EXPECT_EQ(L"向MSN发送当前播放的内容", Text(page, IDC_OPT_SEND_TO_MSN));
    EXPECT_FALSE(Checked(page, IDC_OPT_START_COMPACT));
    EXPECT_TRUE(Checked(page, IDC_OPT_COMPACT_ON_TOP));
    EXPECT_FALSE(Checked(page, IDC_OPT_AUTORUN));
    EXPECT_FALSE(Checked(page, IDC_OPT_CLOSE_MINIMIZE));
    EXPECT_TRUE(Checked(page, IDC_OPT_CLOSE_CONFIRM));
    EXPECT_TRUE(Checked(page, IDC_OPT_SEND_TO_MSN));

    const struct {
        int id;
        const wchar_t* setting;
        bool after;
    } boxes[] = {{IDC_OPT_START_COMPACT, L"StartIntoCMode", true},
                 {IDC_OPT_COMPACT_ON_TOP, L"CModeOnTop", false},
                 {IDC_OPT_CLOSE_MINIMIZE, L"CloseMinimize", true},
                 {IDC_OPT_CLOSE_CONFIRM, L"CloseConfirm", false},
                 {IDC_OPT_SEND_TO_MSN, L"SendToMSN", false}};
    for (const auto& box : boxes) {
        bool value = !box.after;
        EXPECT_FALSE(StoredFlag(box.setting, value)) << "written before the click";
        ClickCheckBox(page, box.id);
        ASSERT_TRUE(StoredFlag(box.setting, value));
        EXPECT_EQ(box.after, value);
        ClickCheckBox(page, box.id);
        ASSERT_TRUE(StoredFlag(box.setting, value));
        EXPECT_EQ(!box.after, value);
    }
}

TEST_F(OptPanelTest, GeneralPageSwitchesStartWithWindows) {
    CTestWindow<COptGeneralPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    ClickCheckBox(page, IDC_OPT_AUTORUN);
    EXPECT_TRUE(IsAutoRunOn());

    CTestWindow<COptGeneralPanel> reopened;
    ASSERT_NE(nullptr, reopened.CreateModeless(host));
    EXPECT_TRUE(Checked(reopened, IDC_OPT_AUTORUN));
    ClickCheckBox(reopened, IDC_OPT_AUTORUN);
    EXPECT_FALSE(IsAutoRunOn());
}

TEST_F(OptPanelTest, GeneralPageShowsStoredFlags) {
    WriteFlag(L"StartIntoCMode", true);
    WriteFlag(L"CModeOnTop", false);
    WriteFlag(L"SendToMSN", false);
    CTestWindow<COptGeneralPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    EXPECT_TRUE(Checked(page, IDC_OPT_START_COMPACT));
    EXPECT_FALSE(Checked(page, IDC_OPT_COMPACT_ON_TOP));
    EXPECT_FALSE(Checked(page, IDC_OPT_SEND_TO_MSN));
    EXPECT_TRUE(Checked(page, IDC_OPT_CLOSE_CONFIRM));
}

TEST_F(OptPanelTest, PagesSurviveOkAndCancel) {
    CTestWindow<COptGeneralPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    ::SendMessageW(page, WM_COMMAND, IDOK, 0);
    ::SendMessageW(page, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(::IsWindow(page));
}

class BufferPageTest : public OptPanelTest {
protected:
    HWND Slider() const { return ::GetDlgItem(page, IDC_OPT_BUFFER_SLIDER); }
    int SliderPosition() const { return static_cast<int>(::SendMessageW(Slider(), TBM_GETPOS, 0, 0)); }
    void Enter(const wchar_t* typed) {
        HWND edit = ::GetDlgItem(page, IDC_OPT_BUFFER_EDIT);
        ::SetWindowTextW(edit, typed);
        ::SendMessageW(edit, WM_KEYDOWN, VK_RETURN, 1);
    }

    CTestWindow<COptBufferPanel> page;
};

TEST_F(BufferPageTest, StartsFromTheStoredSizeOr1024) {
    ASSERT_NE(nullptr, page.CreateModeless(host));
    EXPECT_EQ(L"最大缓冲区尺寸：", Text(page, IDC_OPT_BUFFER_LABEL));
    EXPECT_EQ(L"1024", Text(page, IDC_OPT_BUFFER_EDIT));
    EXPECT_EQ(1024, SliderPosition());
    EXPECT_EQ(512, ::SendMessageW(Slider(), TBM_GETRANGEMIN, 0, 0));
    EXPECT_EQ(4096, ::SendMessageW(Slider(), TBM_GETRANGEMAX, 0, 0));
    EXPECT_EQ(10, ::SendMessageW(Slider(), TBM_GETPAGESIZE, 0, 0));
    EXPECT_EQ(0u, StoredBufferSize()) << "nothing is written before a change";

    WriteMaxBufferSize(3000);
    CTestWindow<COptBufferPanel> stored;
    ASSERT_NE(nullptr, stored.CreateModeless(host));
    EXPECT_EQ(L"3000", Text(stored, IDC_OPT_BUFFER_EDIT));
    EXPECT_EQ(3000, ::SendDlgItemMessageW(stored, IDC_OPT_BUFFER_SLIDER, TBM_GETPOS, 0, 0));
}

TEST_F(BufferPageTest, EnterStoresTypedSizesAndReplacesBadOnesWith1024) {
    ASSERT_NE(nullptr, page.CreateModeless(host));
    Enter(L"2048");
    EXPECT_EQ(2048u, StoredBufferSize());
    EXPECT_EQ(2048, SliderPosition());

    const wchar_t* bad[] = {L"5000", L"abc", L"", L"511", L"-600", L"99999999999999999999"};
    for (const wchar_t* typed : bad) {
        WriteMaxBufferSize(777);
        Enter(typed);
        EXPECT_EQ(L"1024", Text(page, IDC_OPT_BUFFER_EDIT)) << typed;
        EXPECT_EQ(1024, SliderPosition()) << typed;
        EXPECT_EQ(1024u, StoredBufferSize()) << typed;
    }
    Enter(L"4096");
    EXPECT_EQ(4096u, StoredBufferSize());
    Enter(L"512MB");  // the number in front counts
    EXPECT_EQ(512u, StoredBufferSize());
    EXPECT_TRUE(::IsWindow(page)) << "Enter must not end the page";
}

TEST_F(BufferPageTest, LettingGoOfTheSliderStoresItsPosition) {
    ASSERT_NE(nullptr, page.CreateModeless(host));
    RECT thumb{};
    ::SendMessageW(Slider(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
    const RECT track = CWindow(Slider()).GetClientRect();
    const int y = (thumb.top + thumb.bottom) / 2;
    ::SendMessageW(Slider(), WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam((thumb.left + thumb.right) / 2, y));
    ::SendMessageW(Slider(), WM_MOUSEMOVE, MK_LBUTTON, MakePointLParam(track.right - 1, y));
    EXPECT_EQ(0u, StoredBufferSize()) << "nothing is stored while dragging";
    ::SendMessageW(Slider(), WM_LBUTTONUP, 0, MakePointLParam(track.right - 1, y));

    const int position = SliderPosition();
    EXPECT_GT(position, 3500);
    EXPECT_EQ(static_cast<DWORD>(position), StoredBufferSize());
    EXPECT_EQ(std::to_wstring(position), Text(page, IDC_OPT_BUFFER_EDIT));
}

TEST_F(BufferPageTest, KeyboardMovesOfTheSliderAreStoredToo) {
    ASSERT_NE(nullptr, page.CreateModeless(host));
    ::SendMessageW(Slider(), WM_KEYDOWN, VK_END, 0);
    ::SendMessageW(Slider(), WM_KEYUP, VK_END, 0);
    EXPECT_EQ(4096, SliderPosition());
    EXPECT_EQ(4096u, StoredBufferSize());
    EXPECT_EQ(L"4096", Text(page, IDC_OPT_BUFFER_EDIT));
}

TEST_F(OptPanelTest, ConnectionPageOffersTheFixedChoicesAndSavesAllFourTexts) {
    WriteText(L"MediaType", L"局域网");
    WriteText(L"Bandwidth", L"20M");
    CTestWindow<COptISPPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    EXPECT_EQ(L"保存", Text(page, IDC_OPT_ACTION));
    EXPECT_EQ(L"网络运营商：", Text(page, IDC_OPT_ISP_LABEL));

    const std::vector<std::wstring> isps{L"电信", L"网通", L"教育网", L"铁通", L"联通", L"有线通"};
    HWND combo = ::GetDlgItem(page, IDC_OPT_ISP_COMBO);
    ASSERT_EQ(static_cast<LRESULT>(isps.size()), ::SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (size_t i = 0; i < isps.size(); ++i) {
        wchar_t item[32] = {};
        ::SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
        EXPECT_EQ(isps[i], item);
    }
    EXPECT_EQ(4, ::SendDlgItemMessageW(page, IDC_OPT_MEDIA_COMBO, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(2, ::SendDlgItemMessageW(page, IDC_OPT_NETTYPE_COMBO, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(8, ::SendDlgItemMessageW(page, IDC_OPT_BANDWIDTH_COMBO, CB_GETCOUNT, 0, 0));

    EXPECT_EQ(L"", Text(page, IDC_OPT_ISP_COMBO));
    EXPECT_EQ(L"局域网", Text(page, IDC_OPT_MEDIA_COMBO));
    EXPECT_EQ(L"20M", Text(page, IDC_OPT_BANDWIDTH_COMBO));

    ::SetDlgItemTextW(page, IDC_OPT_NETTYPE_COMBO, L"外网");
    std::wstring text = L"unchanged";
    EXPECT_FALSE(ReadText(L"NetworkType", text)) << "typing stores nothing";
    ClickButton(page, IDC_OPT_ACTION);

    ASSERT_TRUE(ReadText(L"ISP", text));
    EXPECT_EQ(L"", text);
    ASSERT_TRUE(ReadText(L"MediaType", text));
    EXPECT_EQ(L"局域网", text);
    ASSERT_TRUE(ReadText(L"NetworkType", text));
    EXPECT_EQ(L"外网", text);
    ASSERT_TRUE(ReadText(L"Bandwidth", text));
    EXPECT_EQ(L"20M", text);
}

TEST_F(OptPanelTest, ConnectionTextsStayReadable) {
    CTestWindow<COptISPPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    // Typing beyond what the settings can read back is refused at the box.
    HWND combo = ::GetDlgItem(page, IDC_OPT_ISP_COMBO);
    HWND edit = ::GetWindow(combo, GW_CHILD);
    ASSERT_NE(nullptr, edit);
    for (int i = 0; i < 300; ++i)
        ::SendMessageW(edit, WM_CHAR, L'x', 1);
    ClickButton(page, IDC_OPT_ACTION);
    std::wstring text;
    ASSERT_TRUE(ReadText(L"ISP", text));
    EXPECT_EQ(std::wstring(259, L'x'), text);
}

class SkinPageTest : public OptPanelTest {
protected:
    void AddSkin(const std::wstring& name, bool withDescription) {
        ::CreateDirectoryW((skins.path() + name).c_str(), nullptr);
        if (withDescription)
            WriteSmallFile(skins.path() + name + L"\\skin.xml", "<skin/>");
    }
    std::vector<std::wstring> Lines(HWND page) {
        std::vector<std::wstring> lines;
        HWND list = ::GetDlgItem(page, IDC_OPT_SKIN_LIST);
        const int count = static_cast<int>(::SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            wchar_t line[MAX_PATH] = {};
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
            lines.push_back(line);
        }
        return lines;
    }
    // Those of `names` that are folders of the skins root, in the order the file system lists them.
    std::vector<std::wstring> InListingOrder(const std::vector<std::wstring>& names) {
        std::vector<std::wstring> listed;
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((skins.path() + L"*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return listed;
        do {
            if (std::find(names.begin(), names.end(), found.cFileName) != names.end())
                listed.push_back(found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
        return listed;
    }

    TempFolder skins;
};

TEST_F(SkinPageTest, ListsOnlyFoldersHoldingASkinDescription) {
    // "Night" before "general" would be a plain sort, not the order of the listing.
    AddSkin(L"general", true);
    AddSkin(L"Night", true);
    AddSkin(L"broken", false);
    WriteSmallFile(skins.path() + L"skin.xml", "<skin/>");
    ::CreateDirectoryW((skins.path() + L"odd").c_str(), nullptr);
    ::CreateDirectoryW((skins.path() + L"odd\\skin.xml").c_str(), nullptr);

    CTestWindow<COptSkinPanel> page(skins.path());
    ASSERT_NE(nullptr, page.CreateModeless(host));
    EXPECT_EQ(L"刷新皮肤列表", Text(page, IDC_OPT_SKIN_REFRESH));
    const std::vector<std::wstring> listed = InListingOrder({L"general", L"Night"});
    ASSERT_EQ(2u, listed.size());
    EXPECT_EQ(listed, Lines(page));
    EXPECT_EQ(0, ::SendDlgItemMessageW(page, IDC_OPT_SKIN_LIST, LB_GETCURSEL, 0, 0));

    AddSkin(L"spring", true);
    ClickButton(page, IDC_OPT_SKIN_REFRESH);
    const std::vector<std::wstring> relisted = InListingOrder({L"general", L"Night", L"spring"});
    ASSERT_EQ(3u, relisted.size());
    EXPECT_EQ(relisted, Lines(page));
    EXPECT_EQ(0, ::SendDlgItemMessageW(page, IDC_OPT_SKIN_LIST, LB_GETCURSEL, 0, 0));
}

TEST_F(SkinPageTest, NoSkinsRootListsNothing) {
    EXPECT_TRUE(FindSkinFolders(L"").empty());
    EXPECT_TRUE(FindSkinFolders(skins.path() + L"missing\\").empty());
    AddSkin(L"general", true);
    std::wstring withoutSlash = skins.path();
    withoutSlash.pop_back();
    EXPECT_EQ(std::vector<std::wstring>{L"general"}, FindSkinFolders(withoutSlash));
}

TEST_F(OptPanelTest, LanguagePageHoldsSimplifiedChinese) {
    CTestWindow<COptLangPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    HWND list = ::GetDlgItem(page, IDC_OPT_LANG_LIST);
    ASSERT_EQ(1, ::SendMessageW(list, LB_GETCOUNT, 0, 0));
    wchar_t line[64] = {};
    ::SendMessageW(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(line));
    EXPECT_EQ(std::wstring(L"简体中文(Simple Chinese)"), line);
    EXPECT_EQ(0, ::SendMessageW(list, LB_GETCURSEL, 0, 0));
}

TEST_F(OptPanelTest, UPnPPageWritesItsSwitch) {
    CTestWindow<COptUPnPPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    EXPECT_TRUE(Checked(page, IDC_OPT_ENABLE_UPNP));
    EXPECT_EQ(L"启用内网UPnP端口映射", Text(page, IDC_OPT_ENABLE_UPNP));
    EXPECT_EQ(L"查找UPnP设备", Text(page, IDC_OPT_ACTION));
    EXPECT_FALSE(::GetWindowLongW(::GetDlgItem(page, IDC_OPT_ACTION), GWL_STYLE) & WS_VISIBLE);
    const std::wstring description = Text(page, IDC_OPT_DESCRIPTION);
    EXPECT_EQ(0u, description.find(L"启用UPnP可以让内网用户观看更流畅！\r\n\r\n通过启用UPnP"));

    ClickCheckBox(page, IDC_OPT_ENABLE_UPNP);
    bool enabled = true;
    ASSERT_TRUE(ReadFlag(L"EnableUPnP", enabled));
    EXPECT_FALSE(enabled);

    CTestWindow<COptUPnPPanel> reopened;
    ASSERT_NE(nullptr, reopened.CreateModeless(host));
    EXPECT_FALSE(Checked(reopened, IDC_OPT_ENABLE_UPNP));
}

TEST_F(OptPanelTest, AboutPageShowsTheProgramsFileVersion) {
    CTestWindow<COptCreditPanel> page;
    ASSERT_NE(nullptr, page.CreateModeless(host));
    EXPECT_EQ(L"Vantel P2P点播视频播放器", Text(page, IDC_OPT_ABOUT_TITLE));
    EXPECT_EQ(L"版本： 6.0.1.25", Text(page, IDC_OPT_ABOUT_VERSION));
    // The site of the home page and the caption's links, and a mail address of the same domain.
    EXPECT_EQ(L"主页：http://www.vantel.tv/", Text(page, IDC_OPT_ABOUT_HOME));
    EXPECT_EQ(L"技术支持：support@vantel.tv", Text(page, IDC_OPT_ABOUT_SUPPORT));
    EXPECT_NE(nullptr, reinterpret_cast<HICON>(::SendDlgItemMessageW(page, IDC_OPT_ABOUT_ICON, STM_GETICON, 0, 0)));
}

TEST(FileVersion, FailuresGiveAnEmptyVersion) {
    EXPECT_EQ(L"", ReadFileVersion(L"Z:\\no\\such\\program.exe"));
    TempFolder folder;
    const std::wstring plain = folder.path() + L"plain.txt";
    WriteSmallFile(plain, "no resources");
    EXPECT_EQ(L"", ReadFileVersion(plain));
}

}  // namespace
