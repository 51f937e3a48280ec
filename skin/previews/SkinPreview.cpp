// Draws a mock of the player from the default skin and the channel list's bitmaps, so the art
// can be looked at as a whole: skinned frame and caption, tab strip, player bar, splitter and
// the channel list with its search box, headers and rows.
// Usage: skin_preview.exe [seconds before it closes by itself]
#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "common/skin/Skin.h"
#include "framework/win/ScopedGdi.h"

namespace {

using Part = CSkin::FramePart;

const int kWidth = 900;
const int kHeight = 560;
const int kListWidth = 220;
const int kSplitter = 8;

std::wstring SourcePath(const wchar_t* relative) {
    std::wstring path = L"Z:";
    for (const char* p = TROVA_SOURCE_DIR; *p; ++p)
        path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return path + L"\\" + relative;
}

ScopedBitmap LoadBitmapFile(const wchar_t* relative) {
    return ScopedBitmap(static_cast<HBITMAP>(
        ::LoadImageW(nullptr, SourcePath(relative).c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE)));
}

void Blit(HDC target, HBITMAP bitmap, int x, int y, bool magentaKey = false) {
    BITMAP info{};
    ::GetObjectW(bitmap, sizeof(info), &info);
    ScopedCompatibleDC source(target);
    ScopedSelectObject select(source, bitmap);
    if (magentaKey)
        ::TransparentBlt(target, x, y, info.bmWidth, info.bmHeight, source, 0, 0, info.bmWidth, info.bmHeight,
                         RGB(255, 0, 255));
    else
        ::BitBlt(target, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
}

ScopedFont MakeFont(const wchar_t* face, int height, int weight) {
    return ScopedFont(::CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                    OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                    VARIABLE_PITCH | FF_SWISS, face));
}

void Text(HDC dc, const std::wstring& text, RECT rect, COLORREF colour, UINT format) {
    ::SetTextColor(dc, colour);
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, format);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    ScopedBrush brush(::CreateSolidBrush(colour));
    ::FillRect(dc, &rect, brush);
}

// The frame as the main window paints its non-client area.
void DrawFrame(HDC dc, const CSkin& skin, int w, int h) {
    auto f = [&skin](Part p) -> const CSkinImage& { return skin.Frame(p); };
    f(Part::TopLeft).Draw(dc, 0, 0);
    f(Part::TopRight).Draw(dc, w - f(Part::TopRight).Width(), 0);
    TileHorizontal(f(Part::Top), dc, f(Part::TopLeft).Width(), 0,
                   w - f(Part::TopRight).Width() - f(Part::TopLeft).Width());
    f(Part::BottomLeft).Draw(dc, 0, h - f(Part::BottomLeft).Height());
    f(Part::BottomRight).Draw(dc, w - f(Part::BottomRight).Width(), h - f(Part::BottomRight).Height());
    TileHorizontal(f(Part::Bottom), dc, f(Part::BottomLeft).Width(), h - f(Part::Bottom).Height(),
                   w - f(Part::BottomLeft).Width() - f(Part::BottomRight).Width());
    const int leftTop = f(Part::TopLeft).Height();
    const int leftBottom = h - f(Part::LeftBottom).Height() - f(Part::BottomLeft).Height();
    f(Part::LeftTop).Draw(dc, 0, leftTop);
    f(Part::LeftBottom).Draw(dc, 0, leftBottom);
    TileVertical(f(Part::Left), dc, 0, leftTop + f(Part::LeftTop).Height(),
                 leftBottom - leftTop - f(Part::LeftTop).Height());
    const int rightTop = f(Part::TopRight).Height();
    const int rightBottom = h - f(Part::RightBottom).Height() - f(Part::BottomRight).Height();
    f(Part::RightTop).Draw(dc, w - f(Part::RightTop).Width(), rightTop);
    f(Part::RightBottom).Draw(dc, w - f(Part::RightBottom).Width(), rightBottom);
    TileVertical(f(Part::Right), dc, w - f(Part::Right).Width(), rightTop + f(Part::RightTop).Height(),
                 rightBottom - rightTop - f(Part::RightTop).Height());

    // Caption buttons at their anchors: the close button as the pointer hovers over it.
    const RECT& close = skin.CaptionButtonPlace(CSkin::CaptionButton::Close);
    const RECT& minimize = skin.CaptionButtonPlace(CSkin::CaptionButton::Minimize);
    const RECT& maximize = skin.CaptionButtonPlace(CSkin::CaptionButton::Maximize);
    skin.Caption(CSkin::CaptionImage::MinimiseBtn).Draw(dc, w + minimize.left, minimize.top);
    skin.Caption(CSkin::CaptionImage::MaximiseBtn).Draw(dc, w + maximize.left, maximize.top);
    skin.Caption(CSkin::CaptionImage::CloseHover).Draw(dc, w + close.left, close.top);

    HICON icon = static_cast<HICON>(::LoadImageW(nullptr, SourcePath(L"player\\shell\\res\\TrovaPlayer6.ico").c_str(),
                                                 IMAGE_ICON, 16, 16, LR_LOADFROMFILE));
    if (icon) {
        ::DrawIconEx(dc, 8, 4, icon, 16, 16, 0, nullptr, DI_NORMAL);
        ::DestroyIcon(icon);
    }
    ScopedFont title(MakeFont(L"Tahoma", 15, FW_NORMAL));
    ScopedSelectObject font(dc, title);
    Text(dc, L"TrovaPlayer6 - CCTV-5 \u4F53\u80B2", RECT{28, 4, 500, 20}, RGB(255, 255, 255),
         DT_SINGLELINE | DT_VCENTER);
}

