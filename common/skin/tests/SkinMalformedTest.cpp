// Damaged skin folders: truncated, garbled, oversized and deeply nested "skin.xml" files,
// missing bitmaps and bitmaps that are not bitmaps. Loading must fail (or load only what the
// file really holds) and leave a skin whose pictures the windows can still draw.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "common/skin/Skin.h"
#include "common/skin/tests/SkinTestSupport.h"

namespace {

const COLORREF kBlank = RGB(1, 2, 3);
const wchar_t* const kBitmaps[] = {L"main.bmp", L"navipanel.bmp", L"player.bmp",
                                   L"lamp.bmp", L"trackbar.bmp",  L"channellist.bmp"};

// Every picture of the skin, in a fixed order.
std::vector<const CSkinImage*> AllImages(const CSkin& skin) {
    std::vector<const CSkinImage*> images;
    for (int i = 0; i < static_cast<int>(CSkin::FramePart::Count); ++i)
        images.push_back(&skin.Frame(static_cast<CSkin::FramePart>(i)));
    images.push_back(&skin.Splitter());
    for (int i = 0; i < static_cast<int>(CSkin::CaptionImage::Count); ++i)
        images.push_back(&skin.Caption(static_cast<CSkin::CaptionImage>(i)));
    for (int i = 0; i < static_cast<int>(CSkin::TabLook::Count); ++i) {
        const SkinStrip& tab = skin.Tab(static_cast<CSkin::TabLook>(i));
        images.insert(images.end(), {&tab.left, &tab.middle, &tab.right});
    }
    for (int i = 0; i < static_cast<int>(CSkin::PlayerPicture::Count); ++i)
        images.push_back(&skin.Player(static_cast<CSkin::PlayerPicture>(i)));
    for (int i = 0; i < static_cast<int>(CSkin::Lamp::Count); ++i)
        images.push_back(&skin.LampImage(static_cast<CSkin::Lamp>(i)));
    for (int i = 0; i < static_cast<int>(CSkin::TrackPicture::Count); ++i)
        images.push_back(&skin.Track(static_cast<CSkin::TrackPicture>(i)));
    images.push_back(&skin.HeaderBG());
    return images;
}

// Size and top-left pixel of a picture; all zero for an empty one.
struct Look {
    int width = 0;
    int height = 0;
    COLORREF topLeft = 0;
    bool Empty() const { return width == 0; }
};

std::vector<Look> Looks(const CSkin& skin) {
    std::vector<Look> looks;
    for (const CSkinImage* image : AllImages(skin)) {
        Look look;
        if (!image->IsEmpty())
            look = {image->Width(), image->Height(), PixelOf(image->Dc(), 0, 0)};
        looks.push_back(look);
    }
    return looks;
}

int LoadedCount(const CSkin& skin) {
    int loaded = 0;
    for (const Look& look : Looks(skin))
        loaded += look.Empty() ? 0 : 1;
    return loaded;
}

// A picture is either empty (no DC, zero size) or a bitmap of its stated size.
void ExpectConsistent(const CSkin& skin) {
    int index = 0;
    for (const CSkinImage* image : AllImages(skin)) {
        SCOPED_TRACE(testing::Message() << "picture " << index++);
        if (image->IsEmpty()) {
            EXPECT_EQ(nullptr, image->Dc());
            EXPECT_EQ(0, image->Width());
            EXPECT_EQ(0, image->Height());
            continue;
        }
        ASSERT_NE(nullptr, image->Dc());
        BITMAP info{};
        ASSERT_TRUE(::GetObjectW(::GetCurrentObject(image->Dc(), OBJ_BITMAP), sizeof(info), &info));
        EXPECT_EQ(image->Width(), info.bmWidth);
        EXPECT_EQ(image->Height(), info.bmHeight);
    }
}

// Paints with every picture the way the skinned windows do: the frame's border pieces and
// caption buttons, a tab strip, the player bar, the lamps, the track bar and a section header.
void PaintLikeTheWindows(const CSkin& skin, HDC target, int width, int height) {
    using P = CSkin::FramePart;
    const CSkinImage& topLeft = skin.Frame(P::TopLeft);
    const CSkinImage& topRight = skin.Frame(P::TopRight);
    topLeft.Draw(target, 0, 0);
    TileHorizontal(skin.Frame(P::Top), target, topLeft.Width(), 0, width - topLeft.Width() - topRight.Width());
    topRight.Draw(target, width - topRight.Width(), 0);
    skin.Frame(P::LeftTop).Draw(target, 0, topLeft.Height());
    TileVertical(skin.Frame(P::Left), target, 0, 40, height - 80);
    skin.Frame(P::LeftBottom).Draw(target, 0, height - 40);
    skin.Frame(P::RightTop).Draw(target, width - skin.Frame(P::RightTop).Width(), topRight.Height());
    TileVertical(skin.Frame(P::Right), target, width - skin.Frame(P::Right).Width(), 40, height - 80);
    skin.Frame(P::RightBottom).Draw(target, width - skin.Frame(P::RightBottom).Width(), height - 40);
    const CSkinImage& bottomLeft = skin.Frame(P::BottomLeft);
    const CSkinImage& bottomRight = skin.Frame(P::BottomRight);
    const int bottom = height - skin.Frame(P::Bottom).Height();
    bottomLeft.Draw(target, 0, height - bottomLeft.Height());
    TileHorizontal(skin.Frame(P::Bottom), target, bottomLeft.Width(), bottom,
                   width - bottomLeft.Width() - bottomRight.Width());
    bottomRight.Draw(target, width - bottomRight.Width(), height - bottomRight.Height());
    TileVertical(skin.Splitter(), target, width / 2, 40, height - 80);
    for (int i = 0; i < static_cast<int>(CSkin::CaptionImage::Count); ++i)
        skin.Caption(static_cast<CSkin::CaptionImage>(i)).Draw(target, width - 120 + 10 * i, 5);
    for (int i = 0; i < static_cast<int>(CSkin::TabLook::Count); ++i)
        skin.Tab(static_cast<CSkin::TabLook>(i)).Draw(target, RECT{10 + 60 * i, 40, 60 + 60 * i, 80});
    TileHorizontal(skin.Player(CSkin::PlayerPicture::Background), target, 10, 90, width - 20);
    for (int i = 0; i < static_cast<int>(CSkin::PlayerPicture::Count); ++i)
        skin.Player(static_cast<CSkin::PlayerPicture>(i)).Draw(target, 10 + 20 * i, 100);
    for (int i = 0; i < static_cast<int>(CSkin::Lamp::Count); ++i)
        skin.LampImage(static_cast<CSkin::Lamp>(i)).Draw(target, 10 + 20 * i, 150);
    for (int i = 0; i < static_cast<int>(CSkin::TrackPicture::Count); ++i)
        TileHorizontal(skin.Track(static_cast<CSkin::TrackPicture>(i)), target, 10, 170 + 5 * i, width / 3);
    TileHorizontal(skin.HeaderBG(), target, 10, 210, width - 20);
}

// Paints from a skin whatever its state, and checks that nothing was drawn from an empty skin.
void ExpectPaintable(const CSkin& skin) {
    DibCanvas canvas(400, 260);
    canvas.Fill(kBlank);
    PaintLikeTheWindows(skin, canvas.Dc(), 400, 260);
    if (LoadedCount(skin) == 0) {
        for (int y = 0; y < 260; y += 3)
            for (int x = 0; x < 400; x += 3)
                ASSERT_EQ(kBlank, canvas.At(x, y)) << x << "," << y;
    }
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return bytes;
    char chunk[4096];
    size_t moved;
    while ((moved = fread(chunk, 1, sizeof(chunk), file)) > 0)
        bytes.append(chunk, moved);
    fclose(file);
    return bytes;
}

class SkinMalformed : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Module()) << "probe module copy missing";
        const std::wstring shippedFolder = ShippedSkinFolder();
        ASSERT_FALSE(shippedFolder.empty()) << "TROVA_DIST_DIR is not set";
        for (const wchar_t* bitmap : kBitmaps) {
            bitmaps.push_back(ReadFileBytes(shippedFolder + bitmap));
            ASSERT_FALSE(bitmaps.back().empty()) << "shipped skin lacks a bitmap";
            folder.WriteFile(bitmap, bitmaps.back());
        }
        shipped = ReadFileBytes(shippedFolder + L"skin.xml");
        ASSERT_FALSE(shipped.empty()) << "shipped skin.xml missing";
        ASSERT_TRUE(Load(shipped));
        full = Looks(*skin);
        ASSERT_EQ(0u, CountEmpty(full)) << "the shipped skin should fill every picture";
    }
    void TearDown() override { CSkin::Destroy(); }

    static size_t CountEmpty(const std::vector<Look>& looks) {
        size_t empty = 0;
        for (const Look& look : looks)
            empty += look.Empty() ? 1 : 0;
        return empty;
    }

    bool Load(const std::string& xml) {
        folder.WriteFile(L"skin.xml", xml);
        return skin->Load(folder.Module());
    }

    // After a bad file the skin is consistent, drawable, and a good file loads completely again.
    void ExpectSafeAndRecoverable() {
        ExpectConsistent(*skin);
        ExpectPaintable(*skin);
        folder.WriteFile(L"skin.xml", shipped);
        ASSERT_TRUE(skin->Load(folder.Module()));
        const std::vector<Look> again = Looks(*skin);
        for (size_t i = 0; i < full.size(); ++i)
            EXPECT_TRUE(again[i].width == full[i].width && again[i].topLeft == full[i].topLeft) << i;
    }

    // Pictures that did load are the ones of the intact file: same top-left corner and width;
    // a cut-off height digit may leave a picture lower, never higher.
    void ExpectOnlyIntactPictures() {
        const std::vector<Look> looks = Looks(*skin);
        for (size_t i = 0; i < looks.size(); ++i) {
            if (looks[i].Empty())
                continue;
            EXPECT_EQ(full[i].width, looks[i].width) << "picture " << i;
            EXPECT_LE(looks[i].height, full[i].height) << "picture " << i;
            EXPECT_EQ(full[i].topLeft, looks[i].topLeft) << "picture " << i;
        }
    }

    void ReplaceFirst(std::string& text, const std::string& from, const std::string& to) {
        const size_t at = text.find(from);
        ASSERT_NE(std::string::npos, at) << from;
        text.replace(at, from.size(), to);
    }

    SkinFolder folder;
    CSkin* skin = CSkin::Instance();
    std::vector<std::string> bitmaps;
    std::string shipped;
    std::vector<Look> full;
};

}  // namespace

