// What the user and the player see of the control: channel names for the player, opened
// channels reaching the event sink, the accordion, the search section and the layout.

#include "channellist/control/tests/ControlSyncSupport.h"
#include "channellist/control/tests/ControlTestSupport.h"
#include "framework/win/ScopedGdi.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

constexpr int kWidth = 220;
constexpr int kHeight = 560;
constexpr int kRow = 22;

// Catalogs by creation: "unknown" (made with the table), News, Sport. Five channels created
// now, so all of them lead the list in the group of latest updates.
const std::vector<std::string> kCatalogue = {
    "Alpha News\tch-alpha\tMorning bulletin\thttp://a.example\tNews\t0\t300\t450",
    "Beta Sport\tch-beta\tFootball live\thttp://b.example\tSport\t0\t200\t500",
    "Gamma Sport\tch-gamma\tBasketball replays\thttp://c.example\tSport\t1\t100\t500",
    u8"星海新闻\tch-delta\t中文新闻\thttp://d.example\tNews\t0\t50\t300",
    "Loose Ends\tch-loose\tNo catalog\thttp://e.example\t\t0\t10\t200",
};

// Which way a header's arrow points, read from its painted pixels: the widest of its five grey
// lines (x 209..217 on a 220-pixel bar) is the top line of a down arrow and the bottom line of
// an up arrow.
std::string ArrowOf(HWND header) {
    ScopedGetDC screen(nullptr);
    ScopedCompatibleDC memory(screen);
    ScopedBitmap bitmap(CreateCompatibleBitmap(screen, kWidth, 20));
    ScopedSelectObject select(memory, bitmap);
    SendMessageW(header, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.Get()), PRF_CLIENT);
    const COLORREF grey = RGB(140, 140, 140);
    const bool top = GetPixel(memory, 209, 6) == grey;
    const bool bottom = GetPixel(memory, 209, 9) == grey;
    return top == bottom ? "none" : top ? "down" : "up";
}

BOOL CALLBACK FindShownTooltip(HWND window, LPARAM found) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, ARRAYSIZE(name));
    if (lstrcmpW(name, L"TROVAPLAYERCHANNELTOOLTIP") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

// A channel tooltip of this thread is on the screen.
bool TooltipShown() {
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), FindShownTooltip, reinterpret_cast<LPARAM>(&found));
    return found;
}

// A connection of the test's own that holds the database for writing, as a merge does: others
// may read, nobody else may write, until Release.
class CWriteHold {
public:
    CWriteHold() {
        if (sqlite3_open16(CPrivateAppData::DatabasePath().c_str(), &db_) == SQLITE_OK)
            held_ = sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    ~CWriteHold() { Release(); }
    bool Held() const { return held_; }
    void Release() {
        if (held_)
            sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
        held_ = false;
        sqlite3_close(db_);
        db_ = nullptr;
    }

private:
    sqlite3* db_ = nullptr;
    bool held_ = false;
};

// A row menu as the user works it: the texts it showed, and the item chosen by its text
// (with the keyboard, as the menu's own loop takes it); nothing is chosen when no item has it.
struct RowMenuChoice {
    std::wstring choose;
    std::vector<std::wstring> shown;
};
RowMenuChoice g_rowMenu;

void CALLBACK ChooseRowMenuItem(HWND, UINT, UINT_PTR timer, DWORD) {
    const HWND popup = FindThreadWindow(L"#32768", nullptr);
    if (!popup)
        return;  // not up yet
    KillTimer(nullptr, timer);
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(popup, 0x01E1 /* MN_GETHMENU */, 0, 0));
    int chosen = -1;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        wchar_t text[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 64, MF_BYPOSITION);
        g_rowMenu.shown.push_back(text);
        if (g_rowMenu.choose == text)
            chosen = i;
    }
    if (chosen < 0) {
        EndMenu();
        return;
    }
    for (int i = 0; i <= chosen; ++i)
        PostMessageW(popup, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(popup, WM_KEYDOWN, VK_RETURN, 0);
}

