#include <gtest/gtest.h>

#include "framework/com/tests/AccessibleTestSupport.h"
#include "framework/win/ScopedGdi.h"
#include "framework/win/tests/TestHost.h"
#include "player/shell/SkinnedFrame.h"
#include "player/shell/tests/ShellTestSupport.h"

namespace {

// The least a frame does with the skinned border: its own entries, then the chain.
class CBareFrame : public CSkinnedFrame {
public:
    int closes = 0;

    BEGIN_MSG_MAP(CBareFrame)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_CLOSE(OnClose)
        CHAIN_MSG_MAP(CSkinnedFrame)
    END_MSG_MAP()

private:
    int OnCreate(CREATESTRUCTW*) {
        ApplySkinnedBorder();
        return 0;
    }
    void OnClose() { ++closes; }
};

using SkinnedFrame = CShellTest;

TEST_F(SkinnedFrame, ChainedIntoAFrameItSizesShapesAndHitTestsTheBorderAndWorksTheButtons) {
    CBareFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, RECT{0, 0, 400, 300}, L"Skinned", WS_OVERLAPPEDWINDOW));
    const CSkin& skin = *CSkin::Instance();
    EXPECT_EQ(0, ::GetWindowLongW(frame, GWL_STYLE) & WS_CAPTION);
    frame.SetWindowPos(nullptr, 30, 40, 420, 320, SWP_NOZORDER | SWP_NOACTIVATE);

    const RECT client = frame.GetClientRect();
    EXPECT_EQ(420 - skin.Frame(CSkin::FramePart::Left).Width() - skin.Frame(CSkin::FramePart::Right).Width(),
              client.right);
    EXPECT_EQ(320 - skin.Frame(CSkin::FramePart::Top).Height() - skin.Frame(CSkin::FramePart::Bottom).Height(),
              client.bottom);

    ScopedRegion region(::CreateRectRgn(0, 0, 0, 0));
    ASSERT_NE(ERROR, ::GetWindowRgn(frame, region));
    EXPECT_FALSE(::PtInRegion(region, 0, 0));  // rounded corner
    EXPECT_TRUE(::PtInRegion(region, 210, 160));
    EXPECT_TRUE(::PtInRegion(region, 419, 160));

    const RECT window = frame.GetWindowRect();
    const RECT close = skin.CaptionButtonPlace(CSkin::CaptionButton::Close);
    EXPECT_EQ(HTCLOSE, frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.right + close.left, window.top + close.top)));
    EXPECT_EQ(HTLEFT, frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.left, window.top + 160)));

    // The button's action reaches the frame's own map.
    frame.SendMessage(WM_NCLBUTTONDOWN, HTCLOSE, 0);
    EXPECT_EQ(static_cast<UINT>(HTCLOSE), frame.PressedButton());
    EXPECT_EQ(static_cast<HWND>(frame), ::GetCapture());
    frame.SendMessage(WM_NCLBUTTONUP, HTCLOSE, 0);
    EXPECT_EQ(CSkinnedFrame::kNoButton, frame.PressedButton());
    EXPECT_EQ(1, frame.closes);
    EXPECT_TRUE(frame.IsWindow());
    frame.DestroyWindow();
}

// The system's title bar object went with the system caption: the frame's own lists the
// buttons where the skin draws them, and their default action is a click.
TEST_F(SkinnedFrame, TitleBarObjectListsTheCaptionButtonsWhereTheyAreDrawn) {
    CBareFrame frame;
    ASSERT_TRUE(frame.Create(nullptr, RECT{30, 40, 450, 360}, L"Skinned", WS_OVERLAPPEDWINDOW));
    frame.ShowWindow(SW_SHOWNOACTIVATE);
    ComPtr<IAccessible> titleBar = AccessibleOf(frame, OBJID_TITLEBAR);
    ASSERT_TRUE(titleBar);
    EXPECT_EQ(ROLE_SYSTEM_TITLEBAR, RoleOf(titleBar.Get(), CHILDID_SELF));
    EXPECT_EQ(L"Skinned", NameOf(titleBar.Get(), CHILDID_SELF));
    ASSERT_EQ(3, ChildCountOf(titleBar.Get()));
    EXPECT_EQ(L"最小化", NameOf(titleBar.Get(), 1));
    EXPECT_EQ(L"最大化", NameOf(titleBar.Get(), 2));
    EXPECT_EQ(L"关闭", NameOf(titleBar.Get(), 3));
    EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, RoleOf(titleBar.Get(), 3));

    // Each button's place is where the frame's hit test finds that button.
    const LRESULT codes[] = {HTMINBUTTON, HTMAXBUTTON, HTCLOSE};
    for (long child = 1; child <= 3; ++child) {
        SCOPED_TRACE(child);
        const RECT place = LocationOf(titleBar.Get(), child);
        ASSERT_FALSE(::IsRectEmpty(&place));
        const LPARAM centre = MakePointLParam((place.left + place.right) / 2, (place.top + place.bottom) / 2);
        EXPECT_EQ(codes[child - 1], frame.SendMessage(WM_NCHITTEST, 0, centre));
    }

    EXPECT_EQ(L"按下", ActionOf(titleBar.Get(), 2));
    EXPECT_EQ(S_OK, titleBar->accDoDefaultAction(ChildId(2)));
    EXPECT_TRUE(::IsZoomed(frame));
    EXPECT_EQ(L"还原", NameOf(titleBar.Get(), 2));
    EXPECT_EQ(S_OK, titleBar->accDoDefaultAction(ChildId(3)));
    EXPECT_EQ(1, frame.closes);
    frame.DestroyWindow();
}

}  // namespace
