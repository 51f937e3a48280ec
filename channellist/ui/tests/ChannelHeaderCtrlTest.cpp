// The header bar as a child window of a hidden host: click reports and painted pixels.
#include "channellist/ui/ChannelHeaderCtrl.h"
#include "common/skin/Skin.h"
#include "common/skin/tests/SkinTestSupport.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kHeaderId = 1002;
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kArrowGrey = RGB(140, 140, 140);

class CRecordingHeaderListener : public UI::IChannelHeaderCtrlListener {
public:
    void OnHeaderClicked(int id) override { clicks.push_back(id); }
    std::vector<int> clicks;
};

class ChannelHeaderTest : public ::testing::Test {
protected:
    void Create(int width) {
        header.SetListener(&listener);
        ASSERT_TRUE(header.Create(host, RECT{0, 0, width, 20}, L"", WS_CHILD | WS_VISIBLE, 0, kHeaderId));
        header.SetCaption(L"所有频道");
        header.SetRightText(L"热度");
    }
    // Skin whose header picture is the 4 x 20 cut at (2, 3) of a bitmap with pixel (x, y) =
    // RGB(x, y, 66): header pixel (x, y) is then RGB(2 + x % 4, 3 + y, 66).
    void LoadSkin() {
        skinFolder.WriteGradientBitmap(L"list.bmp", 10, 30, 66);
        skinFolder.WriteFile(L"skin.xml",
                             "<skin><windowSkins><windowSkin target=\"channelList\"><image path=\"list.bmp\"/>"
                             "<parts><p name=\"headerBG\" rect=\"2,3,4,20\"/></parts></windowSkin>"
                             "</windowSkins></skin>");
        ASSERT_TRUE(CSkin::Instance()->Load(skinFolder.Module()));
    }
    void TearDown() override { CSkin::Destroy(); }

    void Press(int x, int y) { header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(x, y)); }
    void Release(int x, int y) { header.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(x, y)); }
    void Move(int x, int y) { header.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MakePointLParam(x, y)); }

    CTestHost host;
    SkinFolder skinFolder;
    CRecordingHeaderListener listener;
    CTestWindow<UI::CChannelHeaderCtrl> header;
};

TEST_F(ChannelHeaderTest, CaptionIsShownWithTheCountInBrackets) {
    Create(200);
    EXPECT_EQ(L"所有频道(0)", header.DisplayText());
    header.SetCount(12);
    EXPECT_EQ(L"所有频道(12)", header.DisplayText());
    header.SetCaption(L"最近观看");
    EXPECT_EQ(L"最近观看(12)", header.DisplayText());
    EXPECT_EQ(L"热度", header.RightText());
    // The window text follows, for accessibility tools.
    wchar_t text[32] = {};
    ::GetWindowTextW(header, text, 32);
    EXPECT_STREQ(L"最近观看(12)", text);
}

TEST_F(ChannelHeaderTest, PressAndReleaseOnTheBarReportsOneClickWithTheBarsId) {
    Create(200);
    Press(50, 10);
    EXPECT_TRUE(header.IsPressed());
    EXPECT_TRUE(header.HasCapture());
    Release(52, 11);
    EXPECT_EQ(std::vector<int>{kHeaderId}, listener.clicks);
    EXPECT_FALSE(header.IsPressed());
    EXPECT_FALSE(header.HasCapture());
}

TEST_F(ChannelHeaderTest, APressDraggedOffTheBarIsNotReported) {
    Create(200);
    Press(50, 10);
    Move(60, 12);
    EXPECT_TRUE(header.HasCapture());
    Move(60, 25);
    EXPECT_FALSE(header.HasCapture());
    Release(60, 25);
    EXPECT_TRUE(listener.clicks.empty());

    // Released outside while still captured: no report, and the press is over.
    Press(50, 10);
    Release(250, 10);
    EXPECT_TRUE(listener.clicks.empty());
    EXPECT_FALSE(header.IsPressed());
    EXPECT_FALSE(header.HasCapture());
}

