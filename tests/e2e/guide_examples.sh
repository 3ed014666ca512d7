#!/usr/bin/env bash
# The guides' examples, run as a reader would: the example lists installed by the first
# stage, then the VBScript, JScript and C++ clients opening documents through dorvik.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
ROOT=$(cd "$E2E_DIR/../.." && pwd)
EXAMPLES=$ROOT/docs/examples

# --- The installer guide's lists, on a medium holding what they name.
M=$(medium guide)
cp "$EXAMPLES/fileList.txt" "$EXAMPLES/regList.txt" "$BIN/dorvik.exe" "$M/"
cp "$FIXTURES/v1/sample.dll" "$M/velmora.dll"
cp "$FIXTURES/sample.tlb" "$M/velmora.tlb"
mkdir -p "$M/system"
cp "$FIXTURES/v1/sample.dll" "$M/system/velshared.dll"
standin "$M/Setup.exe"
drive guide-lists <<STEPS
$(first_stage_steps "$M")
set 1001 c:\\Guide\\
press OK
window Velmora Default Setup
press OK
box install
press OK
exit-code 0
STEPS
expect_eq "$(ls -A "$DRIVE_C/Guide" | tr '\n' ' ')" "License.txt Setup.txt dorvik.exe velmora.dll velmora.tlb " "installed by the example lists"
cmp -s "$M/system/velshared.dll" "$DRIVE_C/windows/system32/velshared.dll" || fail "the shared file is not in the system directory"
expect_eq "$(typelib_path "{6F1D9A52-3C0B-4E7A-9B21-5A8E0C4D7F13}" 1.0)" 'c:\Guide\\velmora.tlb' "the example's type library"
"$WINE" reg query 'HKCR\DORVIK.DDEINTFC\CLSID' /ve </dev/null >/dev/null 2>&1 || fail "dorvik did not register itself"

# --- The client guide's examples against a DDE application.
VIEWER_DIR=$DRIVE_C/Viewer
mkdir -p "$VIEWER_DIR"
cp "$BIN/ddeapp.exe" "$VIEWER_DIR/viewer.exe"
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

# client NAME COMMAND...: runs one example; its output goes to a file, not a pipe, since a
# Wine service it starts would hold a pipe open.
client() {
    local name=$1
    shift
    echo "--- $name"
    "$WINE" "$@" </dev/null >"$SCRATCH/$name.out" 2>&1 || fail "$name: exit code $?"
    tr -d '\r' <"$SCRATCH/$name.out"
}
user=$(id -un)
out=$(client vbs cscript.exe //nologo "$(winpath "$EXAMPLES/open-documents.vbs")" .vguide open 'C:\a.vguide' 'C:\b.vguide')
expect_eq "$out" $'--- vbs\nopened C:\\a.vguide\nopened C:\\b.vguide\nnetwork user: '"$user" "VBScript example"
out=$(client js cscript.exe //nologo "$(winpath "$EXAMPLES/open-documents.js")" .vguide open 'C:\c.vguide')
expect_eq "$out" $'--- js\nopened C:\\c.vguide\ngetUserName: true, errorCode 0' "JScript example"
out=$(client cpp "$BIN/open_documents.exe" .vguide open 'C:\d.vguide')
expect_eq "$out" $'--- cpp\nopened C:\\d.vguide\nnetwork user: '"$user" "C++ example"
out=$(client cpp-bad "$BIN/open_documents.exe" .nosuch open 'C:\e.vguide' || true)
expect_eq "$out" $'--- cpp-bad\nsetOperationInfo failed: 201 Error: RegOpenKeyEx = 2\nnetwork user: '"$user" "C++ example, unknown key"

for ((i = 0; i < 50; i++)); do grep -q 'd.vguide' "$VIEWER_DIR/viewer.exe.log" 2>/dev/null && break; sleep 0.1; done
expect_eq "$(grep '^execute|' "$VIEWER_DIR/viewer.exe.log" | tr -d '\r')" \
    $'execute|[open("C:\\a.vguide")]\nexecute|[open("C:\\b.vguide")]\nexecute|[open("C:\\c.vguide")]\nexecute|[open("C:\\d.vguide")]' \
    "documents the application received"
finish
