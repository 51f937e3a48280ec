#include "framework/com/Accessible.h"

namespace {

// Texts go out as BSTRs; an empty text is no text (S_FALSE and null).
HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    *out = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

void SetLong(VARIANT* out, long value) {
    out->vt = VT_I4;
    out->lVal = value;
}

}  // namespace

// ---- provider

bool CAccessibleProvider::ProcessGetObject(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_NCDESTROY) {
        Disconnect();
        return false;
    }
    // The object id is a signed 32-bit value in an lParam that may be wider.
    if (message != WM_GETOBJECT || static_cast<LONG>(static_cast<DWORD>(lParam)) != objectId_ || !Serves())
        return false;
    if (!object_)
        object_ = AdoptComPtr(new CAccessibleObject(window, this));
    // __uuidof, not IID_IAccessible: the 64-bit import library resolves that name to a thunk.
    result = ::LresultFromObject(__uuidof(IAccessible), wParam, object_.Get());
    // A failure leaves the message to the default processing (the system's object).
    return result >= 0;
}

void CAccessibleProvider::Disconnect() {
    if (!object_)
        return;
    object_->Disconnect();
    object_.Reset();
}

CAccessibleProvider::~CAccessibleProvider() { Disconnect(); }

RECT CAccessibleProvider::ClientToScreenRect(HWND window, RECT client) {
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

bool CAccessibleProvider::ScreenToClientPoint(HWND window, POINT screen, POINT& client) {
    client = screen;
    ::ScreenToClient(window, &client);
    RECT area{};
    ::GetClientRect(window, &area);
    return ::PtInRect(&area, client) != FALSE;
}

std::wstring CSideBySideProvider::DefaultAction(long child) {
    return child == CHILDID_SELF ? std::wstring() : ClickAction();
}

bool CSideBySideProvider::DoDefaultAction(long child) {
    if (child == CHILDID_SELF)
        return false;
    Click(child);  // may end the window: nothing after it
    return true;
}

long CSideBySideProvider::NavigateFrom(long child, long direction) {
    if (child == CHILDID_SELF)
        return CHILDID_SELF;
    if (direction == NAVDIR_LEFT)
        return child - 1;
    if (direction == NAVDIR_RIGHT)
        return child < ChildCount() ? child + 1 : CHILDID_SELF;
    return CHILDID_SELF;
}

// ---- object

IUnknown* CAccessibleObject::FindInterface(REFIID riid) {
    return FindInterfaceIn(riid, {{__uuidof(IAccessible), static_cast<IAccessible*>(this)},
                                  {IID_IDispatch, static_cast<IDispatch*>(this)}});
}

HRESULT CAccessibleObject::Connected() const { return provider_ && ::IsWindow(window_) ? S_OK : CO_E_OBJNOTCONNECTED; }

HRESULT CAccessibleObject::ClearedAndConnected(VARIANT* out) const {
    if (!out)
        return E_POINTER;
    ::VariantInit(out);
    return Connected();
}

HRESULT CAccessibleObject::ClearedAndChecked(VARIANT* out, const VARIANT& child, long& id) const {
    if (!out)
        return E_POINTER;
    ::VariantInit(out);
    return Check(child, id);
}

HRESULT CAccessibleObject::Check(const VARIANT& child, long& id) const {
    const HRESULT connected = Connected();
    if (FAILED(connected))
        return connected;
    if (child.vt != VT_I4)
        return E_INVALIDARG;
    id = child.lVal;
    return id >= CHILDID_SELF && id <= provider_->ChildCount() ? S_OK : E_INVALIDARG;
}

HRESULT CAccessibleObject::TextOf(const VARIANT& child, BSTR* out, std::wstring (CAccessibleProvider::*text)(long)) {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    long id = 0;
    const HRESULT checked = Check(child, id);
    return FAILED(checked) ? checked : ReturnText((provider_->*text)(id), out);
}

HRESULT CAccessibleObject::NoTextFor(const VARIANT& child, BSTR* out) const {
    if (!out)
        return E_POINTER;
    *out = nullptr;
    long id = 0;
    const HRESULT checked = Check(child, id);
    return FAILED(checked) ? checked : S_FALSE;
}

HRESULT CAccessibleObject::NumberOf(const VARIANT& child, VARIANT* out, long (CAccessibleProvider::*number)(long)) {
    long id = 0;
    const HRESULT checked = ClearedAndChecked(out, child, id);
    if (FAILED(checked))
        return checked;
    SetLong(out, (provider_->*number)(id));
    return S_OK;
}

STDMETHODIMP CAccessibleObject::GetTypeInfoCount(UINT* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP CAccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (!info)
        return E_POINTER;
    *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP CAccessibleObject::get_accParent(IDispatch** parent) {
    if (!parent)
        return E_POINTER;
    *parent = nullptr;
    const HRESULT connected = Connected();
    if (FAILED(connected))
        return connected;
    // The system's object of the window around this one.
    return ::AccessibleObjectFromWindow(window_, static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
                                        reinterpret_cast<void**>(parent));
}

STDMETHODIMP CAccessibleObject::get_accChildCount(long* count) {
    if (!count)
        return E_POINTER;
    *count = 0;
    const HRESULT connected = Connected();
    if (FAILED(connected))
        return connected;
    *count = provider_->ChildCount();
    return S_OK;
}

STDMETHODIMP CAccessibleObject::get_accChild(VARIANT child, IDispatch** object) {
    if (!object)
        return E_POINTER;
    *object = nullptr;
    long id = 0;
    const HRESULT checked = Check(child, id);
    if (FAILED(checked))
        return checked;
    // Elements are simple: the caller asks this object about them by child id.
    return id == CHILDID_SELF ? E_INVALIDARG : S_FALSE;
}

STDMETHODIMP CAccessibleObject::get_accName(VARIANT child, BSTR* name) {
    return TextOf(child, name, &CAccessibleProvider::Name);
}

STDMETHODIMP CAccessibleObject::get_accValue(VARIANT child, BSTR* value) {
    return TextOf(child, value, &CAccessibleProvider::Value);
}

STDMETHODIMP CAccessibleObject::get_accDescription(VARIANT child, BSTR* description) {
    return TextOf(child, description, &CAccessibleProvider::Description);
}

STDMETHODIMP CAccessibleObject::get_accRole(VARIANT child, VARIANT* role) {
    return NumberOf(child, role, &CAccessibleProvider::Role);
}

STDMETHODIMP CAccessibleObject::get_accState(VARIANT child, VARIANT* state) {
    return NumberOf(child, state, &CAccessibleProvider::State);
}

STDMETHODIMP CAccessibleObject::get_accHelp(VARIANT child, BSTR* help) { return NoTextFor(child, help); }

STDMETHODIMP CAccessibleObject::get_accHelpTopic(BSTR* file, VARIANT child, long* topic) {
    if (!file || !topic)
        return E_POINTER;
    *topic = 0;
    return NoTextFor(child, file);
}

STDMETHODIMP CAccessibleObject::get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) {
    return NoTextFor(child, shortcut);
}

STDMETHODIMP CAccessibleObject::get_accFocus(VARIANT* child) {
    const HRESULT connected = ClearedAndConnected(child);
    if (FAILED(connected))
        return connected;
    if (::GetFocus() != window_)
        return S_FALSE;
    SetLong(child, provider_->FocusedChild());
    return S_OK;
}

STDMETHODIMP CAccessibleObject::get_accSelection(VARIANT* children) {
    const HRESULT connected = ClearedAndConnected(children);
    if (FAILED(connected))
        return connected;
    const long selected = provider_->SelectedChild();
    if (selected == CHILDID_SELF)
        return S_FALSE;
    SetLong(children, selected);
    return S_OK;
}

STDMETHODIMP CAccessibleObject::get_accDefaultAction(VARIANT child, BSTR* action) {
    return TextOf(child, action, &CAccessibleProvider::DefaultAction);
}

STDMETHODIMP CAccessibleObject::accSelect(long flags, VARIANT child) {
    long id = 0;
    const HRESULT checked = Check(child, id);
    if (FAILED(checked))
        return checked;
    return provider_->Select(id, flags) ? S_OK : S_FALSE;
}

STDMETHODIMP CAccessibleObject::accLocation(long* left, long* top, long* width, long* height, VARIANT child) {
    if (!left || !top || !width || !height)
        return E_POINTER;
    *left = *top = *width = *height = 0;
    long id = 0;
    const HRESULT checked = Check(child, id);
    if (FAILED(checked))
        return checked;
    RECT screen{};
    if (!provider_->Location(id, screen))
        return S_FALSE;
    *left = screen.left;
    *top = screen.top;
    *width = screen.right - screen.left;
    *height = screen.bottom - screen.top;
    return S_OK;
}

STDMETHODIMP CAccessibleObject::accNavigate(long direction, VARIANT start, VARIANT* end) {
    long from = 0;
    const HRESULT checked = ClearedAndChecked(end, start, from);
    if (FAILED(checked))
        return checked;
    const long count = provider_->ChildCount();
    long reached = CHILDID_SELF;
    switch (direction) {
    case NAVDIR_FIRSTCHILD:
    case NAVDIR_LASTCHILD:
        // Only the window has children; from an element these lead nowhere.
        if (from != CHILDID_SELF)
            return E_INVALIDARG;
        reached = count == 0 ? CHILDID_SELF : direction == NAVDIR_FIRSTCHILD ? 1 : count;
        break;
    case NAVDIR_NEXT:
    case NAVDIR_PREVIOUS:
        // Siblings of the window itself belong to its parent's object.
        if (from == CHILDID_SELF)
            return S_FALSE;
        reached = direction == NAVDIR_NEXT ? (from < count ? from + 1 : CHILDID_SELF) : from - 1;
        break;
    default:
        if (direction < NAVDIR_MIN || direction >= NAVDIR_MAX)
            return E_INVALIDARG;
        reached = provider_->NavigateFrom(from, direction);
        break;
    }
    if (reached == CHILDID_SELF)
        return S_FALSE;
    SetLong(end, reached);
    return S_OK;
}

STDMETHODIMP CAccessibleObject::accHitTest(long left, long top, VARIANT* child) {
    const HRESULT connected = ClearedAndConnected(child);
    if (FAILED(connected))
        return connected;
    const long hit = provider_->HitTest(POINT{left, top});
    if (hit < CHILDID_SELF)
        return S_FALSE;
    SetLong(child, hit);
    return S_OK;
}

STDMETHODIMP CAccessibleObject::accDoDefaultAction(VARIANT child) {
    long id = 0;
    const HRESULT checked = Check(child, id);
    if (FAILED(checked))
        return checked;
    // The action may end the window and with it this object's provider: nothing after it.
    return provider_->DoDefaultAction(id) ? S_OK : DISP_E_MEMBERNOTFOUND;
}
