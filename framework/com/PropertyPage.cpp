#include "framework/com/PropertyPage.h"

CPropertyPage::CPropertyPage(UINT dialogId, UINT captionId)
    : dialogId_(dialogId), captionId_(captionId), dialog_(dialogId, CComModule::Instance().Handle()) {}

CPropertyPage::~CPropertyPage() {
    // A frame that releases the page without deactivating it leaves the dialog to us.
    if (dialog_.m_hWnd) dialog_.DestroyWindow();
}

STDMETHODIMP CPropertyPage::SetPageSite(IPropertyPageSite* site) {
    site_ = site;
    return S_OK;
}

STDMETHODIMP CPropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (dialog_.m_hWnd) return E_UNEXPECTED;
    if (!dialog_.CreateModeless(parent)) return E_OUTOFMEMORY;
    if (rect) Move(rect);
    return S_OK;
}

STDMETHODIMP CPropertyPage::Deactivate() {
    if (dialog_.m_hWnd) dialog_.DestroyWindow();
    return S_OK;
}

STDMETHODIMP CPropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    // The page's size is the dialog template's, in pixels: measure a hidden instance.
    SIZE size = {0, 0};
    CDialogImpl probe(dialogId_, CComModule::Instance().Handle());
    if (probe.CreateModeless(GetDesktopWindow())) {
        const RECT rect = probe.GetWindowRect();
        size = {rect.right - rect.left, rect.bottom - rect.top};
        probe.DestroyWindow();
    }
    info->cb = sizeof(*info);
    info->pszTitle = CoTaskMemDup(LoadResourceString(CComModule::Instance().Handle(), captionId_));
    info->size = size;
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return info->pszTitle ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CPropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    if (count && !objects) return E_POINTER;
    objects_.assign(objects, objects + count);
    return S_OK;
}

STDMETHODIMP CPropertyPage::Show(UINT command) {
    if (!dialog_.m_hWnd) return E_UNEXPECTED;
    dialog_.ShowWindow(command);
    return S_OK;
}

STDMETHODIMP CPropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!dialog_.m_hWnd) return E_UNEXPECTED;
    dialog_.MoveWindow(*rect);
    return S_OK;
}

STDMETHODIMP CPropertyPage::IsPageDirty() { return S_FALSE; }
STDMETHODIMP CPropertyPage::Apply() { return S_OK; }
STDMETHODIMP CPropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

STDMETHODIMP CPropertyPage::TranslateAccelerator(MSG* msg) {
    return dialog_.m_hWnd && msg && IsDialogMessageW(dialog_.m_hWnd, msg) ? S_OK : S_FALSE;
}
