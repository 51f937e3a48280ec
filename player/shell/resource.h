#pragma once

#include "player/common/AppResources.h"

// Strings
#define IDS_OLE_INIT_FAILED 100
#define IDS_APP_TITLE 128

// Icons, menus, dialogs
#define IDR_TRAYMENU 138
#define IDI_TRAY 138
#define IDD_QUIT_CONFIRM 139

// Quit confirmation controls
#define IDC_QUIT_DONT_ASK 1000
#define IDC_QUIT_EXIT 1029
#define IDC_QUIT_MINIMISE 1030
#define IDC_QUIT_GROUP 1031

// Tray menu commands
#define ID_APP_EXIT 32774
#define ID_TRAY_BBS 32778
#define ID_TRAY_HOME 32779
#define ID_TRAY_SHOWHIDE 32780
