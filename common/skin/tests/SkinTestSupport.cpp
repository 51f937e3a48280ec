#include "common/skin/tests/SkinTestSupport.h"

#include <cstdio>
#include <vector>

DibCanvas::DibCanvas(int width, int height) : width_(width), height_(height), dc_(nullptr) {
    BITMAPINFO info{};
    info.bmiHeader = DibHeader(width, -height, 32);
    void* bits = nullptr;
    bitmap_.Reset(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    previous_ = ::SelectObject(dc_, bitmap_);
}

DibCanvas::~DibCanvas() { ::SelectObject(dc_, previous_); }

void DibCanvas::Fill(COLORREF color) {
    for (int y = 0; y < height_; ++y)
        for (int x = 0; x < width_; ++x)
            Set(x, y, color);
}

void DibCanvas::Set(int x, int y, COLORREF color) {
    ::GdiFlush();
    bits_[y * width_ + x] = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
}

COLORREF DibCanvas::At(int x, int y) const {
    ::GdiFlush();
    const uint32_t p = bits_[y * width_ + x];
    return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
}

COLORREF PixelOf(HDC dc, int x, int y) { return ::GetPixel(dc, x, y); }

std::wstring WindowsPathFromEnvironment(const wchar_t* variable) {
    wchar_t unixPath[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(variable, unixPath, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return std::wstring();
    std::wstring path = L"Z:" + std::wstring(unixPath, length);
    for (wchar_t& c : path) {
        if (c == L'/')
            c = L'\\';
    }
    return path;
}

std::wstring ShippedSkinFolder() {
    const std::wstring dist = WindowsPathFromEnvironment(L"TROVA_DIST_DIR");
    return dist.empty() ? dist : dist + L"\\skin\\general\\";
}

int CopyDefaultSkin(const SkinFolder& folder) {
    const std::wstring source = ShippedSkinFolder();
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((source + L"*").c_str(), &found);
    if (source.empty() || search == INVALID_HANDLE_VALUE)
        return 0;
    int copied = 0;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (!::CopyFileW((source + found.cFileName).c_str(), folder.SkinPath(found.cFileName).c_str(), FALSE)) {
            copied = 0;
            break;
        }
        ++copied;
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return copied;
}

std::wstring TestProgramFolder() {
    wchar_t path[MAX_PATH];
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.rfind(L'\\') + 1);
}

SkinFolder::SkinFolder() : root_(folder_.path().substr(0, folder_.path().size() - 1)) {
    ::CreateDirectoryW((root_ + L"\\skin").c_str(), nullptr);
    ::CreateDirectoryW((root_ + L"\\skin\\general").c_str(), nullptr);
    const std::wstring probe = root_ + L"\\probe.dll";
    ::CopyFileW((TestProgramFolder() + L"skin_probe_module.dll").c_str(), probe.c_str(), FALSE);
    module_.Reset(::LoadLibraryW(probe.c_str()));
}

void SkinFolder::WriteFile(const std::wstring& name, const std::string& bytes) const {
    FILE* file = _wfopen(SkinPath(name).c_str(), L"wb");
    if (!file)
        return;
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

void SkinFolder::WriteGradientBitmap(const std::wstring& name, int width, int height, int blue) const {
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    const BITMAPINFOHEADER info = DibHeader(width, height, 24);  // bottom-up
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + stride * height;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&info), sizeof(info));
    for (int row = height - 1; row >= 0; --row) {
        std::string line(stride, '\0');
        for (int x = 0; x < width; ++x) {
            line[x * 3] = static_cast<char>(blue);
            line[x * 3 + 1] = static_cast<char>(row);
            line[x * 3 + 2] = static_cast<char>(x);
        }
        bytes += line;
    }
    WriteFile(name, bytes);
}
