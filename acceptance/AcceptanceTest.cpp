// End-to-end scenarios: the shipped TrovaPlayer6.exe started as a user would start it, driven
// through its windows (found by class and control ids) and checked by what it shows, what it
// stores in the registry and the channel database, what the video player control substitute
// was asked to play (TROVAPLAYER_LOG) and what it sends to a messenger. Each scenario saves
// a screenshot to shots/acceptance-<name>.png.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "acceptance/AcceptanceSupport.h"
#include "channellist/control/TrovaCLIds.h"
#include "framework/win/ScopedGdi.h"
#include "player/shell/RemoteCmd.h"
#include "player/shell/tests/PlayerProcess.h"
#include "player/shell/tests/ShellTestSupport.h"

namespace {

constexpr DWORD kUiTimeoutMs = 10000;

constexpr int kSearchEdit = 1001;  // inside the search panel
// Children of the player view.
constexpr int kNavigation = 1009;
constexpr int kPlayerSite = 201;
constexpr int kOptions = 501;

// The engine substitute's built-in catalogue: 44 channels, six of them with 新闻 (news) in
// their name or description.
const wchar_t kAllChannelsLoaded[] = L"所有频道(44)";

class PlayerScenario : public CPlayerProcessTest {
protected:
    static void SetUpTestSuite() {
        if (!CanStartPlayers() || FindRunningPlayer())
            return;
        settings_ = new CSettingsSnapshot;
        database_ = new CDatabaseAside;
    }
    static void TearDownTestSuite() {
        delete database_;
        database_ = nullptr;
        if (settings_)
            settings_->Restore();
        delete settings_;
        settings_ = nullptr;
        EndPlayerTrace(logPath_);
    }

    void SetUp() override {
        CPlayerProcessTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(settings_) << "a player was running already";
        ASSERT_FALSE(FindRunningPlayer()) << "a player was left running";
        // Every scenario starts from the defaults: no user settings, both panels allowed.
        ClearUserSettings();
        ClearMachineFlags();
        logPath_ = BeginPlayerTrace(L"trova-acceptance-");
    }

    void TearDown() override {
        if (player_.Running())
            player_.Quit(kExitTimeoutMs);
        player_.Kill();
    }

    // Starts the first player and waits until its frame shows.
    HWND StartPlayer(const std::wstring& arguments = std::wstring()) {
        if (!player_.Start(arguments))
            return nullptr;
        HWND frame = nullptr;
        return WaitUntil([&] { return (frame = FrameOf(player_.Id())) != nullptr && ::IsWindowVisible(frame); },
                         kStartTimeoutMs)
                   ? frame
                   : nullptr;
    }

    // Starts the player on a new database and waits for its catalogue: the frame, or null.
    HWND StartOnNewDatabase() {
        if (!DeleteDatabase())
            return nullptr;
        HWND frame = StartPlayer();
        return frame && WaitForCatalogue(frame) ? frame : nullptr;
    }

    // Waits until the channel list shows the whole catalogue. Only on a new database does that
    // mean the synchronisation ended: an existing one shows its count before the merge, whose
    // reload then closes a catalog opened meanwhile.
    static bool WaitForCatalogue(HWND frame) {
        return WaitUntil(
            [&] { return WindowText(ChannelListChild(frame, TrovaCLIds::kAllHeaderId)) == kAllChannelsLoaded; },
            kStartTimeoutMs);
    }

    static bool WaitForText(HWND window, const std::wstring& text) {
        return WaitUntil([&] { return WindowText(window) == text; }, kUiTimeoutMs);
    }

    // Lets the player paint what the last step changed before a screenshot.
    static void Settle(DWORD ms = 700) {
        WaitUntil([] { return false; }, ms);
    }

    // Runs a second player with `arguments` and waits until it has ended.
    void RunSecond(const std::wstring& arguments) {
        CPlayerProcess second;
        ASSERT_TRUE(second.Start(arguments));
        EXPECT_TRUE(second.WaitForExit(kStartTimeoutMs)) << "the second player did not end";
        EXPECT_FALSE(FrameOf(second.Id()));
    }

