#include "framework/com/PropertyPage.h"

CPropertyPage::CPropertyPage(UINT dialogId, UINT captionId) : m_dialogId(dialogId), m_captionId(captionId) {}

CPropertyPage::~CPropertyPage() {
    if (m_hwnd) DestroyWindow(m_hwnd);
}

STDMETHODIMP CPropertyPage::SetPageSite(IPropertyPageSite* site) {
    m_site = site;
    return S_OK;
}

STDMETHODIMP CPropertyPage::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (m_hwnd) return E_UNEXPECTED;
    m_hwnd = CreateDialogParamW(CComModule::Instance().Handle(), MAKEINTRESOURCEW(m_dialogId), parent,
                                &CPropertyPage::DialogProc, reinterpret_cast<LPARAM>(this));
    if (!m_hwnd) return E_OUTOFMEMORY;
    if (rect) Move(rect);
    return S_OK;
}

STDMETHODIMP CPropertyPage::Deactivate() {
    if (m_hwnd) DestroyWindow(m_hwnd);
    m_hwnd = nullptr;
    return S_OK;
}

STDMETHODIMP CPropertyPage::GetPageInfo(PROPPAGEINFO* info) {
    if (!info) return E_POINTER;
    // The page's size is the dialog template's, in pixels: measure a hidden instance.
    SIZE size = {0, 0};
    if (HWND probe = CreateDialogParamW(CComModule::Instance().Handle(), MAKEINTRESOURCEW(m_dialogId),
                                        GetDesktopWindow(), &CPropertyPage::DialogProc, 0)) {
        RECT rect;
        GetWindowRect(probe, &rect);
        size = {rect.right - rect.left, rect.bottom - rect.top};
        DestroyWindow(probe);
    }
    info->cb = sizeof(*info);
    info->pszTitle = CoTaskMemDup(LoadResourceString(CComModule::Instance().Handle(), m_captionId));
    info->size = size;
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return info->pszTitle ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP CPropertyPage::SetObjects(ULONG count, IUnknown** objects) {
    if (count && !objects) return E_POINTER;
    m_objects.assign(objects, objects + count);
    return S_OK;
}

STDMETHODIMP CPropertyPage::Show(UINT command) {
    if (!m_hwnd) return E_UNEXPECTED;
    ShowWindow(m_hwnd, command);
    return S_OK;
}

STDMETHODIMP CPropertyPage::Move(LPCRECT rect) {
    if (!rect) return E_POINTER;
    if (!m_hwnd) return E_UNEXPECTED;
    MoveWindow(m_hwnd, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    return S_OK;
}

STDMETHODIMP CPropertyPage::IsPageDirty() { return S_FALSE; }
STDMETHODIMP CPropertyPage::Apply() { return S_OK; }
STDMETHODIMP CPropertyPage::Help(LPCOLESTR) { return E_NOTIMPL; }

STDMETHODIMP CPropertyPage::TranslateAccelerator(MSG* msg) {
    return m_hwnd && msg && IsDialogMessageW(m_hwnd, msg) ? S_OK : S_FALSE;
}

INT_PTR CALLBACK CPropertyPage::DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, DWLP_USER, lParam);
    auto* page = reinterpret_cast<CPropertyPage*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) return TRUE;
    return page && page->OnDialogMessage(message, wParam, lParam) ? TRUE : FALSE;
}