// The tab strip: background, then each item; "play" selected, "home" under the pointer.
int DrawNavi(HDC dc, const CSkin& skin, const RECT& area) {
    const int height = skin.NaviHeight();
    skin.Tab(CSkin::TabLook::Normal).Draw(dc, RECT{area.left, area.top, area.right, area.top + height});
    ScopedFont tahoma(MakeFont(L"Tahoma", 13, FW_NORMAL));
    ScopedSelectObject font(dc, tahoma);
    const wchar_t* items[] = {L"\u9996 \u9875", L"\u64AD \u653E", L"\u76F4 \u64AD", L"\u9009 \u9879"};
    const CSkin::TabLook looks[] = {CSkin::TabLook::Hover, CSkin::TabLook::Active, CSkin::TabLook::Normal,
                                    CSkin::TabLook::Normal};
    int left = area.left + skin.NaviGap();
    for (int i = 0; i < 4; ++i) {
        SIZE size{};
        ::GetTextExtentPoint32W(dc, items[i], static_cast<int>(wcslen(items[i])), &size);
        RECT item{left, area.top, left + size.cx + 2 * skin.CaptionTextLeft(), area.top + height};
        if (looks[i] != CSkin::TabLook::Normal)
            skin.Tab(looks[i]).Draw(dc, item);
        Text(dc, items[i], RECT{item.left + skin.CaptionTextLeft(), item.top + skin.CaptionTextTop(), item.right,
                                item.bottom}, RGB(255, 255, 255), DT_LEFT | DT_TOP | DT_SINGLELINE);
        left = item.right + skin.NaviGap();
    }
    return height;
}

