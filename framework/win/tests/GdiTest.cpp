#include "framework/win/Bitmap.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"
#include "framework/win/tests/TestHost.h"

#include <gtest/gtest.h>

TEST(GdiScopes, ObjectsAreDeletedAndMovedOwnershipIsKept) {
    HBRUSH raw = ::CreateSolidBrush(RGB(1, 2, 3));
    {
        ScopedBrush brush(raw);
        EXPECT_EQ(static_cast<DWORD>(OBJ_BRUSH), ::GetObjectType(raw));
        ScopedBrush moved(std::move(brush));
        EXPECT_EQ(nullptr, brush.Get());
        EXPECT_EQ(raw, moved.Get());
    }
    EXPECT_EQ(0u, ::GetObjectType(raw));

    HPEN pen = ::CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    ScopedPen owner(pen);
    owner.Reset();
    EXPECT_EQ(0u, ::GetObjectType(pen));
}

TEST(GdiScopes, SelectionsAndDcStateAreRestored) {
    ScopedCompatibleDC dc(nullptr);
    ASSERT_TRUE(dc);
    const HGDIOBJ originalFont = ::GetCurrentObject(dc, OBJ_FONT);
    const HGDIOBJ originalBrush = ::GetCurrentObject(dc, OBJ_BRUSH);
    ScopedFont font(::CreateFontW(-15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, nullptr));
    ScopedBrush brush(::CreateSolidBrush(RGB(9, 9, 9)));
    {
        ScopedSelectObject selectFont(dc, font);
        ScopedSelectObject selectBrush(dc, brush);
        ScopedTextColor color(dc, RGB(1, 2, 3));
        ScopedBkMode mode(dc, TRANSPARENT);
        EXPECT_EQ(font.Get(), ::GetCurrentObject(dc, OBJ_FONT));
        EXPECT_EQ(RGB(1, 2, 3), ::GetTextColor(dc));
    }
    EXPECT_EQ(originalFont, ::GetCurrentObject(dc, OBJ_FONT));
    EXPECT_EQ(originalBrush, ::GetCurrentObject(dc, OBJ_BRUSH));
    EXPECT_EQ(OPAQUE, ::GetBkMode(dc));
    {
        ScopedSaveDC saved(dc);
        ::SelectObject(dc, font);
        ::SetTextColor(dc, RGB(7, 7, 7));
    }
    EXPECT_EQ(originalFont, ::GetCurrentObject(dc, OBJ_FONT));
    EXPECT_NE(RGB(7, 7, 7), ::GetTextColor(dc));
}

namespace {
// Red background with a green square at (10, 10)-(20, 20), through the double-buffer base.
class CBufferedWindow : public CWindowImpl, private CDoubleBufferImpl {
public:
    int paints = 0;
    bool ready = true;
    BEGIN_MSG_MAP(CBufferedWindow)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
    END_MSG_MAP()

private:
    bool ReadyToPaint() const override { return ready; }
    void DoPaint(HDC dc, const RECT& client) override {
        ++paints;
        ScopedBrush red(::CreateSolidBrush(RGB(255, 0, 0)));
        ScopedBrush green(::CreateSolidBrush(RGB(0, 255, 0)));
        ::FillRect(dc, &client, red);
        RECT square{10, 10, 20, 20};
        ::FillRect(dc, &square, green);
    }
};
}  // namespace

TEST(DoubleBuffer, PrintClientDrawsTheWholeClientAreaAndErasingIsSuppressed) {
    CBufferedWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, RECT{0, 0, 50, 40}, L"", WS_CHILD | WS_VISIBLE));
    CPaintCapture capture(60, 50);
    capture.PrintClient(window);
    EXPECT_EQ(1, window.paints);
    EXPECT_EQ(RGB(255, 0, 0), capture.Pixel(0, 0));
    EXPECT_EQ(RGB(255, 0, 0), capture.Pixel(49, 39));
    EXPECT_EQ(RGB(0, 255, 0), capture.Pixel(10, 10));
    EXPECT_EQ(RGB(0, 255, 0), capture.Pixel(19, 19));
    EXPECT_EQ(RGB(255, 0, 0), capture.Pixel(20, 20));
    EXPECT_EQ(RGB(1, 2, 3), capture.Pixel(50, 40));  // outside the client area: untouched
    // Erasing is suppressed and reports that nothing was erased.
    EXPECT_EQ(0, window.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(capture.Dc())));
    EXPECT_EQ(RGB(255, 0, 0), capture.Pixel(0, 0));
    // A window not ready to paint leaves what the DC shows.
    window.ready = false;
    capture.PrintClient(window);
    EXPECT_EQ(1, window.paints);
    EXPECT_EQ(RGB(1, 2, 3), capture.Pixel(0, 0));
}

