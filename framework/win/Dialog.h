#pragma once
// Dialogs from templates with the same message maps as other windows. The dialog window is
// subclassed when it is created, so map entries see every message before the system's dialog
// procedure; what the map leaves unhandled gets the dialog's default processing.
#include "framework/win/MessageMap.h"
#include "framework/win/Module.h"

// void OnInitDialog(HWND focus, LPARAM param) is not typed: handle WM_INITDIALOG with
// MSG_WM_INITDIALOG(func) where func is BOOL func(HWND focus, LPARAM initParam): TRUE to let
// the system set the focus.
#define MSG_WM_INITDIALOG(func) \
    TROVA_MSG_RESULT(WM_INITDIALOG, func(reinterpret_cast<HWND>(wParam), lParam))

class CDialogImpl : public CWindowImpl {
public:
    // The template is looked up in `resources`, by default the module this code is linked into.
    explicit CDialogImpl(UINT templateId, HINSTANCE resources = ThisModule())
        : templateId_(templateId), resources_(resources) {}
    ~CDialogImpl() override;

    // Runs the dialog modally; returns the value given to EndDialog, or -1 when it could not
    // be created.
    INT_PTR DoModal(HWND owner);
    // Creates the dialog modeless (for example as a child page); null on failure.
    HWND CreateModeless(HWND parent);
    // Ends a modal dialog; a modeless one is destroyed.
    void EndDialog(INT_PTR result);

    HWND GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
    bool IsModal() const { return modal_; }

private:
    static INT_PTR CALLBACK StaticDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    UINT templateId_;
    HINSTANCE resources_;
    bool modal_ = false;
};
