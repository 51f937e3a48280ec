// The tooltip driven as the tree control drives it: arming, timer ticks, placement, painting.
#include "channellist/ui/ChannelTooltip.h"
#include "channellist/ui/ListFont.h"
#include "channellist/ui/TooltipLayout.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

namespace {

using UI::CChannelTooltip;

UI::CChannelNode MakeChannel(const std::string& description) {
    ChannelRecord record;
    record.name = "\xE6\xB5\x8B\xE8\xAF\x95\xE9\xA2\x91\xE9\x81\x93";   // 测试频道
    record.type = 1;
    record.bitrate = 512;
    record.url = "http://example.org/tv";
    record.desc = description;
    return UI::CChannelNode(record);
}

class ChannelTooltipTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(tooltip.Create(host, RECT{0, 0, 0, 0}, nullptr, WS_POPUP, WS_EX_TOPMOST | WS_EX_TOOLWINDOW));
        catalog.SetLabel(L"最新更新");
        catalog.channelCount = 20;
    }
    void TearDown() override {
        // Hidden first: destroying a shown top-level window is slow without a window manager.
        tooltip.ShowWindow(SW_HIDE);
    }
    void Arm(UI::CChannelTreeNode* node) { tooltip.Arm(node); }
    void Tick(UINT_PTR id = CChannelTooltip::TIMER_TOOLTIP) { tooltip.SendMessage(WM_TIMER, id); }
    SIZE WindowSize() {
        const RECT rect = tooltip.GetWindowRect();
        return SIZE{rect.right - rect.left, rect.bottom - rect.top};
    }

    CTestHost host;
    CTestWindow<CChannelTooltip> tooltip;
    UI::CCatalogNode catalog;
    UI::CChannelNode channel = MakeChannel("A channel for tests");
};

TEST_F(ChannelTooltipTest, RegistersItsClassAndStartsItsTimerWithAnOwner) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(::GetClassInfoExW(::GetModuleHandleW(nullptr), L"TROVAPLAYERCHANNELTOOLTIP", &info));
    EXPECT_TRUE(info.style & CS_SAVEBITS);
    EXPECT_EQ(CChannelTooltip::TIMER_TOOLTIP, tooltip.TimerId());
    EXPECT_EQ(CChannelTooltip::kIdle, tooltip.State());

    CTestWindow<CChannelTooltip> ownerless;
    ASSERT_TRUE(ownerless.Create(nullptr, RECT{0, 0, 0, 0}, nullptr, WS_POPUP, WS_EX_TOOLWINDOW));
    EXPECT_EQ(0u, ownerless.TimerId());

    tooltip.DestroyWindow();
    EXPECT_EQ(0u, tooltip.TimerId());
}

TEST_F(ChannelTooltipTest, ShowsOnTheSecondTickAfterArming) {
    Tick();
    EXPECT_EQ(CChannelTooltip::kIdle, tooltip.State());
    EXPECT_EQ(0, tooltip.Ticks());

    Arm(&channel);
    Tick(187);
    EXPECT_EQ(0, tooltip.Ticks());
    Tick();
    EXPECT_EQ(1, tooltip.Ticks());
    EXPECT_EQ(CChannelTooltip::kArmed, tooltip.State());
    EXPECT_FALSE(tooltip.IsWindowVisible());
    Tick();
    EXPECT_EQ(CChannelTooltip::kShown, tooltip.State());
    EXPECT_TRUE(tooltip.IsWindowVisible());
    // Shown tooltips wait to be disarmed.
    Tick();
    EXPECT_EQ(CChannelTooltip::kShown, tooltip.State());
}

TEST_F(ChannelTooltipTest, ARowLeftBeforeTheSecondTickIsNeverShown) {
    UI::CChannelNode other = MakeChannel("");
    Arm(&channel);
    Tick();
    Arm(&other);
    Tick();
    EXPECT_EQ(CChannelTooltip::kArmed, tooltip.State());
    EXPECT_FALSE(tooltip.IsWindowVisible());
    Tick();
    EXPECT_EQ(CChannelTooltip::kShown, tooltip.State());
    EXPECT_EQ(&other, tooltip.Node());
}

