// The type library a program carries as its TYPELIB resource 1: loading it, and its
// registration under HKEY_CLASSES_ROOT\TypeLib.
#pragma once
#include <windows.h>
#include <oleauto.h>

// Registers the type library of hInstance's module (which must be tlid) under the module's
// full path.
BOOL AfxOleRegisterTypeLib(HINSTANCE hInstance, REFGUID tlid);

// Removes the registration of tlid's version for this program's platform (win32 or win64)
// when it names this executable; TRUE when it is gone, was never there, or is another copy's.
BOOL AfxOleUnregisterTypeLib(REFGUID tlid, WORD wVerMajor, WORD wVerMinor);