TEST_F(SkinMalformed, TruncatedFileLoadsNothingButWhatItHolds) {
    // Cuts that fail for sure: before "windowSkins" has a child, and inside the frame section
    // until its "parts" has one. Elsewhere a cut may load, as open elements are no error and
    // children whose target or name was cut off are skipped.
    const size_t sectionsStart = shipped.find("<windowSkins>") + 13;
    const size_t mainStart = shipped.find("target=\"main\"") + 13;
    const size_t firstPart = shipped.find("<part ");
    ASSERT_LT(mainStart, firstPart);
    ASSERT_NE(std::string::npos, firstPart);
    std::vector<size_t> cuts;
    for (size_t cut = 0; cut < shipped.size(); cut += 29)
        cuts.push_back(cut);
    // Every offset of the first section's markup, where most failure paths lie.
    for (size_t cut = shipped.find("<windowSkin "); cut < firstPart + 80; ++cut)
        cuts.push_back(cut);
    int failed = 0;
    int partial = 0;
    for (size_t cut : cuts) {
        SCOPED_TRACE(testing::Message() << "cut at " << cut);
        const bool loaded = Load(shipped.substr(0, cut));
        failed += loaded ? 0 : 1;
        if (cut <= sectionsStart + 2 || (cut >= mainStart && cut <= firstPart + 1)) {
            EXPECT_FALSE(loaded);
        }
        if (!loaded && LoadedCount(*skin) > 0)
            ++partial;
        ExpectConsistent(*skin);
        ExpectOnlyIntactPictures();
        ExpectPaintable(*skin);
        if (HasFatalFailure())
            return;
    }
    // Most cuts fail, many of them after loading the earlier sections.
    EXPECT_GT(failed, static_cast<int>(cuts.size()) * 2 / 3);
    EXPECT_GT(partial, 10);
    ExpectSafeAndRecoverable();
}

