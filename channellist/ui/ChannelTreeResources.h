#pragma once
// Bitmap resources of the channel list windows (in TrovaCL's resource script).
#define IDB_TREE_COLLAPSED 202        // grey box with "+"
#define IDB_TREE_COLLAPSED_HOT 203    // box with blue "+", row under the mouse
#define IDB_TREE_EXPANDED 204         // grey box with "-"
#define IDB_TREE_EXPANDED_HOT 206     // box with blue "-", row under the mouse
#define IDB_TREE_PLAYING 207          // green play mark on magenta (transparent)
