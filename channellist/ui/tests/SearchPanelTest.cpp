// The search panel and its edit as child windows of a hidden host: typing, clearing, focus
// changes and the frame pieces. The test resources give every frame piece its own colour.
#include "channellist/ui/SearchPanel.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::wstring kCue = L"请输入关键字搜索";
// Colours of the test frame pieces (tests/res/search_*.bmp).
constexpr COLORREF kLeftFocused = RGB(20, 80, 208);
constexpr COLORREF kMiddleFocusedRim = RGB(30, 90, 209);
constexpr COLORREF kRightButtonFocused = RGB(50, 110, 210);
constexpr COLORREF kRightUnfocused = RGB(140, 140, 211);
constexpr COLORREF kRightFocused = RGB(40, 100, 212);
constexpr COLORREF kMiddleUnfocusedRim = RGB(130, 130, 213);
constexpr COLORREF kRightButtonUnfocused = RGB(150, 150, 214);
constexpr COLORREF kLeftUnfocused = RGB(120, 120, 215);

class CRecordingKeywordListener : public IKeywordChgListener {
public:
    void OnKeywordChanged(std::wstring keyword) override { keywords.push_back(keyword); }
    std::vector<std::wstring> keywords;
};

class SearchPanelTest : public ::testing::Test {
protected:
    void Create(int width) {
        panel.SetListener(&listener);
        ASSERT_TRUE(panel.Create(host, RECT{0, 0, width, 36}, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 1000));
        ASSERT_TRUE(edit().IsWindow());
    }
    CSearchEdit& edit() { return panel.Edit(); }
    // The field focused and holding text, with nothing reported yet.
    void CreateTyped(const std::wstring& text) {
        Create(300);
        edit().SetFocus();
        Type(text);
        listener.keywords.clear();
    }
    void Type(const std::wstring& text) {
        for (wchar_t c : text) {
            edit().SendMessage(WM_KEYDOWN, c, 0);
            edit().SendMessage(WM_CHAR, c, 0);
        }
    }
    void Backspace() {
        edit().SendMessage(WM_KEYDOWN, VK_BACK, 0);
        edit().SendMessage(WM_CHAR, VK_BACK, 0);
    }
    void Click(int x, int y) {
        edit().SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MakePointLParam(x, y));
        edit().SendMessage(WM_LBUTTONUP, 0, MakePointLParam(x, y));
    }
    RECT EditRectInPanel() {
        RECT rect = edit().GetWindowRect();
        ::MapWindowPoints(nullptr, panel, reinterpret_cast<POINT*>(&rect), 2);
        return rect;
    }
    // The frame as the edit paints it on erasing its background.
    void CaptureFrame(CPaintCapture& capture) {
        capture.PrintClient(host, RGB(1, 2, 3));
        edit().SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(capture.Dc()));
        ::GdiFlush();
    }

    CTestHost host;
    CRecordingKeywordListener listener;
    CTestWindow<CSearchPanel> panel;
};

TEST_F(SearchPanelTest, StartsUnfocusedWithTheCueInsideAFrameAcrossThePanel) {
    Create(300);
    EXPECT_EQ(CSearchPanel::kEditId, edit().GetDlgCtrlID());
    const RECT rect = EditRectInPanel();
    EXPECT_EQ(4, rect.left);
    EXPECT_EQ(4, rect.top);
    EXPECT_EQ(292, rect.right - rect.left);
    EXPECT_EQ(27, rect.bottom - rect.top);
    EXPECT_EQ(kCue, edit().GetWindowText());
    EXPECT_TRUE(edit().ShowingCue());
    EXPECT_FALSE(edit().Focused());
    RECT format{};
    edit().SendMessage(EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
    // The edit adds its own margins inside the rectangle it is given.
    EXPECT_GE(format.left, 25);
    EXPECT_LE(format.left, 30);
    EXPECT_LE(format.right, 292 - 24);
    EXPECT_GE(format.right, 292 - 30);
    EXPECT_GE(format.top, 8);
    EXPECT_TRUE(listener.keywords.empty());

    panel.SetWindowPos(nullptr, 0, 0, 200, 36, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(192, EditRectInPanel().right - EditRectInPanel().left);
    panel.SetWindowPos(nullptr, 0, 0, 50, 36, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(48, EditRectInPanel().right - EditRectInPanel().left);
}

TEST_F(SearchPanelTest, EveryKeystrokeReportsTheWholeText) {
    Create(300);
    edit().SetFocus();
    ASSERT_TRUE(edit().Focused());
    EXPECT_EQ(L"", edit().GetWindowText());
    Type(L"ab");
    Type(L"\r\t");  // no line breaks or tabs in a keyword
    Type(L"中");
    Backspace();
    Backspace();
    Backspace();
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"ab", L"ab中", L"ab", L"a", L""}), listener.keywords);
    EXPECT_FALSE(edit().ShowingCue());
}

