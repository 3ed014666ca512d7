#include "Spawn.h"
#include <process.h>

namespace {
intptr_t Spawn(int mode, const CString& strPath) {
    // The C runtime joins the vector unquoted; a quoted name keeps a path with blanks one
    // program name, so the child sees no arguments.
    CString strArg0 = strPath.Find(' ') >= 0 ? "\"" + strPath + "\"" : strPath;
    const char* argv[] = {strArg0, nullptr};
    return _spawnv(mode, strPath, argv);
}
}  // namespace

intptr_t RunAndWait(const CString& strPath) { return Spawn(_P_WAIT, strPath); }
intptr_t StartProgram(const CString& strPath) { return Spawn(_P_NOWAIT, strPath); }