TEST_F(SkinMalformed, GarbageBytesFail) {
    std::mt19937 random(20260101);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int round = 0; round < 40; ++round) {
        std::string garbage(1 + random() % 3000, '\0');
        for (char& c : garbage)
            c = static_cast<char>(byte(random));
        SCOPED_TRACE(testing::Message() << "round " << round);
        EXPECT_FALSE(Load(garbage));
        EXPECT_EQ(0, LoadedCount(*skin));
    }
    EXPECT_FALSE(Load(std::string(5000, '\0')));
    EXPECT_FALSE(Load(std::string(5000, '<')));
    EXPECT_FALSE(Load(std::string(3000, '>') + "</"));

    // The same description saved as UTF-16 is not understood.
    std::string wide = "\xFF\xFE";
    for (char c : shipped)
        wide += std::string(1, c) + '\0';
    EXPECT_FALSE(Load(wide));
    EXPECT_EQ(0, LoadedCount(*skin));

    // Bytes garbled inside the intact file: whatever loads is consistent and drawable.
    for (int round = 0; round < 40; ++round) {
        std::string garbled = shipped;
        const size_t at = random() % garbled.size();
        const size_t run = 1 + random() % 16;
        for (size_t i = at; i < at + run && i < garbled.size(); ++i)
            garbled[i] = static_cast<char>(byte(random));
        SCOPED_TRACE(testing::Message() << "garbled at " << at << " for " << run);
        Load(garbled);
        ExpectConsistent(*skin);
        ExpectPaintable(*skin);
        if (HasFatalFailure())
            return;
    }
    ExpectSafeAndRecoverable();
}