TEST(DoubleBuffer, PaintReachesTheScreenAndValidatesTheWindow) {
    CBufferedWindow window;
    CTestHost host;
    ASSERT_TRUE(window.Create(host, RECT{0, 0, 50, 40}, L"", WS_CHILD | WS_VISIBLE));
    host.ShowWindow(SW_SHOWNOACTIVATE);
    ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_LE(1, window.paints);
    EXPECT_FALSE(::GetUpdateRect(window, nullptr, FALSE));
    ScopedGetDC screen(window);
    EXPECT_EQ(RGB(0, 255, 0), ::GetPixel(screen, 15, 15));
    EXPECT_EQ(RGB(255, 0, 0), ::GetPixel(screen, 30, 30));
}

TEST(DoubleBuffer, EmptyAreaIsInvalidAndDrawsNothing) {
    CPaintCapture capture(10, 10);
    capture.PrintClient(nullptr, RGB(5, 5, 5));
    {
        CMemoryDC buffer(capture.Dc(), RECT{0, 0, 0, 10});
        EXPECT_FALSE(buffer.IsValid());
    }
    {
        CMemoryDC buffer(capture.Dc(), RECT{2, 2, 6, 6});
        ASSERT_TRUE(buffer.IsValid());
        ScopedBrush blue(::CreateSolidBrush(RGB(0, 0, 255)));
        RECT area = buffer.Area();  // the memory DC uses the target's coordinates
        ::FillRect(buffer, &area, blue);
    }
    EXPECT_EQ(RGB(5, 5, 5), capture.Pixel(1, 1));
    EXPECT_EQ(RGB(0, 0, 255), capture.Pixel(2, 2));
    EXPECT_EQ(RGB(0, 0, 255), capture.Pixel(5, 5));
    EXPECT_EQ(RGB(5, 5, 5), capture.Pixel(6, 6));
}

TEST(Bitmaps, TransparentDrawLeavesTheColourKeyOut) {
    CPaintCapture source(4, 2);
    ::SetPixel(source.Dc(), 0, 0, RGB(255, 0, 255));
    ::SetPixel(source.Dc(), 1, 0, RGB(0, 160, 0));
    ScopedBitmap bitmap(::CreateCompatibleBitmap(source.Dc(), 4, 2));
    {
        ScopedCompatibleDC dc(source.Dc());
        ScopedSelectObject select(dc, bitmap);
        ::BitBlt(dc, 0, 0, 4, 2, source.Dc(), 0, 0, SRCCOPY);
    }
    EXPECT_EQ(4, BitmapSize(bitmap).cx);
    EXPECT_EQ(2, BitmapSize(bitmap).cy);
    EXPECT_EQ(0, BitmapSize(nullptr).cx);

    CPaintCapture target(8, 4);
    target.PrintClient(nullptr, RGB(9, 9, 9));
    ASSERT_TRUE(DrawBitmapTransparent(target.Dc(), bitmap, 2, 1, RGB(255, 0, 255)));
    EXPECT_EQ(RGB(9, 9, 9), target.Pixel(2, 1));
    EXPECT_EQ(RGB(0, 160, 0), target.Pixel(3, 1));
    ASSERT_TRUE(DrawBitmap(target.Dc(), bitmap, 2, 1));
    EXPECT_EQ(RGB(255, 0, 255), target.Pixel(2, 1));
    EXPECT_FALSE(DrawBitmap(target.Dc(), nullptr, 0, 0));
    EXPECT_FALSE(LoadDibResource(nullptr, 60000));
}
