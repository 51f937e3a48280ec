#pragma once
// CPropertyPage: a property page object (IPropertyPage) showing a dialog resource of the
// module, for a control's property frame. The derived page registers like any class of the
// module (CClassEntry) and overrides OnDialogMessage and Apply when it has fields.

#include "framework/com/ComObject.h"

#include <ocidl.h>

#include <vector>

class CPropertyPage : public CComObject<IPropertyPage> {
public:
    CPropertyPage(UINT dialogId, UINT captionId);

    HWND Window() const { return m_hwnd; }
    const std::vector<ComPtr<IUnknown>>& Objects() const { return m_objects; }

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
    // Messages of the page's dialog; return true when handled.
    virtual bool OnDialogMessage(UINT message, WPARAM wParam, LPARAM lParam) { return false; }

private:
    IUnknown* FindInterface(REFIID riid) override {
        return FindInterfaceIn(riid, {{IID_IPropertyPage, static_cast<IPropertyPage*>(this)}});
    }

    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

    UINT m_dialogId;
    UINT m_captionId;
    HWND m_hwnd = nullptr;
    ComPtr<IPropertyPageSite> m_site;
    std::vector<ComPtr<IUnknown>> m_objects;
};
