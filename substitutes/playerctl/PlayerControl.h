#pragma once
// The video player control substitute: plays trova:// links and files by showing a moving
// picture with the source's name and play clock, and raises the player's events.
#include "framework/com/OleControl.h"
#include "framework/win/DoubleBuffer.h"
#include "framework/win/MessageMap.h"
#include "substitutes/playerctl/PlaySource.h"
#include "substitutes/playerctl/PlayerPicture.h"

#include "TrovaPlayerCtl.h"  // widl output (build folder)

#include <string>

extern const CClassEntry kPlayerCtlClassEntry;

class CPlayerControl final : public COleControlImpl<ITrovaPlayerCtlCalls>, private CDoubleBufferImpl {
public:
    static constexpr UINT kFrameIntervalMs = 40;
    // Playing "starts" (event 1) this long after the play call, from a timer, so that the
    // event never reaches the host inside its own call.
    static constexpr UINT kStartDelayMs = 300;

    CPlayerControl();

    // ITrovaPlayerCtlCalls
    STDMETHODIMP Play(BSTR source, ULONG* result) override;
    STDMETHODIMP KeepPosition() override;
    STDMETHODIMP GetChannel(BSTR* server, ULONG* port, BSTR* channel, LONG* result) override;

protected:
    ~CPlayerControl() override;

    BEGIN_MSG_MAP(CPlayerControl)
        MSG_WM_CREATE(OnCreate)
        MSG_WM_SIZE(OnSize)
        CHAIN_MSG_MAP(CDoubleBufferImpl)
        MSG_WM_TIMER(OnTimer)
        // WM_MOUSEMOVE, the left button's down, up and double click, the right button's down and up.
        MESSAGE_RANGE_HANDLER(WM_MOUSEMOVE, WM_RBUTTONUP, OnPointer)
        MSG_WM_MOUSEWHEEL(OnMouseWheel)
        CHAIN_MSG_MAP(COleControl)
    END_MSG_MAP()

    WindowClassSpec GetWindowClassSpec() const override;
    void OnDraw(HDC dc, const RECT& bounds) override;
    void DoPaint(HDC dc, const RECT& client) override;
    SIZE InitialSize() const override { return {640, 360}; }

private:
    int OnCreate(CREATESTRUCTW* create);
    void OnSize(UINT type, SIZE size);
    void OnTimer(UINT_PTR id);
    LRESULT OnPointer(UINT message, WPARAM wParam, LPARAM lParam, BOOL& handled);
    void OnMouseWheel(UINT keys, short delta, POINT screenPoint);

    void StartTimers();
    void StopPlaying();
    void ReportStarted();
    void RaisePointerEvent(DISPID id, ULONG keys, ULONG button, POINT point);
    // Writes the event to the trace and fires it to every sink.
    template <class... Args>
    void Raise(DISPID id, Args... args) {
        std::wstring trace = L"event " + std::to_wstring(id);
        ((trace += L" " + std::to_wstring(args)), ...);
        CDispatchArgs dispatchArgs(args...);
        FireTraced(id, trace, dispatchArgs.Params());
    }
    void FireTraced(DISPID id, const std::wstring& trace, DISPPARAMS* params);

    PictureState picture_;
    PlaySource source_;          // meaningful while picture_.playing
    bool startPending_ = false;  // event 1 not raised yet for the source now playing
    unsigned playCount_ = 0;     // tells a source from the one that replaced it
};
