#include "acceptance/AcceptanceSupport.h"

#include <shlobj.h>
#include <shlwapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <sqlite3.h>

#include <memory>

#include "framework/win/ScopedGdi.h"
#include "framework/win/ScopedHandle.h"
#include "player/shell/tests/ShellTestSupport.h"

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kSettingKey[] = L"Software\\Vantel\\Setting";
const wchar_t* const kMachineFlags[] = {L"HideHome", L"HideCList"};

ScopedRegKey OpenKey(HKEY root, REGSAM access, bool create) {
    HKEY key = nullptr;
    const LONG result = create ? ::RegCreateKeyExW(root, kSettingKey, 0, nullptr, 0, access, nullptr, &key, nullptr)
                               : ::RegOpenKeyExW(root, kSettingKey, 0, access, &key);
    return ScopedRegKey(result == ERROR_SUCCESS ? key : nullptr);
}

bool ReadValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    DWORD size = 0;
    if (::RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return false;
    data.resize(size);
    return ::RegQueryValueExW(key, name, nullptr, &type, data.empty() ? nullptr : data.data(), &size) == ERROR_SUCCESS;
}

std::wstring FromUtf8(const char* text) {
    if (!text || !*text)
        return std::wstring();
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    std::wstring result(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, &result[0], length);
    result.resize(static_cast<size_t>(length - 1));
    return result;
}

std::string ToUtf8(const std::wstring& text) {
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, &result[0], length, nullptr, nullptr);
    result.resize(static_cast<size_t>(length - 1));
    return result;
}

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementCloser {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

}  // namespace

CSettingsSnapshot::CSettingsSnapshot() {
    if (ScopedRegKey key = OpenKey(HKEY_CURRENT_USER, KEY_READ, false)) {
        userKeyExisted_ = true;
        for (DWORD index = 0;; ++index) {
            wchar_t name[256] = {};
            DWORD nameLength = 256;
            if (::RegEnumValueW(key.Get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS)
                break;
            Value value{name, 0, {}};
            if (ReadValue(key.Get(), name, value.type, value.data))
                user_.push_back(value);
        }
    }
    if (ScopedRegKey key = OpenKey(HKEY_LOCAL_MACHINE, KEY_READ, false)) {
        for (const wchar_t* name : kMachineFlags) {
            Value value{name, 0, {}};
            if (ReadValue(key.Get(), name, value.type, value.data))
                machine_.push_back(value);
        }
    }
}

void CSettingsSnapshot::Restore() const {
    ClearUserSettings();
    if (userKeyExisted_) {
        if (ScopedRegKey key = OpenKey(HKEY_CURRENT_USER, KEY_SET_VALUE, true)) {
            for (const Value& value : user_)
                ::RegSetValueExW(key.Get(), value.name.c_str(), 0, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size()));
        }
    }
    ClearMachineFlags();
    if (!machine_.empty()) {
        if (ScopedRegKey key = OpenKey(HKEY_LOCAL_MACHINE, KEY_SET_VALUE, true)) {
            for (const Value& value : machine_)
                ::RegSetValueExW(key.Get(), value.name.c_str(), 0, value.type, value.data.data(),
                                 static_cast<DWORD>(value.data.size()));
        }
    }
}

void ClearUserSettings() { ::SHDeleteKeyW(HKEY_CURRENT_USER, kSettingKey); }

void ClearMachineFlags() {
    if (ScopedRegKey key = OpenKey(HKEY_LOCAL_MACHINE, KEY_SET_VALUE, false)) {
        for (const wchar_t* name : kMachineFlags)
            ::RegDeleteValueW(key.Get(), name);
    }
}

bool WriteUserFlag(const wchar_t* name, DWORD value) {
    ScopedRegKey key = OpenKey(HKEY_CURRENT_USER, KEY_SET_VALUE, true);
    return key && ::RegSetValueExW(key.Get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof(value)) == ERROR_SUCCESS;
}

bool ReadUserFlag(const wchar_t* name, DWORD& value) {
    ScopedRegKey key = OpenKey(HKEY_CURRENT_USER, KEY_READ, false);
    DWORD type = 0;
    std::vector<BYTE> data;
    if (!key || !ReadValue(key.Get(), name, type, data) || type != REG_DWORD || data.size() != sizeof(DWORD))
        return false;
    memcpy(&value, data.data(), sizeof(DWORD));
    return true;
}

std::wstring DatabasePath() {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, appData)))
        return std::wstring();
    return std::wstring(appData) + L"\\Vantel\\data\\cinfo.db";
}

bool FileExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

CDatabaseAside::CDatabaseAside() : saved_(DatabasePath() + L".acceptance-saved") {
    if (FileExists(saved_))
        DeleteDatabase();
    else if (FileExists(DatabasePath()))
        ::MoveFileExW(DatabasePath().c_str(), saved_.c_str(), 0);
}

CDatabaseAside::~CDatabaseAside() {
    DeleteDatabase();
    if (FileExists(saved_))
        ::MoveFileExW(saved_.c_str(), DatabasePath().c_str(), 0);
}

