#pragma once
// The process-wide skin: every picture and size the skinned windows draw with, filled once
// from "skin\general\skin.xml" beside a module.
#include <windows.h>

#include <array>
#include <string>

#include "common/skin/SkinImage.h"

namespace XML {
class CNode;
}

class CSkin {
public:
    enum class FramePart {
        TopLeft,
        Top,
        TopRight,
        LeftTop,
        Left,
        LeftBottom,
        RightTop,
        Right,
        RightBottom,
        BottomLeft,
        Bottom,
        BottomRight,
        Count
    };
    enum class CaptionImage {
        MinimiseBtn,
        MinimiseHover,
        MinimiseDown,
        MaximiseBtn,
        MaximiseHover,
        MaximiseDown,
        CloseBtn,
        CloseHover,
        CloseDown,
        Count
    };
    enum class CaptionButton { Minimize, Maximize, Close, Count };
    enum class TabLook { Normal, Hover, Down, Active, ActiveHover, Count };
    enum class PlayerPicture {
        Background,
        BackgroundBanner,
        Forward,
        ForwardDown,
        Play,
        PlayDown,
        Backward,
        BackwardDown,
        Stop,
        StopDown,
        Pause,
        PauseDown,
        Volume,
        VolumeDown,
        Count
    };
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

    const std::wstring& SkinFolder() const { return skinFolder_; }  // ...\skin\general\ (empty)
    const std::wstring& SkinsRoot() const { return skinsRoot_; }    // ...\skin\ (empty)

    // "main": frame border and caption, splitter, caption buttons.
    const CSkinImage& Frame(FramePart part) const { return framePieces_[Index(part)]; }
    const CSkinImage& Splitter() const { return splitter_; }
    const CSkinImage& Caption(CaptionImage image) const { return captionImages_[Index(image)]; }
    // Relative to the window's top-right corner.
    const RECT& CaptionButtonPlace(CaptionButton button) const { return captionButtonPlaces_[Index(button)]; }

    // "navipanel": the tab strip.
    int NaviHeight() const { return naviHeight_; }
    int NaviGap() const { return naviGap_; }
    int CaptionTextLeft() const { return captionTextLeft_; }
    int CaptionTextTop() const { return captionTextTop_; }
    const SkinStrip& Tab(TabLook look) const { return tabs_[Index(look)]; }

    // "player": the player bar.
    int PlayerHeight() const { return playerHeight_; }
    const CSkinImage& Player(PlayerPicture picture) const { return playerPictures_[Index(picture)]; }
    const RECT& PlayerButtonPlace(PlayerButton button) const { return playerButtonPlaces_[Index(button)]; }

    // "lamp" and "trackbar".
    int LampHeight() const { return lampHeight_; }
    const CSkinImage& LampImage(Lamp lamp) const { return lamps_[Index(lamp)]; }
    int TrackbarHeight() const { return trackbarHeight_; }
    const CSkinImage& Track(TrackPicture picture) const { return trackPictures_[Index(picture)]; }

    // "channelList": background of the section headers.
    const CSkinImage& HeaderBG() const { return headerBG_; }

private:
    template <class E>
    static constexpr int Index(E value) {
        return static_cast<int>(value);
    }
    // One T for each value of the enumeration E.
    template <class E, class T>
    using PerPart = std::array<T, static_cast<size_t>(E::Count)>;

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

    std::wstring skinFolder_;
    std::wstring skinsRoot_;
    PerPart<FramePart, CSkinImage> framePieces_;
    CSkinImage splitter_;
    PerPart<CaptionImage, CSkinImage> captionImages_;
    PerPart<CaptionButton, RECT> captionButtonPlaces_{};
    int naviHeight_ = 0;
    int naviGap_ = 0;
    int captionTextLeft_ = 0;
    int captionTextTop_ = 0;
    PerPart<TabLook, SkinStrip> tabs_;
    int playerHeight_ = 0;
    PerPart<PlayerPicture, CSkinImage> playerPictures_;
    PerPart<PlayerButton, RECT> playerButtonPlaces_{};
    int lampHeight_ = 0;
    PerPart<Lamp, CSkinImage> lamps_;
    int trackbarHeight_ = 0;
    PerPart<TrackPicture, CSkinImage> trackPictures_;
    CSkinImage headerBG_;
};

// A "rect" value "left,top,width,height", each number decimal, 0x hexadecimal or 0 octal.
// False when fewer than four numbers are given or the rectangle does not fit 32 bits.
bool ParseSkinRect(const char* text, RECT& rect);
