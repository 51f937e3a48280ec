#pragma once
// Window wrappers of the two ActiveX controls the player view hosts: each is the control's
// site window and keeps the control's main interface.
#include <string>

#include "framework/com/ControlHost.h"

class CControlPanel {
public:
    virtual ~CControlPanel() = default;

    // Creates the site and the control; true only when the control offers the interface.
    bool Create(HWND parent, const RECT& rect);
    void Destroy();

    HWND Window() const { return host_.Window(); }
    IDispatch* Control() const { return control_.Get(); }
    IUnknown* Unknown() const { return host_.Control(); }

protected:
    CControlPanel(UINT id, const CLSID& classId, const IID& interfaceId)
        : id_(id), classId_(classId), interfaceId_(interfaceId) {}

private:
    UINT id_;
    CLSID classId_;
    IID interfaceId_;
    CControlHost host_;
    ComPtr<IDispatch> control_;
};

// The video player control (id 201).
class CMoviePanel : public CControlPanel {
public:
    CMoviePanel();

    // Method 1: plays a link or file.
    void Play(const std::wstring& source);
    // Method 3: keeps the picture where the window is.
    void KeepPosition();
    // Method 5: the channel now playing; false when the player reports none.
    bool GetPlayingChannel(std::wstring& server, ULONG& port, std::wstring& channelId);
};

// The channel-list control (id 2003).
class CChannelPanel : public CControlPanel {
public:
    CChannelPanel();

    // GetChannelName: false when the list does not know the channel.
    bool GetChannelName(const std::wstring& server, ULONG port, const std::wstring& channelId,
                        std::wstring& name);
};
