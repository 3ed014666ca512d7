# shellcheck shell=bash
# The programs real_assoc.reg names, placed in a prefix, and its table; source it before
# wine_env_start (the variable must reach every Windows program), call real_assoc_install after.
# VELMORA_APPS is one of the variables a REG_EXPAND_SZ command line of the table names.
export VELMORA_APPS='C:\Velmora Apps'
REAL_ASSOC_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../win" && pwd)

# real_assoc_install BIN: stand-ins where the table's command lines look, then the import.
real_assoc_install() {
    local apps="$WINEPREFIX/drive_c/Velmora Apps"
    mkdir -p "$apps"
    cp "$1/standin.exe" "$apps/viewer.exe"
    cp "$1/standin.exe" "$WINEPREFIX/drive_c/windows/velmora-viewer.exe"
    cp "$1/ddeapp.exe" "$apps/VelApp.exe"
    "$WINE" regedit /s "$(winpath "$REAL_ASSOC_DIR/real_assoc.reg")" </dev/null
    wine_query reg query 'HKCR\.dvkroot' /ve >/dev/null || { echo "FAIL: real_assoc.reg was not imported" >&2; return 1; }
    REAL_ASSOC_TABLE=$(winpath "$REAL_ASSOC_DIR/real_assoc.txt")
    export REAL_ASSOC_TABLE
}