void DrawPlayerBar(HDC dc, const CSkin& skin, const RECT& area) {
    using P = CSkin::PlayerPicture;
    const int top = area.bottom - skin.PlayerHeight();
    TileHorizontal(skin.Player(P::Background), dc, area.left, top, area.right - area.left);
    skin.Player(P::BackgroundBanner).Draw(dc, area.right - skin.Player(P::BackgroundBanner).Width(), top);
    const struct {
        CSkin::PlayerButton place;
        P picture;
    } buttons[] = {{CSkin::PlayerButton::Backward, P::Backward}, {CSkin::PlayerButton::Play, P::Pause},
                   {CSkin::PlayerButton::Forward, P::Forward}, {CSkin::PlayerButton::Stop, P::Stop},
                   {CSkin::PlayerButton::Volume, P::Volume}};
    for (const auto& button : buttons) {
        const RECT& place = skin.PlayerButtonPlace(button.place);
        skin.Player(button.picture).Draw(dc, area.left + place.left, top + place.top);
    }
    // Track bar above the bar: 40% played.
    using T = CSkin::TrackPicture;
    const int trackTop = top - skin.TrackbarHeight();
    const int trackLeft = area.left + 8;
    const int trackRight = area.right - 8;
    FillSolid(dc, RECT{area.left, trackTop, area.right, top}, RGB(34, 35, 38));
    const int played = trackLeft + (trackRight - trackLeft) * 2 / 5;
    skin.Track(T::BackLeft).Draw(dc, trackLeft, trackTop);
    TileHorizontal(skin.Track(T::Past), dc, trackLeft + skin.Track(T::BackLeft).Width(), trackTop,
                   played - trackLeft - skin.Track(T::BackLeft).Width());
    skin.Track(T::PastHead).Draw(dc, played - skin.Track(T::PastHead).Width(), trackTop);
    TileHorizontal(skin.Track(T::Back), dc, played, trackTop, trackRight - skin.Track(T::BackRight).Width() - played);
    skin.Track(T::BackRight).Draw(dc, trackRight - skin.Track(T::BackRight).Width(), trackTop);
    skin.Track(T::Slider).Draw(dc, played - skin.Track(T::Slider).Width() / 2, trackTop);
    // Status lamps at the left of the bar's free space.
    const CSkin::Lamp lamps[] = {CSkin::Lamp::Green, CSkin::Lamp::Blue, CSkin::Lamp::Red, CSkin::Lamp::Dark};
    const RECT& volume = skin.PlayerButtonPlace(CSkin::PlayerButton::Volume);
    int x = area.left + volume.right + 16;
    for (CSkin::Lamp lamp : lamps) {
        skin.LampImage(lamp).Draw(dc, x, top + (skin.PlayerHeight() - skin.LampHeight()) / 2);
        x += skin.LampImage(lamp).Width() + 4;
    }
}

void DrawVideo(HDC dc, const RECT& area) {
    FillSolid(dc, area, RGB(0, 0, 0));
    // A quiet test picture so the area reads as video rather than a hole.
    const COLORREF bars[] = {RGB(150, 150, 150), RGB(150, 150, 20), RGB(20, 150, 150), RGB(20, 150, 20),
                             RGB(150, 20, 150), RGB(150, 20, 20), RGB(20, 20, 150)};
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    for (int i = 0; i < 7; ++i) {
        RECT bar{area.left + width * i / 7, area.top + height / 6, area.left + width * (i + 1) / 7,
                 area.top + height * 5 / 6};
        FillSolid(dc, bar, bars[i]);
    }
}

struct Row {
    bool catalog;
    const wchar_t* text;
    int count;
    bool expanded;
    bool hover;
    bool playing;
};

