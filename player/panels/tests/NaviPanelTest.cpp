#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/skin/tests/SkinTestSupport.h"
#include "framework/com/tests/AccessibleTestSupport.h"
#include "framework/win/tests/TestHost.h"
#include "player/panels/NaviPanel.h"

namespace {

using Look = CSkin::TabLook;

// The generated strip: 24 high, gap 3, caption at (10, 5); every look is a left end 4 wide,
// a middle 3 wide and a right end 5 wide, each of its own solid colour.
const int kHeight = 24;
const int kGap = 3;
const int kCaptionLeft = 10;
const int kLeftWidth = 4;
const int kMiddleWidth = 3;
const int kRightWidth = 5;
const int kLookWidth = kLeftWidth + kMiddleWidth + kRightWidth;
const COLORREF kWhite = RGB(255, 255, 255);

enum Piece { kLeft, kMiddle, kRight };

COLORREF PieceColor(Look look, Piece piece) { return RGB(30 + 40 * static_cast<int>(look), 30 + 70 * piece, 90); }

std::string NaviBitmap() {
    const int width = kLookWidth * static_cast<int>(Look::Count);
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = kHeight;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + stride * kHeight;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    std::string row(stride, '\0');
    for (int x = 0; x < width; ++x) {
        const int offset = x % kLookWidth;
        const Piece piece = offset < kLeftWidth ? kLeft : offset < kLeftWidth + kMiddleWidth ? kMiddle : kRight;
        const COLORREF color = PieceColor(static_cast<Look>(x / kLookWidth), piece);
        row[x * 3] = static_cast<char>(GetBValue(color));
        row[x * 3 + 1] = static_cast<char>(GetGValue(color));
        row[x * 3 + 2] = static_cast<char>(GetRValue(color));
    }
    for (int y = 0; y < kHeight; ++y)
        bytes += row;
    return bytes;
}

std::string NaviSkinXml() {
    const char* looks[] = {"back", "hover", "down", "active", "acthover"};
    std::string parts;
    for (int look = 0; look < static_cast<int>(Look::Count); ++look) {
        const int x = look * kLookWidth;
        const std::string name = looks[look];
        parts += "<part name=\"" + name + "L\" rect=\"" + std::to_string(x) + ",0,4,24\"/>";
        parts += "<part name=\"" + name + "\" rect=\"" + std::to_string(x + 4) + ",0,3,24\"/>";
        parts += "<part name=\"" + name + "R\" rect=\"" + std::to_string(x + 7) + ",0,5,24\"/>\n";
    }
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<skin><windowSkins>\n"
           "<windowSkin target=\"navipanel\" height=\"24\" gap=\"3\">\n"
           "<caption left=\"10\" top=\"5\"/><image path=\"navi.bmp\"/>\n<parts>\n" +
           parts + "</parts></windowSkin>\n</windowSkins></skin>\n";
}

class RecordingListener : public INaviListener {
public:
    void OnNaviSelect(int id) override { selected.push_back(id); }
    std::vector<int> selected;
};

// Pixels lighter than any piece of the generated strip: the white captions, anti-aliased.
int TextPixels(const CPaintCapture& capture, const RECT& area) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (GetBValue(capture.Pixel(x, y)) > 150)
                ++count;
    return count;
}

COLORREF WindowPixel(HWND window, int x, int y) {
    ScopedGetDC dc(window);
    return ::GetPixel(dc, x, y);
}

int TextWidth(const std::wstring& text) {
    ScopedFont font(::CreateFontW(13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0,
                                  ANTIALIASED_QUALITY, VARIABLE_PITCH | FF_SCRIPT, L"Tahoma"));
    ScopedGetDC dc(nullptr);
    ScopedSelectObject select(dc, font);
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx;
}

class NaviPanelTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        folder_ = new SkinFolder;
        folder_->WriteFile(L"skin.xml", NaviSkinXml());
        folder_->WriteFile(L"navi.bmp", NaviBitmap());
    }
    static void TearDownTestSuite() {
        CSkin::Destroy();
        delete folder_;
        folder_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(CSkin::Instance()->Load(folder_->Module())); }

    // Home, play and control panel, as the player view adds them.
    void CreateWithItems() {
        ASSERT_TRUE(panel_.Create(host_, &listener_));
        panel_.AddItem(L"首 页", 10);
        panel_.AddItem(L"播 放", 11);
        panel_.AddItem(L"控制面板", 13);
        panel_.SetWidth(300);
    }
    POINT Inside(size_t index) const {
        const RECT& rect = panel_.Items()[index].rect;
        return POINT{(rect.left + rect.right) / 2, rect.bottom / 2};
    }
    void Send(UINT message, POINT point) { panel_.SendMessage(message, 0, MakePointLParam(point.x, point.y)); }
    void Click(size_t index) {
        Send(WM_MOUSEMOVE, Inside(index));
        Send(WM_LBUTTONDOWN, Inside(index));
        Send(WM_LBUTTONUP, Inside(index));
    }
    std::vector<bool> Selected() const {
        std::vector<bool> flags;
        for (const auto& item : panel_.Items())
            flags.push_back(item.selected);
        return flags;
    }

    static SkinFolder* folder_;
    CTestHost host_;
    RecordingListener listener_;
    CTestWindow<CNaviPanel> panel_;
};

