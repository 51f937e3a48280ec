#include "player/options/OptPanels.h"

#include <commctrl.h>

#include <cwchar>

#include "common/settings/Settings.h"
#include "common/skin/Skin.h"
#include "framework/win/ScopedHandle.h"
#include "player/common/AppResources.h"

namespace {

void SetItemText(HWND page, int id, const wchar_t* text) { ::SetDlgItemTextW(page, id, text); }

std::wstring ItemText(HWND page, int id) { return CWindow(::GetDlgItem(page, id)).GetWindowText(); }

bool IsChecked(HWND page, int id) { return ::IsDlgButtonChecked(page, id) == BST_CHECKED; }

void Check(HWND page, int id, bool on) { ::CheckDlgButton(page, id, on ? BST_CHECKED : BST_UNCHECKED); }

// A flag shown as a check box, preset to its default when the registry holds nothing usable.
bool ReadFlagOr(const wchar_t* name, bool defaultValue) {
    bool value = defaultValue;
    ReadFlag(name, value);
    return value;
}

struct FlagBox {
    int id;
    const wchar_t* text;
    const wchar_t* setting;
    bool defaultOn;
};

// The start-with-Windows box (IDC_OPT_AUTORUN) has no flag of its own.
const FlagBox kGeneralFlags[] = {
    {IDC_OPT_START_COMPACT, L"启动时进入精简模式", L"StartIntoCMode", false},
    {IDC_OPT_COMPACT_ON_TOP, L"精简模式时，自动将窗口置于最顶端", L"CModeOnTop", true},
    {IDC_OPT_CLOSE_MINIMIZE, L"关闭时最小化到托盘区", L"CloseMinimize", false},
    {IDC_OPT_CLOSE_CONFIRM, L"退出软件时提示", L"CloseConfirm", true},
    {IDC_OPT_SEND_TO_MSN, L"向MSN发送当前播放的内容", L"SendToMSN", true},
};

struct ProviderField {
    int labelId;
    const wchar_t* label;
    int comboId;
    std::vector<const wchar_t*> choices;
    const wchar_t* setting;
    bool (*write)(const std::wstring&);
};

const ProviderField kProviderFields[] = {
    {IDC_OPT_ISP_LABEL, L"网络运营商：", IDC_OPT_ISP_COMBO, {L"电信", L"网通", L"教育网", L"铁通", L"联通", L"有线通"},
     L"ISP", &WriteISP},
    {IDC_OPT_MEDIA_LABEL, L"接入方式：", IDC_OPT_MEDIA_COMBO, {L"ADSL", L"局域网", L"VDSL", L"光缆"}, L"MediaType",
     &WriteMediaType},
    {IDC_OPT_NETTYPE_LABEL, L"网络类型：", IDC_OPT_NETTYPE_COMBO, {L"内网", L"外网"}, L"NetworkType",
     &WriteNetworkType},
    {IDC_OPT_BANDWIDTH_LABEL, L"网络带宽：", IDC_OPT_BANDWIDTH_COMBO,
     {L"512K", L"1M", L"1.5M", L"2M", L"6M", L"10M", L"100M", L"1000M"}, L"Bandwidth", &WriteBandwidth},
};

// Longest text the settings store reads back; a longer one would be stored but lost on reading.
constexpr int kMaxProviderText = 259;

}  // namespace

// General page

BOOL COptGeneralPanel::OnInitDialog(HWND, LPARAM) {
    for (const FlagBox& box : kGeneralFlags) {
        SetItemText(m_hWnd, box.id, box.text);
        Check(m_hWnd, box.id, ReadFlagOr(box.setting, box.defaultOn));
    }
    SetItemText(m_hWnd, IDC_OPT_AUTORUN, L"启动Windows时自动运行");
    Check(m_hWnd, IDC_OPT_AUTORUN, IsAutoRunOn());
    return TRUE;
}

void COptGeneralPanel::OnFlagClicked(UINT, int id, HWND) {
    for (const FlagBox& box : kGeneralFlags) {
        if (box.id == id)
            WriteFlag(box.setting, IsChecked(m_hWnd, id));
    }
}

// Without the right to write the machine-wide Run key the switch fails; the box keeps what the
// user chose, as the settings store documents.
void COptGeneralPanel::OnAutoRunClicked(UINT, int id, HWND) { SetAutoRun(IsChecked(m_hWnd, id)); }

// Skin page

