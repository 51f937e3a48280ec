#pragma once
// The process-wide skin: every picture and size the skinned windows draw with, filled once
// from "skin\general\skin.xml" beside a module.
#include <windows.h>

#include <string>

#include "common/skin/SkinImage.h"

namespace XML {
class CNode;
}

namespace skin_detail {
template <class E>
constexpr int CountOf() { return static_cast<int>(E::Count); }
}  // namespace skin_detail

class CSkin {
public:
    enum class FramePart { TopLeft, Top, TopRight, LeftTop, Left, LeftBottom, RightTop, Right, RightBottom,
                           BottomLeft, Bottom, BottomRight, Count };
    enum class CaptionImage { MinimiseBtn, MinimiseHover, MinimiseDown, MaximiseBtn, MaximiseHover, MaximiseDown,
                              CloseBtn, CloseHover, CloseDown, Count };
    enum class CaptionButton { Minimize, Maximize, Close, Count };
    enum class TabLook { Normal, Hover, Down, Active, ActiveHover, Count };
    enum class PlayerPicture { Background, BackgroundBanner, Forward, ForwardDown, Play, PlayDown, Backward,
                               BackwardDown, Stop, StopDown, Pause, PauseDown, Volume, VolumeDown, Count };
    enum class PlayerButton { Backward, Forward, Stop, Play, Volume, Count };
    enum class Lamp { Dark, Red, Green, Blue, Count };
    enum class TrackPicture { Slider, SliderDown, BackLeft, BackRight, Back, Past, PastHead, Count };

    // The single skin object, created empty on first use; null only when memory ran out.
    static CSkin* Instance();
    // Frees the skin object and its pictures (at program exit, or when the last control goes).
    static void Destroy();

    // Fills the skin from "skin\general\skin.xml" in the folder of module. Sections load in
    // file order until the first one that fails. True when every section loaded; callers go on
    // with whatever was loaded either way.
    bool Load(HMODULE module);

    const std::wstring& SkinFolder() const { return skinFolder; }  // ...\skin\general\ (empty)
    const std::wstring& SkinsRoot() const { return skinsRoot; }    // ...\skin\ (empty)

    // "main": frame border and caption, splitter, caption buttons.
    const CSkinImage& Frame(FramePart part) const { return framePieces[Index(part)]; }
    const CSkinImage& Splitter() const { return splitter; }
    const CSkinImage& Caption(CaptionImage image) const { return captionImages[Index(image)]; }
    // Relative to the window's top-right corner.
    const RECT& CaptionButtonPlace(CaptionButton button) const { return captionButtonPlaces[Index(button)]; }

    // "navipanel": the tab strip.
    int NaviHeight() const { return naviHeight; }
    int NaviGap() const { return naviGap; }
    int CaptionTextLeft() const { return captionTextLeft; }
    int CaptionTextTop() const { return captionTextTop; }
    const CSkinStrip& Tab(TabLook look) const { return tabs[Index(look)]; }

    // "player": the player bar.
    int PlayerHeight() const { return playerHeight; }
    const CSkinImage& Player(PlayerPicture picture) const { return playerPictures[Index(picture)]; }
    const RECT& PlayerButtonPlace(PlayerButton button) const { return playerButtonPlaces[Index(button)]; }

    // "lamp" and "trackbar".
    int LampHeight() const { return lampHeight; }
    const CSkinImage& LampImage(Lamp lamp) const { return lamps[Index(lamp)]; }
    int TrackbarHeight() const { return trackbarHeight; }
    const CSkinImage& Track(TrackPicture picture) const { return trackPictures[Index(picture)]; }

    // "channelList": background of the section headers.
    const CSkinImage& HeaderBG() const { return headerBG; }

private:
    template <class E>
    static constexpr int Index(E value) { return static_cast<int>(value); }

    CSkin() = default;
    CSkin(const CSkin&) = delete;
    CSkin& operator=(const CSkin&) = delete;

    void Clear();
    bool LocateFolders(HMODULE module);
    bool LoadSection(const char* target, const XML::CNode& section);
    bool LoadMain(const XML::CNode& section);
    bool LoadNaviPanel(const XML::CNode& section);
    bool LoadPlayer(const XML::CNode& section);
    bool LoadLamp(const XML::CNode& section);
    bool LoadTrackbar(const XML::CNode& section);
    bool LoadChannelList(const XML::CNode& section);

    std::wstring skinFolder;
    std::wstring skinsRoot;
    CSkinImage framePieces[skin_detail::CountOf<FramePart>()];
    CSkinImage splitter;
    CSkinImage captionImages[skin_detail::CountOf<CaptionImage>()];
    RECT captionButtonPlaces[skin_detail::CountOf<CaptionButton>()] = {};
    int naviHeight = 0;
    int naviGap = 0;
    int captionTextLeft = 0;
    int captionTextTop = 0;
    CSkinStrip tabs[skin_detail::CountOf<TabLook>()];
    int playerHeight = 0;
    CSkinImage playerPictures[skin_detail::CountOf<PlayerPicture>()];
    RECT playerButtonPlaces[skin_detail::CountOf<PlayerButton>()] = {};
    int lampHeight = 0;
    CSkinImage lamps[skin_detail::CountOf<Lamp>()];
    int trackbarHeight = 0;
    CSkinImage trackPictures[skin_detail::CountOf<TrackPicture>()];
    CSkinImage headerBG;
};

// A "rect" value "left,top,width,height", each number decimal, 0x hexadecimal or 0 octal.
// False when fewer than four numbers are given or the rectangle does not fit 32 bits.
bool ParseSkinRect(const char* text, RECT& rect);