class ControlChannelListTest : public ::testing::Test {
protected:
    void SetUp() override {
        CPrivateAppData::DeleteDatabase();
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, CTrovaCLDll::Instance().GetClassObject(TrovaCLIds::kControlClassId, IID_PPV_ARGS(&factory)));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&control)));
        ASSERT_EQ(S_OK, container.Activate(control.Get()));
        ASSERT_TRUE(container.WaitForSync());
    }
    void TearDown() override {
        if (cookie)
            point->Unadvise(cookie);
        point.Reset();
        control.Reset();
        container.Deactivate();
        EXPECT_EQ(S_OK, CTrovaCLDll::Instance().CanUnloadNow());
        EXPECT_EQ(1u, sink.Refs()) << "the control let go of the sink";
    }

    void Advise() {
        ComPtr<IConnectionPointContainer> points;
        ASSERT_EQ(S_OK, control.As(&points));
        ASSERT_EQ(S_OK, points->FindConnectionPoint(TrovaCLIds::kEventsId, &point));
        ASSERT_EQ(S_OK, point->Advise(static_cast<IDispatch*>(&sink), &cookie));
    }

    HWND Child(int id) const { return container.Child(id); }
    // Shown by the control (the container window itself stays hidden).
    bool Visible(int id) const { return (GetWindowLongW(Child(id), GWL_STYLE) & WS_VISIBLE) != 0; }

    static void Click(HWND window, int x, int y) {
        SendMessageW(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(window, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
    }
    void ClickHeader(int id) { Click(Child(id), 40, 10); }
    void ClickRow(int tree, int row) { Click(Child(tree), 40, row * kRow + kRow / 2); }
    void DoubleClickRow(int tree, int row) {
        const LPARAM point = MAKELPARAM(40, row * kRow + kRow / 2);
        SendMessageW(Child(tree), WM_LBUTTONDOWN, MK_LBUTTON, point);
        SendMessageW(Child(tree), WM_LBUTTONUP, 0, point);
        SendMessageW(Child(tree), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
        SendMessageW(Child(tree), WM_LBUTTONUP, 0, point);
    }

    // Right-clicks a row and chooses the item of its menu that reads `choose`; the texts shown.
    std::vector<std::wstring> ChooseFromRowMenu(int tree, int row, const std::wstring& choose) {
        g_rowMenu = RowMenuChoice{choose, {}};
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, ChooseRowMenuItem);
        SendMessageW(Child(tree), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, row * kRow + kRow / 2));
        SendMessageW(Child(tree), WM_RBUTTONUP, 0, MAKELPARAM(40, row * kRow + kRow / 2));
        KillTimer(nullptr, timer);
        return g_rowMenu.shown;
    }

    HWND SearchEdit() const { return GetDlgItem(Child(TrovaCLIds::kSearchPanelId), 1001); }
    void Type(const std::wstring& text) {
        for (wchar_t c : text)
            SendMessageW(SearchEdit(), WM_CHAR, c, 0);
    }
    void Erase(size_t count) {
        for (size_t i = 0; i < count; ++i)
            SendMessageW(SearchEdit(), WM_CHAR, VK_BACK, 0);
    }

    ULONG GetName(const wchar_t* server, ULONG port, const wchar_t* id, CScopedBstr& name) {
        ULONG status = 0;
        EXPECT_EQ(S_OK, CallGetChannelName(control.Get(), server, port, id, status, name));
        return status;
    }

    CTestCatalogue catalogue{kCatalogue};
    CStubContainer container{kWidth, kHeight};
    ComPtr<IUnknown> control;
    CChannelOpenSink sink;
    ComPtr<IConnectionPoint> point;
    DWORD cookie = 0;
};

TEST_F(ControlChannelListTest, GetChannelNameAnswersFromTheShownChannelsOfServerGlobal) {
    EXPECT_EQ(L"所有频道(5)", WindowText(Child(TrovaCLIds::kAllHeaderId)));

    CScopedBstr name;
    EXPECT_EQ(0u, GetName(L"global", 0, L"ch-beta", name));
    EXPECT_EQ(L"Beta Sport", name.Str());
    EXPECT_EQ(0u, GetName(L"global", 8081, L"ch-delta", name)) << "the port does not matter";
    EXPECT_EQ(L"星海新闻", name.Str());
    EXPECT_EQ(0u, GetName(L"global", 0xFFFFFFFFu, L"ch-loose", name));
    EXPECT_EQ(L"Loose Ends", name.Str());

    // No match: E_FAIL as the method's result, and the out parameter as the caller left it.
    const ULONG failed = static_cast<ULONG>(E_FAIL);
    name.Reset(SysAllocString(L"untouched"));
    EXPECT_EQ(failed, GetName(L"other", 0, L"ch-beta", name));
    EXPECT_EQ(L"untouched", name.Str());
    EXPECT_EQ(failed, GetName(L"global", 0, L"CH-BETA", name)) << "identifiers compare exactly";
    EXPECT_EQ(failed, GetName(L"global", 0, L"", name));
    EXPECT_EQ(failed, GetName(nullptr, 0, nullptr, name)) << "null texts count as empty";
    EXPECT_EQ(L"untouched", name.Str());

    // The port as a signed number, as script hosts pass it, is converted by the type library.
    ComPtr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, control.As(&dispatch));
    CScopedBstr server(L"global"), id(L"ch-alpha"), out;
    VARIANT args[4];
    V_VT(&args[3]) = VT_BSTR;
    V_BSTR(&args[3]) = server.Get();
    V_VT(&args[2]) = VT_I4;
    V_I4(&args[2]) = 8081;
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = id.Get();
    V_VT(&args[0]) = VT_BSTR | VT_BYREF;
    V_BSTRREF(&args[0]) = out.Receive();
    DISPPARAMS params = {args, nullptr, 4, 0};
    CScopedVariant result;
    ASSERT_EQ(S_OK, dispatch->Invoke(TrovaCLIds::kDispIdGetChannelName, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                     &params, result.Receive(), nullptr, nullptr));
    EXPECT_EQ(VT_UI4, V_VT(result.Get()));
    EXPECT_EQ(0u, V_UI4(result.Get()));
    EXPECT_EQ(L"Alpha News", out.Str());
}

