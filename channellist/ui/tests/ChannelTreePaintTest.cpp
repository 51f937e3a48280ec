#include "channellist/ui/ChannelTreeResources.h"
#include "channellist/ui/ChannelTreeVariants.h"
#include "channellist/ui/tests/TreeTestDatabase.h"
#include "framework/win/Bitmap.h"
#include "framework/win/Module.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

using namespace UI;

namespace {

const int kRow = CChannelTreeCtrl::ROW_HEIGHT;
const int kWidth = 220;
const int kRows = 8;  // more than the model's rows: no scroll bar narrows the client
const COLORREF kDarkGrey = RGB(64, 64, 64);
const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kHot = RGB(24, 100, 188);
const COLORREF kSelected = RGB(62, 114, 170);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kCaptionGrey = RGB(128, 128, 128);
const COLORREF kPlaying = RGB(251, 135, 50);
const COLORREF kChannel = RGB(225, 225, 225);

RECT RowRect(int offset) { return RECT{0, offset * kRow, kWidth, (offset + 1) * kRow}; }
RECT TextArea(int offset, int left) { return RECT{left, offset * kRow, kWidth - 36, (offset + 1) * kRow}; }
LPARAM RowPoint(int offset) { return MakePointLParam(40, offset * kRow + 5); }

// True when the window painted the bitmap resource pixel for pixel at (x, y); a transparent
// one with its magenta left out, over dark grey.
bool ShowsBitmap(const CPaintCapture& painted, UINT resourceId, int x, int y, bool transparent = false) {
    ScopedBitmap bitmap = LoadDibResource(ThisModule(), resourceId);
    const SIZE size = BitmapSize(bitmap);
    if (size.cx == 0)
        return false;
    CPaintCapture expected(size.cx, size.cy);
    if (transparent) {
        expected.PrintClient(nullptr, kDarkGrey);
        DrawBitmapTransparent(expected.Dc(), bitmap, 0, 0, RGB(255, 0, 255));
    } else {
        DrawBitmap(expected.Dc(), bitmap, 0, 0);
    }
    for (int j = 0; j < size.cy; ++j)
        for (int i = 0; i < size.cx; ++i)
            if (painted.Pixel(x + i, y + j) != expected.Pixel(i, j))
                return false;
    return true;
}

// The percentage column as the row painter should draw it: right-aligned 2 px from the edge.
void DrawExpectedPercent(CPaintCapture& capture, int offset, const std::wstring& text, COLORREF color) {
    ScopedFont font(::CreateFontW(15, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                  CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg"));
    ScopedBrush grey(::CreateSolidBrush(kDarkGrey));
    RECT row = RowRect(offset);
    ::FillRect(capture.Dc(), &row, grey);
    ScopedSelectObject select(capture.Dc(), font);
    ScopedBkMode mode(capture.Dc(), TRANSPARENT);
    ScopedTextColor textColor(capture.Dc(), color);
    SIZE extent{};
    ::GetTextExtentPoint32W(capture.Dc(), text.c_str(), static_cast<int>(text.size()), &extent);
    RECT rect{kWidth - 2 - extent.cx, row.top, kWidth - 2, row.bottom};
    ::DrawTextW(capture.Dc(), text.c_str(), -1, &rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

int DifferingPixels(const CPaintCapture& a, const CPaintCapture& b, const RECT& area) {
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y))
                ++count;
    return count;
}

class ChannelTreePaintTest : public ::testing::Test {
protected:
    void SetUp() override {
        const int unknown = data.UnknownCatalog();
        // Three channels of one visitor each: 33% apiece; one without visitors.
        data.AddChannel(unknown, "one", "c1", 1, 10);
        data.AddChannel(unknown, "two", "c2", 1, 10);
        data.AddChannel(unknown, "three", "c3", 1, 10);
        data.AddChannel(unknown, "zero", "c0", 0, 10);
        data.AddCatalog("体育", "datetime('now','-1 days')");
        ASSERT_TRUE(tree.Create(host, RECT{0, 0, kWidth, kRows * kRow}, nullptr, WS_CHILD | WS_VISIBLE, 0, 1004));
        tree.Reload();
    }
    void Paint() {
        ASSERT_EQ(kWidth, tree.GetClientRect().right);
        capture.PrintClient(tree);
    }

    CTreeTestDatabase data;
    CTestHost host;
    CTestWindow<CAllChannelTreeCtrl> tree;
    CPaintCapture capture{kWidth, kRows* kRow};
};

}  // namespace

TEST_F(ChannelTreePaintTest, CollapsedCatalogsOnDarkGrey) {
    Paint();
    // Rows: 其它(4), 体育(0); the rest is background.
    EXPECT_EQ(kDarkGrey, capture.Pixel(kWidth - 1, kRows * kRow - 1));
    EXPECT_EQ(kDarkGrey, capture.Pixel(0, 0));
    EXPECT_TRUE(ShowsBitmap(capture, IDB_TREE_COLLAPSED, 4, 4));
    EXPECT_TRUE(ShowsBitmap(capture, IDB_TREE_COLLAPSED, 4, kRow + 4));
    EXPECT_GT(capture.CountColor(TextArea(0, 20), kWhite), 0);        // label
    EXPECT_GT(capture.CountColor(TextArea(0, 20), kCaptionGrey), 0);  // "(4)"
    EXPECT_EQ(0, capture.CountColor(RowRect(2), kWhite));
}

TEST_F(ChannelTreePaintTest, HoveredRowIsBlackWithTheHotBox) {
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, RowPoint(1));
    Paint();
    EXPECT_EQ(kBlack, capture.Pixel(kWidth - 5, kRow + 10));
    EXPECT_EQ(kDarkGrey, capture.Pixel(kWidth - 5, 10));
    EXPECT_TRUE(ShowsBitmap(capture, IDB_TREE_COLLAPSED_HOT, 4, kRow + 4));
    EXPECT_GT(capture.CountColor(TextArea(1, 20), kHot), 0);
    EXPECT_EQ(0, capture.CountColor(TextArea(1, 20), kWhite));

    // Only rows of the model are painted, so an empty row under the mouse stays grey.
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, RowPoint(4));
    Paint();
    EXPECT_EQ(kDarkGrey, capture.Pixel(kWidth - 5, 4 * kRow + 10));
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, RowPoint(1));
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(-5, -5));
    Paint();
    EXPECT_EQ(0, capture.CountColor(RECT{0, 0, kWidth, kRows * kRow}, kBlack));
}

