#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "framework/win/tests/TestHost.h"
#include "player/panels/BroadcastPanel.h"
#include "player/panels/tests/ModalDialog.h"

namespace {

const wchar_t kFormTitle[] = L"Create Channel";

class RecordingListener : public IBCastCmdPanelListener {
public:
    void OnCreateChannel() override { calls.push_back("create"); }
    void OnStartChannel() override { calls.push_back("start"); }
    void OnDeleteChannel() override { calls.push_back("delete"); }
    std::vector<std::string> calls;
};

RECT PlaceIn(HWND window, HWND parent) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::wstring TextOf(HWND window) {
    wchar_t text[64] = {};
    ::GetWindowTextW(window, text, 64);
    return text;
}

bool SameRect(const RECT& a, const RECT& b) { return ::EqualRect(&a, &b) != FALSE; }

class BroadcastPanelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(panel_.Create(host_)); }
    HWND Button(int id) { return ::GetDlgItem(panel_.CmdPanel(), id); }
    void Click(int id) { ::SendMessageW(Button(id), BM_CLICK, 0, 0); }

    CTestHost host_;
    CTestWindow<CBroadcastPanel> panel_;
};

TEST_F(BroadcastPanelTest, IsAHiddenChildWithACommandBarAndAList) {
    EXPECT_EQ(601, panel_.GetDlgCtrlID());
    EXPECT_EQ(L"TBCastPanel", panel_.GetWindowText());
    const LONG style = ::GetWindowLongW(panel_, GWL_STYLE);
    EXPECT_EQ(WS_CHILD | WS_CLIPCHILDREN, style & (WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE));

    HWND bar = ::GetDlgItem(panel_, 3001);
    HWND list = ::GetDlgItem(panel_, 602);
    EXPECT_EQ(panel_.CmdPanel().m_hWnd, bar);
    EXPECT_EQ(panel_.List().m_hWnd, list);
    EXPECT_TRUE(::GetWindowLongW(bar, GWL_STYLE) & WS_VISIBLE);
    const LONG listStyle = ::GetWindowLongW(list, GWL_STYLE);
    EXPECT_TRUE(listStyle & WS_VISIBLE);
    EXPECT_EQ(LVS_REPORT, listStyle & LVS_TYPEMASK);
    EXPECT_TRUE(listStyle & LVS_SINGLESEL);
    EXPECT_EQ(0, ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

TEST_F(BroadcastPanelTest, SizingPutsTheBarOnTopAndTheListBelowIt) {
    panel_.MoveWindow(RECT{0, 0, 500, 300});
    EXPECT_TRUE(SameRect(RECT{0, 0, 500, 32}, PlaceIn(panel_.CmdPanel(), panel_)));
    EXPECT_TRUE(SameRect(RECT{0, 33, 500, 300}, PlaceIn(panel_.List(), panel_)));
    panel_.MoveWindow(RECT{0, 0, 200, 20});
    EXPECT_TRUE(SameRect(RECT{0, 0, 200, 32}, PlaceIn(panel_.CmdPanel(), panel_)));
    EXPECT_TRUE(SameRect(RECT{0, 33, 200, 33}, PlaceIn(panel_.List(), panel_)));
}

TEST_F(BroadcastPanelTest, CommandBarHasThreeButtonsInOneFont) {
    struct Expected {
        int id;
        const wchar_t* caption;
        RECT place;
    } expected[] = {{101, L"创建频道", {10, 4, 100, 28}},
                    {102, L"启动频道", {104, 4, 194, 28}},
                    {103, L"删除频道", {198, 4, 288, 28}}};
    HFONT font = reinterpret_cast<HFONT>(::SendMessageW(Button(101), WM_GETFONT, 0, 0));
    ASSERT_TRUE(font);
    LOGFONTW look{};
    ASSERT_TRUE(::GetObjectW(font, sizeof(look), &look));
    EXPECT_EQ(-15, look.lfHeight);
    for (const auto& button : expected) {
        SCOPED_TRACE(button.id);
        HWND window = Button(button.id);
        ASSERT_TRUE(window);
        EXPECT_EQ(button.caption, TextOf(window));
        EXPECT_TRUE(SameRect(button.place, PlaceIn(window, panel_.CmdPanel())));
        EXPECT_EQ(font, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    }
}

TEST_F(BroadcastPanelTest, ListHasElevenLeftAlignedColumnsFittedToTheirHeaders) {
    const wchar_t* headers[] = {L"序号", L"状态",   L"类型",   L"频道ID",     L"比特率", L"分类",
                                L"描述", L"URL",    L"源路径", L"频道服务器", L"端口"};
    HWND header = reinterpret_cast<HWND>(panel_.List().SendMessage(LVM_GETHEADER));
    EXPECT_EQ(11, ::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    for (int index = 0; index < 11; ++index) {
        SCOPED_TRACE(index);
        wchar_t text[32] = {};
        LVCOLUMNW column{};
        column.mask = LVCF_FMT | LVCF_TEXT | LVCF_WIDTH;
        column.pszText = text;
        column.cchTextMax = 32;
        ASSERT_TRUE(panel_.List().SendMessage(LVM_GETCOLUMNW, index, reinterpret_cast<LPARAM>(&column)));
        EXPECT_EQ(std::wstring(headers[index]), text);
        EXPECT_EQ(LVCFMT_LEFT, column.fmt & LVCFMT_JUSTIFYMASK);
        if (index == 0) {
            EXPECT_EQ(50, column.cx);
        } else if (index < 3) {
            EXPECT_EQ(100, column.cx);
        } else {
            const int textWidth = static_cast<int>(
                panel_.List().SendMessage(LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(headers[index])));
            // The whole header text shows, between the header's margins.
            EXPECT_GE(column.cx, textWidth + 6 * ::GetSystemMetrics(SM_CXEDGE));
            EXPECT_LT(column.cx, textWidth + 40);
        }
    }
}

TEST_F(BroadcastPanelTest, PaintsDarkGreyWithTheBarInItsOwnBlue) {
    panel_.MoveWindow(RECT{0, 0, 320, 60});
    CPaintCapture panelCapture(320, 60);
    panelCapture.PrintClient(panel_);
    EXPECT_EQ(RGB(64, 64, 64), panelCapture.Pixel(0, 32));
    EXPECT_EQ(320 * 60, panelCapture.CountColor(RECT{0, 0, 320, 60}, RGB(64, 64, 64)));

    CPaintCapture barCapture(320, 32);
    barCapture.PrintClient(panel_.CmdPanel());
    EXPECT_EQ(320 * 32, barCapture.CountColor(RECT{0, 0, 320, 32}, RGB(238, 243, 250)));
}

TEST(BCastCmdPanelTest, OnlyTheCreateButtonReachesTheListener) {
    CTestHost host;
    RecordingListener listener;
    CTestWindow<CBCastCmdPanel> bar;
    bar.SetListener(&listener);
    ASSERT_TRUE(bar.Create(host, RECT{0, 0, 300, 32}, nullptr, WS_CHILD | WS_VISIBLE, 0, 3001));
    for (int id : {102, 103, 101})
        ::SendMessageW(::GetDlgItem(bar, id), BM_CLICK, 0, 0);
    EXPECT_EQ(std::vector<std::string>{"create"}, listener.calls);

    // Without a listener the click goes nowhere: no form of its own, no other bar's listener.
    CTestWindow<CBCastCmdPanel> alone;
    ASSERT_TRUE(alone.Create(host, RECT{0, 0, 300, 32}, nullptr, WS_CHILD, 0, 3002));
    const bool opened = WithModalDialog(kFormTitle, [&] {
        ::SendMessageW(::GetDlgItem(alone, 101), BM_CLICK, 0, 0);
        PumpUntil([] { return false; }, 200);
    }, [](HWND box) { ClickButton(box, IDCANCEL); });
    EXPECT_FALSE(opened);
    EXPECT_TRUE(alone.IsWindow());
    EXPECT_EQ(std::vector<std::string>{"create"}, listener.calls);
}

TEST_F(BroadcastPanelTest, StartAndDeleteChangeNothing) {
    panel_.MoveWindow(RECT{0, 0, 400, 200});
    const bool opened = WithModalDialog(kFormTitle, [&] {
        Click(102);
        Click(103);
        PumpUntil([] { return false; }, 200);
    }, [](HWND box) { ClickButton(box, IDCANCEL); });
    EXPECT_FALSE(opened);
    EXPECT_FALSE(panel_.IsWindowVisible());
    EXPECT_EQ(0, panel_.List().SendMessage(LVM_GETITEMCOUNT));
    EXPECT_TRUE(SameRect(RECT{0, 0, 400, 32}, PlaceIn(panel_.CmdPanel(), panel_)));
    for (int id : {101, 102, 103})
        EXPECT_TRUE(::IsWindowEnabled(Button(id))) << id;
}

TEST_F(BroadcastPanelTest, CreateRunsTheFormModallyWithoutOwner) {
    HWND owner = reinterpret_cast<HWND>(1);
    bool returned = false;
    const bool opened = WithModalDialog(kFormTitle, [&] {
        Click(101);
        returned = true;
    }, [&](HWND box) {
        owner = ::GetWindow(box, GW_OWNER);
        EXPECT_FALSE(returned);
        ClickButton(box, IDOK);
    });
    EXPECT_TRUE(opened);
    EXPECT_TRUE(returned);
    EXPECT_EQ(nullptr, owner);
    EXPECT_EQ(nullptr, FindThreadWindow(L"#32770", kFormTitle));
    // Nothing of the form is kept: the list stays empty.
    EXPECT_EQ(0, panel_.List().SendMessage(LVM_GETITEMCOUNT));
}

}  // namespace
