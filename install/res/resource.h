// Resource ids of install.exe.
#pragma once
#define IDR_MAINFRAME 128
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
#define IDD_LICENSE 139
#define IDC_LICENSE_NOTICE 1008
#define IDC_LICENSE_TERMS 1009
#define IDC_LICENSE_COPYRIGHT 1010
#define IDP_OLE_INIT_FAILED 100
#define IDS_CMDLINE_TOO_LONG 101