TEST_F(ChannelHeaderTest, WithoutASkinNothingIsPainted) {
    Create(200);
    CPaintCapture capture(200, 20);
    capture.PrintClient(header, RGB(1, 2, 3));
    EXPECT_EQ(200 * 20, capture.CountColor(RECT{0, 0, 200, 20}, RGB(1, 2, 3)));
}

TEST_F(ChannelHeaderTest, PaintsTiledBackgroundTextsAndTheArrow) {
    Create(200);
    LoadSkin();
    CPaintCapture capture(200, 20);
    capture.PrintClient(header);
    // Background tiles below the texts, and past the arrow.
    EXPECT_EQ(RGB(2, 22, 66), capture.Pixel(120, 19));
    EXPECT_EQ(RGB(5, 22, 66), capture.Pixel(123, 19));
    EXPECT_EQ(RGB(3, 3, 66), capture.Pixel(197, 0));
    // Arrow tip down: widest line at y 6, tip at (193, 10).
    EXPECT_EQ(kArrowGrey, capture.Pixel(193, 10));
    EXPECT_EQ(kArrowGrey, capture.Pixel(189, 6));
    EXPECT_EQ(kArrowGrey, capture.Pixel(197, 6));
    EXPECT_NE(kArrowGrey, capture.Pixel(193, 5));
    // Right text right-aligned before the arrow; caption in white from the left margin.
    EXPECT_GT(header.RightTextLeft(), 100);
    EXPECT_LT(header.RightTextLeft(), 200 - 15);
    EXPECT_GT(capture.CountColor(RECT{header.RightTextLeft(), 0, 200 - 15, 20}, kWhite), 0);
    EXPECT_GT(capture.CountColor(RECT{4, 0, 100, 20}, kWhite), 0);
    EXPECT_EQ(0, capture.CountColor(RECT{0, 0, 4, 20}, kWhite));

    // A toggled arrow points up at the next paint.
    header.ToggleArrow();
    capture.PrintClient(header);
    EXPECT_EQ(kArrowGrey, capture.Pixel(193, 5));
    EXPECT_EQ(kArrowGrey, capture.Pixel(189, 9));
    EXPECT_NE(kArrowGrey, capture.Pixel(193, 10));
}

// The right text and the arrow move with the right edge: a wider bar is painted anew in full,
// not just the strip it gained, or the old right text stays on screen beside the new one.
TEST_F(ChannelHeaderTest, AResizedBarIsRepaintedWhole) {
    Create(200);
    LoadSkin();
    host.ShowWindow(SW_SHOWNOACTIVATE);
    ASSERT_TRUE(::UpdateWindow(host));
    RECT pending{};
    ASSERT_FALSE(::GetUpdateRect(header, &pending, FALSE));

    header.SetWindowPos(nullptr, 0, 0, 300, 20, SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(::GetUpdateRect(header, &pending, FALSE));
    EXPECT_EQ(0, pending.left);
    EXPECT_EQ(300, pending.right);
    host.ShowWindow(SW_HIDE);
}

TEST_F(ChannelHeaderTest, ALongCaptionStopsBeforeTheRightText) {
    Create(200);
    LoadSkin();
    header.SetRightText(L"");
    header.SetCount(123456);
    header.SetCaption(L"一个非常非常长的频道分类名称会被截断");
    CPaintCapture capture(200, 20);
    capture.PrintClient(header);
    EXPECT_EQ(200 - 15, header.RightTextLeft());
    EXPECT_GT(capture.CountColor(RECT{4, 0, 150, 20}, kWhite), 0);
    EXPECT_EQ(0, capture.CountColor(RECT{header.RightTextLeft(), 0, 200, 20}, kWhite));
}

TEST_F(ChannelHeaderTest, AShortTextThatDoesNotFitIsLeftOut) {
    Create(30);
    LoadSkin();
    header.SetRightText(L"");
    header.SetCaption(L"");   // "(0)": too short to cut
    CPaintCapture capture(30, 20);
    capture.PrintClient(header);
    EXPECT_EQ(0, capture.CountColor(RECT{0, 0, 30, 20}, kWhite));
}

}  // namespace
