#pragma once
// Resources of the options window. Dialog ids 130-137; control ids repeat across dialogs
// where the pages share a role (1007 is the action button, 1023 the description).

// Option pages, in the order of the title column.
#define IDD_OPT_GENERAL 130
#define IDD_OPT_SKIN 131
#define IDD_OPT_LANG 132
#define IDD_OPT_BUFFER 133
#define IDD_OPT_ISP 134
#define IDD_OPT_NETWORK 135
#define IDD_OPT_UPNP 136
#define IDD_OPT_CREDIT 137

// General page
#define IDC_OPT_START_COMPACT 1000
#define IDC_OPT_COMPACT_ON_TOP 1001
#define IDC_OPT_AUTORUN 1002
#define IDC_OPT_CLOSE_MINIMIZE 1003
#define IDC_OPT_CLOSE_CONFIRM 1004
#define IDC_OPT_SEND_TO_MSN 1005

// Skin and language pages
#define IDC_OPT_SKIN_LIST 1006
#define IDC_OPT_SKIN_REFRESH 1021
#define IDC_OPT_LANG_LIST 1020

// Buffer page
#define IDC_OPT_BUFFER_SLIDER 1008
#define IDC_OPT_BUFFER_EDIT 1009
#define IDC_OPT_BUFFER_LABEL 1028

// Connection page
#define IDC_OPT_ISP_COMBO 1011
#define IDC_OPT_MEDIA_COMBO 1012
#define IDC_OPT_NETTYPE_COMBO 1013
#define IDC_OPT_BANDWIDTH_COMBO 1014
#define IDC_OPT_ISP_LABEL 1024
#define IDC_OPT_MEDIA_LABEL 1025
#define IDC_OPT_NETTYPE_LABEL 1026
#define IDC_OPT_BANDWIDTH_LABEL 1027

// Shared by the connection and UPnP pages
#define IDC_OPT_ACTION 1007
#define IDC_OPT_DESCRIPTION 1023

// UPnP page
#define IDC_OPT_ENABLE_UPNP 1022

// About page
#define IDC_OPT_ABOUT_ICON 1010
#define IDC_OPT_ABOUT_TITLE 1015
#define IDC_OPT_ABOUT_VERSION 1016
#define IDC_OPT_ABOUT_RIGHTS 1017
#define IDC_OPT_ABOUT_HOME 1018
#define IDC_OPT_ABOUT_SUPPORT 1019
