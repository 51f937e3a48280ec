#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "framework/com/tests/AccessibleTestSupport.h"
#include "framework/win/ScopedGdi.h"
#include "framework/win/ScopedHandle.h"
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

// A whole file's bytes; empty when it cannot be read.
std::string FileText(const std::wstring& path) {
    std::string text;
    ScopedKernelHandle file(
        ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    char buffer[4096];
    DWORD read = 0;
    while (file && ::ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0)
        text.append(buffer, read);
    return text;
}

// The pixels of a skin image, row by row.
std::vector<COLORREF> ImagePixels(const CSkinImage& image) {
    std::vector<COLORREF> pixels;
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x)
            pixels.push_back(::GetPixel(image.Dc(), x, y));
    }
    return pixels;
}

// What a window shows where a caption button's image lies (anchor from the top-right corner).
std::vector<COLORREF> ButtonPixels(HWND window, CSkin::CaptionButton anchor, const CSkinImage& image) {
    const CSkin& skin = *CSkin::Instance();
    RECT place = skin.CaptionButtonPlace(anchor);
    RECT bounds{};
    ::GetWindowRect(window, &bounds);
    ::OffsetRect(&place, bounds.right - bounds.left, 0);
    std::vector<COLORREF> pixels;
    ScopedWindowDC dc(window);
    for (int y = 0; y < image.Height(); ++y) {
        for (int x = 0; x < image.Width(); ++x)
            pixels.push_back(::GetPixel(dc, place.left + x, place.top + y));
    }
    return pixels;
}

using SkinnedFrame = CShellTest;

// A bare frame of the player's size, for the tests of the caption buttons.
class SkinnedFrameButtons : public CShellTest {
protected:
    SkinnedFrameButtons() { Create(); }
    void Create() { EXPECT_TRUE(frame_.Create(nullptr, RECT{0, 0, 900, 560}, L"Skinned", WS_OVERLAPPEDWINDOW)); }
    void Show() {
        frame_.ShowWindow(SW_SHOWNOACTIVATE);
        PumpUntil([] { return false; }, 300);
    }
    void Button(UINT message, UINT code) { frame_.SendMessage(message, code, 0); }

    CTestWindow<CBareFrame> frame_;
};

TEST_F(SkinnedFrame, HitTestFollowsTheSkinnedBorderCaptionAndButtons) {
    const CSkin* skin = CSkin::Instance();
    const RECT r{100, 50, 1000, 610};
    auto at = [&](LONG x, LONG y) { return SkinHitTest(skin, r, POINT{x, y}); };
    // One pixel at each corner sizes diagonally.
    EXPECT_EQ(HTTOPLEFT, at(100, 50));
    EXPECT_EQ(HTTOPRIGHT, at(999, 50));
    EXPECT_EQ(HTBOTTOMLEFT, at(100, 609));
    EXPECT_EQ(HTBOTTOMRIGHT, at(999, 609));
    // The top edge is a 3-pixel band between the corners; below it the caption.
    EXPECT_EQ(HTTOP, at(500, 50));
    EXPECT_EQ(HTTOP, at(500, 52));
    EXPECT_EQ(HTCAPTION, at(500, 53));
    EXPECT_EQ(HTCAPTION, at(500, 75));
    EXPECT_EQ(HTLEFT, at(100, 300));
    EXPECT_EQ(HTRIGHT, at(999, 300));
    EXPECT_EQ(HTBOTTOM, at(500, 609));
    // The 20 x 20 box at the top-left opens the system menu.
    EXPECT_EQ(HTSYSMENU, at(110, 60));
    EXPECT_EQ(HTSYSMENU, at(119, 69));
    EXPECT_EQ(HTCAPTION, at(120, 60));
    EXPECT_EQ(HTCAPTION, at(110, 70));
    // Buttons at their anchors, relative to the top-right corner.
    const RECT close = skin->CaptionButtonPlace(CSkin::CaptionButton::Close);
    const RECT maximise = skin->CaptionButtonPlace(CSkin::CaptionButton::Maximize);
    const RECT minimise = skin->CaptionButtonPlace(CSkin::CaptionButton::Minimize);
    EXPECT_EQ(HTCLOSE, at(r.right + close.left, r.top + close.top));
    EXPECT_EQ(HTCLOSE, at(r.right + close.right - 1, r.top + close.bottom - 1));
    EXPECT_NE(HTCLOSE, at(r.right + close.right, r.top + close.top));
    EXPECT_EQ(HTMAXBUTTON, at(r.right + maximise.left, r.top + maximise.top));
    EXPECT_EQ(HTMINBUTTON, at(r.right + minimise.left, r.top + minimise.top));
    EXPECT_EQ(HTMINBUTTON, at(r.right + minimise.right - 1, r.top + minimise.top));
    EXPECT_EQ(HTNOWHERE, at(500, 300));

    EXPECT_EQ(HTNOWHERE, SkinHitTest(nullptr, r, POINT{100, 50}));
    CSkin::Destroy();  // an instance without a loaded skin
    for (POINT p : {POINT{100, 50}, POINT{500, 50}, POINT{110, 60}, POINT{r.right + close.left, r.top + close.top}})
        EXPECT_EQ(HTNOWHERE, SkinHitTest(CSkin::Instance(), r, p));
}

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
    EXPECT_EQ(HTCLOSE,
              frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.right + close.left, window.top + close.top)));
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

