#include "common/skin/Skin.h"

#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

#include "common/xml/XmlStream.h"
#include "framework/win/Trace.h"

namespace {

std::unique_ptr<CSkin> theSkin;

struct NamedImage {
    const char* name;
    CSkinImage* image;
};

struct NamedRect {
    const char* name;
    RECT* rect;
};

// Part and anchor names compare without regard to case (ASCII only: the names are ASCII).
bool EqualNoCase(const char* a, const char* b) {
    auto fold = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
    for (; *a && *b; ++a, ++b) {
        if (fold(*a) != fold(*b))
            return false;
    }
    return *a == *b;
}

// Leading decimal digits, as atoi reads them; absent or non-numeric gives 0.
int ReadInt(const char* text) {
    if (!text)
        return 0;
    const long value = std::strtol(text, nullptr, 10);
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

std::wstring Utf8ToWide(const char* text) {
    const int length = ::MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (length <= 1)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

// Checks a bitmap file's headers against its length before the system reads it: Wine's
// loader, for one, makes a picture of garbage out of a cut-off file or a zero-sized one.
bool IsWholeBitmapFile(const std::wstring& file) {
    WIN32_FILE_ATTRIBUTE_DATA attributes;
    if (!::GetFileAttributesExW(file.c_str(), GetFileExInfoStandard, &attributes) ||
        (attributes.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || attributes.nFileSizeHigh != 0)
        return false;
    const uint64_t fileSize = attributes.nFileSizeLow;
    BITMAPFILEHEADER header{};
    BITMAPINFOHEADER info{};
    const std::unique_ptr<FILE, int (*)(FILE*)> stream(_wfopen(file.c_str(), L"rb"), &std::fclose);
    if (!stream)
        return false;
    const bool read = std::fread(&header, sizeof(header), 1, stream.get()) == 1 &&
                      std::fread(&info.biSize, sizeof(info.biSize), 1, stream.get()) == 1;
    int64_t width = 0;
    int64_t height = 0;
    int bitCount = 0;
    bool uncompressed = true;
    bool known = false;
    if (read && info.biSize == sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core{};
        known = std::fread(&core.bcWidth, sizeof(core) - sizeof(core.bcSize), 1, stream.get()) == 1;
        width = core.bcWidth;
        height = core.bcHeight;
        bitCount = core.bcBitCount;
    } else if (read && info.biSize >= sizeof(BITMAPINFOHEADER) && info.biSize < fileSize) {
        known = std::fread(&info.biWidth, sizeof(info) - sizeof(info.biSize), 1, stream.get()) == 1;
        width = info.biWidth;
        height = info.biHeight < 0 ? -static_cast<int64_t>(info.biHeight) : info.biHeight;
        bitCount = info.biBitCount;
        uncompressed = info.biCompression == BI_RGB || info.biCompression == BI_BITFIELDS;
    }
    if (!known || header.bfType != 0x4D42 || width <= 0 || height <= 0 || header.bfOffBits >= fileSize)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return false;
    // Compressed pixels have no fixed length; uncompressed rows are padded to 4 bytes.
    const uint64_t rowBytes = ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
    return !uncompressed || header.bfOffBits + rowBytes * static_cast<uint64_t>(height) <= fileSize;
}

// The section's bitmap file, selected into a memory DC for the cutting; null when the
// "image" element, its "path" or the bitmap is missing, or the file is no whole bitmap.
std::unique_ptr<CSelectedBitmap> LoadSectionBitmap(const XML::CNode& section, const std::wstring& folder) {
    const XML::CNode* image = section.FindElement("image");
    if (!image)
        return nullptr;
    const char* path = image->GetAttribute("path");
    if (!path || !*path)
        return nullptr;
    const std::wstring file = folder + Utf8ToWide(path);
    if (!IsWholeBitmapFile(file))
        return nullptr;
    auto bitmap = static_cast<HBITMAP>(::LoadImageW(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (!bitmap)
        return nullptr;
    auto selected = std::make_unique<CSelectedBitmap>(nullptr, bitmap);
    if (!selected->IsValid())
        return nullptr;
    return selected;
}

// Cuts every listed part of the section's "parts" element; other names are ignored.
bool CutParts(const XML::CNode& section, HDC source, std::initializer_list<NamedImage> table, bool mayBeEmpty = false) {
    const XML::CNode* parts = section.FindElement("parts");
    if (!parts || (!parts->FirstChild() && !mayBeEmpty))
        return false;
    for (const XML::CNode* part = parts->FirstChild(); part; part = part->NextSibling()) {
        const char* name = part->GetAttribute("name");
        if (!name)
            continue;
        for (const NamedImage& entry : table) {
            if (!EqualNoCase(name, entry.name))
                continue;
            RECT rect;
            if (!ParseSkinRect(part->GetAttribute("rect"), rect) || !entry.image->Cut(rect, source))
                return false;
            break;
        }
    }
    return true;
}

// Reads every listed anchor of the section's "anchors" element; other names are ignored.
bool ReadAnchors(const XML::CNode& section, std::initializer_list<NamedRect> table) {
    const XML::CNode* anchors = section.FindElement("anchors");
    if (!anchors || !anchors->FirstChild())
        return false;
    for (const XML::CNode* anchor = anchors->FirstChild(); anchor; anchor = anchor->NextSibling()) {
        const char* name = anchor->GetAttribute("name");
        if (!name)
            continue;
        for (const NamedRect& entry : table) {
            if (!EqualNoCase(name, entry.name))
                continue;
            if (!ParseSkinRect(anchor->GetAttribute("rect"), *entry.rect))
                return false;
            break;
        }
    }
    return true;
}

}  // namespace

bool ParseSkinRect(const char* text, RECT& rect) {
    if (!text || !*text)
        return false;
    long long numbers[4];
    const char* p = text;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (*p != ',')
                return false;
            ++p;
        }
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(p, &end, 0);
        if (end == p || errno == ERANGE)
            return false;
        numbers[i] = value;
        p = end;
    }
    const long long right = numbers[0] + numbers[2];
    const long long bottom = numbers[1] + numbers[3];
    if (right < INT_MIN || right > INT_MAX || bottom < INT_MIN || bottom > INT_MAX)
        return false;
    rect.left = static_cast<LONG>(numbers[0]);
    rect.top = static_cast<LONG>(numbers[1]);
    rect.right = static_cast<LONG>(right);
    rect.bottom = static_cast<LONG>(bottom);
    return true;
}

CSkin* CSkin::Instance() {
    if (!theSkin)
        theSkin.reset(new (std::nothrow) CSkin);
    return theSkin.get();
}

void CSkin::Destroy() { theSkin.reset(); }

void CSkin::Clear() {
    skinFolder_.clear();
    skinsRoot_.clear();
    for (CSkinImage& image : framePieces_)
        image.Clear();
    splitter_.Clear();
    for (CSkinImage& image : captionImages_)
        image.Clear();
    for (RECT& place : captionButtonPlaces_)
        place = RECT{};
    naviHeight_ = naviGap_ = captionTextLeft_ = captionTextTop_ = 0;
    for (SkinStrip& strip : tabs_)
        strip.Clear();
    playerHeight_ = 0;
    for (CSkinImage& image : playerPictures_)
        image.Clear();
    for (RECT& place : playerButtonPlaces_)
        place = RECT{};
    lampHeight_ = 0;
    for (CSkinImage& image : lamps_)
        image.Clear();
    trackbarHeight_ = 0;
    for (CSkinImage& image : trackPictures_)
        image.Clear();
    headerBG_.Clear();
}

bool CSkin::LocateFolders(HMODULE module) {
    wchar_t path[MAX_PATH + 1] = {};
    const DWORD length = ::GetModuleFileNameW(module, path, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH)  // longer names come back cut: no folder to trust
        return false;
    wchar_t* lastSlash = std::wcsrchr(path, L'\\');
    if (!lastSlash)
        return false;
    *lastSlash = L'\0';
    skinsRoot_ = std::wstring(path) + L"\\skin\\";
    skinFolder_ = skinsRoot_ + L"general\\";
    return true;
}

bool CSkin::Load(HMODULE module) {
    // A reload starts from nothing, so a skin never mixes pictures of two files.
    Clear();
    if (!LocateFolders(module))
        return false;

    std::unique_ptr<XML::CNode> root;
    try {
        XML::CFileStream stream;
        stream.OpenFile((skinFolder_ + L"skin.xml").c_str());
        stream.Parse(root);
    } catch (const XML::CStreamException&) {
        TraceCaughtException(L"Reading skin.xml");
        return false;  // the stream closed itself and root frees what was built
    } catch (const std::bad_alloc&) {
        TraceCaughtException(L"Reading skin.xml");
        return false;
    }
    if (!root)
        return false;
    const XML::CNode* skin = root->FindElement("skin");
    const XML::CNode* windowSkins = skin ? skin->FindElement("windowSkins") : nullptr;
    if (!windowSkins || !windowSkins->FirstChild())
        return false;

    for (const XML::CNode* section = windowSkins->FirstChild(); section; section = section->NextSibling()) {
        const char* target = section->GetAttribute("target");
        if (target && !LoadSection(target, *section))
            return false;
    }
    return true;
}

bool CSkin::LoadSection(const char* target, const XML::CNode& section) {
    // Targets compare with case; an unknown target is skipped.
    if (std::strcmp(target, "main") == 0)
        return LoadMain(section);
    if (std::strcmp(target, "navipanel") == 0)
        return LoadNaviPanel(section);
    if (std::strcmp(target, "player") == 0)
        return LoadPlayer(section);
    if (std::strcmp(target, "lamp") == 0)
        return LoadLamp(section);
    if (std::strcmp(target, "trackbar") == 0)
        return LoadTrackbar(section);
    if (std::strcmp(target, "channelList") == 0)
        return LoadChannelList(section);
    return true;
}

bool CSkin::LoadMain(const XML::CNode& section) {
    auto bitmap = LoadSectionBitmap(section, skinFolder_);
    if (!bitmap)
        return false;
    if (!ReadAnchors(section, {{"Minimize", &captionButtonPlaces_[Index(CaptionButton::Minimize)]},
                               {"Maximize", &captionButtonPlaces_[Index(CaptionButton::Maximize)]},
                               {"Close", &captionButtonPlaces_[Index(CaptionButton::Close)]}}))
        return false;
    auto frame = [this](FramePart part) { return &framePieces_[Index(part)]; };
    auto caption = [this](CaptionImage image) { return &captionImages_[Index(image)]; };
    return CutParts(section, bitmap->Dc(),
                    {{"TopLeft", frame(FramePart::TopLeft)},
                     {"Top", frame(FramePart::Top)},
                     {"TopRight", frame(FramePart::TopRight)},
                     {"LeftTop", frame(FramePart::LeftTop)},
                     {"Left", frame(FramePart::Left)},
                     {"LeftBottom", frame(FramePart::LeftBottom)},
                     {"RightTop", frame(FramePart::RightTop)},
                     {"Right", frame(FramePart::Right)},
                     {"RightBottom", frame(FramePart::RightBottom)},
                     {"BottomLeft", frame(FramePart::BottomLeft)},
                     {"Bottom", frame(FramePart::Bottom)},
                     {"BottomRight", frame(FramePart::BottomRight)},
                     {"VSplitBack", &splitter_},
                     {"MinimiseBtn", caption(CaptionImage::MinimiseBtn)},
                     {"MinimiseHover", caption(CaptionImage::MinimiseHover)},
                     {"MinimiseDown", caption(CaptionImage::MinimiseDown)},
                     {"MaximiseBtn", caption(CaptionImage::MaximiseBtn)},
                     {"MaximiseHover", caption(CaptionImage::MaximiseHover)},
                     {"MaximiseDown", caption(CaptionImage::MaximiseDown)},
                     {"CloseBtn", caption(CaptionImage::CloseBtn)},
                     {"CloseHover", caption(CaptionImage::CloseHover)},
                     {"CloseDown", caption(CaptionImage::CloseDown)}});
}

bool CSkin::LoadNaviPanel(const XML::CNode& section) {
    naviHeight_ = ReadInt(section.GetAttribute("height"));
    if (naviHeight_ == 0)
        return false;
    naviGap_ = ReadInt(section.GetAttribute("gap"));
    const XML::CNode* caption = section.FindElement("caption");
    if (!caption)
        return false;
    captionTextLeft_ = ReadInt(caption->GetAttribute("left"));
    captionTextTop_ = ReadInt(caption->GetAttribute("top"));
    auto bitmap = LoadSectionBitmap(section, skinFolder_);
    if (!bitmap)
        return false;
    auto& normal = tabs_[Index(TabLook::Normal)];
    auto& hover = tabs_[Index(TabLook::Hover)];
    auto& down = tabs_[Index(TabLook::Down)];
    auto& active = tabs_[Index(TabLook::Active)];
    auto& activeHover = tabs_[Index(TabLook::ActiveHover)];
    return CutParts(section, bitmap->Dc(),
                    {{"backL", &normal.left},
                     {"back", &normal.middle},
                     {"backR", &normal.right},
                     {"hoverL", &hover.left},
                     {"hover", &hover.middle},
                     {"hoverR", &hover.right},
                     {"downL", &down.left},
                     {"down", &down.middle},
                     {"downR", &down.right},
                     {"activeL", &active.left},
                     {"active", &active.middle},
                     {"activeR", &active.right},
                     {"acthoverL", &activeHover.left},
                     {"acthover", &activeHover.middle},
                     {"acthoverR", &activeHover.right}});
}

bool CSkin::LoadPlayer(const XML::CNode& section) {
    playerHeight_ = ReadInt(section.GetAttribute("height"));
    if (playerHeight_ == 0)
        return false;
    auto place = [this](PlayerButton button) { return &playerButtonPlaces_[Index(button)]; };
    if (!ReadAnchors(section, {{"backward", place(PlayerButton::Backward)},
                               {"play", place(PlayerButton::Play)},
                               {"forward", place(PlayerButton::Forward)},
                               {"stop", place(PlayerButton::Stop)},
                               {"volume", place(PlayerButton::Volume)}}))
        return false;
    auto bitmap = LoadSectionBitmap(section, skinFolder_);
    if (!bitmap)
        return false;
    auto picture = [this](PlayerPicture p) { return &playerPictures_[Index(p)]; };
    return CutParts(section, bitmap->Dc(),
                    {{"background", picture(PlayerPicture::Background)},
                     {"backgroundBanner", picture(PlayerPicture::BackgroundBanner)},
                     {"forward", picture(PlayerPicture::Forward)},
                     {"forwardDown", picture(PlayerPicture::ForwardDown)},
                     {"play", picture(PlayerPicture::Play)},
                     {"playDown", picture(PlayerPicture::PlayDown)},
                     {"backward", picture(PlayerPicture::Backward)},
                     {"backwardDown", picture(PlayerPicture::BackwardDown)},
                     {"stop", picture(PlayerPicture::Stop)},
                     {"stopDown", picture(PlayerPicture::StopDown)},
                     {"pause", picture(PlayerPicture::Pause)},
                     {"pausedown", picture(PlayerPicture::PauseDown)},
                     {"volume", picture(PlayerPicture::Volume)},
                     {"volumedown", picture(PlayerPicture::VolumeDown)}});
}

bool CSkin::LoadLamp(const XML::CNode& section) {
    lampHeight_ = ReadInt(section.GetAttribute("height"));
    if (lampHeight_ == 0)
        return false;
    auto bitmap = LoadSectionBitmap(section, skinFolder_);
    if (!bitmap)
        return false;
    return CutParts(section, bitmap->Dc(),
                    {{"dark", &lamps_[Index(Lamp::Dark)]},
                     {"red", &lamps_[Index(Lamp::Red)]},
                     {"green", &lamps_[Index(Lamp::Green)]},
                     {"blue", &lamps_[Index(Lamp::Blue)]}});
}

bool CSkin::LoadTrackbar(const XML::CNode& section) {
    trackbarHeight_ = ReadInt(section.GetAttribute("height"));
    if (trackbarHeight_ == 0)
        return false;
    auto bitmap = LoadSectionBitmap(section, skinFolder_);
    if (!bitmap)
        return false;
    auto picture = [this](TrackPicture p) { return &trackPictures_[Index(p)]; };
    return CutParts(section, bitmap->Dc(),
                    {{"slider", picture(TrackPicture::Slider)},
                     {"sliderDown", picture(TrackPicture::SliderDown)},
                     {"backLeft", picture(TrackPicture::BackLeft)},
                     {"backRight", picture(TrackPicture::BackRight)},
                     {"back", picture(TrackPicture::Back)},
                     {"past", picture(TrackPicture::Past)},
                     {"pastHead", picture(TrackPicture::PastHead)}});
}

bool CSkin::LoadChannelList(const XML::CNode& section) {
    auto bitmap = LoadSectionBitmap(section, skinFolder_);
    if (!bitmap)
        return false;
    return CutParts(section, bitmap->Dc(), {{"headerBG", &headerBG_}}, true);
}