TEST_F(ControlChannelListTest, OpeningAChannelFiresItsLinkThenCountsItInTheHistory) {
    Advise();
    EXPECT_EQ(L"最近观看(0)", WindowText(Child(TrovaCLIds::kHistoryHeaderId)));
    sink.onEvent = [this] {
        // Synchronously, on the window thread, before the history is reloaded.
        EXPECT_EQ(L"最近观看(0)", WindowText(Child(TrovaCLIds::kHistoryHeaderId)));
    };
    // Rows: latest updates, unknown, News, Sport; Sport opens into Beta and Gamma.
    ClickRow(TrovaCLIds::kAllTreeId, 3);
    DoubleClickRow(TrovaCLIds::kAllTreeId, 4);
    ASSERT_EQ(1u, sink.links.size());
    EXPECT_EQ(TrovaCLIds::kDispIdOnChannelOpen, sink.ids[0]);
    EXPECT_EQ(L"trova://global/ch-beta", sink.links[0]);
    EXPECT_EQ(L"最近观看(1)", WindowText(Child(TrovaCLIds::kHistoryHeaderId)));

    // Another channel grows the history; the same one again does not.
    sink.onEvent = nullptr;
    ClickRow(TrovaCLIds::kAllTreeId, 3);  // closes Sport
    // Opens News: its channels by name in the database's UTF-16 byte order, which puts the
    // Chinese name first.
    ClickRow(TrovaCLIds::kAllTreeId, 2);
    DoubleClickRow(TrovaCLIds::kAllTreeId, 4);
    ASSERT_EQ(2u, sink.links.size());
    EXPECT_EQ(L"trova://global/ch-alpha", sink.links[1]);
    EXPECT_EQ(L"最近观看(2)", WindowText(Child(TrovaCLIds::kHistoryHeaderId)));

    // The history list opens with the channels most recently opened first; opening from it
    // fires the same link and keeps one row per channel.
    ClickHeader(TrovaCLIds::kHistoryHeaderId);
    ASSERT_TRUE(Visible(TrovaCLIds::kHistoryTreeId));
    DoubleClickRow(TrovaCLIds::kHistoryTreeId, 1);
    ASSERT_EQ(3u, sink.links.size());
    EXPECT_EQ(L"trova://global/ch-beta", sink.links[2]);
    EXPECT_EQ(L"最近观看(2)", WindowText(Child(TrovaCLIds::kHistoryHeaderId)));

    // A sink that is gone gets nothing more.
    ASSERT_EQ(S_OK, point->Unadvise(cookie));
    cookie = 0;
    DoubleClickRow(TrovaCLIds::kHistoryTreeId, 0);
    EXPECT_EQ(3u, sink.links.size());
}

// With a big catalogue the start's synchronisation holds the database for writing for seconds:
// a channel opened meanwhile plays, shows in the history at once and is written once the
// database is free.
TEST_F(ControlChannelListTest, ChannelOpenedWhileTheDatabaseIsHeldReachesTheHistory) {
    Advise();
    CWriteHold merge;
    ASSERT_TRUE(merge.Held());
    ClickRow(TrovaCLIds::kAllTreeId, 3);
    DoubleClickRow(TrovaCLIds::kAllTreeId, 4);
    ASSERT_EQ(std::vector<std::wstring>{L"trova://global/ch-beta"}, sink.links);
    EXPECT_EQ(L"最近观看(1)", WindowText(Child(TrovaCLIds::kHistoryHeaderId)));
    ClickHeader(TrovaCLIds::kHistoryHeaderId);
    DoubleClickRow(TrovaCLIds::kHistoryTreeId, 0);
    EXPECT_EQ(L"trova://global/ch-beta", sink.links.back()) << "the history's row";
    PumpUntil([] { return false; }, 700);
    EXPECT_EQ(0, QueryInt("SELECT count(*) FROM history")) << "the database is still held";

    merge.Release();
    EXPECT_TRUE(PumpUntil([] { return QueryInt("SELECT count(*) FROM history") == 1; }, 3000));
    EXPECT_EQ(L"最近观看(1)", WindowText(Child(TrovaCLIds::kHistoryHeaderId)));
}

