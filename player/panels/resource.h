#pragma once
// Resources of the navigation and content panels. Dialog ids stay clear of the shell's
// (100, 128, 138, 139) and the options pages' (130-137).

#define IDD_CREATE_CHANNEL 150

// Create-channel dialog controls
#define IDC_CC_BROWSE 1007
#define IDC_CC_LOCAL_FILE 1009
#define IDC_CC_ADDRESS 1011
#define IDC_CC_ON_DEMAND 1029
#define IDC_CC_BROADCAST 1030
#define IDC_CC_STREAM_SERVER 1032
#define IDC_CC_NAME 1034
#define IDC_CC_DESCRIPTION 1035
#define IDC_CC_GENRE 1036
#define IDC_CC_URL 1037
#define IDC_CC_PORT 1039