SkinFolder* NaviPanelTest::folder_ = nullptr;

TEST_F(NaviPanelTest, CreatesAHiddenChildAsHighAsTheStripAndKeepsItsHeightOnWidthChanges) {
    ASSERT_TRUE(panel_.Create(host_, &listener_));
    EXPECT_EQ(CNaviPanel::kWindowId, panel_.GetDlgCtrlID());
    const LONG style = ::GetWindowLongW(panel_, GWL_STYLE);
    EXPECT_EQ(WS_CHILD | WS_CLIPCHILDREN, style & (WS_CHILD | WS_CLIPCHILDREN | WS_VISIBLE));
    RECT client = panel_.GetClientRect();
    EXPECT_EQ(0, client.right);
    EXPECT_EQ(kHeight, client.bottom);

    ::SetWindowPos(panel_, nullptr, 5, 7, 10, kHeight, SWP_NOZORDER);
    panel_.SetWidth(320);
    client = panel_.GetClientRect();
    EXPECT_EQ(320, client.right);
    EXPECT_EQ(kHeight, client.bottom);
    POINT origin{0, 0};
    ::MapWindowPoints(panel_, host_, &origin, 1);
    EXPECT_EQ(5, origin.x);
    EXPECT_EQ(7, origin.y);
}

TEST_F(NaviPanelTest, ItemsFollowEachOtherAfterTheGapAndFitTheirTahomaText) {
    CreateWithItems();
    const auto& items = panel_.Items();
    ASSERT_EQ(3u, items.size());
    const wchar_t* texts[] = {L"首 页", L"播 放", L"控制面板"};
    const int ids[] = {10, 11, 13};
    int left = kGap;
    for (size_t i = 0; i < items.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(texts[i], items[i].text);
        EXPECT_EQ(ids[i], items[i].id);
        EXPECT_EQ(left, items[i].rect.left);
        EXPECT_EQ(0, items[i].rect.top);
        EXPECT_EQ(kHeight, items[i].rect.bottom);
        EXPECT_EQ(TextWidth(texts[i]) + 2 * kCaptionLeft, items[i].rect.right - items[i].rect.left);
        EXPECT_FALSE(items[i].hover);
        EXPECT_FALSE(items[i].selected);
        left = items[i].rect.right + kGap;
    }
    EXPECT_LT(TextWidth(L"首 页"), TextWidth(L"控制面板"));
}

TEST_F(NaviPanelTest, PaintDrawsTheBackgroundThenTheSelectedItemAndWhiteTexts) {
    CreateWithItems();
    Click(1);
    const int width = 300;
    CPaintCapture capture(width, kHeight);
    capture.PrintClient(panel_);

    EXPECT_EQ(PieceColor(Look::Normal, kLeft), capture.Pixel(0, 12));
    EXPECT_EQ(PieceColor(Look::Normal, kLeft), capture.Pixel(kLeftWidth - 1, 20));
    EXPECT_EQ(PieceColor(Look::Normal, kRight), capture.Pixel(width - 1, 12));
    EXPECT_EQ(PieceColor(Look::Normal, kRight), capture.Pixel(width - kRightWidth, 20));
    EXPECT_EQ(PieceColor(Look::Normal, kMiddle), capture.Pixel(width - kRightWidth - 1, 20));
    // The middle is tiled over the whole run between the ends.
    const RECT run{panel_.Items().back().rect.right, 0, width - kRightWidth, kHeight};
    EXPECT_EQ((run.right - run.left) * kHeight, capture.CountColor(run, PieceColor(Look::Normal, kMiddle)));
    EXPECT_EQ(0, TextPixels(capture, run));

    const RECT played = panel_.Items()[1].rect;
    EXPECT_EQ(PieceColor(Look::Active, kLeft), capture.Pixel(played.left, 2));
    EXPECT_EQ(PieceColor(Look::Active, kMiddle), capture.Pixel(played.left + kLeftWidth, 2));
    EXPECT_EQ(PieceColor(Look::Active, kRight), capture.Pixel(played.right - 1, 2));
    EXPECT_EQ(PieceColor(Look::Normal, kMiddle), capture.Pixel(played.right, 2));
    EXPECT_EQ(0, capture.CountColor(played, PieceColor(Look::Normal, kMiddle)));

    // Every caption is white and starts at the caption offset.
    for (const auto& item : panel_.Items()) {
        const RECT caption{item.rect.left + kCaptionLeft, 5, item.rect.right, item.rect.bottom};
        const RECT margin{item.rect.left, 0, item.rect.left + kCaptionLeft, kHeight};
        const RECT above{item.rect.left, 0, item.rect.right, 5};
        EXPECT_GT(TextPixels(capture, caption), 10) << item.id;
        EXPECT_GT(capture.CountColor(caption, kWhite), 0) << item.id;
        EXPECT_EQ(0, TextPixels(capture, margin)) << item.id;
        EXPECT_EQ(0, TextPixels(capture, above)) << item.id;
    }
}

