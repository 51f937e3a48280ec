#include <gtest/gtest.h>

#include "common/skin/SkinImage.h"
#include "common/skin/tests/SkinTestSupport.h"

namespace {

// Source whose pixel (x, y) is RGB(x, y, 9).
void PaintGradient(DibCanvas& canvas, int width, int height) {
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            canvas.Set(x, y, RGB(x, y, 9));
}

const COLORREF kBlank = RGB(1, 2, 3);

}  // namespace

TEST(SkinImage, CutCopiesTheRectangle) {
    DibCanvas source(100, 100);
    PaintGradient(source, 100, 100);
    CSkinImage image;
    const RECT rect{10, 20, 40, 60};  // "10,20,30,40"
    ASSERT_TRUE(image.Cut(rect, source.Dc()));
    EXPECT_FALSE(image.IsEmpty());
    EXPECT_EQ(30, image.Width());
    EXPECT_EQ(40, image.Height());
    EXPECT_EQ(RGB(10, 20, 9), PixelOf(image.Dc(), 0, 0));
    EXPECT_EQ(RGB(39, 59, 9), PixelOf(image.Dc(), 29, 39));

    DibCanvas target(50, 50);
    target.Fill(kBlank);
    EXPECT_TRUE(image.Draw(target.Dc(), 5, 5));
    EXPECT_EQ(kBlank, target.At(4, 4));
    EXPECT_EQ(RGB(10, 20, 9), target.At(5, 5));
    EXPECT_EQ(RGB(39, 59, 9), target.At(34, 44));
    EXPECT_EQ(kBlank, target.At(35, 45));
}

TEST(SkinImage, EmptyRectangleFailsAndEmptiesTheImage) {
    DibCanvas source(20, 20);
    CSkinImage image;
    ASSERT_TRUE(image.Cut(RECT{0, 0, 4, 4}, source.Dc()));
    EXPECT_FALSE(image.Cut(RECT{5, 5, 5, 9}, source.Dc()));
    EXPECT_TRUE(image.IsEmpty());
    EXPECT_EQ(nullptr, image.Dc());
    EXPECT_EQ(0, image.Width());
    EXPECT_EQ(0, image.Height());
    EXPECT_FALSE(image.Cut(RECT{5, 5, 2, 9}, source.Dc()));

    DibCanvas target(10, 10);
    target.Fill(kBlank);
    EXPECT_FALSE(image.Draw(target.Dc(), 0, 0));
    TileHorizontal(image, target.Dc(), 0, 0, 10);
    TileVertical(image, target.Dc(), 0, 0, 10);
    SkinStrip strip;
    strip.Draw(target.Dc(), RECT{0, 0, 10, 10});
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(kBlank, target.At(x, y));
}

TEST(SkinImage, TileHorizontalRepeatsAndCutsTheLastCopy) {
    DibCanvas source(30, 4);
    PaintGradient(source, 30, 4);
    CSkinImage image;
    ASSERT_TRUE(image.Cut(RECT{0, 0, 7, 3}, source.Dc()));
    DibCanvas target(40, 6);
    target.Fill(kBlank);
    TileHorizontal(image, target.Dc(), 2, 1, 17);  // two copies and 3 columns
    for (int x = 0; x < 40; ++x) {
        const COLORREF expected = (x >= 2 && x < 19) ? RGB((x - 2) % 7, 0, 9) : kBlank;
        EXPECT_EQ(expected, target.At(x, 1)) << "x=" << x;
        EXPECT_EQ(x >= 2 && x < 19 ? RGB((x - 2) % 7, 2, 9) : kBlank, target.At(x, 3)) << "x=" << x;
    }
    EXPECT_EQ(kBlank, target.At(5, 0));
    EXPECT_EQ(kBlank, target.At(5, 4));

    target.Fill(kBlank);
    TileHorizontal(image, target.Dc(), 0, 0, 0);
    TileHorizontal(image, target.Dc(), 0, 0, -5);
    EXPECT_EQ(kBlank, target.At(0, 0));
}

TEST(SkinImage, TileVerticalRepeatsAndCutsTheLastCopy) {
    DibCanvas source(4, 30);
    PaintGradient(source, 4, 30);
    CSkinImage image;
    ASSERT_TRUE(image.Cut(RECT{1, 0, 3, 5}, source.Dc()));
    DibCanvas target(4, 20);
    target.Fill(kBlank);
    TileVertical(image, target.Dc(), 1, 3, 12);  // two copies and 2 rows
    for (int y = 0; y < 20; ++y) {
        const COLORREF expected = (y >= 3 && y < 15) ? RGB(1, (y - 3) % 5, 9) : kBlank;
        EXPECT_EQ(expected, target.At(1, y)) << "y=" << y;
    }
    EXPECT_EQ(kBlank, target.At(3, 5));
}

TEST(SkinImage, StripDrawsCapsAndTiledMiddleAtTheTop) {
    DibCanvas source(20, 10);
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 20; ++x)
            source.Set(x, y, x < 3 ? RGB(200, 0, 0) : x < 5 ? RGB(0, x, 0) : RGB(0, 0, 200));
    }
    SkinStrip strip;
    ASSERT_TRUE(strip.left.Cut(RECT{0, 0, 3, 6}, source.Dc()));
    ASSERT_TRUE(strip.middle.Cut(RECT{3, 0, 5, 6}, source.Dc()));
    ASSERT_TRUE(strip.right.Cut(RECT{5, 0, 9, 6}, source.Dc()));
    DibCanvas target(50, 12);
    target.Fill(kBlank);
    strip.Draw(target.Dc(), RECT{10, 2, 40, 12});
    for (int x = 0; x < 50; ++x) {
        COLORREF expected = kBlank;
        if (x >= 10 && x < 13)
            expected = RGB(200, 0, 0);
        else if (x >= 13 && x < 36)
            expected = RGB(0, 3 + (x - 13) % 2, 0);
        else if (x >= 36 && x < 40)
            expected = RGB(0, 0, 200);
        EXPECT_EQ(expected, target.At(x, 2)) << "x=" << x;
        EXPECT_EQ(expected, target.At(x, 7)) << "x=" << x;
        EXPECT_EQ(kBlank, target.At(x, 8)) << "the strip keeps its own height";
        EXPECT_EQ(kBlank, target.At(x, 1));
    }
}