void DrawChannelList(HDC dc, const CSkin& skin, const RECT& area) {
    // Search panel: black strip with the search field (unfocused, cue text).
    FillSolid(dc, RECT{area.left, area.top, area.right, area.top + 36}, RGB(0, 0, 0));
    ScopedBitmap left(LoadBitmapFile(L"channellist\\ui\\res\\search_left_plain.bmp"));
    ScopedBitmap middle(LoadBitmapFile(L"channellist\\ui\\res\\search_middle_plain.bmp"));
    ScopedBitmap right(LoadBitmapFile(L"channellist\\ui\\res\\search_right_plain.bmp"));
    const int fieldLeft = area.left + 4;
    const int fieldRight = area.right - 4;
    Blit(dc, left, fieldLeft, area.top + 4);
    Blit(dc, right, fieldRight - 23, area.top + 4);
    {
        ScopedCompatibleDC source(dc);
        ScopedSelectObject select(source, middle);
        ::StretchBlt(dc, fieldLeft + 25, area.top + 4, fieldRight - 23 - fieldLeft - 25, 27, source, 0, 0, 1, 27,
                     SRCCOPY);
    }
    ScopedFont search(MakeFont(L"Tahoma", 14, FW_NORMAL));
    {
        ScopedSelectObject font(dc, search);
        Text(dc, L"\u8BF7\u8F93\u5165\u5173\u952E\u5B57\u641C\u7D22",
             RECT{fieldLeft + 25, area.top + 4 + 8, fieldRight - 24, area.top + 4 + 25}, RGB(186, 186, 186),
             DT_LEFT | DT_TOP | DT_SINGLELINE);
    }

    ScopedFont normal(MakeFont(L"Tahoma", 15, FW_NORMAL));
    ScopedFont bold(MakeFont(L"Tahoma", 15, FW_BOLD));
    ScopedSelectObject font(dc, normal);
    auto header = [&](int top, const wchar_t* caption, bool arrowUp) {
        TileHorizontal(skin.HeaderBG(), dc, area.left, top, area.right - area.left);
        Text(dc, caption, RECT{area.left + 4, top + 2, area.right - 40, top + 18}, RGB(255, 255, 255),
             DT_LEFT | DT_SINGLELINE);
        Text(dc, L"\u70ED\u5EA6", RECT{area.right - 48, top + 2, area.right - 15, top + 18}, RGB(255, 255, 255),
             DT_LEFT | DT_SINGLELINE);
        ScopedPen pen(::CreatePen(PS_SOLID, 1, RGB(140, 140, 140)));
        ScopedSelectObject selectPen(dc, pen);
        const int boxLeft = area.right - 9;
        const int boxTop = top + (20 - 4 - 5) / 2;
        const int c = boxLeft + 2;
        for (int i = 0; i < 5; ++i) {
            const int y = arrowUp ? boxTop + i : boxTop + 5 - i;
            ::MoveToEx(dc, c - i, y, nullptr);
            ::LineTo(dc, c + i + 1, y);
        }
        return top + 20;
    };

    int top = header(area.top + 36, L"\u6240\u6709\u9891\u9053(1286)", true);
    const int listBottom = area.bottom - 3 * 20;
    FillSolid(dc, RECT{area.left, top, area.right, listBottom}, RGB(64, 64, 64));
    ScopedBitmap plus(LoadBitmapFile(L"channellist\\ui\\res\\expand_plus.bmp"));
    ScopedBitmap plusHover(LoadBitmapFile(L"channellist\\ui\\res\\expand_plus_hover.bmp"));
    ScopedBitmap minus(LoadBitmapFile(L"channellist\\ui\\res\\expand_minus.bmp"));
    ScopedBitmap playing(LoadBitmapFile(L"channellist\\ui\\res\\playing.bmp"));
    const Row rows[] = {
        {true, L"\u592E\u89C6\u9891\u9053", 18, false, false, false},
        {true, L"\u536B\u89C6\u9891\u9053", 42, true, false, false},
        {false, L"\u6E56\u5357\u536B\u89C6", 21, false, false, false},
        {false, L"\u6D59\u6C5F\u536B\u89C6", 17, false, true, false},
        {false, L"\u4E1C\u65B9\u536B\u89C6", 12, false, false, true},
        {false, L"\u6C5F\u82CF\u536B\u89C6", 9, false, false, false},
        {false, L"\u5317\u4EAC\u536B\u89C6", 6, false, false, false},
        {true, L"\u4F53\u80B2\u9891\u9053", 25, false, true, false},
        {true, L"\u7535\u5F71\u9891\u9053", 63, false, false, false},
        {true, L"\u97F3\u4E50\u9891\u9053", 14, false, false, false},
        {true, L"\u52A8\u6F2B\u9891\u9053", 30, false, false, false},
    };
    ::SetBkMode(dc, TRANSPARENT);
    for (const Row& row : rows) {
        RECT r{area.left, top, area.right, top + 22};
        if (r.bottom > listBottom)
            break;
        if (row.hover)
            ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
        if (row.catalog) {
            Blit(dc, row.expanded ? minus : row.hover ? plusHover : plus, r.left + 4, r.top + 4);
            ScopedSelectObject b(dc, row.expanded ? bold.Get() : nullptr);
            std::wstring caption = std::wstring(row.text) + L"(" + std::to_wstring(row.count) + L")";
            RECT t{r.left + 20, r.top, r.right - 36, r.bottom};
            Text(dc, caption, t, RGB(128, 128, 128), DT_SINGLELINE | DT_VCENTER);
            Text(dc, row.text, t, RGB(40, 40, 40), DT_SINGLELINE | DT_VCENTER);
            ::OffsetRect(&t, -1, -1);
            Text(dc, row.text, t, row.hover ? RGB(24, 100, 188) : row.expanded ? RGB(62, 114, 170) : RGB(255, 255, 255),
                 DT_SINGLELINE | DT_VCENTER);
        } else {
            const COLORREF colour = row.hover ? RGB(24, 100, 188) : row.playing ? RGB(251, 135, 50) : RGB(225, 225, 225);
            RECT t{r.left + 4, r.top, r.right - 36, r.bottom};
            if (row.playing) {
                Blit(dc, playing, r.left + 4, r.top + (22 - 11) / 2, true);
                t.left += 12 + 4;
            }
            Text(dc, row.text, t, colour, DT_SINGLELINE | DT_VCENTER | DT_WORD_ELLIPSIS);
            std::wstring percent = std::to_wstring(row.count) + L"%";
            Text(dc, percent, RECT{r.right - 34, r.top, r.right - 2, r.bottom}, colour,
                 DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        }
        top += 22;
    }
    top = header(listBottom, L"\u6700\u65B0\u9891\u9053(37)", false);
    top = header(top, L"\u6536\u770B\u5386\u53F2(8)", false);
    header(top, L"\u641C\u7D22\u7ED3\u679C(0)", false);
}

void Paint(HWND window, HDC target) {
    RECT client;
    ::GetClientRect(window, &client);
    const int w = client.right;
    const int h = client.bottom;
    ScopedCompatibleDC dc(target);
    ScopedBitmap bitmap(::CreateCompatibleBitmap(target, w, h));
    ScopedSelectObject select(dc, bitmap);
    ::SetBkMode(dc, TRANSPARENT);
    const CSkin& skin = *CSkin::Instance();

    DrawFrame(dc, skin, w, h);
    RECT inner{skin.Frame(Part::Left).Width(), skin.Frame(Part::Top).Height(), w - skin.Frame(Part::Right).Width(),
               h - skin.Frame(Part::Bottom).Height()};
    const int naviHeight = DrawNavi(dc, skin, inner);
    RECT below{inner.left, inner.top + naviHeight, inner.right, inner.bottom};
    RECT content{below.left, below.top, below.right - kListWidth - kSplitter, below.bottom};
    RECT video{content.left, content.top, content.right, content.bottom - skin.PlayerHeight() - skin.TrackbarHeight()};
    DrawVideo(dc, video);
    DrawPlayerBar(dc, skin, content);
    {
        const CSkinImage& split = skin.Splitter();
        ::StretchBlt(dc, content.right, below.top, kSplitter, below.bottom - below.top, split.Dc(), 0, 0,
                     split.Width(), split.Height(), SRCCOPY);
    }
    DrawChannelList(dc, skin, RECT{content.right + kSplitter, below.top, below.right, below.bottom});
    ::BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
}

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        ScopedPaintDC dc(window);
        Paint(window, dc);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE: {
        RECT r;
        ::GetWindowRect(window, &r);
        ::SetWindowRgn(window, ::CreateRoundRectRgn(0, 0, r.right - r.left + 1, r.bottom - r.top + 1, 9, 9), TRUE);
        return 0;
    }
    case WM_TIMER:
    case WM_RBUTTONUP:
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandLine, int) {
    CSkin* skin = CSkin::Instance();
    if (!skin || !skin->Load(instance)) {
        ::MessageBoxW(nullptr, L"The skin did not load completely.", L"Skin preview", MB_ICONWARNING);
        if (!skin)
            return 1;
    }
    WNDCLASSW wc{};
    wc.lpfnWndProc = PreviewProc;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = L"TrovaSkinPreview";
    ::RegisterClassW(&wc);
    HWND window = ::CreateWindowExW(0, wc.lpszClassName, L"Skin preview", WS_POPUP, 40, 40, kWidth, kHeight, nullptr,
                                    nullptr, instance, nullptr);
    const int seconds = _wtoi(commandLine);
    if (seconds > 0)
        ::SetTimer(window, 1, seconds * 1000, nullptr);
    ::ShowWindow(window, SW_SHOW);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
    CSkin::Destroy();
    return 0;
}
