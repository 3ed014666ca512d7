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

// An exit code is 32 bits wide: the 64-bit runtime hands back -1 as 0xFFFFFFFF, which must
// read as -1 there too, as it does in the 32-bit build.
intptr_t RunAndWait(const CString& strPath) { return static_cast<int32_t>(Spawn(_P_WAIT, strPath)); }
intptr_t StartProgram(const CString& strPath) { return Spawn(_P_NOWAIT, strPath); }