TEST_F(SkinMalformed, HugeValuesFail) {
    // A path as long as a tag may be, and one longer than that.
    std::string text = shipped;
    ReplaceFirst(text, "path=\"main.bmp\"", "path=\"" + std::string(8000, 'm') + ".bmp\"");
    EXPECT_FALSE(Load(text));
    text = shipped;
    ReplaceFirst(text, "path=\"main.bmp\"", "path=\"" + std::string(9000, 'm') + ".bmp\"");
    EXPECT_FALSE(Load(text));
    text = shipped;
    ReplaceFirst(text, "path=\"main.bmp\"", "path=\"" + std::string(200000, 'm') + ".bmp\"");
    EXPECT_FALSE(Load(text));
    EXPECT_EQ(0, LoadedCount(*skin));

    // Character data beyond the reader's limit.
    text = shipped;
    ReplaceFirst(text, "<windowSkins>", "<windowSkins>" + std::string(200000, 'x'));
    EXPECT_FALSE(Load(text));

    // Rectangles that overflow, cannot be allocated or are inside out.
    for (const char* rect : {"0,0,100000,100000", "0x7fffffff,0,1,1", "0,0,2147483647,2147483647",
                             "99999999999999999999,0,1,1", "5,5,-5,5", "0,0,1,-2147483647", "-1,-1,0,0"}) {
        SCOPED_TRACE(rect);
        text = shipped;
        ReplaceFirst(text, "rect=\"0,0,5,5\"", std::string("rect=\"") + rect + "\"");
        EXPECT_FALSE(Load(text));
        EXPECT_EQ(0, LoadedCount(*skin));  // TopLeft is the first part of the first section
    }

    // Thousands of attributes and of parts the loader does not know.
    std::string attributes;
    while (attributes.size() < 8000)
        attributes += " a=\"1\"";
    text = shipped;
    ReplaceFirst(text, "<parts>", "<parts" + attributes + ">");
    EXPECT_TRUE(Load(text));
    std::string parts;
    for (int i = 0; i < 20000; ++i)
        parts += "<part name=\"Extra\" rect=\"0,0,1,1\"/>";
    text = shipped;
    ReplaceFirst(text, "<parts>", "<parts>" + parts);
    EXPECT_TRUE(Load(text));
    ExpectSafeAndRecoverable();
}