    // The all-channels list's first catalog is expanded by a click on its row; its first
    // channel (the row below) is opened with a double click.
    static void OpenFirstChannel(HWND frame) {
        HWND list = ChannelListChild(frame, TrovaCLIds::kAllTreeId);
        const int middle = 11;  // rows are 22 pixels high
        SendClick(list, 40, middle);
        SendDoubleClick(list, 40, 22 + middle);
    }

    // The channel the list recorded in the history most recently: link and name.
    static bool LastHistoryChannel(std::wstring& link, std::wstring& name) {
        const auto rows = QueryDatabase(
            "SELECT channel.server, channel.channelid, channel.name FROM history "
            "JOIN channel ON channel.id = history.id ORDER BY history.utime DESC LIMIT 1");
        if (rows.size() != 1)
            return false;
        link = L"trova://" + rows[0][0] + L"/" + rows[0][1];
        name = rows[0][2];
        return true;
    }

    // A visible dialog or message box of the player titled "提示".
    HWND WaitForNotice(DWORD timeoutMs = kUiTimeoutMs) const {
        HWND box = nullptr;
        WaitUntil([&] { return (box = TopLevelWindowOf(player_.Id(), L"#32770", L"提示")) != nullptr; }, timeoutMs);
        return box;
    }

    std::string Log() const { return ReadLog(logPath_); }
    static std::string Utf8(const std::wstring& text) {
        std::string result(static_cast<size_t>(text.size() * 3), '\0');
        const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0],
                                                 static_cast<int>(result.size()), nullptr, nullptr);
        result.resize(static_cast<size_t>(length));
        return result;
    }

    CPlayerProcess player_;
    static std::wstring logPath_;
    static CSettingsSnapshot* settings_;
    static CDatabaseAside* database_;
};
std::wstring PlayerScenario::logPath_;
CSettingsSnapshot* PlayerScenario::settings_ = nullptr;
CDatabaseAside* PlayerScenario::database_ = nullptr;

TEST_F(PlayerScenario, FirstStartCreatesTheDatabaseAndFillsTheListsFromTheEngine) {
    ASSERT_TRUE(DeleteDatabase());
    ASSERT_FALSE(FileExists(DatabasePath()));
    HWND frame = StartPlayer();
    ASSERT_TRUE(frame) << "the frame did not show";
    ASSERT_TRUE(ChannelListControl(frame)) << "the channel-list control is missing";
    EXPECT_TRUE(ViewChild(frame, kPlayerSite)) << "the player control's site is missing";

    EXPECT_TRUE(WaitForCatalogue(frame)) << WindowText(ChannelListChild(frame, TrovaCLIds::kAllHeaderId));
    EXPECT_TRUE(FileExists(DatabasePath()));
    EXPECT_EQ(L"44", QueryDatabase("SELECT count(*) FROM channel WHERE del<>1").at(0).at(0));
    EXPECT_EQ(L"最近观看(0)", WindowText(ChannelListChild(frame, TrovaCLIds::kHistoryHeaderId)));
    // The all-channels section is the open one.
    EXPECT_TRUE(::IsWindowVisible(ChannelListChild(frame, TrovaCLIds::kAllTreeId)));
    EXPECT_FALSE(::IsWindowVisible(ChannelListChild(frame, TrovaCLIds::kHistoryTreeId)));
    EXPECT_FALSE(::IsWindowVisible(ChannelListChild(frame, TrovaCLIds::kSearchHeaderId)));
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"first-start", {frame}));
}

TEST_F(PlayerScenario, SecondStartWithALinkIsPlayedByTheFirst) {
    HWND frame = StartPlayer();
    ASSERT_TRUE(frame);
    RunSecond(L"-trova trova://global/acceptance-link");
    EXPECT_TRUE(player_.Running());
    EXPECT_NE(std::string::npos, Log().find("method 1 play \"trova://global/acceptance-link\" -> 0")) << Log();
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"second-start-link", {frame}));
}

