#pragma once
// The accessible face of an owner-drawn window: one IAccessible object per window, handed to
// screen readers and test tools on WM_GETOBJECT. The window supplies a provider; its parts
// without windows of their own (rows, tabs, buttons) are simple elements with child ids
// 1 .. ChildCount(), and child id 0 (CHILDID_SELF) is the window's object itself:
//
//   class CThingAccessible final : public CAccessibleProvider {
//       long ChildCount() override { ... }
//       long Role(long child) override { return child == CHILDID_SELF ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM; }
//       ...
//   };
//   BEGIN_MSG_MAP(CThing)
//       MSG_WM_GETOBJECT(accessible_)   // first in the map: it also sees WM_NCDESTROY
//       ...
//
// The object keeps its window weakly: once the window is gone (WM_NCDESTROY, or the provider
// destroyed) every call answers CO_E_OBJNOTCONNECTED and touches nothing of the window.
// Provider functions run on the window's thread and only while the window lives; child ids
// they receive have been checked against ChildCount().
#include "framework/com/ComObject.h"
#include "framework/com/ComUtil.h"

#include <oleacc.h>

#include <string>

class CAccessibleObject;

class CAccessibleProvider {
public:
    // Answers the object id `objectId` of WM_GETOBJECT (OBJID_CLIENT, OBJID_TITLEBAR...).
    explicit CAccessibleProvider(LONG objectId = OBJID_CLIENT) : objectId_(objectId) {}
    CAccessibleProvider(const CAccessibleProvider&) = delete;
    CAccessibleProvider& operator=(const CAccessibleProvider&) = delete;

    // Number of simple elements; asked on every call, so it must not walk them.
    virtual long ChildCount() = 0;
    virtual long Role(long child) = 0;
    virtual std::wstring Name(long child) = 0;
    virtual std::wstring Value(long) { return std::wstring(); }
    virtual std::wstring Description(long) { return std::wstring(); }
    virtual long State(long child) = 0;
    // Screen rectangle of the element; false when it has none.
    virtual bool Location(long child, RECT& screen) = 0;
    // Empty: no default action.
    virtual std::wstring DefaultAction(long) { return std::wstring(); }
    // Does what the default action names; false when the element has none.
    virtual bool DoDefaultAction(long) { return false; }
    // SELFLAG_* combination; false when the element cannot take it.
    virtual bool Select(long, long) { return false; }
    // Element under a screen point: its child id, CHILDID_SELF for the window itself, or -1
    // outside.
    virtual long HitTest(POINT screen) = 0;
    // The element with the keyboard focus while the window has it, and the selected one;
    // CHILDID_SELF for none.
    virtual long FocusedChild() { return CHILDID_SELF; }
    virtual long SelectedChild() { return CHILDID_SELF; }
    // Spatial or logical moves beyond next/previous/first/last (which the object answers from
    // the child ids): the element reached, or CHILDID_SELF for none.
    virtual long NavigateFrom(long, long) { return CHILDID_SELF; }
    // False leaves the window's object to the system for now (a part the system draws).
    virtual bool Serves() { return true; }

    // Message-map body (see MSG_WM_GETOBJECT): true when the message was answered.
    bool ProcessGetObject(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Cuts the handed-out object off from this provider and its window.
    void Disconnect();

protected:
    ~CAccessibleProvider();
    // A client rectangle of `window` in screen coordinates.
    static RECT ClientToScreenRect(HWND window, RECT client);
    // `screen` in the client coordinates of `window`; false when it lies outside the client area.
    static bool ScreenToClientPoint(HWND window, POINT screen, POINT& client);

private:
    LONG objectId_;
    ComPtr<CAccessibleObject> object_;  // kept so that clients see one identity
};

// Elements side by side, as tabs or caption buttons are, whose default action is a click;
// the window itself has none. Left and right reach the neighbours.
class CSideBySideProvider : public CAccessibleProvider {
public:
    using CAccessibleProvider::CAccessibleProvider;

    std::wstring DefaultAction(long child) override;
    bool DoDefaultAction(long child) override;
    long NavigateFrom(long child, long direction) override;

protected:
    ~CSideBySideProvider() = default;
    // The name of the elements' default action.
    virtual const wchar_t* ClickAction() const = 0;
    // Clicks element `child`; the click may end the window.
    virtual void Click(long child) = 0;
};

// The object handed out; see the header comment. Child ids are checked once here, for every
// method, before the provider is asked.
class CAccessibleObject final : public CComObject<IAccessible> {
public:
    CAccessibleObject(HWND window, CAccessibleProvider* provider) : window_(window), provider_(provider) {}
    void Disconnect() { provider_ = nullptr; }

    // IDispatch: no type information; clients call the vtable.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

    // IAccessible
    STDMETHODIMP get_accParent(IDispatch** parent) override;
    STDMETHODIMP get_accChildCount(long* count) override;
    STDMETHODIMP get_accChild(VARIANT child, IDispatch** object) override;
    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override;
    STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override;
    STDMETHODIMP get_accDescription(VARIANT child, BSTR* description) override;
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override;
    STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override;
    STDMETHODIMP get_accHelp(VARIANT child, BSTR* help) override;
    STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override;
    STDMETHODIMP get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override;
    STDMETHODIMP get_accFocus(VARIANT* child) override;
    STDMETHODIMP get_accSelection(VARIANT* children) override;
    STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override;
    STDMETHODIMP accSelect(long flags, VARIANT child) override;
    STDMETHODIMP accLocation(long* left, long* top, long* width, long* height, VARIANT child) override;
    STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override;
    STDMETHODIMP accHitTest(long left, long top, VARIANT* child) override;
    STDMETHODIMP accDoDefaultAction(VARIANT child) override;
    STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

private:
    IUnknown* FindInterface(REFIID riid) override;
    // S_OK with `id` set for a valid child id of a live window; the error to return otherwise.
    HRESULT Check(const VARIANT& child, long& id) const;
    // A child's text or number from the provider, after the out parameter is cleared and the
    // child checked.
    HRESULT TextOf(const VARIANT& child, BSTR* out, std::wstring (CAccessibleProvider::*text)(long));
    HRESULT NumberOf(const VARIANT& child, VARIANT* out, long (CAccessibleProvider::*number)(long));
    // Texts no element has (help, shortcuts): S_FALSE for a valid child, after the out
    // parameter is cleared.
    HRESULT NoTextFor(const VARIANT& child, BSTR* out) const;
    HRESULT Connected() const;
    // Clears the out parameter `out` first, then answers as Connected or Check.
    HRESULT ClearedAndConnected(VARIANT* out) const;
    HRESULT ClearedAndChecked(VARIANT* out, const VARIANT& child, long& id) const;

    HWND window_;
    CAccessibleProvider* provider_;  // null once disconnected
};

// Answers WM_GETOBJECT with the provider's object and cuts it off at WM_NCDESTROY, which the
// map still passes on. Put it first in the map.
#define MSG_WM_GETOBJECT(provider)                                        \
    if ((provider).ProcessGetObject(hWnd, uMsg, wParam, lParam, lResult)) \
        return TRUE;
