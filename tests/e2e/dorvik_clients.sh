#!/usr/bin/env bash
# Real clients of the registered dorvik.exe: VBScript and JScript run by Wine's cscript.exe,
# and a C++ client for the error HRESULTs, the type information and the server's lifetime. A
# non-DDE verb starts a viewer (the stand-in program) that lies in a folder with a blank in its name.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
SCRIPTS=$E2E_DIR/dorvik
CLIENT=$BIN/dorvik_client.exe

SERVER_DIR=$SCRATCH/server
VIEWER_DIR="$SCRATCH/App Dir"
mkdir -p "$SERVER_DIR" "$VIEWER_DIR" "$SCRATCH/My Docs"
cp "$BIN/dorvik.exe" "$SERVER_DIR/"
cp "$STANDIN_EXE" "$VIEWER_DIR/viewer.exe"
VIEWER=$(winpath "$VIEWER_DIR/viewer.exe")
LOG=$VIEWER_DIR/viewer.exe.log
DOC=$(winpath "$SCRATCH/My Docs/a b.txt")
DOC2='C:\plain.txt'

(cd "$SERVER_DIR" && "$WINE" dorvik.exe </dev/null) || fail "registration run"

# The viewer's association, as a .reg file.
cat >"$SCRATCH/view.reg" <<REG
REGEDIT4

[HKEY_CLASSES_ROOT\\.dvkview]
@="dvk.view"
[HKEY_CLASSES_ROOT\\dvk.view\\shell\\open\\command]
@="$(reg_esc "\"$VIEWER\" \"%1\"")"
[HKEY_CLASSES_ROOT\\dvk.view\\shell\\print\\command]
@="$(reg_esc "\"$VIEWER\" /p %1")"
REG
"$WINE" regedit /s "$(winpath "$SCRATCH/view.reg")" </dev/null || fail "regedit import"

# client MODE [ARG]: runs the C++ client; a server it starts inherits the output, so that goes to a file.
client() {
    local rc=0
    "$WINE" "$CLIENT" "$@" </dev/null >"$SCRATCH/client-$1.out" 2>&1 || rc=$?
    tr -d '\r' <"$SCRATCH/client-$1.out"
    return "$rc"
}

# script NAME ARGS...: runs a client script with cscript; its FAIL lines and exit code count.
script() {
    local name=$1 out rc=0
    shift
    echo "--- $name"
    # The server inherits the output; only the script's own lines are read back.
    "$WINE" cscript.exe //nologo "$(winpath "$SCRIPTS/$name")" "$@" </dev/null >"$SCRATCH/$name.out" 2>&1 || rc=$?
    out=$(cat "$SCRATCH/$name.out")
    printf '%s\n' "$out" | tr -d '\r'
    [[ $rc == 0 ]] || fail "$name: exit code $rc"
    [[ $out == *"ok   "* ]] || fail "$name: the script did not run"
    client gone || fail "$name: the server did not end after the last release"
}

script client.vbs "$(id -un)" "$DOC" "$DOC2" "$VIEWER"
script client.js "$DOC"

# Every start the scripts asked for reached the viewer, with the document as one argument.
# The document outside the code page never reached it.
expected=$(printf '%s\n' "ran|\"$DOC\"" "ran|/show $DOC2" "ran|/p $DOC2" "ran|\"$DOC\"" "ran|\"$DOC\"" | sort)
for ((i = 0; i < 50; i++)); do
    [[ -f $LOG && $(wc -l <"$LOG") -ge 5 ]] && break
    sleep 0.1
done
expect_eq "$(tr -d '\r' <"$LOG" 2>/dev/null | sort)" "$expected" "viewer starts"

echo "--- C++ client: errors"
client errors || fail "error HRESULTs"
echo "--- C++ client: type information"
client typeinfo "$(id -un)" || fail "type information"
client gone || fail "typeinfo: the server did not end after the last release"
client iid || fail "the interface's own IID"
client gone || fail "iid: the server did not end after the last release"
# (A 32-bit client cannot ask for the interface's own IID of the 64-bit build's server: its
# proxy is made from a win32 type library, and that build registers only win64.)
echo "--- C++ client of the other bitness ($OTHER_ARCH): type information"
"$WINE" "$BIN/dorvik_client-$OTHER_ARCH.exe" typeinfo "$(id -un)" </dev/null >"$SCRATCH/client-other.out" 2>&1 ||
    fail "type information in a $OTHER_ARCH client"
tr -d '\r' <"$SCRATCH/client-other.out"
client gone || fail "typeinfo ($OTHER_ARCH): the server did not end after the last release"
echo "--- C++ client: lifetime"
client lifetime || fail "server lifetime"

finish
