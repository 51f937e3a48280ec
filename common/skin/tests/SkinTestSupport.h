#pragma once
// Pixel buffers and throw-away skin folders for the skin tests.
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/win/ScopedGdi.h"
#include "framework/win/ScopedHandle.h"
#include "framework/win/tests/TempFolder.h"

// A 32-bit top-down DIB section selected into a memory DC, with direct pixel access.
class DibCanvas {
public:
    DibCanvas(int width, int height);
    ~DibCanvas();
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;

    HDC Dc() const { return dc_.Get(); }
    void Fill(COLORREF color);
    void Set(int x, int y, COLORREF color);
    COLORREF At(int x, int y) const;  // RGB order, as COLORREF

private:
    int width_;
    int height_;
    uint32_t* bits_ = nullptr;
    ScopedCompatibleDC dc_;
    ScopedBitmap bitmap_;
    HGDIOBJ previous_ = nullptr;
};

COLORREF PixelOf(HDC dc, int x, int y);

// A unique temp folder holding a copy of the probe module, with skin\general\ beside it.
// Removed with everything in it at the end of the test.
class SkinFolder {
public:
    SkinFolder();

    HMODULE Module() const { return module_; }
    const std::wstring& Root() const { return root_; }
    std::wstring SkinPath(const std::wstring& name) const { return root_ + L"\\skin\\general\\" + name; }
    void WriteFile(const std::wstring& name, const std::string& bytes) const;
    // 24-bit bitmap whose pixel (x, y) is RGB(x, y, blue); at most 256 x 256.
    void WriteGradientBitmap(const std::wstring& name, int width, int height, int blue) const;

private:
    TempFolder folder_;  // removed after the module is freed
    std::wstring root_;
    ScopedModule module_;
};

// A Unix path from the environment as a path on Wine's Z: drive; empty when not set.
std::wstring WindowsPathFromEnvironment(const wchar_t* variable);
// The shipped default skin's folder (from TROVA_DIST_DIR), with a trailing backslash; empty
// when the variable is not set.
std::wstring ShippedSkinFolder();

// Copies the shipped default skin beside the probe module of `folder`: the number of files
// copied, 0 when there is none or a copy failed.
int CopyDefaultSkin(const SkinFolder& folder);

// Folder of the running test program, with a trailing backslash.
std::wstring TestProgramFolder();
