#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "common/settings/tests/RegistryRedirect.h"
#include "framework/win/tests/TestHost.h"
#include "player/options/OptContainerWnd.h"

namespace {

constexpr int kWidth = 600;
constexpr int kHeight = 400;

// Keeps RECT comparisons readable in failure messages.
std::string Describe(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

bool HasVisibleStyle(HWND window) { return (::GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

POINT Centre(const RECT& rect) { return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// Expected colour of a plasma pixel under a highlight of `over` at opacity 127 of 255.
bool IsBlend(COLORREF actual, COLORREF background, int over) {
    auto channel = [over](int dst) { return (over * 127 + dst * 128) / 255; };
    return std::abs(GetRValue(actual) - channel(GetRValue(background))) <= 2 &&
           std::abs(GetGValue(actual) - channel(GetGValue(background))) <= 2 &&
           std::abs(GetBValue(actual) - channel(GetBValue(background))) <= 2;
}

class OptContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(nullptr, container.Create(host, RECT{0, 0, kWidth, kHeight}, L"", WS_CHILD | WS_VISIBLE |
                                                                                      WS_CLIPCHILDREN, 0, 501));
        capture.PrintClient(container);  // lays out the titles
    }
    const std::vector<OptPageEntry>& Entries() const { return container.Entries(); }
    void Click(int index) {
        const POINT point = Centre(Entries()[index].hitRect);
        container.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(point.x, point.y));
        container.SendMessage(WM_LBUTTONUP, 0, MakePointLParam(point.x, point.y));
    }
    int ShownPage() const {
        int shown = -1;
        for (size_t i = 0; i < Entries().size(); ++i) {
            if (HasVisibleStyle(Entries()[i].page)) {
                EXPECT_EQ(-1, shown) << "two pages shown";
                shown = static_cast<int>(i);
            }
        }
        return shown;
    }

    // The container's owner destroys its window while the pages and the background exist.
    void TearDown() override {
        if (container.m_hWnd)
            container.DestroyWindow();
    }

    CRegistryRedirect registry;
    CTestHost host;
    COptContainerWnd container;
    CPaintCapture capture{kWidth, kHeight};
};

TEST_F(OptContainerTest, CreatesTheEightPagesWithTheFirstShown) {
    const wchar_t* titles[] = {L"一般设定", L"界面皮肤", L"界面语言", L"缓冲区设置",
                               L"连接设置", L"网络信息", L"UPnP设置", L"关于"};
    const UINT templates[] = {130, 131, 132, 133, 134, 135, 136, 137};
    ASSERT_EQ(8u, Entries().size());
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(titles[i], Entries()[i].title);
        ASSERT_NE(nullptr, Entries()[i].page);
        EXPECT_EQ(container.m_hWnd, ::GetParent(Entries()[i].page));
        EXPECT_EQ(i == 0, Entries()[i].selected);
        // Each page carries the controls of its own template.
        const int probe[] = {1000, 1006, 1020, 1008, 1011, 0, 1022, 1015};
        if (probe[i]) {
            EXPECT_NE(nullptr, ::GetDlgItem(Entries()[i].page, probe[i])) << templates[i];
        }
    }
    EXPECT_EQ(0, ShownPage());

    // Pages start at the right of the title column, as wide and high as the container.
    RECT page = CWindow(Entries()[3].page).GetWindowRect();
    ::MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&page), 2);
    EXPECT_EQ(Describe(RECT{160, 0, 160 + kWidth, kHeight}), Describe(page));
    EXPECT_EQ(Describe(RECT{0, 0, 160, kHeight}), Describe(container.Plasma().Area()));
}

TEST_F(OptContainerTest, TitlesAreStackedFromTheTop) {
    int previousBottom = 0;
    for (size_t i = 0; i < Entries().size(); ++i) {
        const RECT& hit = Entries()[i].hitRect;
        EXPECT_EQ(0, hit.left);
        EXPECT_EQ(160, hit.right);
        const int expectedTop = i == 0 ? 8 : previousBottom;  // titles 4 apart, boxes grown by 2 each side
        EXPECT_EQ(expectedTop, hit.top) << i;
        EXPECT_GE(hit.bottom - hit.top, 15 + 4);
        previousBottom = hit.bottom;
    }
}

TEST_F(OptContainerTest, ClicksOnTitlesSwitchPages) {
    Click(3);
    EXPECT_EQ(3, ShownPage());
    for (size_t i = 0; i < Entries().size(); ++i)
        EXPECT_EQ(i == 3, Entries()[i].selected);
    Click(7);
    EXPECT_EQ(7, ShownPage());

    // Below the titles and right of the column nothing changes.
    const int below = Entries().back().hitRect.bottom + 20;
    container.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(50, below));
    container.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(300, Centre(Entries()[1].hitRect).y));
    EXPECT_EQ(7, ShownPage());
    EXPECT_TRUE(Entries()[7].selected);
}