// Favourite choices while the database is held for writing: the control keeps one set of them,
// the last choice counts and shows at once in every list's menu and in 我的收藏, and what is
// still to be written is written before the control's window goes.
TEST_F(ControlChannelListTest, FavouriteChoicesWhileTheDatabaseIsHeldAreOneSetWrittenBeforeTheWindowGoes) {
    using Texts = std::vector<std::wstring>;
    const std::wstring add = L"添加到我的收藏", remove = L"从我的收藏中移除";
    ClickRow(TrovaCLIds::kAllTreeId, 3);  // Sport opens: Beta on row 4
    ChooseFromRowMenu(TrovaCLIds::kAllTreeId, 4, add);
    ASSERT_EQ(L"我的收藏(1)", WindowText(Child(TrovaCLIds::kFavorHeaderId)));
    ASSERT_EQ(1, QueryInt("SELECT count(*) FROM favorite"));

    CWriteHold merge;
    ASSERT_TRUE(merge.Held());
    ClickHeader(TrovaCLIds::kFavorHeaderId);
    EXPECT_EQ((Texts{L"播放", remove}), ChooseFromRowMenu(TrovaCLIds::kFavorTreeId, 0, remove));
    EXPECT_EQ(L"我的收藏(0)", WindowText(Child(TrovaCLIds::kFavorHeaderId)));
    ClickHeader(TrovaCLIds::kAllHeaderId);
    EXPECT_EQ((Texts{L"播放", add}), ChooseFromRowMenu(TrovaCLIds::kAllTreeId, 4, add));
    EXPECT_EQ(L"我的收藏(1)", WindowText(Child(TrovaCLIds::kFavorHeaderId)));
    ClickHeader(TrovaCLIds::kFavorHeaderId);
    EXPECT_EQ((Texts{L"播放", remove}), ChooseFromRowMenu(TrovaCLIds::kFavorTreeId, 0, remove));
    EXPECT_EQ(L"我的收藏(0)", WindowText(Child(TrovaCLIds::kFavorHeaderId)));
    EXPECT_EQ(1, QueryInt("SELECT count(*) FROM favorite")) << "the database is still held";

    merge.Release();
    container.Deactivate();  // at once, before any retry
    EXPECT_EQ(0, QueryInt("SELECT count(*) FROM favorite")) << "the last choice was written";
}

TEST_F(ControlChannelListTest, HeadersWorkAsAnAccordion) {
    const RECT openList = {0, 56, kWidth, kHeight - 40};
    EXPECT_TRUE(Visible(TrovaCLIds::kAllTreeId));
    EXPECT_EQ(openList, ChildRect(Child(TrovaCLIds::kAllTreeId)));

    // The open section's header only flips its arrow.
    ASSERT_EQ("down", ArrowOf(Child(TrovaCLIds::kAllHeaderId)));
    ClickHeader(TrovaCLIds::kAllHeaderId);
    EXPECT_EQ("up", ArrowOf(Child(TrovaCLIds::kAllHeaderId)));
    EXPECT_TRUE(Visible(TrovaCLIds::kAllTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kHistoryTreeId));
    EXPECT_EQ(openList, ChildRect(Child(TrovaCLIds::kAllTreeId)));

    // Another header opens its own section under it and closes the open one.
    ClickHeader(TrovaCLIds::kHistoryHeaderId);
    EXPECT_FALSE(Visible(TrovaCLIds::kAllTreeId));
    EXPECT_TRUE(Visible(TrovaCLIds::kHistoryTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kFavorTreeId));
    EXPECT_EQ((RECT{0, 36, kWidth, 56}), ChildRect(Child(TrovaCLIds::kAllHeaderId)));
    EXPECT_EQ((RECT{0, 56, kWidth, 76}), ChildRect(Child(TrovaCLIds::kHistoryHeaderId)));
    EXPECT_EQ((RECT{0, 76, kWidth, kHeight - 20}), ChildRect(Child(TrovaCLIds::kHistoryTreeId)));
    EXPECT_EQ((RECT{0, kHeight - 20, kWidth, kHeight}), ChildRect(Child(TrovaCLIds::kFavorHeaderId)));
    EXPECT_EQ("down", ArrowOf(Child(TrovaCLIds::kHistoryHeaderId))) << "opening a section flips nothing";
    EXPECT_EQ("up", ArrowOf(Child(TrovaCLIds::kAllHeaderId))) << "headers keep their arrows";
    // Every open section's header flips its arrow, on screen or not (the container is hidden).
    ClickHeader(TrovaCLIds::kHistoryHeaderId);
    EXPECT_TRUE(Visible(TrovaCLIds::kHistoryTreeId));
    EXPECT_EQ("up", ArrowOf(Child(TrovaCLIds::kHistoryHeaderId)));

    ClickHeader(TrovaCLIds::kFavorHeaderId);
    EXPECT_TRUE(Visible(TrovaCLIds::kFavorTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kHistoryTreeId));
    EXPECT_EQ((RECT{0, 96, kWidth, kHeight}), ChildRect(Child(TrovaCLIds::kFavorTreeId)));
    EXPECT_EQ((RECT{0, 76, kWidth, 96}), ChildRect(Child(TrovaCLIds::kFavorHeaderId)));

    ClickHeader(TrovaCLIds::kAllHeaderId);
    EXPECT_TRUE(Visible(TrovaCLIds::kAllTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kFavorTreeId));
    EXPECT_EQ(openList, ChildRect(Child(TrovaCLIds::kAllTreeId)));

    // A press dragged off the bar opens nothing.
    SendMessageW(Child(TrovaCLIds::kHistoryHeaderId), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 10));
    SendMessageW(Child(TrovaCLIds::kHistoryHeaderId), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(40, 200));
    SendMessageW(Child(TrovaCLIds::kHistoryHeaderId), WM_LBUTTONUP, 0, MAKELPARAM(40, 200));
    EXPECT_TRUE(Visible(TrovaCLIds::kAllTreeId));
}

