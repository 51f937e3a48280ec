#include <gtest/gtest.h>

#include <vector>

#include "framework/win/tests/TestHost.h"
#include "player/shell/ChildView.h"
#include "player/shell/CommandLine.h"
#include "player/shell/tests/ShellTestSupport.h"

namespace {

int Width(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    return rect.right - rect.left;
}

// The window's own visible style: the test host itself is never shown.
bool Shown(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

// The view inside a hidden test host, sized to width x 400.
class PlayerView : public CShellTest {
protected:
    ~PlayerView() override {
        if (view_.m_hWnd)
            view_.DestroyWindow();
    }

    bool CreateView(int width) {
        if (!view_.Create(host_, RECT{0, 0, width, 400}, 0xE900))
            return false;
        view_.MoveWindow(RECT{0, 0, width, 400});
        return true;
    }
    int ContentWidth() { return Width(view_.Movie().Window()); }
    int ListWidth() { return Width(view_.Channels().Window()); }
    void Click(POINT point) {
        view_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(point.x, point.y));
        view_.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(point.x, point.y));
    }
    // Drags the splitter from its middle (away from the toggle button) and drops it at x.
    void DragSplitterTo(int x) {
        const RECT strip = view_.SplitterRect();
        const int y = strip.top + 2;
        view_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(strip.left + 4, y));
        view_.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MakePointLParam(x, y));
        view_.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(x, y));
    }
    POINT ToggleCentre() {
        const RECT button = view_.ToggleRect();
        return POINT{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    }

    CTestHost host_;
    CChildView view_;
};

TEST_F(PlayerView, ContentNeverNarrowerThan400AndTheListTakesTheRest) {
    ASSERT_TRUE(CreateView(600));
    ASSERT_TRUE(view_.Movie().Window());
    ASSERT_TRUE(view_.Channels().Window());
    EXPECT_EQ(400, ContentWidth());
    EXPECT_EQ(192, ListWidth());
    const RECT strip = view_.SplitterRect();
    EXPECT_EQ(400, strip.left);
    EXPECT_EQ(408, strip.right);
    // Navigation strip on top, content and list below it at the same height.
    RECT movie{}, list{};
    ::GetWindowRect(view_.Movie().Window(), &movie);
    ::GetWindowRect(view_.Channels().Window(), &list);
    EXPECT_EQ(movie.top, list.top);
    EXPECT_EQ(view_.Navi().GetWindowRect().bottom, movie.top);
    EXPECT_EQ(CSkin::Instance()->NaviHeight(), strip.top);

    view_.MoveWindow(RECT{0, 0, 900, 400});
    EXPECT_EQ(900 - 192 - 8, ContentWidth());
    EXPECT_EQ(192, ListWidth());
}

TEST_F(PlayerView, SplitterDropIsKeptBetween400AndFiftyFromTheRightEdge) {
    ASSERT_TRUE(CreateView(900));
    EXPECT_EQ(692, ContentWidth());
    DragSplitterTo(100);
    EXPECT_EQ(400, ContentWidth());
    EXPECT_EQ(900 - 408, ListWidth());
    EXPECT_EQ(CChildView::kIdle, view_.State());
    DragSplitterTo(890);
    EXPECT_EQ(850, ContentWidth());
    DragSplitterTo(600);
    EXPECT_EQ(600, ContentWidth());
    EXPECT_EQ(292, ListWidth());
    EXPECT_NE(view_.m_hWnd, ::GetCapture());
}

TEST_F(PlayerView, ToggleTwiceShowsTheListAgainAt200) {
    ASSERT_TRUE(CreateView(900));
    DragSplitterTo(500);
    ASSERT_EQ(392, ListWidth());

    Click(ToggleCentre());
    EXPECT_FALSE(view_.IsListShown());
    EXPECT_EQ(892, ContentWidth());
    EXPECT_EQ(0, ListWidth());

    Click(ToggleCentre());
    EXPECT_TRUE(view_.IsListShown());
    EXPECT_EQ(200, ListWidth());
    EXPECT_EQ(692, ContentWidth());
    EXPECT_EQ(CChildView::kIdle, view_.State());
}

TEST_F(PlayerView, ListSqueezedToNothingComesBackWhenTheViewIsWideEnough) {
    ASSERT_TRUE(CreateView(900));
    view_.MoveWindow(RECT{0, 0, 300, 400});
    EXPECT_EQ(0, ListWidth());
    view_.MoveWindow(RECT{0, 0, 500, 400});
    EXPECT_EQ(92, ListWidth());
    view_.MoveWindow(RECT{0, 0, 300, 400});
    view_.MoveWindow(RECT{0, 0, 900, 400});
    EXPECT_TRUE(view_.IsListShown());
    EXPECT_EQ(200, ListWidth());
    EXPECT_EQ(692, ContentWidth());
}