bool DeleteDatabase() {
    const std::wstring path = DatabasePath();
    ::DeleteFileW((path + L"-journal").c_str());
    return ::DeleteFileW(path.c_str()) || ::GetLastError() == ERROR_FILE_NOT_FOUND ||
           ::GetLastError() == ERROR_PATH_NOT_FOUND;
}

std::vector<std::vector<std::wstring>> QueryDatabase(const char* sql) {
    std::vector<std::vector<std::wstring>> rows;
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(ToUtf8(DatabasePath()).c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    std::unique_ptr<sqlite3, DatabaseCloser> db(raw);
    if (opened != SQLITE_OK)
        return rows;
    sqlite3_busy_timeout(db.get(), 5000);  // the player may be writing
    sqlite3_stmt* rawStatement = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql, -1, &rawStatement, nullptr) != SQLITE_OK)
        return rows;
    std::unique_ptr<sqlite3_stmt, StatementCloser> statement(rawStatement);
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        std::vector<std::wstring> row;
        for (int column = 0; column < sqlite3_column_count(statement.get()); ++column)
            row.push_back(FromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), column))));
        rows.push_back(row);
    }
    return rows;
}

std::wstring WindowText(HWND window) {
    // Asked of the window itself: an edit keeps its text in its own buffer, which
    // GetWindowText does not read for a window of another process.
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    if (!window ||
        !::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &copied))
        return std::wstring();
    return std::wstring(text, copied < 512 ? copied : 511);
}

HWND ViewChild(HWND frame, int id) { return ::GetDlgItem(::GetDlgItem(frame, 0xE900), id); }

HWND ChannelListControl(HWND frame) {
    HWND site = ViewChild(frame, 2003);
    return site ? ::GetWindow(site, GW_CHILD) : nullptr;
}

HWND ChannelListChild(HWND frame, int id) { return ::GetDlgItem(ChannelListControl(frame), id); }

namespace {

BOOL CALLBACK CollectText(HWND window, LPARAM param) {
    reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(WindowText(window));
    return TRUE;
}

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

void Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, nullptr);
}

}  // namespace

std::vector<std::wstring> DescendantTexts(HWND window) {
    std::vector<std::wstring> texts;
    ::EnumChildWindows(window, &CollectText, reinterpret_cast<LPARAM>(&texts));
    return texts;
}

void SendClick(HWND window, int x, int y) {
    Send(window, WM_MOUSEMOVE, 0, Point(x, y));
    Send(window, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, y));
    Send(window, WM_LBUTTONUP, 0, Point(x, y));
}

void SendDoubleClick(HWND window, int x, int y) {
    SendClick(window, x, y);
    Send(window, WM_LBUTTONDBLCLK, MK_LBUTTON, Point(x, y));
    Send(window, WM_LBUTTONUP, 0, Point(x, y));
}

namespace {

// Encodes 24-bit top-down BGR rows as a PNG file.
bool SavePng(const std::wstring& path, UINT width, UINT height, UINT stride, const std::vector<BYTE>& pixels) {
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    return SUCCEEDED(
               ::CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
           SUCCEEDED(factory->CreateStream(&stream)) &&
           SUCCEEDED(stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
           SUCCEEDED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder)) &&
           SUCCEEDED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) &&
           SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
           SUCCEEDED(frame->SetSize(width, height)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
           format == GUID_WICPixelFormat24bppBGR &&
           SUCCEEDED(frame->WritePixels(height, stride, static_cast<UINT>(pixels.size()),
                                        const_cast<BYTE*>(pixels.data()))) &&
           SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
}

}  // namespace

bool SaveScreenshot(const std::wstring& name, std::initializer_list<HWND> windows) {
    const std::wstring folder = WindowsPathFromEnvironment(L"TROVA_SHOTS_DIR");
    if (folder.empty())
        return false;
    ::CreateDirectoryW(folder.c_str(), nullptr);
    RECT area{};
    for (HWND window : windows) {
        RECT rect{};
        if (window && ::IsWindowVisible(window) && ::GetWindowRect(window, &rect))
            ::UnionRect(&area, &area, &rect);
    }
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;

    // The screen's pixels, as the user sees them, dialogs over the frame included.
    ScopedGetDC screen(nullptr);
    ScopedCompatibleDC memory(screen);
    ScopedBitmap bitmap(::CreateCompatibleBitmap(screen, width, height));
    {
        ScopedSelectObject select(memory, bitmap);
        ::BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    }
    BITMAPINFO info{};
    info.bmiHeader = DibHeader(width, -height, 24);  // top-down
    const UINT stride = (static_cast<UINT>(width) * 3 + 3) & ~3u;
    std::vector<BYTE> pixels(stride * static_cast<UINT>(height));
    if (!::GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS))
        return false;

    const std::wstring path = folder + L"\\acceptance-" + name + L".png";
    const bool comStarted = SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const bool saved = SavePng(path, static_cast<UINT>(width), static_cast<UINT>(height), stride, pixels);
    if (comStarted)
        ::CoUninitialize();
    return saved;
}
