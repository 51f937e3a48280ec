#include <gtest/gtest.h>

#include <vector>

#include "framework/win/tests/TestHost.h"
#include "player/options/PlasmaEffect.h"

namespace {

constexpr int kGrid = PlasmaEffect::kGridSize;

uint32_t At(const std::vector<uint32_t>& grid, int x, int y) { return grid[y * kGrid + x]; }

PlasmaEffect::RandomSource Constant(int value) {
    return [value] { return value; };
}

// Gives the scripted numbers first, then 500: a displacement of 0 at every step size.
PlasmaEffect::RandomSource Scripted(std::vector<int> numbers) {
    auto next = std::make_shared<size_t>(0);
    return [numbers, next] { return *next < numbers.size() ? numbers[(*next)++] : 500; };
}

TEST(PlasmaGrid, DisplacementsAreClampedToTheColourRange) {
    // 999 pushes every value far above 255, 0 far below 0.
    const std::vector<uint32_t> high = PlasmaEffect::BuildGrid(Constant(999));
    const std::vector<uint32_t> low = PlasmaEffect::BuildGrid(Constant(0));
    ASSERT_EQ(static_cast<size_t>(kGrid * kGrid), high.size());
    EXPECT_EQ(0u, At(high, 0, 0));  // the one corner no step ever sets
    // Only the cells next to that corner are pulled below the top.
    int atTop = 0;
    for (uint32_t value : high) {
        ASSERT_LE(value, 255u);
        atTop += value == 255;
    }
    EXPECT_GT(atTop, kGrid * kGrid * 99 / 100);
    for (uint32_t value : low)
        ASSERT_EQ(0u, value);
}

TEST(PlasmaGrid, EdgesWrapAroundTheGrid) {
    // The first square spans the whole grid: centre 255 (999 gives +1021), right, bottom and top
    // edge midpoints 0 (500 gives no displacement), left edge midpoint (0, 128) 255. Its right
    // edge is column 0 and its bottom edge row 0 again.
    const std::vector<uint32_t> grid = PlasmaEffect::BuildGrid(Scripted({999, 500, 500, 500, 999}));
    EXPECT_EQ(255u, At(grid, 128, 128));
    EXPECT_EQ(255u, At(grid, 0, 128));
    EXPECT_EQ(0u, At(grid, 128, 0));
    // Squares of 128 reach past the grid's right and bottom edges into column 0 and row 0:
    // the bottom edge of the square at (128, 0) is the mean of (128, 128) and (0, 128).
    EXPECT_EQ(255u, At(grid, 192, 128));
    // Its right edge is (0, 64): the mean of (0, 0) and (0, 128).
    EXPECT_EQ(127u, At(grid, 0, 64));
    // The square at (128, 128) has the corners 255, 255 and, wrapped, 0 and 0.
    EXPECT_EQ(127u, At(grid, 192, 192));
}

TEST(PlasmaGrid, SamplingTruncatesCoordinates) {
    std::vector<uint32_t> grid(kGrid * kGrid);
    for (int y = 0; y < kGrid; ++y)
        for (int x = 0; x < kGrid; ++x)
            grid[y * kGrid + x] = static_cast<uint32_t>(x ^ y);
    const std::vector<uint32_t> map = PlasmaEffect::SampleGrid(grid, 160, 300);
    ASSERT_EQ(static_cast<size_t>(160 * 300), map.size());
    for (int y : {0, 1, 150, 299})
        for (int x : {0, 1, 100, 159})
            EXPECT_EQ(static_cast<uint32_t>((x * 256 / 160) ^ (y * 256 / 300)), map[y * 160 + x]) << x << "," << y;
    EXPECT_TRUE(PlasmaEffect::SampleGrid(grid, 0, 10).empty());
}

// True when the effect's timer fires on window within timeoutMs.
bool TimerTicks(HWND window, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    do {
        MSG tick;
        while (::PeekMessageW(&tick, window, WM_TIMER, WM_TIMER, PM_REMOVE)) {
            if (tick.wParam == PlasmaEffect::kTimerId)
                return true;
        }
        ::Sleep(10);
    } while (::GetTickCount() - start < timeoutMs);
    return false;
}

class PlasmaEffectTest : public ::testing::Test {
protected:
    CTestHost host;
};

TEST_F(PlasmaEffectTest, FramesUseTheBlueToWhiteTableAndMove) {
    PlasmaEffect plasma;
    ASSERT_TRUE(plasma.Start(host, RECT{0, 0, 160, 120}));
    EXPECT_TRUE(plasma.IsStarted());
    std::vector<COLORREF> first;
    for (int y = 0; y < 120; ++y) {
        for (int x = 0; x < 160; ++x) {
            const COLORREF color = plasma.PixelAt(x, y);
            ASSERT_EQ(255, GetBValue(color));
            ASSERT_EQ(GetRValue(color), GetGValue(color));
            first.push_back(color);
        }
    }
    plasma.Step();
    int moved = 0;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 160; ++x)
            moved += plasma.PixelAt(x, y) != first[y * 160 + x];
    EXPECT_GT(moved, 0);

    // The frame reaches the target at the effect's rectangle.
    CPaintCapture capture(200, 130);
    capture.PrintClient(host);  // the host paints nothing; only the marker colour
    plasma.Draw(capture.Dc());
    ::GdiFlush();
    EXPECT_EQ(plasma.PixelAt(0, 0), capture.Pixel(0, 0));
    EXPECT_EQ(plasma.PixelAt(159, 119), capture.Pixel(159, 119));
    EXPECT_EQ(RGB(1, 2, 3), capture.Pixel(160, 0));
}

TEST_F(PlasmaEffectTest, ReleaseStopsEverything) {
    PlasmaEffect plasma;
    EXPECT_FALSE(plasma.Start(host, RECT{0, 0, 160, 0}));
    EXPECT_FALSE(plasma.IsStarted());

    ASSERT_TRUE(plasma.Start(host, RECT{0, 0, 160, 100}));
    plasma.Release();
    EXPECT_FALSE(plasma.IsStarted());
    EXPECT_EQ(CLR_INVALID, plasma.PixelAt(0, 0));
    plasma.Step();  // a late timer message after release is harmless
    plasma.Release();

    // The timer was stopped with it, and runs again after a new start.
    EXPECT_FALSE(TimerTicks(host, 150));
    ASSERT_TRUE(plasma.Start(host, RECT{0, 0, 160, 100}));
    EXPECT_TRUE(TimerTicks(host, 2000));
}

}  // namespace