// Another window taking the mouse ends a drag or a toggle press; its button-up does nothing.
TEST_F(PlayerView, LostCaptureEndsADragOrATogglePressWithoutEffect) {
    ASSERT_TRUE(CreateView(900));
    const RECT strip = view_.SplitterRect();
    view_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(strip.left + 4, strip.top + 2));
    ASSERT_EQ(CChildView::kDragging, view_.State());
    ::SetCapture(host_);
    EXPECT_EQ(CChildView::kIdle, view_.State());
    view_.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(500, strip.top + 2));
    EXPECT_EQ(692, ContentWidth());

    const POINT toggle = ToggleCentre();
    view_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(toggle.x, toggle.y));
    ASSERT_EQ(CChildView::kTogglePressed, view_.State());
    ::SetCapture(host_);
    EXPECT_EQ(CChildView::kIdle, view_.State());
    view_.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(toggle.x, toggle.y));
    EXPECT_TRUE(view_.IsListShown());
    EXPECT_EQ(200, ListWidth());
    ::ReleaseCapture();
}

// The inverted bar follows the pointer across the player panel, on screen.
TEST_F(PlayerView, DraggedSplitterIsDrawnOverThePanels) {
    host_.MoveWindow(RECT{0, 0, 1000, 520});
    host_.ShowWindow(SW_SHOWNOACTIVATE);
    ASSERT_TRUE(CreateView(900));
    PumpUntil([] { return false; }, 300);
    const RECT strip = view_.SplitterRect();
    const int y = strip.top + 40;
    // What the player panel shows there, read through its own window.
    HWND panel = view_.Movie().Window();
    auto screenBar = [&](int left) {
        std::vector<COLORREF> pixels;
        ScopedGetDC dc(panel);
        for (int row = 0; row < 8; ++row) {
            for (int column = 0; column < CChildView::kSplitterWidth; ++column) {
                POINT at{left + column, y + row};
                ::MapWindowPoints(view_, panel, &at, 1);
                pixels.push_back(::GetPixel(dc, at.x, at.y));
            }
        }
        return pixels;
    };
    const std::vector<COLORREF> before = screenBar(500);
    view_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(strip.left + 4, strip.top + 2));
    view_.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MakePointLParam(500, y));
    const std::vector<COLORREF> during = screenBar(500);
    view_.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(500, y));
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i)
        changed += before[i] != during[i] ? 1 : 0;
    // The checkerboard inverts every other pixel of the bar.
    EXPECT_GE(changed, static_cast<int>(before.size()) / 2);
}

TEST_F(PlayerView, PlayerControlWithoutItsInterfaceLeavesNoWindow) {
    player_.offersDispatch = false;
    ASSERT_TRUE(CreateView(900));
    EXPECT_FALSE(view_.Movie().Window());
    EXPECT_FALSE(::GetDlgItem(view_, 201));
    // The rest of the view works: the list and the splitter where they belong.
    EXPECT_EQ(200, ListWidth());
    EXPECT_EQ(692, view_.SplitterRect().left);
    CScopedBstr link(L"trova://global/abc");
    list_.Fire(1, {BstrArg(link.Get())});
    EXPECT_TRUE(player_.calls.empty());
}

// Without the channel list's control the content takes its room: no dead column beside it,
// and the strip moves nothing.
TEST_F(PlayerView, MissingChannelListLeavesTheContentItsRoom) {
    list_.offersDispatch = false;
    ASSERT_TRUE(CreateView(900));
    ASSERT_FALSE(view_.Channels().Window());
    EXPECT_EQ(892, ContentWidth());
    EXPECT_EQ(892, view_.SplitterRect().left);
    DragSplitterTo(500);
    EXPECT_EQ(892, ContentWidth());
    view_.MoveWindow(RECT{0, 0, 700, 400});
    EXPECT_EQ(692, ContentWidth());
}

// A page change without the mouse (a link handed over selects the player) leaves alone a
// splitter drag that holds the mouse: neither the navigation strip nor the options window
// that it hides takes the capture away.
TEST_F(PlayerView, PageChangeWithoutTheMouseLeavesASplitterDragItsCapture) {
    ASSERT_TRUE(CreateView(900));
    CNaviPanel& navi = view_.Navi();
    for (const auto& item : navi.Items()) {
        if (item.id != CChildView::kNaviOptions)
            continue;
        const LPARAM at =
            MakePointLParam((item.rect.left + item.rect.right) / 2, (item.rect.top + item.rect.bottom) / 2);
        navi.SendMessage(WM_MOUSEMOVE, 0, at);
        navi.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, at);
        navi.SendMessage(WM_LBUTTONUP, 0, at);
    }
    ASSERT_TRUE(Shown(view_.Options()));
    const RECT strip = view_.SplitterRect();
    view_.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(strip.left + 4, strip.top + 2));
    ASSERT_EQ(view_.m_hWnd, ::GetCapture());

    view_.SelectPlayItem();
    ASSERT_FALSE(Shown(view_.Options()));
    EXPECT_EQ(view_.m_hWnd, ::GetCapture());
    EXPECT_EQ(CChildView::kDragging, view_.State());
    view_.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MakePointLParam(500, strip.top + 2));
    view_.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(500, strip.top + 2));
    EXPECT_EQ(500, ContentWidth());
}