std::vector<std::wstring> FindSkinFolders(const std::wstring& skinsRoot) {
    std::vector<std::wstring> folders;
    if (skinsRoot.empty())
        return folders;  // no skin loaded: never list the current folder instead
    std::wstring root = skinsRoot;
    if (root.back() != L'\\' && root.back() != L'/')
        root += L'\\';

    WIN32_FIND_DATAW found;
    ScopedFindHandle search(::FindFirstFileW((root + L"*.*").c_str(), &found));
    if (!search)
        return folders;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L".." || !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        const DWORD description = ::GetFileAttributesW((root + name + L"\\skin.xml").c_str());
        if (description == INVALID_FILE_ATTRIBUTES || (description & FILE_ATTRIBUTE_DIRECTORY))
            continue;
        folders.push_back(name);
    } while (::FindNextFileW(search, &found));
    return folders;
}

BOOL COptSkinPanel::OnInitDialog(HWND, LPARAM) {
    SetItemText(m_hWnd, IDC_OPT_SKIN_REFRESH, L"刷新皮肤列表");
    FillSkinList();
    return TRUE;
}

void COptSkinPanel::FillSkinList() {
    const HWND list = GetDlgItem(IDC_OPT_SKIN_LIST);
    ::SendMessageW(list, LB_RESETCONTENT, 0, 0);
    std::wstring root = skinsRoot_;
    if (root.empty()) {
        if (const CSkin* skin = CSkin::Instance())
            root = skin->SkinsRoot();
    }
    for (const std::wstring& name : FindSkinFolders(root))
        ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
}

// Language page

BOOL COptLangPanel::OnInitDialog(HWND, LPARAM) {
    const HWND list = GetDlgItem(IDC_OPT_LANG_LIST);
    ::SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"简体中文(Simple Chinese)"));
    ::SendMessageW(list, LB_SETCURSEL, 0, 0);
    return TRUE;
}

// Buffer page

LRESULT CEnterEdit::OnGetDlgCode(UINT message, WPARAM wParam, LPARAM lParam, BOOL&) {
    LRESULT code = DefWindowProc(message, wParam, lParam);
    const MSG* pending = reinterpret_cast<const MSG*>(lParam);
    if (pending && pending->message == WM_KEYDOWN && pending->wParam == VK_RETURN)
        code |= DLGC_WANTMESSAGE;
    return code;
}