TEST_F(PlayerScenario, OpeningAChannelPlaysItsLinkAndCountsItInTheHistory) {
    HWND frame = StartOnNewDatabase();
    ASSERT_TRUE(frame);
    HWND historyHeader = ChannelListChild(frame, TrovaCLIds::kHistoryHeaderId);
    EXPECT_EQ(L"最近观看(0)", WindowText(historyHeader));

    OpenFirstChannel(frame);
    EXPECT_TRUE(WaitForText(historyHeader, L"最近观看(1)")) << WindowText(historyHeader);
    std::wstring link, name;
    ASSERT_TRUE(LastHistoryChannel(link, name)) << "no channel in the history";
    EXPECT_EQ(0u, link.find(L"trova://global/")) << Utf8(link);
    EXPECT_NE(std::string::npos, Log().find("method 1 play \"" + Utf8(link) + "\" -> 0")) << Log();
    // The control raises "playing" 300 ms after it started.
    EXPECT_TRUE(WaitUntil([&] { return Log().find("event 1") != std::string::npos; }, kUiTimeoutMs)) << Log();
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"open-channel", {frame}));
}

TEST_F(PlayerScenario, TypingAKeywordOpensTheSearchSectionWithItsCount) {
    HWND frame = StartPlayer();
    ASSERT_TRUE(frame);
    ASSERT_TRUE(WaitForCatalogue(frame));
    HWND edit = ::GetDlgItem(ChannelListChild(frame, TrovaCLIds::kSearchPanelId), kSearchEdit);
    ASSERT_TRUE(edit);
    HWND searchHeader = ChannelListChild(frame, TrovaCLIds::kSearchHeaderId);
    EXPECT_FALSE(::IsWindowVisible(searchHeader));

    // Into the field as the user does: a click (which takes the cue text away), then keys.
    RECT client{};
    ::GetClientRect(edit, &client);
    SendClick(edit, 30, client.bottom / 2);
    for (const wchar_t character : std::wstring(L"新闻"))
        ::PostMessageW(edit, WM_CHAR, character, 1);

    EXPECT_TRUE(WaitForText(searchHeader, L"搜索结果(6)")) << Utf8(WindowText(searchHeader));
    EXPECT_EQ(L"新闻", WindowText(edit));
    EXPECT_TRUE(::IsWindowVisible(searchHeader));
    EXPECT_TRUE(::IsWindowVisible(ChannelListChild(frame, TrovaCLIds::kSearchTreeId)));
    EXPECT_FALSE(::IsWindowVisible(ChannelListChild(frame, TrovaCLIds::kAllTreeId)));
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"search", {frame}));

    // Clearing the keyword closes the search section again.
    ::PostMessageW(edit, WM_KEYDOWN, VK_BACK, 1);
    ::PostMessageW(edit, WM_CHAR, VK_BACK, 1);
    ::PostMessageW(edit, WM_KEYDOWN, VK_BACK, 1);
    ::PostMessageW(edit, WM_CHAR, VK_BACK, 1);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(searchHeader); }, kUiTimeoutMs));
    EXPECT_TRUE(::IsWindowVisible(ChannelListChild(frame, TrovaCLIds::kAllTreeId)));
}

TEST_F(PlayerScenario, ClickingAHeaderOpensItsSectionAndClosesTheOpenOne) {
    HWND frame = StartPlayer();
    ASSERT_TRUE(frame);
    ASSERT_TRUE(WaitForCatalogue(frame));
    HWND allChannels = ChannelListChild(frame, TrovaCLIds::kAllTreeId);
    HWND history = ChannelListChild(frame, TrovaCLIds::kHistoryTreeId);
    ASSERT_TRUE(::IsWindowVisible(allChannels));

    SendClick(ChannelListChild(frame, TrovaCLIds::kHistoryHeaderId), 60, 10);
    EXPECT_TRUE(::IsWindowVisible(history));
    EXPECT_FALSE(::IsWindowVisible(allChannels));
    // The open section's own header only turns its arrow.
    SendClick(ChannelListChild(frame, TrovaCLIds::kHistoryHeaderId), 60, 10);
    EXPECT_TRUE(::IsWindowVisible(history));
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"accordion", {frame}));

    SendClick(ChannelListChild(frame, TrovaCLIds::kAllHeaderId), 60, 10);
    EXPECT_TRUE(::IsWindowVisible(allChannels));
    EXPECT_FALSE(::IsWindowVisible(history));
}

