#include "player/options/PlasmaEffect.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

int Clamp255(int value) { return std::clamp(value, 0, 255); }

}  // namespace

std::vector<uint32_t> PlasmaEffect::BuildGrid(const RandomSource& random) {
    constexpr int kMask = kGridSize - 1;
    std::vector<int> grid(kGridSize * kGridSize, 0);
    auto cell = [&grid](int x, int y) -> int& { return grid[(y & kMask) * kGridSize + (x & kMask)]; };

    for (int step = kGridSize; step >= 2; step /= 2) {
        const int half = step / 2;
        const int amplitude = step * kRoughness;
        auto displace = [&]() { return static_cast<int>((random() % 1000) / 1000.0 * amplitude) - amplitude / 2; };
        auto setMean2 = [&](int x, int y, int ax, int ay, int bx, int by) {
            cell(x, y) = Clamp255((cell(ax, ay) + cell(bx, by)) / 2 + displace());
        };
        for (int y = 0; y < kGridSize; y += step) {
            for (int x = 0; x < kGridSize; x += step) {
                const int right = x + step;
                const int bottom = y + step;
                const int corners = cell(x, y) + cell(right, y) + cell(x, bottom) + cell(right, bottom);
                cell(x + half, y + half) = Clamp255(corners / 4 + displace());
                setMean2(right, y + half, right, y, right, bottom);
                setMean2(x + half, bottom, x, bottom, right, bottom);
                if (y == 0)
                    setMean2(x + half, y, x, y, right, y);
                if (x == 0)
                    setMean2(x, y + half, x, y, x, bottom);
            }
        }
    }
    return std::vector<uint32_t>(grid.begin(), grid.end());
}

std::vector<uint32_t> PlasmaEffect::SampleGrid(const std::vector<uint32_t>& grid, int width, int height) {
    std::vector<uint32_t> map;
    if (width <= 0 || height <= 0 || grid.size() != static_cast<size_t>(kGridSize) * kGridSize)
        return map;
    map.resize(static_cast<size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const int gridY = y * kGridSize / height;
        for (int x = 0; x < width; ++x)
            map[static_cast<size_t>(y) * width + x] = grid[gridY * kGridSize + x * kGridSize / width];
    }
    return map;
}

bool PlasmaEffect::Start(HWND owner, const RECT& area) {
    Release();
    owner_ = owner;
    area_ = area;
    const int width = Width();
    const int height = Height();
    if (width <= 0 || height <= 0)
        return false;

    std::srand(static_cast<unsigned>(std::time(nullptr)));
    const RandomSource crtRandom = [] { return std::rand(); };
    for (auto& layer : layers_)
        layer = SampleGrid(BuildGrid(crtRandom), width, height);

    for (int i = 0; i < 256; ++i)
        colors_[i] = (static_cast<uint32_t>(i) << 16) | (static_cast<uint32_t>(i) << 8) | 0xFF;

    frameInfo_ = BITMAPINFO{};
    frameInfo_.bmiHeader = DibHeader(width, -height, 32);
    pixels_.assign(static_cast<size_t>(width) * height, 0);

    {
        ScopedGetDC screen(nullptr);
        memoryDc_.emplace(screen);
        if (*memoryDc_)
            frame_.Reset(::CreateCompatibleBitmap(screen, width, height));
    }
    if (!*memoryDc_ || !frame_) {
        Release();
        return false;
    }
    previousBitmap_ = ::SelectObject(*memoryDc_, frame_);

    Step();
    if (owner_)
        ::SetTimer(owner_, kTimerId, kTimerIntervalMs, nullptr);
    return true;
}

void PlasmaEffect::Step() {
    if (!IsStarted())
        return;
    const int width = Width();
    const int height = Height();
    auto wrap = [](POINT p, int w, int h) { return POINT{p.x % w, p.y % h}; };
    offsets_[0] = wrap(POINT{offsets_[0].x + drift_.x, offsets_[0].y + drift_.y}, width, height);
    offsets_[1] = wrap(POINT{offsets_[1].x + drift_.x / 2, offsets_[1].y + drift_.y / 2}, width, height);
    offsets_[2] = wrap(POINT{offsets_[1].x + drift_.x / 3, offsets_[1].y + drift_.y / 3}, width, height);
    Render();
    if (owner_)
        ::InvalidateRect(owner_, nullptr, FALSE);
}

void PlasmaEffect::Render() {
    const int width = Width();
    const int height = Height();
    for (int y = 0; y < height; ++y) {
        size_t rows[kLayerCount];
        for (int layer = 0; layer < kLayerCount; ++layer)
            rows[layer] = static_cast<size_t>((y + offsets_[layer].y) % height) * width;
        uint32_t* out = &pixels_[static_cast<size_t>(y) * width];
        for (int x = 0; x < width; ++x) {
            uint32_t sum = 0;
            for (int layer = 0; layer < kLayerCount; ++layer)
                sum += layers_[layer][rows[layer] + (x + offsets_[layer].x) % width];
            out[x] = colors_[sum / kLayerCount];
        }
    }
    ::SetDIBitsToDevice(*memoryDc_, 0, 0, width, height, 0, 0, 0, height, pixels_.data(), &frameInfo_, DIB_RGB_COLORS);
}

void PlasmaEffect::Release() {
    if (memoryDc_ && previousBitmap_)
        ::SelectObject(*memoryDc_, previousBitmap_);
    previousBitmap_ = nullptr;
    frame_.Reset();
    memoryDc_.reset();
    if (owner_ && ::IsWindow(owner_))
        ::KillTimer(owner_, kTimerId);
    for (auto& layer : layers_)
        std::vector<uint32_t>().swap(layer);
    std::vector<uint32_t>().swap(pixels_);
    for (auto& offset : offsets_)
        offset = POINT{0, 0};
}

void PlasmaEffect::Draw(HDC target) const {
    if (!IsStarted())
        return;
    ::BitBlt(target, area_.left, area_.top, Width(), Height(), *memoryDc_, 0, 0, SRCCOPY);
}

COLORREF PlasmaEffect::PixelAt(int x, int y) const {
    if (!IsStarted() || x < 0 || y < 0 || x >= Width() || y >= Height())
        return CLR_INVALID;
    const uint32_t value = pixels_[static_cast<size_t>(y) * Width() + x];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}