TEST_F(PlayerView, HiddenListCanBeNeitherDraggedNorUnfolded) {
    ASSERT_TRUE(WriteMachineFlag(L"HideCList", 1));
    ASSERT_TRUE(CreateView(900));
    EXPECT_FALSE(view_.IsListShown());
    EXPECT_EQ(892, ContentWidth());
    EXPECT_EQ(0, ListWidth());

    DragSplitterTo(500);
    EXPECT_EQ(892, ContentWidth());
    Click(ToggleCentre());
    EXPECT_FALSE(view_.IsListShown());
    EXPECT_EQ(892, ContentWidth());
    EXPECT_EQ(CChildView::kIdle, view_.State());
    EXPECT_NE(view_.m_hWnd, ::GetCapture());
}

TEST_F(PlayerView, NavigationOffersHomeUnlessHiddenAndStartsOnThePlayer) {
    ASSERT_TRUE(CreateView(900));
    std::vector<int> ids;
    for (const auto& item : view_.Navi().Items())
        ids.push_back(item.id);
    EXPECT_EQ((std::vector<int>{10, 11, 13}), ids);
    EXPECT_TRUE(Shown(view_.Movie().Window()));
    EXPECT_FALSE(Shown(view_.Home()));
    EXPECT_FALSE(Shown(view_.Options()));
    EXPECT_FALSE(Shown(view_.Broadcast()));
}

TEST_F(PlayerView, HideHomeLeavesNoHomeItemAndSelectsPlay) {
    ASSERT_TRUE(WriteMachineFlag(L"HideHome", 1));
    ASSERT_TRUE(CreateView(900));
    std::vector<int> ids;
    bool playSelected = false;
    for (const auto& item : view_.Navi().Items()) {
        ids.push_back(item.id);
        if (item.id == CChildView::kNaviPlay)
            playSelected = item.selected;
    }
    EXPECT_EQ((std::vector<int>{11, 13}), ids);
    EXPECT_TRUE(playSelected);
    EXPECT_TRUE(Shown(view_.Movie().Window()));
}

TEST_F(PlayerView, NavigationShowsOnePanelAtATime) {
    ASSERT_TRUE(CreateView(900));
    HWND movie = view_.Movie().Window();
    const struct {
        int id;
        HWND shown;
    } cases[] = {{10, view_.Home()}, {13, view_.Options()}, {12, view_.Broadcast()}, {11, movie}};
    for (const auto& c : cases) {
        view_.OnNaviSelect(c.id);
        for (HWND panel : {movie, view_.Home().m_hWnd, view_.Options().m_hWnd, view_.Broadcast().m_hWnd})
            EXPECT_EQ(panel == c.shown, Shown(panel)) << "item " << c.id;
    }
    view_.OnNaviSelect(99);  // no such item: nothing changes
    EXPECT_TRUE(Shown(movie));
    EXPECT_FALSE(Shown(view_.Home()));
}

TEST_F(PlayerView, PanelsShareTheContentRectangle) {
    ASSERT_TRUE(CreateView(900));
    DragSplitterTo(500);
    for (HWND panel : {view_.Home().m_hWnd, view_.Options().m_hWnd, view_.Broadcast().m_hWnd})
        EXPECT_EQ(500, Width(panel));
}

TEST_F(PlayerView, CommandLineLinkIsPlayedOnceTheControlsExist) {
    CommandLineArgs args{L"TrovaPlayer6.exe", L"-TROVA", L"trova://global:8081/abc"};
    view_.SetStartLink(RequestedLink(args));
    ASSERT_TRUE(CreateView(900));
    EXPECT_EQ(std::vector<std::wstring>{L"1 trova://global/abc"}, player_.calls);
}

TEST_F(PlayerView, NoCommandLineLinkPlaysNothing) {
    CommandLineArgs args{L"TrovaPlayer6.exe", L"-trova", L"trova://global/"};
    view_.SetStartLink(RequestedLink(args));
    ASSERT_TRUE(CreateView(900));
    EXPECT_TRUE(player_.calls.empty());
}

TEST_F(PlayerView, ChannelListEventIsPlayedUnchangedEvenWhenEmpty) {
    ASSERT_TRUE(CreateView(900));
    ASSERT_TRUE(list_.HasSink());
    CScopedBstr link(L"trova://global:9000/abc"), empty(L"");
    list_.Fire(TrovaCLIds::kDispIdOnChannelOpen, {BstrArg(link.Get())});
    list_.Fire(TrovaCLIds::kDispIdOnChannelOpen, {BstrArg(empty.Get())});
    EXPECT_EQ((std::vector<std::wstring>{L"1 trova://global:9000/abc", L"1 "}), player_.calls);
}

TEST_F(PlayerView, DestroyingTheViewDisconnectsTheListSink) {
    ASSERT_TRUE(CreateView(900));
    ASSERT_TRUE(list_.HasSink());
    view_.DestroyWindow();
    EXPECT_FALSE(list_.HasSink());
}

}  // namespace