TEST_F(SkinnedFrameButtons, CaptionButtonActsOnlyWhenPressedAndReleasedOnIt) {
    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    Button(WM_NCLBUTTONUP, HTCAPTION);
    EXPECT_EQ(CSkinnedFrame::kNoButton, frame_.PressedButton());

    Button(WM_NCLBUTTONDOWN, HTNOWHERE);
    Button(WM_NCLBUTTONUP, HTCLOSE);

    Button(WM_NCLBUTTONDOWN, HTMINBUTTON);
    Button(WM_NCLBUTTONUP, HTCLOSE);  // another button than the one pressed
    EXPECT_FALSE(::IsIconic(frame_));
    EXPECT_EQ(0, frame_.closes);
}

// A press holds the mouse: losing it ends the press, and the release then does nothing.
TEST_F(SkinnedFrameButtons, LostCaptureEndsACaptionButtonPress) {
    CTestHost other;
    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    ::SetCapture(other);
    EXPECT_EQ(CSkinnedFrame::kNoButton, frame_.PressedButton());
    Button(WM_NCLBUTTONUP, HTCLOSE);
    EXPECT_EQ(0, frame_.closes);
    ::ReleaseCapture();

    // While it holds the mouse, the release arrives in client coordinates.
    const RECT window = frame_.GetWindowRect();
    const RECT close = CSkin::Instance()->CaptionButtonPlace(CSkin::CaptionButton::Close);
    POINT onClose{window.right + close.left + 1, window.top + close.top + 1};
    ::ScreenToClient(frame_, &onClose);
    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    EXPECT_EQ(static_cast<HWND>(frame_), ::GetCapture());
    frame_.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(onClose.x, onClose.y));
    EXPECT_EQ(1, frame_.closes);
}

// A press dragged off its button and released there shows the button at rest again, whether
// the release comes as a non-client message or, with the mouse held, to the client area.
TEST_F(SkinnedFrameButtons, CaptionButtonPressReleasedOffItShowsTheRestingImageAgain) {
    Show();
    const CSkin& skin = *CSkin::Instance();
    const CSkinImage& resting = skin.Caption(CSkin::CaptionImage::CloseBtn);
    const std::vector<COLORREF> rest = ImagePixels(resting);
    const std::vector<COLORREF> down = ImagePixels(skin.Caption(CSkin::CaptionImage::CloseDown));
    ASSERT_NE(rest, down);

    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    ASSERT_EQ(down, ButtonPixels(frame_, CSkin::CaptionButton::Close, resting));
    Button(WM_NCLBUTTONUP, HTCAPTION);
    EXPECT_EQ(rest, ButtonPixels(frame_, CSkin::CaptionButton::Close, resting));

    Button(WM_NCLBUTTONDOWN, HTCLOSE);
    ASSERT_EQ(static_cast<HWND>(frame_), ::GetCapture());
    frame_.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(100, 100));
    EXPECT_EQ(rest, ButtonPixels(frame_, CSkin::CaptionButton::Close, resting));
    EXPECT_EQ(0, frame_.closes);
}

