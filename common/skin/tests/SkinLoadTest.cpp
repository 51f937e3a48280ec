#include <gtest/gtest.h>

#include <string>

#include "common/skin/Skin.h"
#include "common/skin/tests/SkinTestSupport.h"

namespace {

using Part = CSkin::FramePart;

const char kMain[] =
    "  <windowSkin target=\"main\">\n"
    "    <image path=\"main.bmp\"/>\n"
    "    <anchors>\n"
    "      <anchor name=\"Minimize\" rect=\"-90,4,26,18\"/>\n"
    "      <anchor name=\"Maximize\" rect=\"-62,4,26,18\"/>\n"
    "      <anchor name=\"Close\" rect=\"-34,4,26,18\"/>\n"
    "    </anchors>\n"
    "    <parts>\n"
    "      <part name=\"TopLeft\" rect=\"10,20,30,40\"/>\n"
    "      <part name=\"Top\" rect=\"0,0,1,26\"/>\n"
    "      <part name=\"VSplitBack\" rect=\"50,50,8,8\"/>\n"
    "      <part name=\"CloseDown\" rect=\"100,0,26,18\"/>\n"
    "      <part name=\"Unknown\" rect=\"0,0,0,0\"/>\n"
    "    </parts>\n"
    "  </windowSkin>\n";
const char kNavi[] =
    "  <windowSkin target=\"navipanel\" height=\"30\" gap=\"3\">\n"
    "    <caption left=\"12\" top=\"8\"/>\n"
    "    <image path=\"navi.bmp\"/>\n"
    "    <parts>\n"
    "      <part name=\"backL\" rect=\"0,0,4,30\"/><part name=\"back\" rect=\"4,0,1,30\"/>\n"
    "      <part name=\"backR\" rect=\"5,0,4,30\"/>\n"
    "      <part name=\"acthoverR\" rect=\"60,0,5,30\"/>\n"
    "    </parts>\n"
    "  </windowSkin>\n";
const char kPlayer[] =
    "  <windowSkin target=\"player\" height=\"40\">\n"
    "    <anchors><a name=\"play\" rect=\"100,4,32,32\"/><a name=\"volume\" rect=\"200,8,24,24\"/></anchors>\n"
    "    <image path=\"player.bmp\"/>\n"
    "    <parts><p name=\"background\" rect=\"0,0,1,40\"/><p name=\"pausedown\" rect=\"40,0,32,32\"/></parts>\n"
    "  </windowSkin>\n";
const char kLamp[] =
    "  <windowSkin target=\"lamp\" height=\"12\">\n"
    "    <image path=\"lamp.bmp\"/>\n"
    "    <parts><p name=\"green\" rect=\"24,0,12,12\"/></parts>\n"
    "  </windowSkin>\n";
const char kTrack[] =
    "  <windowSkin target=\"trackbar\" height=\"14\">\n"
    "    <image path=\"track.bmp\"/>\n"
    "    <parts><p name=\"pastHead\" rect=\"30,0,4,6\"/></parts>\n"
    "  </windowSkin>\n";
const char kChannelList[] =
    "  <windowSkin target=\"channelList\">\n"
    "    <image path=\"list.bmp\"/>\n"
    "    <parts><p name=\"headerBG\" rect=\"2,3,4,20\"/></parts>\n"
    "  </windowSkin>\n";

std::string Document(const std::string& sections) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<skin>\n<windowSkins>\n" + sections +
           "</windowSkins>\n</skin>\n";
}

std::string AllSections() { return std::string(kMain) + kNavi + kPlayer + kLamp + kTrack + kChannelList; }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(std::string::npos, at) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

class SkinLoad : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder.Module()) << "probe module copy missing";
        folder.WriteGradientBitmap(L"main.bmp", 160, 100, 11);
        folder.WriteGradientBitmap(L"navi.bmp", 70, 30, 22);
        folder.WriteGradientBitmap(L"player.bmp", 80, 40, 33);
        folder.WriteGradientBitmap(L"lamp.bmp", 48, 12, 44);
        folder.WriteGradientBitmap(L"track.bmp", 40, 14, 55);
        folder.WriteGradientBitmap(L"list.bmp", 10, 30, 66);
    }
    void TearDown() override { CSkin::Destroy(); }

    bool Load(const std::string& xml) {
        folder.WriteFile(L"skin.xml", xml);
        return skin->Load(folder.Module());
    }

    SkinFolder folder;
    CSkin* skin = CSkin::Instance();
};

}  // namespace