// The window's pixels as they are on the screen.
std::vector<COLORREF> ScreenPixelsOf(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    std::vector<COLORREF> pixels;
    const ScopedGetDC screen(nullptr);
    for (int y = rect.top; y < rect.bottom; y += 3)
        for (int x = rect.left; x < rect.right; x += 3)
            pixels.push_back(::GetPixel(screen, x, y));
    return pixels;
}

size_t CountOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST_F(PlayerScenario, WheelScrollsTheListUnderThePointerWhileTypingInTheSearchBox) {
    HWND frame = StartOnNewDatabase();  // so the catalog opened below stays open
    ASSERT_TRUE(frame);
    HWND list = ChannelListChild(frame, TrovaCLIds::kAllTreeId);
    SendClick(list, 40, 11);  // the latest updates open: more rows than fit
    HWND edit = ::GetDlgItem(ChannelListChild(frame, TrovaCLIds::kSearchPanelId), kSearchEdit);
    RECT client{};
    ::GetClientRect(edit, &client);
    SendClick(edit, 30, client.bottom / 2);  // the search box has the focus
    Settle();
    const std::vector<COLORREF> before = ScreenPixelsOf(list);

    // The wheel goes to the window with the focus, with the pointer over the list.
    RECT listRect{};
    ::GetWindowRect(list, &listRect);
    const LPARAM pointer = MAKELPARAM(listRect.left + 40, listRect.top + 60);
    ::PostMessageW(edit, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), pointer);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixelsOf(list) != before; }, kUiTimeoutMs)) << "the list did not move";
    // The pointer moves on, so that the tooltip of the row it rested on does not hide the list.
    ::SendMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(40, static_cast<WORD>(-5)));
    Settle(300);
    EXPECT_TRUE(SaveScreenshot(L"wheel", {frame}));

    // And back up, the search box keeping the focus and its empty keyword.
    const std::vector<COLORREF> scrolled = ScreenPixelsOf(list);
    ::PostMessageW(edit, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(4 * WHEEL_DELTA)), pointer);
    EXPECT_TRUE(WaitUntil([&] { return ScreenPixelsOf(list) != scrolled; }, kUiTimeoutMs));
    EXPECT_EQ(L"", WindowText(edit));
    EXPECT_FALSE(::IsWindowVisible(ChannelListChild(frame, TrovaCLIds::kSearchHeaderId)));
}

TEST_F(PlayerScenario, ArrowKeysMoveTheSelectionAndEnterOpensTheChannel) {
    HWND frame = StartOnNewDatabase();
    ASSERT_TRUE(frame);
    HWND list = ChannelListChild(frame, TrovaCLIds::kAllTreeId);
    HWND historyHeader = ChannelListChild(frame, TrovaCLIds::kHistoryHeaderId);
    SendClick(list, 40, 11);  // opens and selects the first catalog, and focuses the list
    for (const UINT key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_UP})
        ::PostMessageW(list, WM_KEYDOWN, key, 1);
    ::PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(WaitForText(historyHeader, L"最近观看(1)")) << Utf8(WindowText(historyHeader));
    EXPECT_EQ(1u, CountOf(Log(), "method 1 play")) << Log();
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"keys", {frame}));

    // The keys opened the second channel of the catalog: opening that row with the mouse adds
    // no other channel to the history.
    SendDoubleClick(list, 40, 2 * 22 + 11);
    Settle();
    EXPECT_EQ(L"最近观看(1)", WindowText(historyHeader));
}

