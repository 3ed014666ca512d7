// Resource ids of uninstall.exe.
#pragma once
#define IDR_MAINFRAME 128
#define IDP_OLE_INIT_FAILED 100
#define IDS_CONFIRM 101
#define IDS_NOT_INSTALLED 102
#define IDS_RECORD_DAMAGED 103
#define IDS_RECORD_UNREADABLE 104