TEST_F(SkinLoad, EverySectionFillsItsFields) {
    ASSERT_TRUE(Load(Document(AllSections())));
    EXPECT_EQ(folder.Root() + L"\\skin\\", skin->SkinsRoot());
    EXPECT_EQ(folder.Root() + L"\\skin\\general\\", skin->SkinFolder());

    const CSkinImage& topLeft = skin->Frame(Part::TopLeft);
    EXPECT_EQ(30, topLeft.Width());
    EXPECT_EQ(40, topLeft.Height());
    EXPECT_EQ(RGB(10, 20, 11), PixelOf(topLeft.Dc(), 0, 0));
    EXPECT_EQ(RGB(39, 59, 11), PixelOf(topLeft.Dc(), 29, 39));
    EXPECT_EQ(26, skin->Frame(Part::Top).Height());
    EXPECT_TRUE(skin->Frame(Part::Bottom).IsEmpty());
    EXPECT_EQ(RGB(50, 50, 11), PixelOf(skin->Splitter().Dc(), 0, 0));
    EXPECT_EQ(RGB(100, 0, 11), PixelOf(skin->Caption(CSkin::CaptionImage::CloseDown).Dc(), 0, 0));
    EXPECT_TRUE(skin->Caption(CSkin::CaptionImage::CloseBtn).IsEmpty());
    const RECT& close = skin->CaptionButtonPlace(CSkin::CaptionButton::Close);
    EXPECT_EQ(-34, close.left);
    EXPECT_EQ(4, close.top);
    EXPECT_EQ(-8, close.right);
    EXPECT_EQ(22, close.bottom);
    EXPECT_EQ(-90, skin->CaptionButtonPlace(CSkin::CaptionButton::Minimize).left);

    EXPECT_EQ(30, skin->NaviHeight());
    EXPECT_EQ(3, skin->NaviGap());
    EXPECT_EQ(12, skin->CaptionTextLeft());
    EXPECT_EQ(8, skin->CaptionTextTop());
    const SkinStrip& normal = skin->Tab(CSkin::TabLook::Normal);
    EXPECT_EQ(RGB(0, 0, 22), PixelOf(normal.left.Dc(), 0, 0));
    EXPECT_EQ(RGB(4, 0, 22), PixelOf(normal.middle.Dc(), 0, 0));
    EXPECT_EQ(RGB(5, 0, 22), PixelOf(normal.right.Dc(), 0, 0));
    EXPECT_EQ(RGB(60, 0, 22), PixelOf(skin->Tab(CSkin::TabLook::ActiveHover).right.Dc(), 0, 0));
    EXPECT_TRUE(skin->Tab(CSkin::TabLook::ActiveHover).left.IsEmpty());

    EXPECT_EQ(40, skin->PlayerHeight());
    EXPECT_EQ(RGB(40, 0, 33), PixelOf(skin->Player(CSkin::PlayerPicture::PauseDown).Dc(), 0, 0));
    EXPECT_EQ(1, skin->Player(CSkin::PlayerPicture::Background).Width());
    EXPECT_EQ(132, skin->PlayerButtonPlace(CSkin::PlayerButton::Play).right);
    EXPECT_EQ(32, skin->PlayerButtonPlace(CSkin::PlayerButton::Volume).bottom);

    EXPECT_EQ(12, skin->LampHeight());
    EXPECT_EQ(RGB(24, 0, 44), PixelOf(skin->LampImage(CSkin::Lamp::Green).Dc(), 0, 0));
    EXPECT_EQ(14, skin->TrackbarHeight());
    EXPECT_EQ(RGB(30, 0, 55), PixelOf(skin->Track(CSkin::TrackPicture::PastHead).Dc(), 0, 0));
    EXPECT_EQ(RGB(2, 3, 66), PixelOf(skin->HeaderBG().Dc(), 0, 0));
    EXPECT_EQ(20, skin->HeaderBG().Height());
}

TEST_F(SkinLoad, RectanglesInDecimalHexAndOctal) {
    const std::string hex = Replace(kMain, "\"10,20,30,40\"", "\"0xA,024,0x1E,050\"");
    ASSERT_TRUE(Load(Document(hex)));
    EXPECT_EQ(RGB(10, 20, 11), PixelOf(skin->Frame(Part::TopLeft).Dc(), 0, 0));
    EXPECT_EQ(30, skin->Frame(Part::TopLeft).Width());
    EXPECT_EQ(40, skin->Frame(Part::TopLeft).Height());
}