TEST_F(ChannelTooltipTest, ItsOwnTimerShowsItWithin600Milliseconds) {
    Arm(&catalog);
    const DWORD start = ::GetTickCount();
    ASSERT_TRUE(PumpUntil([&] { return tooltip.State() == CChannelTooltip::kShown; }, 3000));
    EXPECT_GE(::GetTickCount() - start, 250u);
    EXPECT_TRUE(tooltip.IsWindowVisible());
}

TEST_F(ChannelTooltipTest, OpensBesideThePointerAndFlipsNearTheEdges) {
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    ASSERT_TRUE(::SetCursorPos(100, 100));
    Arm(&catalog);
    Tick();
    Tick();
    RECT rect = tooltip.GetWindowRect();
    EXPECT_EQ(120, rect.left);
    EXPECT_EQ(120, rect.top);
    const SIZE size = WindowSize();
    EXPECT_GT(size.cx, 16);
    EXPECT_GT(size.cy, 18);

    ASSERT_TRUE(::SetCursorPos(screenWidth - 10, screenHeight - 10));
    Arm(&catalog);
    Tick();
    Tick();
    rect = tooltip.GetWindowRect();
    EXPECT_EQ(screenWidth - 10 - size.cx - 5, rect.left);
    EXPECT_EQ(screenHeight - 10 - size.cy - 5, rect.top);
}

TEST_F(ChannelTooltipTest, SizesToTheChannelAndItsWrappedDescription) {
    ::SetCursorPos(50, 50);
    UI::CChannelNode plain = MakeChannel("");
    Arm(&plain);
    Tick();
    Tick();
    const SIZE withoutDescription = WindowSize();

    UI::CChannelNode described = MakeChannel(std::string(100, 'x'));
    Arm(&described);
    Tick();
    Tick();
    const SIZE withDescription = WindowSize();

    ScopedGetDC dc(tooltip);
    ScopedFont font(::CreateFontW(15, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, UI::kListFontFace));
    ScopedSelectObject select(dc, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    SIZE line{};
    ::GetTextExtentPoint32W(dc, std::wstring(31, L'x').c_str(), 31, &line);
    // Four lines of description, the longest 31 characters wide, from x = 16.
    EXPECT_EQ(withoutDescription.cy + 4 * metrics.tmHeight, withDescription.cy);
    EXPECT_EQ(std::max<LONG>(withoutDescription.cx, 16 + line.cx + 8), withDescription.cx);
}

TEST_F(ChannelTooltipTest, PaintsBorderAndTheGradientOfTheNodesKind) {
    tooltip.Arm(&channel);
    tooltip.MoveWindow(RECT{0, 0, 160, 100}, false);
    CPaintCapture capture(160, 100);
    capture.PrintClient(tooltip);
    EXPECT_EQ(RGB(0, 0, 0), capture.Pixel(0, 0));
    EXPECT_EQ(RGB(0, 0, 0), capture.Pixel(159, 99));
    // The inner top half is 49 rows high: band 0 gets no row, the first row is band 1.
    EXPECT_EQ(UI::GradientBandColour(RGB(102, 102, 186), RGB(9, 23, 229), 1), capture.Pixel(158, 1));
    // Last row of the bottom half: band 63 from (9,23,229) to (1,11,182).
    EXPECT_EQ(UI::GradientBandColour(RGB(9, 23, 229), RGB(1, 11, 182), 63), capture.Pixel(158, 98));
    EXPECT_GT(capture.CountColor(RECT{8, 8, 150, 90}, RGB(255, 255, 255)), 0);

    tooltip.Arm(&catalog);
    capture.PrintClient(tooltip);
    EXPECT_EQ(UI::GradientBandColour(RGB(158, 158, 158), RGB(255, 255, 255), 1), capture.Pixel(158, 1));
    EXPECT_EQ(RGB(0, 0, 0), capture.Pixel(80, 0));
    EXPECT_GT(capture.CountColor(RECT{8, 8, 150, 50}, RGB(0, 0, 0)), 0);

    // Without a node only the border is drawn.
    tooltip.Disarm();
    capture.PrintClient(tooltip);
    EXPECT_EQ(RGB(0, 0, 0), capture.Pixel(0, 50));
    EXPECT_EQ(RGB(255, 255, 255), capture.Pixel(80, 50));
}

}  // namespace