TEST_F(NaviPanelTest, PressAndReleaseOnAnItemSelectsItAndTellsTheListenerEveryTime) {
    CreateWithItems();
    Send(WM_LBUTTONDOWN, Inside(0));
    EXPECT_TRUE(panel_.Items()[0].hover);
    Send(WM_LBUTTONUP, Inside(0));
    EXPECT_EQ((std::vector<bool>{true, false, false}), Selected());
    EXPECT_EQ(std::vector<int>{10}, listener_.selected);

    Click(2);
    EXPECT_EQ((std::vector<bool>{false, false, true}), Selected());
    Click(2);
    EXPECT_EQ((std::vector<bool>{false, false, true}), Selected());
    EXPECT_EQ((std::vector<int>{10, 13, 13}), listener_.selected);
}

TEST_F(NaviPanelTest, ReleasingOverAnItemThatWasNeitherPressedNorHoveredDoesNothing) {
    CreateWithItems();
    Send(WM_LBUTTONUP, Inside(1));
    Send(WM_LBUTTONDOWN, Inside(0));
    Send(WM_LBUTTONUP, Inside(1));
    EXPECT_EQ((std::vector<bool>{false, false, false}), Selected());
    EXPECT_TRUE(listener_.selected.empty());
    // Pressing elsewhere drops the pressed item, so releasing over it does nothing either.
    Send(WM_LBUTTONDOWN, POINT{290, 5});
    EXPECT_FALSE(panel_.Items()[0].hover);
    Send(WM_LBUTTONUP, Inside(0));
    EXPECT_TRUE(listener_.selected.empty());
}

TEST_F(NaviPanelTest, HoverHoldsTheCaptureUntilThePointerLeavesTheItems) {
    CreateWithItems();
    Send(WM_MOUSEMOVE, Inside(1));
    EXPECT_TRUE(panel_.Items()[1].hover);
    EXPECT_EQ(panel_.m_hWnd, ::GetCapture());

    Send(WM_MOUSEMOVE, Inside(2));
    EXPECT_FALSE(panel_.Items()[1].hover);
    EXPECT_TRUE(panel_.Items()[2].hover);
    EXPECT_EQ(panel_.m_hWnd, ::GetCapture());

    // Off the panel (seen through the capture).
    Send(WM_MOUSEMOVE, POINT{20, -30});
    for (const auto& item : panel_.Items())
        EXPECT_FALSE(item.hover) << item.id;
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_TRUE(listener_.selected.empty());
}

TEST_F(NaviPanelTest, SelectingThePlayItemDeselectsTheOthersAndTellsOnlyOnce) {
    CreateWithItems();
    Click(2);
    panel_.SelectPlayItem();
    EXPECT_EQ((std::vector<bool>{false, true, false}), Selected());
    EXPECT_EQ((std::vector<int>{13, 11}), listener_.selected);

    panel_.SelectPlayItem();
    EXPECT_EQ((std::vector<bool>{false, true, false}), Selected());
    EXPECT_EQ((std::vector<int>{13, 11}), listener_.selected);
}