TEST_F(SkinLoad, TargetsCompareWithCasePartNamesWithout) {
    std::string main = Replace(kMain, "\"TopLeft\"", "\"topleft\"");
    ASSERT_TRUE(Load(Document(main + Replace(kNavi, "\"navipanel\"", "\"NaviPanel\""))));
    EXPECT_EQ(30, skin->Frame(Part::TopLeft).Width());
    EXPECT_EQ(0, skin->NaviHeight());
    EXPECT_TRUE(skin->Tab(CSkin::TabLook::Normal).left.IsEmpty());

    // Children without a target are skipped too.
    ASSERT_TRUE(
        Load(Document("<windowSkin kind=\"main\"><image path=\"none.bmp\"/></windowSkin>" + std::string(kLamp))));
    EXPECT_EQ(12, skin->LampHeight());
}

TEST_F(SkinLoad, AttributeNamesArePrefixes) {
    ASSERT_TRUE(Load(Document(Replace(kMain, "rect=\"10,20,30,40\"", "rectangle=\"10,20,30,40\""))));
    EXPECT_EQ(30, skin->Frame(Part::TopLeft).Width());
}

TEST_F(SkinLoad, FailingSectionStopsTheRestAndKeepsEarlierOnes) {
    const std::string navi = Replace(kNavi, "height=\"30\"", "height=\"0\"");
    EXPECT_FALSE(Load(Document(std::string(kMain) + navi + kPlayer + kLamp)));
    EXPECT_EQ(30, skin->Frame(Part::TopLeft).Width());
    EXPECT_EQ(0, skin->NaviHeight());
    EXPECT_EQ(0, skin->PlayerHeight());
    EXPECT_EQ(0, skin->LampHeight());
    EXPECT_TRUE(skin->Player(CSkin::PlayerPicture::PauseDown).IsEmpty());

    // Loading again starts from an empty skin.
    ASSERT_TRUE(Load(Document(kLamp)));
    EXPECT_TRUE(skin->Frame(Part::TopLeft).IsEmpty());
    EXPECT_EQ(12, skin->LampHeight());
}

TEST_F(SkinLoad, BadPartOrAnchorFailsTheSectionKeepingEarlierPieces) {
    // An empty cut after TopLeft and Top.
    std::string main = Replace(kMain, "rect=\"50,50,8,8\"", "rect=\"50,50,0,8\"");
    EXPECT_FALSE(Load(Document(main + kLamp)));
    EXPECT_EQ(30, skin->Frame(Part::TopLeft).Width());
    EXPECT_EQ(1, skin->Frame(Part::Top).Width());
    EXPECT_TRUE(skin->Splitter().IsEmpty());
    EXPECT_TRUE(skin->Caption(CSkin::CaptionImage::CloseDown).IsEmpty());
    EXPECT_EQ(0, skin->LampHeight());

    EXPECT_FALSE(Load(Document(Replace(kMain, "rect=\"50,50,8,8\"", "rect=\"\""))));
    EXPECT_FALSE(Load(Document(Replace(kMain, "rect=\"50,50,8,8\"", "size=\"1,1,1,1\""))));
    EXPECT_FALSE(Load(Document(Replace(kMain, "rect=\"50,50,8,8\"", "rect=\"50,50,8\""))));
    EXPECT_FALSE(Load(Document(Replace(kMain, "rect=\"-34,4,26,18\"", "place=\"-34,4,26,18\""))));
    EXPECT_FALSE(skin->Frame(Part::TopLeft).Width());
    EXPECT_EQ(-90, skin->CaptionButtonPlace(CSkin::CaptionButton::Minimize).left);
}