TEST_F(PlayerScenario, FavouriteAddedFromTheMenuIsListedAfterARestart) {
    HWND frame = StartOnNewDatabase();
    ASSERT_TRUE(frame);
    HWND favorHeader = ChannelListChild(frame, TrovaCLIds::kFavorHeaderId);
    EXPECT_EQ(L"我的收藏(0)", WindowText(favorHeader));
    HWND list = ChannelListChild(frame, TrovaCLIds::kAllTreeId);
    SendClick(list, 40, 11);
    // The menu is modal inside the player: posted, so that this side can drive it.
    ::PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 22 + 11));
    ::PostMessageW(list, WM_RBUTTONUP, 0, MAKELPARAM(40, 22 + 11));
    HWND menu = nullptr;
    ASSERT_TRUE(
        WaitUntil([&] { return (menu = TopLevelWindowOf(player_.Id(), L"#32768", nullptr)) != nullptr; }, kUiTimeoutMs))
        << "no context menu";
    Settle(300);
    EXPECT_TRUE(SaveScreenshot(L"favourite-menu", {frame, menu}));
    // "播放", then "添加到我的收藏".
    for (const UINT key : {VK_DOWN, VK_DOWN, VK_RETURN})
        ::PostMessageW(menu, WM_KEYDOWN, key, 1);
    EXPECT_TRUE(WaitForText(favorHeader, L"我的收藏(1)")) << Utf8(WindowText(favorHeader));
    EXPECT_EQ(0u, CountOf(Log(), "method 1 play")) << "adding a favourite plays nothing";

    // After a restart the favourite is still there, in its own section.
    ASSERT_TRUE(player_.Quit(kExitTimeoutMs));
    frame = StartPlayer();
    ASSERT_TRUE(frame);
    favorHeader = ChannelListChild(frame, TrovaCLIds::kFavorHeaderId);
    EXPECT_TRUE(WaitForText(favorHeader, L"我的收藏(1)")) << Utf8(WindowText(favorHeader));
    ASSERT_TRUE(WaitForCatalogue(frame));
    EXPECT_EQ(L"我的收藏(1)", WindowText(favorHeader)) << "and after the synchronisation";
    SendClick(favorHeader, 60, 10);
    HWND favourites = ChannelListChild(frame, TrovaCLIds::kFavorTreeId);
    EXPECT_TRUE(::IsWindowVisible(favourites));
    // Opening from the favourites plays the channel like from any list.
    SendDoubleClick(favourites, 40, 11);
    EXPECT_TRUE(WaitUntil([&] { return CountOf(Log(), "method 1 play") == 1; }, kUiTimeoutMs)) << Log();
    ::SendMessageW(favourites, WM_MOUSEMOVE, 0, MAKELPARAM(40, static_cast<WORD>(-5)));  // away: no tooltip
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"favourites", {frame}));
}

TEST_F(PlayerScenario, OptionsPageWritesEachClickToTheRegistry) {
    HWND frame = StartPlayer();
    ASSERT_TRUE(frame);
    HWND navigation = ViewChild(frame, kNavigation);
    HWND options = ViewChild(frame, kOptions);
    ASSERT_TRUE(navigation);
    ASSERT_TRUE(options);
    EXPECT_FALSE(::IsWindowVisible(options));

    // "控制面板" is the strip's last item: feel for it from the right end.
    RECT strip{};
    ::GetClientRect(navigation, &strip);
    for (int x = strip.right - 4; x > 0 && !::IsWindowVisible(options); x -= 8)
        SendClick(navigation, x, strip.bottom / 2);
    ASSERT_TRUE(::IsWindowVisible(options)) << "no navigation item showed the options";
    EXPECT_FALSE(::IsWindowVisible(ViewChild(frame, kPlayerSite)));

    // The general page is the one shown first.
    HWND page = nullptr;
    for (HWND child = ::GetWindow(options, GW_CHILD); child && !page; child = ::GetWindow(child, GW_HWNDNEXT)) {
        if (::IsWindowVisible(child) && ::GetDlgItem(child, 1000))
            page = child;
    }
    ASSERT_TRUE(page) << "the general page is not shown";
    HWND compactMode = ::GetDlgItem(page, 1000);
    HWND sendToMessenger = ::GetDlgItem(page, 1005);
    EXPECT_EQ(L"启动时进入精简模式", WindowText(compactMode));
    EXPECT_EQ(L"向MSN发送当前播放的内容", WindowText(sendToMessenger));
    // Defaults with no settings stored: compact mode off, messenger notice on.
    EXPECT_EQ(BST_UNCHECKED, ::SendMessageW(compactMode, BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, ::SendMessageW(sendToMessenger, BM_GETCHECK, 0, 0));

    ::SendMessageW(compactMode, BM_CLICK, 0, 0);
    ::SendMessageW(sendToMessenger, BM_CLICK, 0, 0);
    DWORD value = 99;
    EXPECT_TRUE(ReadUserFlag(L"StartIntoCMode", value));
    EXPECT_EQ(1u, value);
    EXPECT_TRUE(ReadUserFlag(L"SendToMSN", value));
    EXPECT_EQ(0u, value);
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"options", {frame}));

    ::SendMessageW(compactMode, BM_CLICK, 0, 0);
    EXPECT_TRUE(ReadUserFlag(L"StartIntoCMode", value));
    EXPECT_EQ(0u, value);
}