TEST_F(SkinMalformed, DeepNestingNeitherOverflowsNorConfuses) {
    // Without a skin element anywhere.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_FALSE(Load(deep));
    // Its only section has no target: skipped, so nothing loads and nothing failed.
    EXPECT_TRUE(Load("<skin><windowSkins>" + deep));
    EXPECT_EQ(0, LoadedCount(*skin));

    // The description buried deep down is still found and loads completely.
    std::string buried = shipped;
    ReplaceFirst(buried, "<skin ", deep + "<skin ");
    EXPECT_TRUE(Load(buried));
    EXPECT_EQ(static_cast<int>(full.size()), LoadedCount(*skin));

    // Deep nesting inside the frame's parts: the real parts are no longer children of "parts",
    // whose only child has no name. The frame gets no pieces; the other sections load.
    std::string nested = shipped;
    ReplaceFirst(nested, "<parts>", "<parts>" + deep);
    std::string closing;
    for (int i = 0; i < 100000; ++i)
        closing += "</a>";
    ReplaceFirst(nested, "</parts>", closing + "</parts>");
    EXPECT_TRUE(Load(nested));
    EXPECT_TRUE(skin->Frame(CSkin::FramePart::TopLeft).IsEmpty());
    EXPECT_TRUE(skin->Splitter().IsEmpty());
    EXPECT_FALSE(skin->HeaderBG().IsEmpty());
    ExpectSafeAndRecoverable();
}

TEST_F(SkinMalformed, MissingBitmapFailsItsSectionAndKeepsEarlierOnes) {
    int previouslyLoaded = 0;
    for (size_t index = 0; index < sizeof(kBitmaps) / sizeof(kBitmaps[0]); ++index) {
        const wchar_t* bitmap = kBitmaps[index];
        const std::wstring name(bitmap);
        SCOPED_TRACE(testing::Message() << "without " << std::string(name.begin(), name.end()));
        ASSERT_TRUE(::DeleteFileW(folder.SkinPath(bitmap).c_str()));
        EXPECT_FALSE(Load(shipped));
        ExpectConsistent(*skin);
        ExpectOnlyIntactPictures();
        ExpectPaintable(*skin);
        // Sections load in file order: each missing bitmap leaves more loaded than the last.
        const int loaded = LoadedCount(*skin);
        if (index > 0) {
            EXPECT_GT(loaded, previouslyLoaded);
        }
        previouslyLoaded = loaded;
        folder.WriteFile(bitmap, bitmaps[index]);
    }
    ExpectSafeAndRecoverable();
}

TEST_F(SkinMalformed, BitmapThatIsNoBitmapFails) {
    const std::string& real = bitmaps[0];
    std::string hugeHeader = real.substr(0, 54);
    hugeHeader[18] = hugeHeader[19] = hugeHeader[22] = hugeHeader[23] = '\x7f';  // 32639 x 32639
    std::string zeroSize = real.substr(0, 54);
    for (int i = 18; i < 26; ++i)
        zeroSize[i] = '\0';
    const std::string notBitmaps[] = {
        "",
        "this is no bitmap\r\n",
        std::string("\x89PNG\r\n\x1a\n", 8) + std::string(400, '\x11'),
        std::string("BM") + std::string(60, '\xff'),
        hugeHeader,
        zeroSize,
        real.substr(0, 30),               // cut inside the information header
        real.substr(0, real.size() / 2),  // pixels cut off
    };
    for (size_t i = 0; i < sizeof(notBitmaps) / sizeof(notBitmaps[0]); ++i) {
        SCOPED_TRACE(testing::Message() << "not a bitmap #" << i);
        folder.WriteFile(L"main.bmp", notBitmaps[i]);
        EXPECT_FALSE(Load(shipped));
        EXPECT_EQ(0, LoadedCount(*skin));
        ExpectConsistent(*skin);
    }

    // Trailing bytes after the pixels do no harm.
    folder.WriteFile(L"main.bmp", real + std::string(100, '\0'));
    EXPECT_TRUE(Load(shipped));

    // A folder where the bitmap should be.
    ASSERT_TRUE(::DeleteFileW(folder.SkinPath(L"main.bmp").c_str()));
    ASSERT_TRUE(::CreateDirectoryW(folder.SkinPath(L"main.bmp").c_str(), nullptr));
    EXPECT_FALSE(Load(shipped));
    EXPECT_EQ(0, LoadedCount(*skin));
    ::RemoveDirectoryW(folder.SkinPath(L"main.bmp").c_str());
    folder.WriteFile(L"main.bmp", real);
    ExpectSafeAndRecoverable();
}