// The buttons lie on each other in the order the skin's frame defines them: minimise,
// maximise, close. Hit testing keeps its own order (close, minimise, maximise).
TEST_F(SkinnedFrameButtons, CaptionButtonsAreDrawnInTheSkinsOrder) {
    std::string description = FileText(ShippedSkinFolder() + L"skin.xml");
    // A skin whose maximise button lies on its minimise button.
    const std::string minimise = "<anchor name=\"Minimize\" rect=\"", maximise = "<anchor name=\"Maximize\" rect=\"";
    const size_t minAt = description.find(minimise), maxAt = description.find(maximise);
    ASSERT_NE(std::string::npos, minAt);
    ASSERT_NE(std::string::npos, maxAt);
    const size_t minRect = minAt + minimise.size(), maxRect = maxAt + maximise.size();
    const std::string place = description.substr(minRect, description.find('"', minRect) - minRect);
    description.replace(maxRect, description.find('"', maxRect) - maxRect, place);
    CSkin::Destroy();
    SkinFolder folder;
    CopyDefaultSkin(folder);
    folder.WriteFile(L"skin.xml", description);
    ASSERT_TRUE(CSkin::Instance()->Load(folder.Module()));
    const CSkin& skin = *CSkin::Instance();
    ASSERT_TRUE(::EqualRect(&skin.CaptionButtonPlace(CSkin::CaptionButton::Minimize),
                            &skin.CaptionButtonPlace(CSkin::CaptionButton::Maximize)));

    Show();
    const CSkinImage& maximiseAtRest = skin.Caption(CSkin::CaptionImage::MaximiseBtn);
    ASSERT_NE(ImagePixels(skin.Caption(CSkin::CaptionImage::MinimiseBtn)), ImagePixels(maximiseAtRest));
    Button(WM_NCMOUSEMOVE, HTCAPTION);
    EXPECT_EQ(ImagePixels(maximiseAtRest), ButtonPixels(frame_, CSkin::CaptionButton::Minimize, maximiseAtRest));

    const RECT window = frame_.GetWindowRect();
    const RECT both = skin.CaptionButtonPlace(CSkin::CaptionButton::Minimize);
    EXPECT_EQ(HTMINBUTTON,
              frame_.SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.right + both.left, window.top + both.top)));
}

TEST_F(SkinnedFrameButtons, MaximiseButtonTogglesAndMinimiseButtonMinimises) {
    Button(WM_NCLBUTTONDOWN, HTMAXBUTTON);
    Button(WM_NCLBUTTONUP, HTMAXBUTTON);
    EXPECT_TRUE(::IsZoomed(frame_));
    Button(WM_NCLBUTTONDOWN, HTMAXBUTTON);
    Button(WM_NCLBUTTONUP, HTMAXBUTTON);
    EXPECT_FALSE(::IsZoomed(frame_));
    Button(WM_NCLBUTTONDOWN, HTMINBUTTON);
    Button(WM_NCLBUTTONUP, HTMINBUTTON);
    EXPECT_TRUE(::IsIconic(frame_));
}

// Without the skin's frame pieces the system's caption and border stay, so that the window
// can still be moved, sized and closed with the mouse.
TEST_F(SkinnedFrame, DamagedSkinLeavesTheSystemCaptionAndBorder) {
    const std::string shipped = FileText(ShippedSkinFolder() + L"skin.xml");
    ASSERT_GT(shipped.size(), 100u);
    const std::string damaged[] = {
        shipped.substr(0, shipped.size() / 2),  // truncated
        std::string("\x7f"
                    "ELF\0<<skin>>\xff\xfe",
                    15),  // garbage
        shipped,          // without its bitmaps
    };
    for (const std::string& content : damaged) {
        CSkin::Destroy();
        SkinFolder folder;
        folder.WriteFile(L"skin.xml", content);
        EXPECT_FALSE(CSkin::Instance()->Load(folder.Module()));
        CTestWindow<CBareFrame> frame;
        ASSERT_TRUE(frame.Create(nullptr, RECT{0, 0, 900, 560}, L"Skinned", WS_OVERLAPPEDWINDOW));
        EXPECT_EQ(static_cast<LONG>(WS_CAPTION), ::GetWindowLongW(frame, GWL_STYLE) & WS_CAPTION);
        const RECT window = frame.GetWindowRect();
        POINT clientOrigin{0, 0};
        ::ClientToScreen(frame, &clientOrigin);
        EXPECT_GE(clientOrigin.y - window.top, ::GetSystemMetrics(SM_CYCAPTION));
        const LONG captionY = window.top + ::GetSystemMetrics(SM_CYFRAME) + ::GetSystemMetrics(SM_CYCAPTION) / 2;
        EXPECT_EQ(HTCAPTION,
                  frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam((window.left + window.right) / 2, captionY)));
        EXPECT_EQ(HTBOTTOMRIGHT,
                  frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.right - 1, window.bottom - 1)));
        EXPECT_EQ(HTLEFT,
                  frame.SendMessage(WM_NCHITTEST, 0, MakePointLParam(window.left, (window.top + window.bottom) / 2)));
    }
}

}  // namespace