TEST_F(ControlChannelListTest, KeywordOpensTheSearchSectionAndAnEmptyOneReturnsToAllChannels) {
    ClickHeader(TrovaCLIds::kHistoryHeaderId);
    ASSERT_TRUE(Visible(TrovaCLIds::kHistoryTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kSearchHeaderId));

    SetFocus(SearchEdit());
    Type(L"Sport");
    EXPECT_TRUE(Visible(TrovaCLIds::kSearchHeaderId));
    EXPECT_TRUE(Visible(TrovaCLIds::kSearchTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kAllTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kHistoryTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kFavorTreeId));
    EXPECT_EQ(L"搜索结果(2)", WindowText(Child(TrovaCLIds::kSearchHeaderId)));
    // Search header, its list, then the three closed headers.
    EXPECT_EQ((RECT{0, 36, kWidth, 56}), ChildRect(Child(TrovaCLIds::kSearchHeaderId)));
    EXPECT_EQ((RECT{0, 56, kWidth, kHeight - 60}), ChildRect(Child(TrovaCLIds::kSearchTreeId)));
    EXPECT_EQ((RECT{0, kHeight - 60, kWidth, kHeight - 40}), ChildRect(Child(TrovaCLIds::kAllHeaderId)));
    EXPECT_EQ((RECT{0, kHeight - 40, kWidth, kHeight - 20}), ChildRect(Child(TrovaCLIds::kHistoryHeaderId)));
    EXPECT_EQ((RECT{0, kHeight - 20, kWidth, kHeight}), ChildRect(Child(TrovaCLIds::kFavorHeaderId)));

    // Every keystroke searches again; descriptions match too.
    Erase(5);
    Type(L"新闻");
    EXPECT_EQ(L"搜索结果(1)", WindowText(Child(TrovaCLIds::kSearchHeaderId)));
    Erase(2);
    Type(L"bulletin");
    EXPECT_EQ(L"搜索结果(1)", WindowText(Child(TrovaCLIds::kSearchHeaderId)));
    Type(L"zzz");
    EXPECT_EQ(L"搜索结果(0)", WindowText(Child(TrovaCLIds::kSearchHeaderId)));

    // Opening from the search list fires like anywhere else.
    Erase(11);
    Type(L"Gamma");
    Advise();
    DoubleClickRow(TrovaCLIds::kSearchTreeId, 0);
    ASSERT_EQ(1u, sink.links.size());
    EXPECT_EQ(L"trova://global/ch-gamma", sink.links[0]);

    // Clearing the keyword opens all channels, not the history that was open before.
    Erase(5);
    EXPECT_FALSE(Visible(TrovaCLIds::kSearchHeaderId));
    EXPECT_FALSE(Visible(TrovaCLIds::kSearchTreeId));
    EXPECT_TRUE(Visible(TrovaCLIds::kAllTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kHistoryTreeId));
    EXPECT_EQ((RECT{0, 56, kWidth, kHeight - 40}), ChildRect(Child(TrovaCLIds::kAllTreeId)));

    // The search header works like the others while it is shown.
    Type(L"a");
    ClickHeader(TrovaCLIds::kAllHeaderId);
    EXPECT_TRUE(Visible(TrovaCLIds::kAllTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kSearchTreeId));
    EXPECT_TRUE(Visible(TrovaCLIds::kSearchHeaderId));
    ClickHeader(TrovaCLIds::kSearchHeaderId);
    EXPECT_TRUE(Visible(TrovaCLIds::kSearchTreeId));
    EXPECT_FALSE(Visible(TrovaCLIds::kAllTreeId));
}

