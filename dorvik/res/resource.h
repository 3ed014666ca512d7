// Resource ids of dorvik.exe.
#pragma once
#define IDP_OLE_INIT_FAILED 100
#define IDR_MAINFRAME 128
