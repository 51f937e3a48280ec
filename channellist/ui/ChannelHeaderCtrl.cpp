#include "channellist/ui/ChannelHeaderCtrl.h"

#include "channellist/ui/HeaderPainting.h"
#include "channellist/ui/ListFont.h"
#include "common/skin/Skin.h"
#include "framework/win/DoubleBuffer.h"

namespace UI {

namespace {

constexpr int kFontHeight = 15;
constexpr int kSideMargin = 4;  // caption from the left edge, and arrow from the right edge
constexpr int kTopMargin = 2;   // texts from the top edge

// A skin whose folder was never located was never loaded: the bar stays unpainted.
bool SkinLoaded() {
    const CSkin* skin = CSkin::Instance();
    return skin && !skin->SkinFolder().empty();
}

// Draws text unclipped and on one line, with "&" shown as itself.
void DrawLabel(HDC dc, const std::wstring& text, RECT rect) {
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect, DT_SINGLELINE | DT_NOCLIP | DT_NOPREFIX);
}

// "%s(%d)": the caption followed by the count in brackets.
std::wstring FormatDisplayText(const std::wstring& caption, int count) {
    return caption + L"(" + std::to_wstring(count) + L")";
}

}  // namespace

void CChannelHeaderCtrl::SetCaption(const std::wstring& text) {
    caption_ = text;
    ShowDisplayText();
}

void CChannelHeaderCtrl::SetCount(int count) {
    count_ = count;
    ShowDisplayText();
}

void CChannelHeaderCtrl::ShowDisplayText() {
    const std::wstring shown = FormatDisplayText(caption_, count_);
    const bool changed = shown != displayText_;
    displayText_ = shown;
    if (!m_hWnd)
        return;
    SetWindowText(displayText_);
    Invalidate(true);
    if (changed)
        accessible_.AnnounceName();
}

void CChannelHeaderCtrl::SetRightText(const std::wstring& text) { rightText_ = text; }

void CChannelHeaderCtrl::ToggleArrow() {
    arrowUp_ = !arrowUp_;
    if (m_hWnd)
        Invalidate(true);
}

void CChannelHeaderCtrl::Click() {
    if (listener_)
        listener_->OnHeaderClicked(GetDlgCtrlID());
}

WindowClassSpec CChannelHeaderCtrl::GetWindowClassSpec() const {
    WindowClassSpec windowClass;
    windowClass.name = L"TrovaChannelHeader";
    // Every press of a quick double click is a click on the bar (no CS_DBLCLKS). The right text
    // and the arrow hang on the right edge, so a resize repaints the whole bar.
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    return windowClass;
}

int CChannelHeaderCtrl::OnCreate(CREATESTRUCTW*) {
    if (DefWindowProc() == -1)
        return -1;
    font_.Reset(::CreateFontW(kFontHeight, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              kListFontFace));
    return 0;
}

bool CChannelHeaderCtrl::ReadyToPaint() const { return SkinLoaded(); }

void CChannelHeaderCtrl::DoPaint(HDC dc, const RECT& client) {
    ScopedSelectObject selectFont(dc, font_);
    // Defined pixels where the skin's header picture is missing.
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    TileHorizontal(CSkin::Instance()->HeaderBG(), dc, 0, 0, client.right - client.left);
    ScopedBkMode transparent(dc, TRANSPARENT);
    ScopedTextColor colour(dc, kHeaderTextColour);

    {
        ScopedPen pen(::CreatePen(PS_SOLID, 1, kHeaderArrowColour));
        ScopedSelectObject selectPen(dc, pen);
        for (const ArrowLine& line : HeaderArrowLines(client, arrowUp_)) {
            ::MoveToEx(dc, line.left, line.y, nullptr);
            ::LineTo(dc, line.right + 1, line.y);  // LineTo leaves out its end point
        }
    }

    SIZE right{};
    ::GetTextExtentPoint32W(dc, rightText_.c_str(), static_cast<int>(rightText_.size()), &right);
    rightTextLeft_ = client.right - right.cx - kSideMargin - kHeaderRightTextGap;
    DrawLabel(dc, rightText_, RECT{rightTextLeft_, kTopMargin, rightTextLeft_ + right.cx, kTopMargin + right.cy});

    const std::wstring left = FitText(dc, rightTextLeft_ - kSideMargin, displayText_);
    SIZE leftSize{};
    ::GetTextExtentPoint32W(dc, left.c_str(), static_cast<int>(left.size()), &leftSize);
    DrawLabel(dc, left, RECT{kSideMargin, kTopMargin, rightTextLeft_, kTopMargin + leftSize.cy});
}

void CChannelHeaderCtrl::OnLButtonDown(UINT, POINT) {
    pressed_ = true;
    SetCapture();
    DefWindowProc();
}

void CChannelHeaderCtrl::OnLButtonUp(UINT, POINT point) {
    const RECT client = GetClientRect();
    if (::PtInRect(&client, point))
        Click();
    // Also after a release off the bar, so that a press never stays pending.
    pressed_ = false;
    ReleaseCapture();
    DefWindowProc();
}

void CChannelHeaderCtrl::OnMouseMove(UINT, POINT point) {
    const RECT client = GetClientRect();
    if (!::PtInRect(&client, point))
        ReleaseCapture();
    DefWindowProc();
}

}  // namespace UI