TEST_F(SkinMalformed, WindowsDrawFromAPartlyLoadedSkin) {
    // The frame section stops after its first two parts; the strips and the rest stay empty.
    std::string text = shipped;
    ReplaceFirst(text, "<part name=\"TopRight\" rect=\"195,0,5,5\"/>", "<part name=\"TopRight\" rect=\"\"/>");
    ASSERT_FALSE(Load(text));
    const CSkinImage& topLeft = skin->Frame(CSkin::FramePart::TopLeft);
    const CSkinImage& top = skin->Frame(CSkin::FramePart::Top);
    ASSERT_FALSE(topLeft.IsEmpty());
    ASSERT_FALSE(top.IsEmpty());
    EXPECT_EQ(2, LoadedCount(*skin));

    DibCanvas canvas(400, 260);
    canvas.Fill(kBlank);
    PaintLikeTheWindows(*skin, canvas.Dc(), 400, 260);
    EXPECT_EQ(PixelOf(topLeft.Dc(), 0, 0), canvas.At(0, 0));
    EXPECT_EQ(PixelOf(top.Dc(), 0, 0), canvas.At(topLeft.Width() + 7, 0));
    // The top border runs to the right edge, where the missing corner would have been.
    EXPECT_EQ(PixelOf(top.Dc(), 0, 0), canvas.At(399, 0));
    // Nothing where only empty pictures would draw: tabs, player bar, lamps, header, bottom.
    for (POINT p : {POINT{12, 45}, POINT{200, 60}, POINT{15, 95}, POINT{12, 152}, POINT{20, 175}, POINT{30, 212},
                    POINT{0, 259}, POINT{399, 259}, POINT{0, 100}})
        EXPECT_EQ(kBlank, canvas.At(p.x, p.y)) << p.x << "," << p.y;

    // A strip with only its middle piece tiles that piece across the whole width.
    SkinStrip strip;
    strip.middle = CSkinImage();
    ASSERT_TRUE(strip.middle.Cut(RECT{0, 0, 3, 4}, topLeft.Dc()));
    canvas.Fill(kBlank);
    strip.Draw(canvas.Dc(), RECT{10, 10, 30, 30});
    EXPECT_EQ(kBlank, canvas.At(9, 10));
    EXPECT_EQ(PixelOf(topLeft.Dc(), 0, 0), canvas.At(10, 10));
    EXPECT_EQ(PixelOf(topLeft.Dc(), (28 - 10) % 3, 3), canvas.At(28, 13));
    EXPECT_EQ(kBlank, canvas.At(30, 10));
    EXPECT_EQ(kBlank, canvas.At(10, 14));  // the strip keeps the piece's own height

    // A rectangle narrower than the caps draws the caps and no middle, not a negative run.
    skin->Tab(CSkin::TabLook::Normal).Draw(canvas.Dc(), RECT{50, 50, 40, 60});
    strip.Draw(canvas.Dc(), RECT{100, 100, 90, 110});
    EXPECT_EQ(kBlank, canvas.At(95, 100));
    ExpectSafeAndRecoverable();
}
