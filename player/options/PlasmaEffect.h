#pragma once
// Animated blue-to-white plasma: three fractal layers drifting at different speeds, averaged
// through a colour table into an off-screen frame that the owning window copies when it paints.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "framework/win/ScopedGdi.h"

class PlasmaEffect {
public:
    static constexpr UINT_PTR kTimerId = 99;
    static constexpr UINT kTimerIntervalMs = 50;
    static constexpr int kGridSize = 256;
    static constexpr int kRoughness = 8;
    static constexpr int kLayerCount = 3;

    // Yields numbers like rand(): 0 up to RAND_MAX.
    using RandomSource = std::function<int()>;

    PlasmaEffect() = default;
    ~PlasmaEffect() { Release(); }
    PlasmaEffect(const PlasmaEffect&) = delete;
    PlasmaEffect& operator=(const PlasmaEffect&) = delete;

    // Builds the layers for area (in the owner's client coordinates), renders the first frame
    // and starts timer 99 on the owner, whose handler calls Step. False for an empty area or
    // when the frame cannot be made; the effect is released then.
    bool Start(HWND owner, const RECT& area);
    // Moves the layers one step, renders the frame and invalidates the owner.
    void Step();
    // Frees the frame and the layers and stops the timer; Step and Draw do nothing afterwards.
    void Release();

    bool IsStarted() const { return memoryDc_.has_value(); }
    const RECT& Area() const { return area_; }
    // Copies the current frame to its area of target.
    void Draw(HDC target) const;
    // Colour of the current frame at a point of the area (0, 0 is its top-left corner).
    COLORREF PixelAt(int x, int y) const;

    // Midpoint displacement on a kGridSize x kGridSize grid whose coordinates wrap; every value
    // is kept within 0..255.
    static std::vector<uint32_t> BuildGrid(const RandomSource& random);
    // Samples the grid down (or up) to width x height by truncating the coordinates.
    static std::vector<uint32_t> SampleGrid(const std::vector<uint32_t>& grid, int width, int height);

private:
    void Render();
    int Width() const { return area_.right - area_.left; }
    int Height() const { return area_.bottom - area_.top; }

    HWND owner_ = nullptr;
    RECT area_{};
    std::vector<uint32_t> layers_[kLayerCount];
    POINT offsets_[kLayerCount] = {};
    POINT drift_{2, 1};
    uint32_t colors_[256] = {};  // 0x00RRGGBB, the order of a 32-bit DIB
    BITMAPINFO frameInfo_{};
    std::vector<uint32_t> pixels_;  // top-down rows of the frame
    std::optional<ScopedCompatibleDC> memoryDc_;
    ScopedBitmap frame_;
    HGDIOBJ previousBitmap_ = nullptr;
};
