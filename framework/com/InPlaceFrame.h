#pragma once
// The in-place frame of a container that shares no menus, toolbars or status bar with the
// control it hosts, for a site object that is its own frame:
//
//   class CSite final : public CBareInPlaceFrame<CComObject<IOleClientSite, IOleInPlaceSite,
//                                                           IOleInPlaceFrame>> { ... };
//
// The site still answers IOleWindow, SetActiveObject and GetWindowContext (see WindowContext).
#include <ole2.h>

template <class Base>
class CBareInPlaceFrame : public Base {
public:
    using Base::Base;

    // IOleInPlaceUIWindow, IOleInPlaceFrame
    STDMETHODIMP GetBorder(LPRECT) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP RequestBorderSpace(LPCBORDERWIDTHS) override { return INPLACE_E_NOTOOLSPACE; }
    STDMETHODIMP SetBorderSpace(LPCBORDERWIDTHS widths) override { return widths ? INPLACE_E_NOTOOLSPACE : S_OK; }
    STDMETHODIMP InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) override { return E_NOTIMPL; }
    STDMETHODIMP SetMenu(HMENU, HOLEMENU, HWND) override { return S_OK; }
    STDMETHODIMP RemoveMenus(HMENU) override { return E_NOTIMPL; }
    STDMETHODIMP SetStatusText(LPCOLESTR) override { return S_OK; }
    STDMETHODIMP EnableModeless(BOOL) override { return S_OK; }
    STDMETHODIMP TranslateAccelerator(LPMSG, WORD) override { return S_FALSE; }

protected:
    // IOleInPlaceSite::GetWindowContext's answer for a control placed at `place` inside the
    // top-level window `frameWindow`: this object as the frame, no document window and no
    // accelerators.
    HRESULT WindowContext(HWND frameWindow, const RECT& place, IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document,
                          LPRECT position, LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
        *frame = static_cast<IOleInPlaceFrame*>(this);
        this->AddRef();
        *document = nullptr;
        *position = *clip = place;
        info->cb = sizeof(*info);
        info->fMDIApp = FALSE;
        info->hwndFrame = frameWindow;
        info->haccel = nullptr;
        info->cAccelEntries = 0;
        return S_OK;
    }
};