TEST_F(ChannelTreePaintTest, ExpandedCatalogAndItsChannelsWithPercentages) {
    ::SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(0));
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(-5, -5));
    Paint();
    EXPECT_TRUE(ShowsBitmap(capture, IDB_TREE_EXPANDED, 4, 4));
    EXPECT_GT(capture.CountColor(TextArea(0, 20), kSelected), 0);  // selected catalog label
    EXPECT_GT(capture.CountColor(TextArea(1, 4), kChannel), 0);    // channel name

    CPaintCapture expected(kWidth, kRows * kRow);
    DrawExpectedPercent(expected, 1, L"33%", kChannel);
    DrawExpectedPercent(expected, 4, L"0%", kChannel);
    const RECT column1{kWidth - 36, kRow, kWidth, 2 * kRow};
    const RECT column4{kWidth - 36, 4 * kRow, kWidth, 5 * kRow};
    EXPECT_EQ(0, DifferingPixels(capture, expected, column1));
    EXPECT_EQ(0, DifferingPixels(capture, expected, column4));
    DrawExpectedPercent(expected, 1, L"34%", kChannel);
    EXPECT_GT(DifferingPixels(capture, expected, column1), 0);

    ::SendMessageW(tree, WM_MOUSEMOVE, 0, RowPoint(0));
    Paint();
    EXPECT_TRUE(ShowsBitmap(capture, IDB_TREE_EXPANDED_HOT, 4, 4));
}

TEST_F(ChannelTreePaintTest, PlayingSelectedAndHoveredChannelColours) {
    ::SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(0));
    ::SendMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(1));  // "one" plays
    ::SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(2));    // "two" selected
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, MakePointLParam(-5, -5));
    Paint();
    EXPECT_GT(capture.CountColor(TextArea(1, 20), kPlaying), 0);
    EXPECT_GT(capture.CountColor(RECT{kWidth - 36, kRow, kWidth, 2 * kRow}, kPlaying), 0);  // percentage too
    // Play mark, transparent where it is magenta.
    EXPECT_TRUE(ShowsBitmap(capture, IDB_TREE_PLAYING, 4, kRow + (kRow - 11) / 2, true));
    EXPECT_EQ(0, capture.CountColor(RowRect(1), RGB(255, 0, 255)));
    EXPECT_GT(capture.CountColor(TextArea(2, 4), kSelected), 0);
    EXPECT_EQ(0, capture.CountColor(TextArea(2, 4), kChannel));
    EXPECT_GT(capture.CountColor(TextArea(3, 4), kChannel), 0);

    // The row under the mouse wins over playing.
    ::SendMessageW(tree, WM_MOUSEMOVE, 0, RowPoint(1));
    Paint();
    EXPECT_GT(capture.CountColor(TextArea(1, 20), kHot), 0);
    EXPECT_EQ(0, capture.CountColor(TextArea(1, 20), kPlaying));
}