TEST_F(SearchPanelTest, PastedLineBreaksAndTabsNeverReachTheKeyword) {
    CreateTyped(L"ab");
    const std::wstring copied = L"\r\nnews\r\n\tsport\tlive\n";
    ASSERT_TRUE(::OpenClipboard(host));
    ::EmptyClipboard();
    HGLOBAL data = ::GlobalAlloc(GMEM_MOVEABLE, (copied.size() + 1) * sizeof(wchar_t));
    ASSERT_NE(nullptr, data);
    ::memcpy(::GlobalLock(data), copied.c_str(), (copied.size() + 1) * sizeof(wchar_t));
    ::GlobalUnlock(data);
    ASSERT_NE(nullptr, ::SetClipboardData(CF_UNICODETEXT, data));
    ::CloseClipboard();

    edit().SendMessage(WM_PASTE);
    EXPECT_EQ(L"abnews sport live", edit().GetWindowText());
    ASSERT_FALSE(listener.keywords.empty());
    EXPECT_EQ(L"abnews sport live", listener.keywords.back());
}

TEST_F(SearchPanelTest, FocusChangesPutTheCueUpAndDownWithoutReports) {
    Create(300);
    edit().SetFocus();
    EXPECT_FALSE(edit().ShowingCue());
    EXPECT_EQ(L"", edit().GetWindowText());
    host.SetFocus();
    EXPECT_FALSE(edit().Focused());
    EXPECT_TRUE(edit().ShowingCue());
    EXPECT_EQ(kCue, edit().GetWindowText());
    EXPECT_TRUE(listener.keywords.empty());

    // Text stays when the field loses the focus.
    edit().SetFocus();
    Type(L"news");
    host.SetFocus();
    EXPECT_EQ(L"news", edit().GetWindowText());
    EXPECT_FALSE(edit().ShowingCue());
}

TEST_F(SearchPanelTest, TheClearButtonEmptiesTheFieldAndReportsAnEmptyKeyword) {
    CreateTyped(L"cctv");
    Click(292 - 10, 13);
    EXPECT_EQ(std::vector<std::wstring>{L""}, listener.keywords);
    EXPECT_EQ(L"", edit().GetWindowText());
    EXPECT_TRUE(edit().Focused());
    EXPECT_FALSE(edit().ShowingCue());
    // No button is shown on an empty field: nothing to clear, nothing to report.
    Click(292 - 10, 13);
    EXPECT_EQ(1u, listener.keywords.size());
    host.SetFocus();
    EXPECT_TRUE(edit().ShowingCue());
}

TEST_F(SearchPanelTest, TheRightEndDoesNothingWhileTheCueIsShown) {
    Create(300);
    edit().SendMessage(WM_LBUTTONUP, 0, MakePointLParam(292 - 10, 13));
    EXPECT_TRUE(listener.keywords.empty());
    EXPECT_EQ(kCue, edit().GetWindowText());
}

TEST_F(SearchPanelTest, CueIsGreyAndTypedTextBlackOnWhite) {
    Create(300);
    CPaintCapture capture(10, 10);
    const auto colourRequest = [&] {
        return panel.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(capture.Dc()),
                                 reinterpret_cast<LPARAM>(edit().Handle()));
    };
    EXPECT_EQ(reinterpret_cast<LRESULT>(edit().BackgroundBrush()), colourRequest());
    EXPECT_EQ(RGB(186, 186, 186), ::GetTextColor(capture.Dc()));
    EXPECT_EQ(RGB(255, 255, 255), ::GetBkColor(capture.Dc()));
    edit().SetFocus();
    colourRequest();
    EXPECT_EQ(RGB(0, 0, 0), ::GetTextColor(capture.Dc()));
}

TEST_F(SearchPanelTest, FramePiecesFollowFocusAndText) {
    Create(300);
    CPaintCapture capture(292, 27);
    CaptureFrame(capture);
    EXPECT_EQ(kLeftUnfocused, capture.Pixel(0, 13));
    EXPECT_EQ(kMiddleUnfocusedRim, capture.Pixel(150, 0));
    EXPECT_EQ(kRightUnfocused, capture.Pixel(291, 13));
    EXPECT_EQ(kRightUnfocused, capture.Pixel(292 - 23, 13));

    edit().SetFocus();
    CaptureFrame(capture);
    EXPECT_EQ(kLeftFocused, capture.Pixel(24, 13));
    EXPECT_EQ(kMiddleFocusedRim, capture.Pixel(25, 26));
    EXPECT_EQ(kMiddleFocusedRim, capture.Pixel(292 - 24, 0));
    EXPECT_EQ(kRightFocused, capture.Pixel(291, 13));

    Type(L"x");
    CaptureFrame(capture);
    EXPECT_EQ(kRightButtonFocused, capture.Pixel(291, 13));

    host.SetFocus();
    CaptureFrame(capture);
    EXPECT_EQ(kLeftUnfocused, capture.Pixel(0, 13));
    EXPECT_EQ(kRightButtonUnfocused, capture.Pixel(291, 13));
}

TEST_F(SearchPanelTest, PanelIsBlack) {
    Create(300);
    CPaintCapture capture(300, 36);
    capture.PrintClient(panel);
    EXPECT_EQ(300 * 36, capture.CountColor(RECT{0, 0, 300, 36}, RGB(0, 0, 0)));
}

}  // namespace
