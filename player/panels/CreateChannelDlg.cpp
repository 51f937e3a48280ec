#include "player/panels/CreateChannelDlg.h"

#include "player/panels/resource.h"

CCreateChannelDlg::CCreateChannelDlg() : CDialogImpl(IDD_CREATE_CHANNEL) {}
