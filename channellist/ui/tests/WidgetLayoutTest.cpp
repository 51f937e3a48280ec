// Geometry and text rules of the header, the tooltip and the search field.
#include "channellist/ui/HeaderPainting.h"
#include "channellist/ui/SearchEditLayout.h"
#include "channellist/ui/TooltipLayout.h"

#include <gtest/gtest.h>

#include <memory>
#include <type_traits>

namespace {

using UI::FitText;

struct DcDeleter {
    void operator()(HDC dc) const { DeleteDC(dc); }
};
using ScopedMemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

class FitTextTest : public ::testing::Test {
protected:
    void SetUp() override {
        dc_.reset(CreateCompatibleDC(nullptr));
        ASSERT_TRUE(dc_);
        SelectObject(dc_.get(), GetStockObject(DEFAULT_GUI_FONT));
    }
    int Width(const std::wstring& text) {
        SIZE size{};
        GetTextExtentPoint32W(dc_.get(), text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }
    HDC dc() { return dc_.get(); }

private:
    ScopedMemoryDc dc_;
};

TEST_F(FitTextTest, KeepsATextThatFitsAndDropsEverythingForANegativeWidth) {
    const std::wstring text = L"All channels(1234)";
    EXPECT_EQ(text, FitText(dc(), Width(text), text));
    EXPECT_EQ(text, FitText(dc(), Width(text) + 50, text));
    EXPECT_EQ(L"", FitText(dc(), -1, text));
    EXPECT_EQ(L"", FitText(dc(), -1, L""));
    EXPECT_EQ(L"", FitText(dc(), 0, L""));
}

TEST_F(FitTextTest, CutsToTheLongestPrefixThatFitsWithEllipsis) {
    const std::wstring text = L"abcdefghijkl";
    EXPECT_EQ(L"abcdef...", FitText(dc(), Width(L"abcdef..."), text));
    EXPECT_EQ(L"abcdef...", FitText(dc(), Width(L"abcdefg...") - 1, text));
    // The longest candidate keeps all but the last three characters.
    EXPECT_EQ(L"abcdefghi...", FitText(dc(), Width(text) - 1, text));
    EXPECT_EQ(L"a...", FitText(dc(), Width(L"a..."), text));
    EXPECT_EQ(L"", FitText(dc(), Width(L"a...") - 1, text));
}

TEST_F(FitTextTest, ShortTextsThatDoNotFitAreDroppedWhole) {
    EXPECT_EQ(L"", FitText(dc(), Width(L"abcd") - 1, L"abcd"));
    EXPECT_EQ(L"ab...", FitText(dc(), Width(L"abcde") - 1, L"abcde"));
    const std::wstring chinese = L"所有频道(12)";
    EXPECT_EQ(L"所有频...", FitText(dc(), Width(L"所有频..."), chinese));
}

TEST(HeaderArrow, PointsDownByDefaultAndUpWhenAsked) {
    const RECT client{0, 0, 200, 20};
    // Box: left 191, top (20 - 4 - 5) / 2 = 5, bottom 10, centre x 193.
    const auto down = UI::HeaderArrowLines(client, false);
    const auto up = UI::HeaderArrowLines(client, true);
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(193 - i, down[i].left);
        EXPECT_EQ(193 + i, down[i].right);
        EXPECT_EQ(10 - i, down[i].y);
        EXPECT_EQ(5 + i, up[i].y);
        EXPECT_EQ(193 - i, up[i].left);
    }
}

TEST(GradientFill64, BandsStepFromTheFirstColourTowardsTheSecond) {
    EXPECT_EQ(RGB(158, 158, 158), UI::GradientBandColour(RGB(158, 158, 158), RGB(255, 255, 255), 0));
    // (1 x 102 + 63 x 9) / 64 = 10, (1 x 102 + 63 x 23) / 64 = 24, (186 + 63 x 229) / 64 = 228.
    EXPECT_EQ(RGB(10, 24, 228), UI::GradientBandColour(RGB(102, 102, 186), RGB(9, 23, 229), 63));
    EXPECT_EQ(RGB(127, 127, 127), UI::GradientBandColour(RGB(0, 0, 0), RGB(255, 255, 255), 32));
}

TEST(GradientFill64, PaintsEveryRowOfTheRectangleOnly) {
    ScopedMemoryDc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 8;
    info.bmiHeader.biHeight = -40;   // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_TRUE(bitmap);
    HGDIOBJ previous = SelectObject(dc.get(), bitmap);
    RECT all{0, 0, 8, 40};
    UI::GradientFill64(dc.get(), all, RGB(0, 0, 0), RGB(0, 0, 0));   // clear
    // 30 rows for 64 bands: the empty bands are skipped, every row still painted.
    const RECT rect{2, 5, 6, 35};
    UI::GradientFill64(dc.get(), rect, RGB(0, 0, 255), RGB(255, 0, 0));
    const auto pixel = [&](int x, int y) {
        return static_cast<const DWORD*>(bits)[y * 8 + x] & 0xFFFFFF;   // 0x00RRGGBB
    };
    // Bands 0 and 1 are empty; the first row is band 2: red 2 x 255 / 64 = 7, blue 62 x 255 / 64 = 247.
    EXPECT_EQ(0x0700F7u, pixel(2, 5));
    EXPECT_EQ(0x0700F7u, pixel(5, 5));
    EXPECT_EQ(0u, pixel(1, 5));
    EXPECT_EQ(0u, pixel(6, 5));
    EXPECT_EQ(0u, pixel(3, 4));
    EXPECT_EQ(0u, pixel(3, 35));
    // The last row is band 63: red 63 x 255 / 64 = 251, blue 255 / 64 = 3.
    EXPECT_EQ(0xFB0003u, pixel(3, 34));
    for (int y = 6; y < 35; ++y) {
        const DWORD above = pixel(3, y - 1), here = pixel(3, y);
        EXPECT_GE(here >> 16, above >> 16) << "row " << y;
        EXPECT_LE(here & 0xFF, above & 0xFF) << "row " << y;
    }
    SelectObject(dc.get(), previous);
    DeleteObject(bitmap);
}

TEST(WrapDescription, BreaksAHundredCharactersIntoLinesOf31And30) {
    std::wstring text;
    for (int i = 0; i < 100; ++i) text += static_cast<wchar_t>(L'A' + i % 26);
    const std::wstring wrapped = UI::WrapDescription(L"  \t" + text + L"\r\n ");
    ASSERT_EQ(103u, wrapped.size());
    EXPECT_EQ(L'\n', wrapped[31]);
    EXPECT_EQ(L'\n', wrapped[62]);
    EXPECT_EQ(L'\n', wrapped[93]);
    EXPECT_EQ(text.substr(0, 31), wrapped.substr(0, 31));
    EXPECT_EQ(text.substr(91), wrapped.substr(94));   // last line: 9 characters
}

TEST(WrapDescription, ShortAndBlankTextsGetNoBreaks) {
    EXPECT_EQ(L"", UI::WrapDescription(L""));
    EXPECT_EQ(L"", UI::WrapDescription(L" \t\r\n "));
    // 9 characters: line length sqrt(90) = 9, the break falls at the end.
    EXPECT_EQ(L"abcdefghi\n", UI::WrapDescription(L"abcdefghi"));
    // 8 characters after trimming: line length sqrt(80) = 8; inner blanks stay.
    EXPECT_EQ(L"a b  c\nd\n", UI::WrapDescription(L"\na b  c\nd\t"));
    EXPECT_EQ(L"ab", UI::WrapDescription(L"ab"));
}

TEST(PlaceTooltip, OpensRightAndBelowInTheUpperLeftOfTheScreen) {
    const POINT place = UI::PlaceTooltip({100, 100}, {1280, 800}, {200, 80});
    EXPECT_EQ(120, place.x);
    EXPECT_EQ(120, place.y);
}

TEST(PlaceTooltip, FlipsLeftNearTheRightEdgeAndAboveInTheLowerHalf) {
    // 1100 + 20 is not below 1280 - 160.
    POINT place = UI::PlaceTooltip({1100, 500}, {1280, 800}, {160, 80});
    EXPECT_EQ(1100 - 160 - 5, place.x);
    EXPECT_EQ(500 - 80 - 5, place.y);
    // Exactly at the middle of the screen counts as the lower half.
    place = UI::PlaceTooltip({1099, 400}, {1280, 800}, {160, 80});
    EXPECT_EQ(1119, place.x);
    EXPECT_EQ(315, place.y);
    place = UI::PlaceTooltip({1099, 399}, {1280, 800}, {160, 80});
    EXPECT_EQ(419, place.y);
}

TEST(PlaceTooltip, NeverStartsOffTheTopOrLeftOfTheScreen) {
    const POINT place = UI::PlaceTooltip({300, 500}, {640, 600}, {600, 560});
    EXPECT_EQ(0, place.x);
    EXPECT_EQ(0, place.y);
}

TEST(SearchEditLayout, KeepsTheTextBetweenMagnifierAndRightEnd) {
    const UI::SearchEditLayout layout = UI::ComputeSearchEditLayout(200);
    EXPECT_EQ(200, layout.size.cx);
    EXPECT_EQ(27, layout.size.cy);
    EXPECT_EQ(25, layout.format.left);
    EXPECT_EQ(8, layout.format.top);
    EXPECT_EQ(200 - 23 - 1, layout.format.right);
    EXPECT_EQ(25, layout.format.bottom);
}

TEST(SearchEditLayout, NarrowFieldsGrowTo48Pixels) {
    for (int width : {0, 10, 48}) {
        const UI::SearchEditLayout layout = UI::ComputeSearchEditLayout(width);
        EXPECT_EQ(48, layout.size.cx) << width;
        EXPECT_EQ(0, layout.format.left);
        EXPECT_EQ(1, layout.format.right);
    }
    EXPECT_EQ(49, UI::ComputeSearchEditLayout(49).size.cx);
    EXPECT_EQ(25, UI::ComputeSearchEditLayout(49).format.left);
}

TEST(SearchFrame, ChoosesPiecesByFocusAndClearButton) {
    auto frame = UI::ChooseSearchFrame(true, false);
    EXPECT_EQ(208, frame.left);
    EXPECT_EQ(209, frame.middle);
    EXPECT_EQ(212, frame.right);
    EXPECT_EQ(210, UI::ChooseSearchFrame(true, true).right);
    frame = UI::ChooseSearchFrame(false, true);
    EXPECT_EQ(215, frame.left);
    EXPECT_EQ(213, frame.middle);
    EXPECT_EQ(214, frame.right);
    EXPECT_EQ(211, UI::ChooseSearchFrame(false, false).right);
}

}  // namespace
