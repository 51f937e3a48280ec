#pragma once
// Identifiers of the channel-list control, shared by the control library and its hosts.
// The control's type library must carry exactly these values.
#include <windows.h>
#include <oaidl.h>

namespace TrovaCLIds {

// Type library "TrovaCLLib" 1.0. {89439530-D5F0-443C-B3B0-2F7E0117184B}
constexpr GUID kLibraryId = {0x89439530, 0xd5f0, 0x443c, {0xb3, 0xb0, 0x2f, 0x7e, 0x01, 0x17, 0x18, 0x4b}};
// Dispatch interface "_DTrovaCL". {1EF1B18A-5B39-4220-8A58-44D25F5A50D8}
constexpr IID kDispatchId = {0x1ef1b18a, 0x5b39, 0x4220, {0x8a, 0x58, 0x44, 0xd2, 0x5f, 0x5a, 0x50, 0xd8}};
// Event interface "_DTrovaCLEvents". {4802AD4B-0620-43BF-81D8-59EF65E66238}
constexpr IID kEventsId = {0x4802ad4b, 0x0620, 0x43bf, {0x81, 0xd8, 0x59, 0xef, 0x65, 0xe6, 0x62, 0x38}};
// Control class "TrovaCL". {73FF2356-60FC-4AB9-A10B-198FDE64F00E}
constexpr CLSID kControlClassId = {0x73ff2356, 0x60fc, 0x4ab9, {0xa1, 0x0b, 0x19, 0x8f, 0xde, 0x64, 0xf0, 0x0e}};
// Property page class. {DEC70E47-98DD-47E2-9B09-E3F99B0A7513}
constexpr CLSID kPropPageClassId = {0xdec70e47, 0x98dd, 0x47e2, {0x9b, 0x09, 0xe3, 0xf9, 0x9b, 0x0a, 0x75, 0x13}};

constexpr DISPID kDispIdGetChannelName = 1;
constexpr DISPID kDispIdAboutBox = -552;
constexpr DISPID kDispIdOnChannelOpen = 1;

// Window ids of the control's children, by which hosts find the lists and their headers.
enum ChildWindowId : int {
    kAllTreeId = 1001,
    kAllHeaderId = 1002,
    kHistoryHeaderId = 1003,
    kHistoryTreeId = 1004,
    kFavorHeaderId = 1005,
    kFavorTreeId = 1006,
    kSearchHeaderId = 1007,
    kSearchTreeId = 1008,
    kSearchPanelId = 1009,
};

constexpr wchar_t kControlProgId[] = L"TROVACL.TrovaCLCtrl.1";
constexpr wchar_t kPropPageProgId[] = L"TROVACL.TrovaCLPropPage.1";

}  // namespace TrovaCLIds