// The pointer rests on an item when a played link switches the page, or the strip is hidden:
// the strip no longer knows where the pointer is, so it lets go of it.
TEST_F(NaviPanelTest, APageChangeWithoutTheMouseEndsHoverAndCapture) {
    CreateWithItems();
    Send(WM_MOUSEMOVE, Inside(2));
    ASSERT_EQ(panel_.m_hWnd, ::GetCapture());
    panel_.SelectPlayItem();
    EXPECT_EQ(nullptr, ::GetCapture());
    for (const auto& item : panel_.Items())
        EXPECT_FALSE(item.hover) << item.id;
    // A release that was never pressed here selects nothing.
    Send(WM_LBUTTONUP, Inside(2));
    EXPECT_EQ((std::vector<bool>{false, true, false}), Selected());
    EXPECT_EQ(std::vector<int>{11}, listener_.selected);

    // An already selected play item changes no page but still drops the pointer.
    Send(WM_MOUSEMOVE, Inside(0));
    panel_.SelectPlayItem();
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_FALSE(panel_.Items()[0].hover);

    panel_.ShowWindow(SW_SHOWNA);
    Send(WM_MOUSEMOVE, Inside(0));
    ASSERT_EQ(panel_.m_hWnd, ::GetCapture());
    panel_.ShowWindow(SW_HIDE);
    EXPECT_EQ(nullptr, ::GetCapture());
    EXPECT_FALSE(panel_.Items()[0].hover);
}

TEST_F(NaviPanelTest, WithoutANavigationStripThereIsNoPanelAndNoItem) {
    CSkin::Destroy();  // the next Instance() is an empty skin
    EXPECT_FALSE(panel_.Create(host_, &listener_));
    EXPECT_FALSE(panel_.IsWindow());
    panel_.AddItem(L"播 放", 11);
    EXPECT_TRUE(panel_.Items().empty());
    panel_.SelectPlayItem();
    panel_.SetWidth(100);
    EXPECT_TRUE(listener_.selected.empty());
}

TEST_F(NaviPanelTest, DrawsNothingOnceTheSkinIsGone) {
    CreateWithItems();
    CSkin::Destroy();
    CPaintCapture capture(300, kHeight);
    capture.PrintClient(panel_, RGB(1, 2, 3));
    EXPECT_EQ(300 * kHeight, capture.CountColor(RECT{0, 0, 300, kHeight}, RGB(1, 2, 3)));
}

// The pointer's looks are drawn straight onto the window, so these tests read the screen.
class NaviPanelOnScreenTest : public NaviPanelTest {
protected:
    void SetUp() override {
        NaviPanelTest::SetUp();
        CreateWithItems();
        ::SetWindowPos(host_, HWND_TOP, 0, 0, 400, 200, SWP_NOACTIVATE | SWP_SHOWWINDOW);
        panel_.ShowWindow(SW_SHOWNA);
        ::UpdateWindow(host_);
        PumpMessages();
    }
    // Left end, middle and right end of item index as they are on screen now.
    void ExpectLook(size_t index, Look look) {
        const RECT& rect = panel_.Items()[index].rect;
        if (look == Look::Normal) {  // no look of its own: the background shows through
            EXPECT_EQ(PieceColor(look, kMiddle), WindowPixel(panel_, rect.left + 1, 1));
            EXPECT_EQ(PieceColor(look, kMiddle), WindowPixel(panel_, rect.right - 2, 1));
            return;
        }
        EXPECT_EQ(PieceColor(look, kLeft), WindowPixel(panel_, rect.left + 1, 1));
        EXPECT_EQ(PieceColor(look, kMiddle), WindowPixel(panel_, rect.left + kLeftWidth + 1, 1));
        EXPECT_EQ(PieceColor(look, kRight), WindowPixel(panel_, rect.right - 2, 1));
    }
};

TEST_F(NaviPanelOnScreenTest, HoverDownActiveAndActiveHoverLooks) {
    ExpectLook(0, Look::Normal);
    Send(WM_MOUSEMOVE, Inside(0));
    ExpectLook(0, Look::Hover);
    Send(WM_LBUTTONDOWN, Inside(0));
    ExpectLook(0, Look::Down);
    Send(WM_LBUTTONUP, Inside(0));
    ExpectLook(0, Look::Active);
    Send(WM_MOUSEMOVE, Inside(0));
    ExpectLook(0, Look::ActiveHover);

    // Leaving repaints the item from the paint rules: active, without the pointer's look.
    Send(WM_MOUSEMOVE, Inside(1));
    ExpectLook(1, Look::Hover);
    ::UpdateWindow(panel_);
    ExpectLook(0, Look::Active);
    Send(WM_MOUSEMOVE, POINT{290, 5});
    ::UpdateWindow(panel_);
    ExpectLook(1, Look::Normal);
    EXPECT_EQ(PieceColor(Look::Normal, kRight), WindowPixel(panel_, 299, 1));
}

