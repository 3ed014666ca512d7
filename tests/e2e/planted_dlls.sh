#!/usr/bin/env bash
# No DLL planted beside a program loads into it. Beside install.exe and dorvik.exe lies a DLL that
# records being loaded, under every name the program imports or names for loading and the names
# the system loads into a dialog program (without the restricted DLL search, the installer
# takes a planted uxtheme.dll), and their
# main paths run with Windows' search order: for every name that is not a KnownDLL the program's
# folder comes first (WINEDLLOVERRIDES native-first; Wine would otherwise prefer its own DLL).
# A fixture built without the hardening shows that the check catches a planted DLL.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
PLANTED=$FIXTURES/planted.dll
KNOWN=$(grep -v '^#' "$E2E_DIR/../known-dlls.txt")
# Wine's own user32 imports version.dll, so under Wine every GUI program gets version.dll while
# the process starts, before its first instruction, from the folder first when it is native-first.
# Windows' user32 does not import it. Wine cannot show that case as Windows has it: version.dll
# keeps Wine's order here (the installer's loads of it find the system's copy already loaded), and
# the fixture's import of it shows the check catching a planted import.
WINE_PRELOADED=version.dll
# A DLL the system loads by name into a dialog program once it runs: the theme library, as
# Windows' user32 does. (Wine's 32-bit side also loads msimg32.dll by name, past the
# program's restricted search: a matter of Wine's, so that name is not planted.)
SYSTEM_LOADED=(uxtheme.dll)
OVERRIDES=()

# dll_names EXE: the DLLs a program imports or names in its code (for LoadLibrary), lower case.
dll_names() {
    { objdump -p "$1" | sed -n 's/^\s*DLL Name: //p'; strings -a "$1" | grep -ixE '[a-z0-9_-]+\.dll'; } |
        tr '[:upper:]' '[:lower:]' | sort -u
}

# plant DIR EXE...: the recording DLL in DIR under each name the programs use; the names that
# are not KnownDLLs are searched for in the program's folder first.
plant() {
    local dir=$1 exe name
    shift
    for exe in "$@"; do
        while read -r name; do
            cp "$PLANTED" "$dir/$name"
            grep -qxF "$name" <<<"$KNOWN"$'\n'"$WINE_PRELOADED" || OVERRIDES+=("${name%.dll}")
        done < <(dll_names "$exe"; printf '%s\n' "${SYSTEM_LOADED[@]}")
    done
}

# search_order_like_windows: WINEDLLOVERRIDES for every planted name that is not a KnownDLL.
search_order_like_windows() {
    local IFS=,
    export WINEDLLOVERRIDES="mscoree,mshtml="
    ((${#OVERRIDES[@]} == 0)) || WINEDLLOVERRIDES+=";${OVERRIDES[*]}=n,b"
}

# expect_nothing_loaded DIR
expect_nothing_loaded() {
    [[ ! -s $1/planted.log ]] || fail "planted DLLs loaded from $1: $(tr '\n' ' ' <"$1/planted.log")"
}

# --- The check can fail: a program that imports version.dll and loads mpr.dll by its bare name.
U=$SCRATCH/unhardened
mkdir -p "$U"
cp "$FIXTURES/unhardened.exe" "$U/"
cp "$PLANTED" "$U/version.dll"
cp "$PLANTED" "$U/mpr.dll"
OVERRIDES=(version mpr)
search_order_like_windows
"$WINE" "$U/unhardened.exe" </dev/null >/dev/null 2>&1 || true
expect_eq "$(tr -d '\r' <"$U/planted.log" 2>/dev/null | tr 'A-Z' 'a-z')" "version.dll" "the fixture's planted import"
rm -f "$U/version.dll" "$U/planted.log"
"$WINE" "$U/unhardened.exe" </dev/null >/dev/null 2>&1 || true
expect_eq "$(tr -d '\r' <"$U/planted.log" 2>/dev/null | tr 'A-Z' 'a-z')" "mpr.dll" "the fixture's planted LoadLibrary"

# --- The installer's first stage, the real dorvik.exe installed and run from the installation
# directory, each beside a full set of planted DLLs.
OVERRIDES=()
M=$(medium installer)
INST=$DRIVE_C/planted
mkdir -p "$INST"
cp "$BIN/dorvik.exe" "$FIXTURES/v1/sample.dll" "$FIXTURES/sample.tlb" "$M/"
standin "$M/Setup.exe"
plant "$M" "$INSTALL_EXE"
plant "$INST" "$BIN/dorvik.exe"
search_order_like_windows
printf ' @sample.dll@0@sample.dll@ @\n @sample.tlb@0@sample.tlb@ @\n @dorvik.exe@0@dorvik.exe@ @\n' >"$M/fileList.txt"
printf 'sample.tlb\n' >"$M/regList.txt"
drive installer <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\planted
press OK
window Velmora Default Setup
press OK
$(ok_box_steps "You will be asked to reenter the Installation Directory. If you changed the default values earlier, please enter the same directory name again. Microsoft Agent Components and the Speech Engines will also be installed.")
exit-code 0
STEPS
cmp -s "$M/sample.dll" "$INST/sample.dll" || fail "sample.dll not installed through the version service"
expect_file "$INST/Setup.txt"
expect_nothing_loaded "$M"

# --- dorvik.exe as a server: getUserName goes to mpr.dll.
cat >"$SCRATCH/user.js" <<'JS'
var o = new ActiveXObject("DORVIK.DDEINTFC");
WScript.Echo(o.getUserName("", "") === true ? "user name read" : "getUserName failed: " + o.errorCode + " " + o.errorDesc);
JS
"$WINE" cscript.exe //nologo "$(winpath "$SCRATCH/user.js")" </dev/null >"$SCRATCH/user.out" 2>&1 || true
expect_eq "$(tr -d '\r' <"$SCRATCH/user.out")" "user name read" "dorvik's getUserName"
expect_nothing_loaded "$INST"

finish