TEST_F(SkinLoad, RequiredElementsOfEachSection) {
    EXPECT_FALSE(Load(Document(Replace(kMain, "<image path=\"main.bmp\"/>", ""))));
    EXPECT_FALSE(Load(Document(Replace(kMain, "path=\"main.bmp\"", "path=\"\""))));
    EXPECT_FALSE(Load(Document(Replace(kMain, "main.bmp", "missing.bmp"))));
    EXPECT_FALSE(Load(Document(Replace(kMain, "<anchors>", "<anchorz>"))));
    EXPECT_FALSE(Load(Document(Replace(kNavi, "<caption left=\"12\" top=\"8\"/>", ""))));
    EXPECT_FALSE(Load(Document(Replace(kPlayer, "height=\"40\"", ""))));
    EXPECT_FALSE(Load(Document(Replace(kTrack, "height=\"14\"", "height=\"x14\""))));
    EXPECT_FALSE(
        Load(Document(Replace(kLamp, "<parts><p name=\"green\" rect=\"24,0,12,12\"/></parts>", "<parts></parts>"))));
    EXPECT_FALSE(
        Load(Document("<windowSkin target=\"player\" height=\"40\"><anchors/>"
                      "<image path=\"player.bmp\"/><parts><p/></parts></windowSkin>")));

    // Caption offsets and the gap default to 0; heights read leading digits.
    std::string navi = Replace(kNavi, "<caption left=\"12\" top=\"8\"/>", "<caption/>");
    ASSERT_TRUE(Load(Document(Replace(Replace(navi, "gap=\"3\"", ""), "height=\"30\"", "height=\"30px\""))));
    EXPECT_EQ(30, skin->NaviHeight());
    EXPECT_EQ(0, skin->NaviGap());
    EXPECT_EQ(0, skin->CaptionTextLeft());
}

TEST_F(SkinLoad, ChannelListMayHaveNoParts) {
    ASSERT_TRUE(
        Load(Document(Replace(kChannelList, "<parts><p name=\"headerBG\" rect=\"2,3,4,20\"/></parts>", "<parts/>"))));
    EXPECT_TRUE(skin->HeaderBG().IsEmpty());
}

TEST_F(SkinLoad, DocumentLevelFailures) {
    EXPECT_FALSE(skin->Load(folder.Module()));  // no skin.xml yet
    EXPECT_FALSE(Load("<skin><windowSkins>" + std::string(kLamp) + "</windowSkins></skin></skin>"));
    EXPECT_FALSE(Load("<?xml-stylesheet?>" + Document(AllSections())));
    EXPECT_EQ(0, skin->LampHeight());
    EXPECT_FALSE(Load("<skin><other/></skin>"));
    EXPECT_FALSE(Load("<skin><windowSkins/></skin>"));
    EXPECT_FALSE(Load("<theme><windowSkins>" + std::string(kLamp) + "</windowSkins></theme>"));
    EXPECT_FALSE(Load(""));
    // Element names compare without case, and "skin" may sit deeper in the tree.
    EXPECT_TRUE(Load("<root><SKIN><WindowSkins>" + std::string(kLamp) + "</WindowSkins></SKIN></root>"));
    // Unknown targets alone load nothing, and nothing failed.
    EXPECT_TRUE(Load(Document("<windowSkin target=\"extra\"/>")));
}

TEST_F(SkinLoad, ImagePathIsUtf8) {
    folder.WriteGradientBitmap(L"\u76AE\u80A4.bmp", 10, 30, 77);
    ASSERT_TRUE(Load(Document(Replace(kChannelList, "list.bmp", "\xE7\x9A\xAE\xE8\x82\xA4.bmp"))));
    EXPECT_EQ(RGB(2, 3, 77), PixelOf(skin->HeaderBG().Dc(), 0, 0));
}

TEST(SkinInstance, SingleObjectUntilDestroyed) {
    CSkin* first = CSkin::Instance();
    ASSERT_TRUE(first);
    EXPECT_EQ(first, CSkin::Instance());
    EXPECT_EQ(0, first->NaviHeight());
    EXPECT_TRUE(first->HeaderBG().IsEmpty());
    CSkin::Destroy();
    EXPECT_TRUE(CSkin::Instance());
    CSkin::Destroy();
}

TEST(SkinRect, Forms) {
    RECT r{};
    ASSERT_TRUE(ParseSkinRect("10,20,30,40", r));
    EXPECT_EQ(10, r.left);
    EXPECT_EQ(20, r.top);
    EXPECT_EQ(40, r.right);
    EXPECT_EQ(60, r.bottom);
    EXPECT_FALSE(ParseSkinRect(" -0x10, 010,1 ,2", r));  // the comma must follow the number
    ASSERT_TRUE(ParseSkinRect(" -0x10, 010, 1,2", r));
    EXPECT_EQ(-16, r.left);
    EXPECT_EQ(8, r.top);
    EXPECT_EQ(-15, r.right);
    EXPECT_EQ(10, r.bottom);
    EXPECT_FALSE(ParseSkinRect(nullptr, r));
    EXPECT_FALSE(ParseSkinRect("", r));
    EXPECT_FALSE(ParseSkinRect("1,2,3", r));
    EXPECT_FALSE(ParseSkinRect("1,2,,4", r));
    EXPECT_FALSE(ParseSkinRect("08,1,1,1", r));
    EXPECT_FALSE(ParseSkinRect("2147483647,0,1,1", r));
    EXPECT_FALSE(ParseSkinRect("99999999999,0,1,1", r));
}

