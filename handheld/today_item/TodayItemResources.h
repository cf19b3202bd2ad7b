// Resource ids of the Today item library (used by TodayItem.rc and the code).
#pragma once

#define IDS_ITEM_CLASS 2
#define IDI_ITEM 101
#define IDD_ITEM_OPTIONS 500
#define IDC_ITEM_URL 1000
#define IDC_ITEM_HEIGHT 1001
#define IDC_ITEM_AUTOHEIGHT 1002
#define IDC_ITEM_DEFAULTS 1003