TEST_F(PlayerScenario, CloseHidesToTheTrayAndASecondStartRestores) {
    ASSERT_TRUE(WriteUserFlag(L"CloseMinimize", 1));
    HWND frame = StartPlayer();
    ASSERT_TRUE(frame);
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindowVisible(frame); }, kUiTimeoutMs));
    EXPECT_FALSE(WaitForNotice(2000)) << "closing to the tray must not ask";
    EXPECT_TRUE(player_.Running());
    EXPECT_TRUE(TrayWindowOf(player_.Id()));

    RunSecond(L"");
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(frame) && !::IsIconic(frame); }, kUiTimeoutMs));
    EXPECT_EQ(frame, FrameOf(player_.Id()));
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"tray-restore", {frame}));
}

TEST_F(PlayerScenario, ClosingAsksFirstAndQuitsOnYes) {
    HWND frame = StartPlayer();
    ASSERT_TRUE(frame);
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    HWND dialog = WaitForNotice();
    ASSERT_TRUE(dialog) << "no quit confirmation";
    EXPECT_EQ(L"退出应用程序", WindowText(::GetDlgItem(dialog, 1029)));
    EXPECT_EQ(BST_CHECKED, ::SendMessageW(::GetDlgItem(dialog, 1029), BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, ::SendMessageW(::GetDlgItem(dialog, 1000), BM_GETCHECK, 0, 0));
    Settle(300);
    EXPECT_TRUE(SaveScreenshot(L"quit-confirmation", {frame, dialog}));

    // No: the player goes on and nothing is stored.
    ::SendMessageW(::GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(dialog); }, kUiTimeoutMs));
    EXPECT_TRUE(player_.Running());
    EXPECT_TRUE(::IsWindowVisible(frame));
    DWORD value = 99;
    EXPECT_FALSE(ReadUserFlag(L"CloseConfirm", value));

    // Yes with "quit" chosen and "do not ask again" ticked: the player ends and remembers.
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    dialog = WaitForNotice();
    ASSERT_TRUE(dialog);
    ::SendMessageW(::GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(player_.WaitForExit(kExitTimeoutMs));
    EXPECT_TRUE(ReadUserFlag(L"CloseConfirm", value));
    EXPECT_EQ(0u, value);
    EXPECT_TRUE(ReadUserFlag(L"CloseMinimize", value));
    EXPECT_EQ(0u, value);
}

// Stand-in windows of the messenger, in this process: what the player sends them.
struct MessengerNotice {
    HWND window;
    ULONG_PTR kind;
    std::wstring text;
};
std::vector<MessengerNotice> g_notices;

LRESULT CALLBACK MessengerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        std::wstring text;
        if (data->lpData && data->cbData >= sizeof(wchar_t))
            text.assign(static_cast<const wchar_t*>(data->lpData), data->cbData / sizeof(wchar_t) - 1);
        g_notices.push_back({window, data->dwData, text});
        return TRUE;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

