#pragma once
// CPropertyPage: a property page object (IPropertyPage) showing a dialog resource of the
// module, for a control's property frame. The derived page registers like any class of the
// module (CClassEntry) and overrides Apply when it has fields. The page's window is a modeless
// dialog of the dialog layer.

#include "framework/com/ComObject.h"
#include "framework/win/Dialog.h"

#include <ocidl.h>

#include <vector>

class CPropertyPage : public CComObject<IPropertyPage> {
public:
    CPropertyPage(UINT dialogId, UINT captionId);

    HWND Window() const { return dialog_.m_hWnd; }
    const std::vector<ComPtr<IUnknown>>& Objects() const { return objects_; }

    STDMETHODIMP SetPageSite(IPropertyPageSite* site) override;
    STDMETHODIMP Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    STDMETHODIMP Deactivate() override;
    STDMETHODIMP GetPageInfo(PROPPAGEINFO* info) override;
    STDMETHODIMP SetObjects(ULONG count, IUnknown** objects) override;
    STDMETHODIMP Show(UINT command) override;
    STDMETHODIMP Move(LPCRECT rect) override;
    STDMETHODIMP IsPageDirty() override;
    STDMETHODIMP Apply() override;
    STDMETHODIMP Help(LPCOLESTR helpDir) override;
    STDMETHODIMP TranslateAccelerator(MSG* msg) override;

protected:
    ~CPropertyPage() override;

private:
    // The page's window: a modeless child dialog of the frame. Enter and Escape belong to the
    // frame, so unlike other dialogs the page does not end on IDOK or IDCANCEL.
    class CPageDialog final : public CDialogImpl {
    public:
        using CDialogImpl::CDialogImpl;
        BEGIN_MSG_MAP(CPageDialog)
            COMMAND_ID_HANDLER_EX(IDOK, OnFrameCommand)
            COMMAND_ID_HANDLER_EX(IDCANCEL, OnFrameCommand)
        END_MSG_MAP()

    private:
        void OnFrameCommand(UINT, int, HWND) {}
    };

    IUnknown* FindInterface(REFIID riid) override {
        return FindInterfaceIn(riid, {{IID_IPropertyPage, static_cast<IPropertyPage*>(this)}});
    }

    UINT dialogId_;
    UINT captionId_;
    CPageDialog dialog_;
    ComPtr<IPropertyPageSite> site_;
    std::vector<ComPtr<IUnknown>> objects_;
};
