#include "framework/win/Dialog.h"

namespace {

// Modal dialogs open centred over their owner, or over the work area when they have none,
// wherever their template places them.
void CenterOverOwner(HWND dialog) {
    RECT area{};
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    if (!owner || !::IsWindowVisible(owner) || ::IsIconic(owner) || !::GetWindowRect(owner, &area))
        ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    RECT rect{};
    ::GetWindowRect(dialog, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    ::SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
                   area.top + (area.bottom - area.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

CDialogImpl::~CDialogImpl() {
    // The dialog is subclassed, which the base would merely undo.
    if (m_hWnd && ::IsWindow(m_hWnd))
        DestroyOrphanedWindow();
}

INT_PTR CDialogImpl::DoModal(HWND owner) {
    if (m_hWnd)
        return -1;
    modal_ = true;
    const INT_PTR result = ::DialogBoxParamW(resources_, MAKEINTRESOURCEW(templateId_), owner, &StaticDialogProc,
                                             reinterpret_cast<LPARAM>(this));
    modal_ = false;
    return result;
}

HWND CDialogImpl::CreateModeless(HWND parent) {
    if (m_hWnd)
        return nullptr;
    modal_ = false;
    return ::CreateDialogParamW(resources_, MAKEINTRESOURCEW(templateId_), parent, &StaticDialogProc,
                                reinterpret_cast<LPARAM>(this));
}

void CDialogImpl::EndDialog(INT_PTR result) {
    if (!m_hWnd)
        return;
    if (modal_)
        ::EndDialog(m_hWnd, result);
    else
        ::DestroyWindow(m_hWnd);
}

// The system's dialog procedure: binds the object on WM_INITDIALOG and otherwise only ends
// the dialog for OK and Cancel that no map entry handled.
INT_PTR CALLBACK CDialogImpl::StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialogImpl*>(lParam);
        if (!self || self->m_hWnd)
            return TRUE;  // the map left WM_INITDIALOG to default processing
        if (!self->Subclass(window))
            return TRUE;
        ::SetWindowLongPtrW(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
        if (self->modal_)
            CenterOverOwner(window);
        // Deliver WM_INITDIALOG once more, now through the map.
        return ::SendMessageW(window, WM_INITDIALOG, wParam, lParam);
    }
    if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
        auto* self = reinterpret_cast<CDialogImpl*>(::GetWindowLongPtrW(window, DWLP_USER));
        if (!self || self->m_hWnd != window)
            return FALSE;
        self->EndDialog(LOWORD(wParam));
        return TRUE;
    }
    return FALSE;
}