TEST_F(OptContainerTest, HoverHoldsTheCaptureUntilThePointerLeavesTheTitles) {
    const POINT over = Centre(Entries()[2].hitRect);
    container.SendMessage(WM_MOUSEMOVE, 0, MakePointLParam(over.x, over.y));
    EXPECT_TRUE(Entries()[2].hover);
    EXPECT_EQ(1, std::count_if(Entries().begin(), Entries().end(), [](const OptPageEntry& e) { return e.hover; }));
    EXPECT_EQ(container.m_hWnd, ::GetCapture());

    container.SendMessage(WM_MOUSEMOVE, 0, MakePointLParam(400, over.y));
    EXPECT_FALSE(Entries()[2].hover);
    EXPECT_EQ(nullptr, ::GetCapture());
}

// The view hides the options when a played link switches the page while the pointer rests on a
// title: the hidden container must neither keep the pointer nor show the title lit next time.
TEST_F(OptContainerTest, HidingEndsHoverAndCapture) {
    const POINT over = Centre(Entries()[2].hitRect);
    container.SendMessage(WM_MOUSEMOVE, 0, MakePointLParam(over.x, over.y));
    ASSERT_EQ(container.m_hWnd, ::GetCapture());

    container.ShowWindow(SW_HIDE);
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_FALSE(Entries()[2].hover);
    container.ShowWindow(SW_SHOWNA);
    capture.PrintClient(container);
    const int y = Entries()[2].hitRect.bottom - 1;
    EXPECT_EQ(container.Plasma().PixelAt(2, y), capture.Pixel(2, y));
}

TEST_F(OptContainerTest, SelectedTitleIsDarkenedAndHoveredOneLightened) {
    const POINT over = Centre(Entries()[2].hitRect);
    container.SendMessage(WM_MOUSEMOVE, 0, MakePointLParam(over.x, over.y));
    capture.PrintClient(container);
    const PlasmaEffect& plasma = container.Plasma();

    // Left of the titles' text (x < 30) only the background and the highlight show.
    for (int x : {2, 20}) {
        const int selectedY = Entries()[0].hitRect.top + 1;
        EXPECT_TRUE(IsBlend(capture.Pixel(x, selectedY), plasma.PixelAt(x, selectedY), 0))
            << "black over selected, x " << x;
        const int hoverY = Entries()[2].hitRect.bottom - 1;
        EXPECT_TRUE(IsBlend(capture.Pixel(x, hoverY), plasma.PixelAt(x, hoverY), 255))
            << "white over hovered, x " << x;
        const int plainY = Centre(Entries()[5].hitRect).y;
        EXPECT_EQ(plasma.PixelAt(x, plainY), capture.Pixel(x, plainY));
    }
    // Below the titles the plasma, right of the column the light grey background.
    EXPECT_EQ(plasma.PixelAt(80, kHeight - 1), capture.Pixel(80, kHeight - 1));
    EXPECT_EQ(RGB(192, 192, 192), capture.Pixel(160, 5));
    EXPECT_EQ(RGB(192, 192, 192), capture.Pixel(kWidth - 1, kHeight - 1));

    // Titles are written in white from x = 30.
    const RECT& plain = Entries()[5].hitRect;
    int text = 0;
    for (int y = plain.top; y < plain.bottom; ++y)
        for (int x = 30; x < 160; ++x)
            text += capture.Pixel(x, y) == RGB(255, 255, 255) && plasma.PixelAt(x, y) != RGB(255, 255, 255);
    EXPECT_GT(text, 10);
    int leftOfText = 0;
    for (int y = plain.top; y < plain.bottom; ++y)
        for (int x = 0; x < 29; ++x)
            leftOfText += capture.Pixel(x, y) != plasma.PixelAt(x, y);
    EXPECT_EQ(0, leftOfText);
}

TEST_F(OptContainerTest, SizingRestartsTheBackgroundAndMovesThePages) {
    container.SetWindowPos(nullptr, 0, 0, 500, 300, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(Describe(RECT{0, 0, 160, 300}), Describe(container.Plasma().Area()));
    for (const OptPageEntry& entry : Entries()) {
        RECT page = CWindow(entry.page).GetWindowRect();
        ::MapWindowPoints(nullptr, container, reinterpret_cast<POINT*>(&page), 2);
        EXPECT_EQ(Describe(RECT{160, 0, 660, 300}), Describe(page));
    }
    // A height of 0 leaves everything where it was.
    container.SetWindowPos(nullptr, 0, 0, 500, 0, SWP_NOZORDER | SWP_NOMOVE);
    EXPECT_EQ(Describe(RECT{0, 0, 160, 300}), Describe(container.Plasma().Area()));
}

TEST_F(OptContainerTest, TimerAnimatesOnlyWhileVisible) {
    auto frame = [this] {
        std::vector<COLORREF> pixels;
        for (int y = 0; y < kHeight; y += 7)
            for (int x = 0; x < 160; x += 3)
                pixels.push_back(container.Plasma().PixelAt(x, y));
        return pixels;
    };
    const std::vector<COLORREF> before = frame();
    container.SendMessage(WM_TIMER, PlasmaEffect::kTimerId);
    EXPECT_EQ(before, frame()) << "the host is hidden";

    host.ShowWindow(SW_SHOWNOACTIVATE);
    container.SendMessage(WM_TIMER, PlasmaEffect::kTimerId);
    EXPECT_NE(before, frame());
    host.ShowWindow(SW_HIDE);
}

}  // namespace
