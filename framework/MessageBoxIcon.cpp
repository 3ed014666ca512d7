#include "Types.h"

UINT AfxDefaultMessageBoxIcon(UINT nType) {
    if (nType & MB_ICONMASK) return 0;
    switch (nType & MB_TYPEMASK) {
    case MB_OK:
    case MB_OKCANCEL:
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return MB_ICONEXCLAMATION;
    default:
        return 0;
    }
}