TEST_F(ControlChannelListTest, HidingAListEndsItsHoverTooltipAndCapture) {
    // The pointer rests on the all-channels list, then a keyword is typed.
    SendMessageW(Child(TrovaCLIds::kAllTreeId), WM_MOUSEMOVE, 0, MAKELPARAM(40, kRow / 2));
    ASSERT_EQ(Child(TrovaCLIds::kAllTreeId), GetCapture());
    ASSERT_TRUE(PumpUntil(TooltipShown, 3000));
    SetFocus(SearchEdit());
    Type(L"Sport");
    ASSERT_TRUE(Visible(TrovaCLIds::kSearchTreeId));
    EXPECT_NE(Child(TrovaCLIds::kAllTreeId), GetCapture());
    EXPECT_FALSE(TooltipShown());
    PumpUntil([] { return false; }, 700);
    EXPECT_FALSE(TooltipShown()) << "the hidden list shows no tooltip later either";

    // The pointer rests on the search list, then Backspace empties the keyword.
    SendMessageW(Child(TrovaCLIds::kSearchTreeId), WM_MOUSEMOVE, 0, MAKELPARAM(40, kRow / 2));
    ASSERT_EQ(Child(TrovaCLIds::kSearchTreeId), GetCapture());
    ASSERT_TRUE(PumpUntil(TooltipShown, 3000));
    Erase(5);
    ASSERT_TRUE(Visible(TrovaCLIds::kAllTreeId));
    EXPECT_NE(Child(TrovaCLIds::kSearchTreeId), GetCapture());
    EXPECT_FALSE(TooltipShown());
    ReleaseCapture();
}

// The list window that fired the event, watched from outside: whether it was destroyed while
// its own double click was still being handled.
WNDPROC g_listProc = nullptr;
int g_doubleClickDepth = 0;
bool g_destroyedInsideDoubleClick = false;

LRESULT CALLBACK WatchList(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY && g_doubleClickDepth > 0)
        g_destroyedInsideDoubleClick = true;
    if (message != WM_LBUTTONDBLCLK)
        return CallWindowProcW(g_listProc, window, message, wParam, lParam);
    ++g_doubleClickDepth;
    const LRESULT result = CallWindowProcW(g_listProc, window, message, wParam, lParam);
    --g_doubleClickDepth;
    return result;
}

