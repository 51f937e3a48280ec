#pragma once
// The form in which a user describes a channel to broadcast: stream source, stream server and
// the channel's public information. It is a form only: nothing entered is read or kept, and
// OK and Cancel both just close it.
#include "framework/win/Dialog.h"

class CCreateChannelDlg : public CDialogImpl {
public:
    CCreateChannelDlg();
};