TEST_F(NaviPanelOnScreenTest, SelectingThePlayItemRemovesThePointersLook) {
    Send(WM_MOUSEMOVE, Inside(2));
    ExpectLook(2, Look::Hover);
    panel_.SelectPlayItem();
    ::UpdateWindow(panel_);
    ExpectLook(1, Look::Active);
    ExpectLook(2, Look::Normal);
}

// The skin shipped with the player has a complete strip for the panel.
TEST(NaviPanelShippedSkinTest, DrawsItsItemsFromTheShippedSkin) {
    if (ShippedSkinFolder().empty())
        GTEST_SKIP() << "TROVA_DIST_DIR is not set";
    SkinFolder folder;
    ASSERT_GT(CopyDefaultSkin(folder), 0) << "no shipped skin";
    CSkin::Instance()->Load(folder.Module());
    const CSkin& skin = *CSkin::Instance();
    ASSERT_GT(skin.NaviHeight(), 0);

    CTestHost host;
    RecordingListener listener;
    CTestWindow<CNaviPanel> panel;
    ASSERT_TRUE(panel.Create(host, &listener));
    panel.AddItem(L"首 页", 10);
    panel.AddItem(L"播 放", 11);
    panel.AddItem(L"控制面板", 13);
    panel.SetWidth(400);
    CPaintCapture unselected(400, skin.NaviHeight());
    unselected.PrintClient(panel);
    panel.SelectPlayItem();
    EXPECT_EQ(std::vector<int>{11}, listener.selected);

    CPaintCapture capture(400, skin.NaviHeight());
    capture.PrintClient(panel, RGB(1, 2, 3));
    EXPECT_EQ(0, capture.CountColor(RECT{0, 0, 400, skin.NaviHeight()}, RGB(1, 2, 3)));
    // The selected look is the skin's own: it changes the play item and nothing else.
    const RECT played = panel.Items()[1].rect;
    int changedInside = 0, changedOutside = 0;
    for (int y = 0; y < skin.NaviHeight(); ++y) {
        for (int x = 0; x < 400; ++x) {
            const POINT point{x, y};
            if (capture.Pixel(x, y) != unselected.Pixel(x, y))
                ++(::PtInRect(&played, point) ? changedInside : changedOutside);
        }
    }
    EXPECT_GT(changedInside, (played.right - played.left) * skin.NaviHeight() / 2);
    EXPECT_EQ(0, changedOutside);
    for (const auto& item : panel.Items())
        EXPECT_GT(capture.CountColor(item.rect, kWhite), 0) << item.id;
    CSkin::Destroy();
}

}  // namespace

// The strip as a reader sees it: page tabs named with their texts, the selected one marked,
// and the default action a click.
TEST_F(NaviPanelTest, ItemsArePageTabsWhoseDefaultActionChoosesThem) {
    CTestApartment apartment;
    CreateWithItems();
    panel_.ShowWindow(SW_SHOWNOACTIVATE);
    Click(0);
    ComPtr<IAccessible> strip = AccessibleOf(panel_);
    ASSERT_TRUE(strip);
    EXPECT_EQ(ROLE_SYSTEM_PAGETABLIST, RoleOf(strip.Get(), CHILDID_SELF));
    ASSERT_EQ(3, ChildCountOf(strip.Get()));
    EXPECT_EQ(ROLE_SYSTEM_PAGETAB, RoleOf(strip.Get(), 3));
    EXPECT_EQ(L"控制面板", NameOf(strip.Get(), 3));
    EXPECT_TRUE(StateOf(strip.Get(), 1) & STATE_SYSTEM_SELECTED);
    EXPECT_FALSE(StateOf(strip.Get(), 3) & STATE_SYSTEM_SELECTED);
    RECT drawn = panel_.Items()[2].rect;
    ::MapWindowPoints(panel_, nullptr, reinterpret_cast<POINT*>(&drawn), 2);
    const RECT place = LocationOf(strip.Get(), 3);
    EXPECT_TRUE(::EqualRect(&drawn, &place));

    CWinEventRecorder events;
    listener_.selected.clear();
    EXPECT_EQ(S_OK, strip->accDoDefaultAction(ChildId(3)));
    EXPECT_EQ(std::vector<int>{13}, listener_.selected);
    EXPECT_EQ((std::vector<bool>{false, false, true}), Selected());
    EXPECT_TRUE(events.Saw(EVENT_OBJECT_SELECTION, panel_, 3));
    CScopedVariant selection;
    EXPECT_EQ(S_OK, strip->get_accSelection(selection.Receive()));
    EXPECT_EQ(3, selection.Ref().lVal);
}