// The skin shipped with the programs: every picture and size is there.
TEST(ShippedSkin, LoadsCompletely) {
    ASSERT_FALSE(ShippedSkinFolder().empty()) << "TROVA_DIST_DIR is not set";
    SkinFolder folder;
    ASSERT_TRUE(folder.Module());
    ASSERT_GT(CopyDefaultSkin(folder), 1) << "no shipped skin folder, or a copy failed";

    CSkin* skin = CSkin::Instance();
    ASSERT_TRUE(skin->Load(folder.Module()));
    for (int i = 0; i < static_cast<int>(CSkin::FramePart::Count); ++i)
        EXPECT_FALSE(skin->Frame(static_cast<CSkin::FramePart>(i)).IsEmpty()) << "frame part " << i;
    EXPECT_FALSE(skin->Splitter().IsEmpty());
    for (int i = 0; i < static_cast<int>(CSkin::CaptionImage::Count); ++i)
        EXPECT_FALSE(skin->Caption(static_cast<CSkin::CaptionImage>(i)).IsEmpty()) << "caption image " << i;
    for (int i = 0; i < static_cast<int>(CSkin::CaptionButton::Count); ++i) {
        const RECT& place = skin->CaptionButtonPlace(static_cast<CSkin::CaptionButton>(i));
        EXPECT_LT(place.left, 0);
        EXPECT_FALSE(::IsRectEmpty(&place));
    }
    EXPECT_GT(skin->NaviHeight(), 0);
    for (int i = 0; i < static_cast<int>(CSkin::TabLook::Count); ++i) {
        const SkinStrip& tab = skin->Tab(static_cast<CSkin::TabLook>(i));
        EXPECT_EQ(skin->NaviHeight(), tab.left.Height()) << "tab look " << i;
        EXPECT_EQ(skin->NaviHeight(), tab.middle.Height()) << "tab look " << i;
        EXPECT_EQ(skin->NaviHeight(), tab.right.Height()) << "tab look " << i;
    }
    EXPECT_GT(skin->PlayerHeight(), 0);
    for (int i = 0; i < static_cast<int>(CSkin::PlayerPicture::Count); ++i)
        EXPECT_FALSE(skin->Player(static_cast<CSkin::PlayerPicture>(i)).IsEmpty()) << "player picture " << i;
    for (int i = 0; i < static_cast<int>(CSkin::PlayerButton::Count); ++i)
        EXPECT_FALSE(::IsRectEmpty(&skin->PlayerButtonPlace(static_cast<CSkin::PlayerButton>(i)))) << i;
    EXPECT_GT(skin->LampHeight(), 0);
    for (int i = 0; i < static_cast<int>(CSkin::Lamp::Count); ++i)
        EXPECT_FALSE(skin->LampImage(static_cast<CSkin::Lamp>(i)).IsEmpty()) << "lamp " << i;
    EXPECT_GT(skin->TrackbarHeight(), 0);
    for (int i = 0; i < static_cast<int>(CSkin::TrackPicture::Count); ++i)
        EXPECT_FALSE(skin->Track(static_cast<CSkin::TrackPicture>(i)).IsEmpty()) << "track picture " << i;
    EXPECT_EQ(20, skin->HeaderBG().Height());

    // The frame pieces fit together: columns as wide as their border, the caption band covered.
    using P = CSkin::FramePart;
    const int left = skin->Frame(P::Left).Width();
    const int right = skin->Frame(P::Right).Width();
    for (P piece : {P::TopLeft, P::LeftTop, P::LeftBottom, P::BottomLeft})
        EXPECT_EQ(left, skin->Frame(piece).Width()) << static_cast<int>(piece);
    for (P piece : {P::TopRight, P::RightBottom, P::BottomRight})
        EXPECT_EQ(right, skin->Frame(piece).Width()) << static_cast<int>(piece);
    const int top = skin->Frame(P::Top).Height();
    EXPECT_EQ(top, skin->Frame(P::TopLeft).Height() + skin->Frame(P::LeftTop).Height());
    EXPECT_EQ(top, skin->Frame(P::TopRight).Height() + skin->Frame(P::RightTop).Height());
    CSkin::Destroy();
}