TEST_F(ControlChannelListTest, ContainerDroppingTheControlInsideTheEventFreesItAfterTheMessage) {
    Advise();
    const HWND window = container.ControlWindow();
    const HWND list = Child(TrovaCLIds::kAllTreeId);
    g_destroyedInsideDoubleClick = false;
    g_listProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(list, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WatchList)));
    sink.onEvent = [this] {
        // Every reference but the control's own for the event goes, without closing it.
        cookie = 0;
        point.Reset();
        control.Reset();
        container.Abandon();
    };
    ClickRow(TrovaCLIds::kAllTreeId, 3);
    DoubleClickRow(TrovaCLIds::kAllTreeId, 4);
    ASSERT_EQ(1u, sink.links.size());
    EXPECT_FALSE(g_destroyedInsideDoubleClick) << "the control outlives the list's message";
    EXPECT_TRUE(PumpUntil([] { return CTrovaCLDll::Instance().CanUnloadNow() == S_OK; }, 3000)) << "and then goes";
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(ControlChannelListTest, WheelAndKeysReachTheListsFromTheSearchBox) {
    // Two rows of the four catalogs fit: positions 0..3.
    ASSERT_EQ(S_OK, container.Resize(kWidth, 96 + 2 * kRow));
    UINT savedLines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &savedLines, 0);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 1, nullptr, 0);
    SetFocus(SearchEdit());
    POINT overList = {40, kRow / 2};
    ClientToScreen(Child(TrovaCLIds::kAllTreeId), &overList);
    SendMessageW(SearchEdit(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)),
                 MAKELPARAM(overList.x, overList.y));
    EXPECT_EQ(2, GetScrollPos(Child(TrovaCLIds::kAllTreeId), SB_VERT)) << "the list under the pointer scrolls";
    POINT overHeader = {40, 10};
    ClientToScreen(Child(TrovaCLIds::kHistoryHeaderId), &overHeader);
    SendMessageW(SearchEdit(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(WHEEL_DELTA)),
                 MAKELPARAM(overHeader.x, overHeader.y));
    EXPECT_EQ(2, GetScrollPos(Child(TrovaCLIds::kAllTreeId), SB_VERT)) << "nothing scrolls under a header";
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, savedLines, nullptr, 0);
    EXPECT_EQ(SearchEdit(), GetFocus()) << "the search box keeps the focus";

    // The container hands key messages to the control first: it takes those of its windows
    // but Tab, which moves between the container's controls.
    ComPtr<IOleInPlaceActiveObject> active;
    ASSERT_EQ(S_OK, control.As(&active));
    MSG key = {SearchEdit(), WM_CHAR, L'S', 0, 0, {}};
    EXPECT_EQ(S_OK, active->TranslateAccelerator(&key));
    for (wchar_t c : std::wstring(L"port"))
        SendMessageW(SearchEdit(), WM_CHAR, c, 0);
    EXPECT_EQ(L"搜索结果(2)", WindowText(Child(TrovaCLIds::kSearchHeaderId)));
    MSG tab = {SearchEdit(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_EQ(S_FALSE, active->TranslateAccelerator(&tab));
    MSG elsewhere = {container.Window(), WM_KEYDOWN, VK_DOWN, 0, 0, {}};
    EXPECT_EQ(S_FALSE, active->TranslateAccelerator(&elsewhere));

    // Down goes to the first result, which Enter opens; Escape empties the keyword as the
    // clear button does.
    Advise();
    SendMessageW(SearchEdit(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(Child(TrovaCLIds::kSearchTreeId), GetFocus());
    SendMessageW(Child(TrovaCLIds::kSearchTreeId), WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(std::vector<std::wstring>{L"trova://global/ch-beta"}, sink.links);
    SetFocus(SearchEdit());
    SendMessageW(SearchEdit(), WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(SearchEdit(), WM_CHAR, VK_ESCAPE, 0);
    EXPECT_EQ(L"", WindowText(SearchEdit()));
    EXPECT_FALSE(Visible(TrovaCLIds::kSearchHeaderId));
    EXPECT_TRUE(Visible(TrovaCLIds::kAllTreeId));
}

TEST_F(ControlChannelListTest, WheelAndKeysGoOnlyWhereAListShows) {
    // Five rows of the all-channels list, then no room: the list keeps its place, now where the
    // history and favourites headers are and below the control.
    ClickRow(TrovaCLIds::kAllTreeId, 0);  // the latest updates open: nine rows
    ASSERT_EQ(S_OK, container.Resize(kWidth, 96 + 5 * kRow));
    ASSERT_EQ(S_OK, container.Resize(kWidth, 96));
    const HWND list = Child(TrovaCLIds::kAllTreeId);
    UINT savedLines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &savedLines, 0);
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, 1, nullptr, 0);
    POINT overHeader = {40, 10};
    ClientToScreen(Child(TrovaCLIds::kHistoryHeaderId), &overHeader);
    RECT oldPlace{};
    GetWindowRect(list, &oldPlace);
    ASSERT_TRUE(PtInRect(&oldPlace, overHeader));
    const WPARAM down = MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA));
    SetFocus(SearchEdit());
    SendMessageW(SearchEdit(), WM_MOUSEWHEEL, down, MAKELPARAM(overHeader.x, overHeader.y));
    EXPECT_EQ(0, GetScrollPos(list, SB_VERT)) << "through the control";
    POINT belowControl = {40, 96 + 2 * kRow};
    ClientToScreen(container.ControlWindow(), &belowControl);
    ASSERT_TRUE(PtInRect(&oldPlace, belowControl));
    SetFocus(list);
    SendMessageW(list, WM_MOUSEWHEEL, down, MAKELPARAM(belowControl.x, belowControl.y));
    EXPECT_EQ(0, GetScrollPos(list, SB_VERT)) << "the list with the focus";
    SystemParametersInfoW(SPI_SETWHEELSCROLLLINES, savedLines, nullptr, 0);

    // A channel selected in the list with the focus, then the control hidden around it.
    Advise();
    ASSERT_EQ(S_OK, container.Resize(kWidth, kHeight));
    ClickRow(TrovaCLIds::kAllTreeId, 1);
    SetFocus(list);
    ShowWindow(container.ControlWindow(), SW_HIDE);
    SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(sink.links.empty());
    ShowWindow(container.ControlWindow(), SW_SHOW);
    SendMessageW(list, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(1u, sink.links.size()) << "shown again, it takes keys";
}

TEST_F(ControlChannelListTest, ShortControlPlacesTheHeadersButNoList) {
    const RECT listBefore = ChildRect(Child(TrovaCLIds::kAllTreeId));

    ASSERT_EQ(S_OK, container.Resize(kWidth, 96));
    EXPECT_EQ((RECT{0, 0, kWidth, 36}), ChildRect(Child(TrovaCLIds::kSearchPanelId)));
    EXPECT_EQ((RECT{0, 36, kWidth, 56}), ChildRect(Child(TrovaCLIds::kAllHeaderId)));
    EXPECT_EQ((RECT{0, 56, kWidth, 76}), ChildRect(Child(TrovaCLIds::kHistoryHeaderId)));
    EXPECT_EQ((RECT{0, 76, kWidth, 96}), ChildRect(Child(TrovaCLIds::kFavorHeaderId)));
    EXPECT_EQ(listBefore, ChildRect(Child(TrovaCLIds::kAllTreeId))) << "no room: the list keeps its place";

    ASSERT_EQ(S_OK, container.Resize(kWidth, 97));
    EXPECT_EQ((RECT{0, 56, kWidth, 57}), ChildRect(Child(TrovaCLIds::kAllTreeId)));
    EXPECT_EQ((RECT{0, 57, kWidth, 77}), ChildRect(Child(TrovaCLIds::kHistoryHeaderId)));

    // With the search header shown the threshold is 116.
    SetFocus(SearchEdit());
    Type(L"a");
    ASSERT_TRUE(Visible(TrovaCLIds::kSearchHeaderId));
    const RECT searchBefore = ChildRect(Child(TrovaCLIds::kSearchTreeId));
    ASSERT_EQ(S_OK, container.Resize(kWidth, 116));
    EXPECT_EQ((RECT{0, 36, kWidth, 56}), ChildRect(Child(TrovaCLIds::kSearchHeaderId)));
    EXPECT_EQ(searchBefore, ChildRect(Child(TrovaCLIds::kSearchTreeId)));
    EXPECT_EQ((RECT{0, 56, kWidth, 76}), ChildRect(Child(TrovaCLIds::kAllHeaderId)));
    EXPECT_EQ((RECT{0, 96, kWidth, 116}), ChildRect(Child(TrovaCLIds::kFavorHeaderId)));

    ASSERT_EQ(S_OK, container.Resize(kWidth, 117));
    EXPECT_EQ((RECT{0, 56, kWidth, 57}), ChildRect(Child(TrovaCLIds::kSearchTreeId)));
    EXPECT_EQ((RECT{0, 57, kWidth, 77}), ChildRect(Child(TrovaCLIds::kAllHeaderId)));

    // Narrow or wide, everything spans the control.
    ASSERT_EQ(S_OK, container.Resize(400, 300));
    EXPECT_EQ((RECT{0, 0, 400, 36}), ChildRect(Child(TrovaCLIds::kSearchPanelId)));
    EXPECT_EQ((RECT{0, 56, 400, 300 - 60}), ChildRect(Child(TrovaCLIds::kSearchTreeId)));
}

// Folder and skin objects are shared by the controls of a process: one control going away
// leaves the other its database and pictures.
TEST_F(ControlChannelListTest, SecondControlKeepsItsDatabaseWhenTheFirstGoes) {
    {
        CStubContainer other(kWidth, kHeight);
        ComPtr<IUnknown> second;
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, CTrovaCLDll::Instance().GetClassObject(TrovaCLIds::kControlClassId, IID_PPV_ARGS(&factory)));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&second)));
        ASSERT_EQ(S_OK, other.Activate(second.Get()));
        ASSERT_TRUE(other.WaitForSync());
        EXPECT_EQ(L"所有频道(5)", WindowText(other.Child(TrovaCLIds::kAllHeaderId)));
        other.Deactivate();
    }
    Advise();
    ClickRow(TrovaCLIds::kAllTreeId, 3);
    DoubleClickRow(TrovaCLIds::kAllTreeId, 4);
    ASSERT_EQ(1u, sink.links.size());
    EXPECT_EQ(L"最近观看(1)", WindowText(Child(TrovaCLIds::kHistoryHeaderId)))
        << "the history went to the same database";
    sqlite3* db = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_open16(CPrivateAppData::DatabasePath().c_str(), &db));
    sqlite3_stmt* statement = nullptr;
    ASSERT_EQ(SQLITE_OK, sqlite3_prepare_v2(db, "SELECT count(*) FROM history", -1, &statement, nullptr));
    ASSERT_EQ(SQLITE_ROW, sqlite3_step(statement));
    EXPECT_EQ(1, sqlite3_column_int(statement, 0));
    sqlite3_finalize(statement);
    sqlite3_close(db);
}

}  // namespace
