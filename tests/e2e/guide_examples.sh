#!/usr/bin/env bash
# The guides' examples, run as a reader would: the example lists installed by the first
# stage, then the VBScript, JScript and C++ clients opening documents through dorvik.
# Run for each build in a 64-bit prefix with WoW64, this is the deployment users have: the
# build's installer and dorvik, clients of both bitnesses, a DDE application of the other one.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
ROOT=$(cd "$E2E_DIR/../.." && pwd)
EXAMPLES=$ROOT/docs/examples

# --- The installer guide's lists, on a medium holding what they name.
M=$(medium guide)
cp "$EXAMPLES/fileList.txt" "$EXAMPLES/regList.txt" "$BIN/dorvik.exe" "$M/"
# Beside the guide's shared file, one placed in the system directory by name.
printf '#CURRDIR#\\system@velsys.dll@0@velsys.dll@#SYSDIR#@\r\n' >>"$M/fileList.txt"
cp "$FIXTURES/v1/sample.dll" "$M/velmora.dll"
cp "$FIXTURES/sample.tlb" "$M/velmora.tlb"
mkdir -p "$M/system"
cp "$FIXTURES/v1/sample.dll" "$M/system/velshared.dll"
cp "$FIXTURES/v2/sample.dll" "$M/system/velsys.dll"
standin "$M/Setup.exe"
install_into "$M" 'c:\Guide\'
expect_eq "$(ls -A "$DRIVE_C/Guide" | tr '\n' ' ')" "License.txt Setup.txt dorvik.exe install.log uninstall.exe velmora.dll velmora.tlb " "installed by the example lists"
# The installer sees system32 either way; a 32-bit one's writes land in syswow64.
for f in velshared.dll velsys.dll; do
    cmp -s "$M/system/$f" "$PROGRAM_SYSDIR/$f" || fail "$f is not in the system directory ($ARCH)"
done
if [[ $ARCH == win32 ]]; then
    expect_missing "$DRIVE_C/windows/system32/velshared.dll"
    expect_missing "$DRIVE_C/windows/system32/velsys.dll"
fi
expect_eq "$(typelib_path "{6F1D9A52-3C0B-4E7A-9B21-5A8E0C4D7F13}" 1.0)" 'c:\Guide\\velmora.tlb' "the example's type library"

# What dorvik registered, in both registry views: the class only in its own program's view
# (a 32-bit registration goes to Wow6432Node), the ProgID in both, as Windows shares it. The
# ProgID's 32-bit view is read by the 32-bit reg.exe (see REG_EXE in wine-env.sh).
CLSID='{4B7E2C91-5D3A-4F16-9A2E-71C0D8E35A42}'
for view in /reg:32 /reg:64; do
    if wine_query reg query "HKCR\\CLSID\\$CLSID\\LocalServer32" /ve "$view" >/dev/null 2>&1; then seen=1; else seen=0; fi
    expect_eq "$seen" "$([[ $view == "$REG_VIEW" ]] && echo 1 || echo 0)" "LocalServer32 in the $view view"
done
for reg in reg 'C:\windows\syswow64\reg.exe'; do
    wine_query "$reg" query 'HKCR\DORVIK.DDEINTFC\CLSID' /ve >"$SCRATCH/progid.txt" 2>&1 || true
    grep -qF "$CLSID" "$SCRATCH/progid.txt" || fail "the ProgID is not seen by $reg"
done

# --- The client guide's examples against a DDE application.
# The application is of the other bitness: DDE crosses it both ways over the two builds' runs.
VIEWER_DIR=$DRIVE_C/Viewer
mkdir -p "$VIEWER_DIR"
cp "$BIN/ddeapp-$OTHER_ARCH.exe" "$VIEWER_DIR/viewer.exe"
cat >"$SCRATCH/guide.reg" <<'REG'
REGEDIT4

[HKEY_CLASSES_ROOT\.vguide]
@="velmora.guide"
[HKEY_CLASSES_ROOT\velmora.guide\shell\open\command]
@="C:\\Viewer\\viewer.exe /service:VelGuide %1"
[HKEY_CLASSES_ROOT\velmora.guide\shell\open\ddeexec]
@="[open(\"%1\")]"
[HKEY_CLASSES_ROOT\velmora.guide\shell\open\ddeexec\Application]
@="VelGuide"
REG
"$WINE" regedit /s "$(winpath "$SCRATCH/guide.reg")" </dev/null || fail "regedit"