class CMessengerWindows {
public:
    CMessengerWindows() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = &MessengerProc;
        windowClass.hInstance = ::GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"MsnMsgrUIManager";
        ::RegisterClassW(&windowClass);
        // Hidden top-level windows, as the messenger's are.
        for (HWND& window : windows)
            window = ::CreateWindowExW(0, L"MsnMsgrUIManager", L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr);
        g_notices.clear();
    }
    ~CMessengerWindows() {
        for (HWND window : windows)
            ::DestroyWindow(window);
        ::UnregisterClassW(L"MsnMsgrUIManager", ::GetModuleHandleW(nullptr));
    }
    CMessengerWindows(const CMessengerWindows&) = delete;
    CMessengerWindows& operator=(const CMessengerWindows&) = delete;

    // The texts of kind 1351 that reached `window`, in order.
    static std::vector<std::wstring> NoticesOf(HWND window) {
        std::vector<std::wstring> texts;
        for (const MessengerNotice& notice : g_notices) {
            if (notice.window == window && notice.kind == 1351)
                texts.push_back(notice.text);
        }
        return texts;
    }

    HWND windows[2] = {};
};

TEST_F(PlayerScenario, PlayingAChannelTellsTheMessengerAndQuittingClearsIt) {
    CMessengerWindows messenger;
    ASSERT_TRUE(messenger.windows[0] && messenger.windows[1]);
    HWND frame = StartOnNewDatabase();  // so the opened channel is the one history row
    ASSERT_TRUE(frame);

    OpenFirstChannel(frame);
    EXPECT_TRUE(WaitUntil(
        [&] {
            return !CMessengerWindows::NoticesOf(messenger.windows[0]).empty() &&
                   !CMessengerWindows::NoticesOf(messenger.windows[1]).empty();
        },
        kUiTimeoutMs));
    std::wstring link, name;
    ASSERT_TRUE(LastHistoryChannel(link, name));
    const std::wstring notice = L"\\0Music\\01\\0{0}-[{1}]\\0" + name + L"\\0Vantel\\0\\0\\0\\0";
    for (HWND window : messenger.windows)
        EXPECT_EQ(std::vector<std::wstring>{notice}, CMessengerWindows::NoticesOf(window));
    Settle();
    EXPECT_TRUE(SaveScreenshot(L"messenger", {frame}));

    ::SendMessageTimeoutW(FindRunningPlayer(), WM_PLAYER_QUIT, 0, 0, SMTO_NORMAL, 5000, nullptr);
    EXPECT_TRUE(player_.WaitForExit(kExitTimeoutMs));
    const std::wstring clearing = L"\\0Music\\01\\0\\0\\0\\0\\0\\0\\0";
    ASSERT_EQ(24u, clearing.size());
    for (HWND window : messenger.windows)
        EXPECT_EQ((std::vector<std::wstring>{notice, clearing}), CMessengerWindows::NoticesOf(window));
}

TEST_F(PlayerScenario, NewerVersionIsOfferedAndNoLeavesThePlayerRunning) {
    ::SetEnvironmentVariableW(L"UPDATEPROBE_NEWER", L"1");
    ASSERT_TRUE(player_.Start(std::wstring()));
    // The question may come while the frame is still being created, before it shows.
    HWND box = WaitForNotice(kStartTimeoutMs);
    ASSERT_TRUE(box) << "no update question";
    bool asks = false;
    for (const std::wstring& text : DescendantTexts(box))
        asks = asks || text.find(L"需要立即下载新的版本吗？") != std::wstring::npos;
    EXPECT_TRUE(asks);
    ASSERT_TRUE(::GetDlgItem(box, IDNO));
    Settle(300);
    EXPECT_TRUE(SaveScreenshot(L"update-question", {FrameOf(player_.Id()), box}));

    ::SendMessageW(::GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !::IsWindow(box); }, kUiTimeoutMs));
    EXPECT_TRUE(WaitUntil([&] { return ::IsWindowVisible(FrameOf(player_.Id())); }, kStartTimeoutMs));
    EXPECT_TRUE(player_.Running());
}

}  // namespace