void CEnterEdit::OnKeyDown(UINT key, UINT, UINT) {
    if (key != VK_RETURN) {
        SetMsgHandled(FALSE);
        return;
    }
    ::SendMessageW(GetParent(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void CEnterEdit::OnChar(UINT character, UINT, UINT) {
    if (character != L'\r')
        SetMsgHandled(FALSE);  // Enter was handled on key down; its character would only beep
}

BOOL COptBufferPanel::OnInitDialog(HWND, LPARAM) {
    SetItemText(m_hWnd, IDC_OPT_BUFFER_LABEL, L"最大缓冲区尺寸：");
    edit_.Subclass(GetDlgItem(IDC_OPT_BUFFER_EDIT));

    DWORD size = kDefaultSize;
    ReadMaxBufferSize(size);
    const HWND slider = GetDlgItem(IDC_OPT_BUFFER_SLIDER);
    ::SendMessageW(slider, TBM_SETRANGE, FALSE, MAKELPARAM(kMinSize, kMaxSize));
    ::SendMessageW(slider, TBM_SETPAGESIZE, 0, 10);
    ::SendMessageW(slider, TBM_SETPOS, TRUE, static_cast<LPARAM>(size));
    ShowSize(static_cast<int>(size));
    return TRUE;
}

LRESULT COptBufferPanel::OnSliderReleased(NMHDR*) {
    StoreSliderPosition();
    return 0;
}

// The slider moved by the keyboard never takes the mouse capture: store it when it stops, too.
void COptBufferPanel::OnHScroll(int code, int, HWND scrollBar) {
    if (scrollBar == GetDlgItem(IDC_OPT_BUFFER_SLIDER) && code == TB_ENDTRACK)
        StoreSliderPosition();
    else
        SetMsgHandled(FALSE);
}

void COptBufferPanel::StoreSliderPosition() {
    const int position = static_cast<int>(::SendMessageW(GetDlgItem(IDC_OPT_BUFFER_SLIDER), TBM_GETPOS, 0, 0));
    ShowSize(position);
    WriteMaxBufferSize(static_cast<DWORD>(position));
}

void COptBufferPanel::OnEnter(UINT, int, HWND) {
    const std::wstring text = ItemText(m_hWnd, IDC_OPT_BUFFER_EDIT);
    wchar_t* end = nullptr;
    const long long typed = std::wcstoll(text.c_str(), &end, 10);  // no number reads as 0
    const int size = (typed < kMinSize || typed > kMaxSize) ? kDefaultSize : static_cast<int>(typed);
    ShowSize(size);
    const HWND slider = GetDlgItem(IDC_OPT_BUFFER_SLIDER);
    ::SendMessageW(slider, TBM_SETPOS, TRUE, size);
    WriteMaxBufferSize(static_cast<DWORD>(::SendMessageW(slider, TBM_GETPOS, 0, 0)));
}

void COptBufferPanel::ShowSize(int size) { SetItemText(m_hWnd, IDC_OPT_BUFFER_EDIT, std::to_wstring(size).c_str()); }

// Connection page

BOOL COptISPPanel::OnInitDialog(HWND, LPARAM) {
    for (const ProviderField& field : kProviderFields) {
        SetItemText(m_hWnd, field.labelId, field.label);
        const HWND combo = GetDlgItem(field.comboId);
        for (const wchar_t* choice : field.choices)
            ::SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice));
        ::SendMessageW(combo, CB_LIMITTEXT, kMaxProviderText, 0);
        std::wstring stored;
        if (ReadText(field.setting, stored))
            ::SetWindowTextW(combo, stored.c_str());
    }
    SetItemText(m_hWnd, IDC_OPT_DESCRIPTION,
                L"请输入或选择您正在使用的运营商的信息，这样有助于我们提供更加稳定流畅的内容服务。");
    SetItemText(m_hWnd, IDC_OPT_ACTION, L"保存");
    return TRUE;
}

void COptISPPanel::OnSave(UINT, int, HWND) {
    for (const ProviderField& field : kProviderFields)
        field.write(ItemText(m_hWnd, field.comboId));
}

// UPnP page

BOOL COptUPnPPanel::OnInitDialog(HWND, LPARAM) {
    SetItemText(m_hWnd, IDC_OPT_ENABLE_UPNP, L"启用内网UPnP端口映射");
    Check(m_hWnd, IDC_OPT_ENABLE_UPNP, ReadFlagOr(L"EnableUPnP", true));
    SetItemText(m_hWnd, IDC_OPT_ACTION, L"查找UPnP设备");
    SetItemText(m_hWnd, IDC_OPT_DESCRIPTION,
                L"启用UPnP可以让内网用户观看更流畅！\r\n"
                L"\r\n"
                L"通过启用UPnP的自动端口映射功能，可以解决没有全局IP地址的问题\r\n"
                L"\r\n"
                L"提示： 只有当您处于内网，并且拥有支持UPnP功能的设备（例如，宽带路由器，WindowXP的共享链接服务器）时，"
                L"才有必要启动UPnP支持。");
    return TRUE;
}

void COptUPnPPanel::OnEnableClicked(UINT, int id, HWND) { WriteFlag(L"EnableUPnP", IsChecked(m_hWnd, id)); }

// About page

std::wstring ReadFileVersion(const std::wstring& path) {
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    if (size == 0)
        return std::wstring();
    std::vector<BYTE> data(size);
    if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data()))
        return std::wstring();

    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length) || !value ||
        length < sizeof(Translation))
        return std::wstring();
    const Translation first = *static_cast<const Translation*>(value);

    wchar_t query[64];
    std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", first.language, first.codePage);
    value = nullptr;
    length = 0;
    if (!::VerQueryValueW(data.data(), query, &value, &length) || !value || length == 0)
        return std::wstring();
    // The length counts characters and may or may not include the terminator.
    const wchar_t* text = static_cast<const wchar_t*>(value);
    return std::wstring(text, ::wcsnlen(text, length));
}

BOOL COptCreditPanel::OnInitDialog(HWND, LPARAM) {
    // Shared icons are owned by the system: nothing to destroy.
    const HANDLE icon = ::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_MAINFRAME), IMAGE_ICON, 0, 0,
                                     LR_DEFAULTSIZE | LR_SHARED);
    if (icon)
        ::SendDlgItemMessageW(m_hWnd, IDC_OPT_ABOUT_ICON, STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);

    wchar_t program[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameW(nullptr, program, MAX_PATH);
    const std::wstring version = (length > 0 && length < MAX_PATH) ? ReadFileVersion(program) : std::wstring();

    SetItemText(m_hWnd, IDC_OPT_ABOUT_TITLE, L"Vantel P2P点播视频播放器");
    SetItemText(m_hWnd, IDC_OPT_ABOUT_VERSION, (L"版本： " + version).c_str());
    SetItemText(m_hWnd, IDC_OPT_ABOUT_RIGHTS, L"版权所有 (C) Vantel。保留所有权利。");
    // The same site as the home page and the caption's links, and mail at its domain.
    SetItemText(m_hWnd, IDC_OPT_ABOUT_HOME, L"主页：http://www.vantel.tv/");
    SetItemText(m_hWnd, IDC_OPT_ABOUT_SUPPORT, L"技术支持：support@vantel.tv");
    return TRUE;
}
