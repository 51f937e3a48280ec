#pragma once
// Resource identifiers of TrovaCL.dll. The channel-list windows' bitmaps 202-215 keep the ids
// their code loads (channellist/ui).

#define IDS_TROVACL 1             // control type name
#define IDS_TROVACL_PPG 2         // property page name
#define IDS_TROVACL_PPG_CAPTION 200

#define IDB_TROVACL 1             // toolbox image
#define IDI_ABOUTDLL 1
#define IDD_ABOUTBOX_TROVACL 1
#define IDD_PROPPAGE_TROVACL 200

#define IDC_ABOUT_NOTICE 101      // second line of the about box