# client NAME WANT_RC COMMAND...: runs one example; its output goes to a file, not a pipe,
# since a Wine service it starts would hold a pipe open.
client() {
    local name=$1 want=$2 rc=0
    shift 2
    "$WINE" "$@" </dev/null >"$SCRATCH/$name.out" 2>&1 || rc=$?
    [[ $rc == "$want" ]] || fail "$name: exit code $rc, expected $want"
    echo "--- $name"
    tr -d '\r' <"$SCRATCH/$name.out"
}
# The script clients as users start them (the 64-bit cscript.exe) and from syswow64 (32-bit).
user=$(id -un)
CSCRIPT32='C:\windows\syswow64\cscript.exe'
client vbs 0 cscript.exe //nologo "$(winpath "$EXAMPLES/open-documents.vbs")" .vguide open 'C:\a.vguide' 'C:\b.vguide' >"$SCRATCH/vbs.txt"
expect_eq "$(<"$SCRATCH/vbs.txt")" $'--- vbs\nopened C:\\a.vguide\nopened C:\\b.vguide\nnetwork user: '"$user" "VBScript example"
client js32 0 "$CSCRIPT32" //nologo "$(winpath "$EXAMPLES/open-documents.js")" .vguide open 'C:\c.vguide' >"$SCRATCH/js32.txt"
expect_eq "$(<"$SCRATCH/js32.txt")" $'--- js32\nopened C:\\c.vguide\ngetUserName: true, errorCode 0' "JScript example, 32-bit cscript"
client vbs32 0 "$CSCRIPT32" //nologo "$(winpath "$EXAMPLES/open-documents.vbs")" .vguide open 'C:\c2.vguide' >"$SCRATCH/vbs32.txt"
expect_eq "$(<"$SCRATCH/vbs32.txt")" $'--- vbs32\nopened C:\\c2.vguide\nnetwork user: '"$user" "VBScript example, 32-bit cscript"
client js 0 cscript.exe //nologo "$(winpath "$EXAMPLES/open-documents.js")" .vguide open 'C:\c3.vguide' >"$SCRATCH/js.txt"
expect_eq "$(<"$SCRATCH/js.txt")" $'--- js\nopened C:\\c3.vguide\ngetUserName: true, errorCode 0' "JScript example"
# The C++ example built for both bitnesses.
client cpp 0 "$BIN/open_documents.exe" .vguide open 'C:\d.vguide' >"$SCRATCH/cpp.txt"
expect_eq "$(<"$SCRATCH/cpp.txt")" $'--- cpp\nopened C:\\d.vguide\nnetwork user: '"$user" "C++ example ($ARCH)"
client cpp-other 0 "$BIN/open_documents-$OTHER_ARCH.exe" .vguide open 'C:\d2.vguide' >"$SCRATCH/cpp-other.txt"
expect_eq "$(<"$SCRATCH/cpp-other.txt")" $'--- cpp-other\nopened C:\\d2.vguide\nnetwork user: '"$user" "C++ example ($OTHER_ARCH)"
# An unknown key: the example reports it and exits with 1, its documented failure status.
client cpp-bad 1 "$BIN/open_documents.exe" .nosuch open 'C:\e.vguide' >"$SCRATCH/cpp-bad.txt"
expect_eq "$(<"$SCRATCH/cpp-bad.txt")" $'--- cpp-bad\nsetOperationInfo failed: 201 Error: RegOpenKeyEx = 2\nnetwork user: '"$user" "C++ example, unknown key"

for ((i = 0; i < 50; i++)); do grep -q 'd2.vguide' "$VIEWER_DIR/viewer.exe.log" 2>/dev/null && break; sleep 0.1; done
expect_eq "$(grep '^execute|' "$VIEWER_DIR/viewer.exe.log" | tr -d '\r' | tr '\n' ' ')" \
    'execute|[open("C:\a.vguide")] execute|[open("C:\b.vguide")] execute|[open("C:\c.vguide")] execute|[open("C:\c2.vguide")] execute|[open("C:\c3.vguide")] execute|[open("C:\d.vguide")] execute|[open("C:\d2.vguide")] ' \
    "documents the $OTHER_ARCH application received"
finish
