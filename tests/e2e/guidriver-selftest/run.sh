#!/usr/bin/env bash
# Self-test of guidriver.exe and wine-env.sh: builds the driver and a throw-away dialog program,
# drives the program under Wine and checks both what the driver reports and what the program did.
# Exit 0 on pass. Needs the x86_64 mingw-w64 compiler, wine64, Xvfb and ImageMagick.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e=$(dirname "$here")
# shellcheck source-path=SCRIPTDIR/..
source "$e2e/wine-env.sh"

work=$(mktemp -d "${TMPDIR:-/tmp}/guidriver-selftest.XXXXXX")
trap 'rm -rf "$work"' EXIT   # wine_env_start chains its teardown in front of this

fail() {
    printf 'FAIL: %s\n' "$*" >&2
    exit 1
}

if [[ -n ${1:-} ]]; then
    # Programs from the project's build (BUILD_DIR as the first argument).
    cp "$1/guidriver.exe" "$work/guidriver.exe"
    cp "$1/guidriver_target.exe" "$work/target.exe"
    wine_env_start
else
    # Build while the Wine environment starts; both take several seconds.
    CXX=${CXX:-x86_64-w64-mingw32-g++-posix}
    flags=(-std=c++17 -Wall -Wextra -Werror -O2 -static -static-libgcc -static-libstdc++)
    "$CXX" "${flags[@]}" -mconsole -o "$work/guidriver.exe" "$e2e/guidriver.cpp" -luser32 -lgdi32 &
    build_driver=$!
    "$CXX" "${flags[@]}" -mwindows -o "$work/target.exe" "$here/target.cpp" -luser32 &
    build_target=$!
    wine_env_start
    wait "$build_driver" || fail "building guidriver.exe"
    wait "$build_target" || fail "building target.exe"
fi

started=$SECONDS
target_pid=""
out_win=$(winpath "$work/out.txt")

# drive NAME WANT_RC: runs the script read from stdin; its log is shown indented.
# Runs in $work so that messages name the script as NAME.txt.
drive() {
    local name=$1 want=$2 rc=0
    cat >"$work/$name.txt"
    (cd "$work" && "$WINE" guidriver.exe "$name.txt") >"$work/$name.out" 2>"$work/$name.err" || rc=$?
    sed 's/^/    /' "$work/$name.out" "$work/$name.err"
    [[ $rc == "$want" ]] || fail "$name: guidriver exited $rc, expected $want"
}

# The failure message names the line and says what was expected and what was found.
expect_error() {
    grep -qF -- "guidriver: $1" "$work/${1%%.txt*}.err" || fail "missing message: guidriver: $1"
}

start_target() {
    rm -f "$work/out.txt"
    wine_run_bg target_pid "$work/target.exe" "$out_win" "$@"
}

# finish_target WANT_RC WANT_OUTPUT: the program exits by itself with this status and file.
finish_target() {
    local rc=0 got
    wine_wait "$target_pid" 10 || rc=$?
    [[ $rc == "$1" ]] || fail "target exited $rc, expected $1"
    got=$(cat "$work/out.txt" 2>/dev/null || true)
    [[ $got == "$2" ]] || fail "target wrote $(printf %q "$got"), expected $(printf %q "$2")"
}

echo "== texts, styles, set, press, both message boxes, shot, gone, absent"
start_target
drive main 0 <<EOF
window Target Dialog
expect-text self Target Dialog
expect-text 1001 initial
expect-text 1002 Line one{CR}{LF}Line two
# ES_MULTILINE|ES_READONLY, and OK is the default push button
expect-style 1002 0x804 0x804
expect-style 1 0xF 0x1
expect-buttons OK,Cancel
expect-focus 1001
expect-rect 1002 7 25 150 30
expect-rect 2 107 62 50 14
set 1001 {SP}edited {xE9}{SP}
expect-text 1001 {SP}edited {xE9}{SP}
shot $(winpath "$work/dialog.bmp")
press OK
box target
expect-box-text Two{LF} lines
expect-buttons OK
expect-icon exclamation
shot $(winpath "$work/box.bmp")
press OK
box target
expect-box-text Abort, retry or ignore?
expect-buttons Abort,Retry,Ignore
expect-icon none
press Retry
gone target
gone Target Dialog
absent target 0.5
EOF
finish_target 0 $' edited \xe9 \nRETRY'

for shot in dialog box; do
    bmp=$work/$shot.bmp
    [[ $(head -c 2 "$bmp") == BM ]] || fail "$shot.bmp is not a BMP"
    # BITMAPINFOHEADER: width at 18, height at 22, bits per pixel at 28
    read -r w h bpp < <(od -An -t u4 -j 18 -N 8 "$bmp" | tr '\n' ' '; od -An -t u2 -j 28 -N 2 "$bmp")
    [[ $bpp == 24 && $w -ge 80 && $h -ge 80 ]] || fail "$shot.bmp is ${w}x${h}x${bpp}"
    bmp_to_png "$bmp" "$work/$shot.png" || fail "converting $shot.bmp"
    [[ -s $work/$shot.png ]] || fail "$shot.png missing"
    echo "    $shot.bmp ${w}x${h} 24-bit, converted to PNG"
done
if [[ -n ${GUIDRIVER_SELFTEST_KEEP:-} ]]; then cp "$work"/*.png "$GUIDRIVER_SELFTEST_KEEP"/; fi

echo "== wrong expectations fail with a clear message; Enter on a message box"
start_target
drive to-box 0 <<'EOF'
window Target Dialog
press OK
box target
EOF
drive wrong-hand 1 <<'EOF'
timeout 1
box target
expect-icon hand
EOF
expect_error "wrong-hand.txt:3: expected icon hand, got exclamation"
drive wrong-none 1 <<'EOF'
timeout 1
box target
expect-icon none
EOF
expect_error "wrong-none.txt:3: expected icon none, got exclamation"
drive wrong-buttons 1 <<'EOF'
timeout 1
box target
expect-buttons OK,Cancel
EOF
expect_error 'wrong-buttons.txt:3: expected buttons "OK,Cancel", got "OK"'
drive enter-box 0 <<'EOF'
box target
expect-box-text Two{LF} lines
key RETURN
box target
expect-box-text Abort, retry or ignore?
EOF
drive wrong-exclamation 1 <<'EOF'
timeout 1
box target
expect-icon exclamation
EOF
expect_error "wrong-exclamation.txt:3: expected icon exclamation, got none"
drive abort 0 <<'EOF'
box target
press Abort
gone Target Dialog
EOF
finish_target 0 $'initial\nABORT'

echo "== Enter acts as OK in the dialog"
start_target
drive enter 0 <<'EOF'
window Target Dialog
set 1001 via enter
expect-focus 1001
key RETURN
box target
expect-icon exclamation
press OK
box target
press Ignore
gone Target Dialog
EOF
finish_target 0 $'via enter\nIGNORE'

echo "== Escape acts as Cancel; failing text, absent and syntax checks"
start_target
drive wrong-text 1 <<'EOF'
window Target Dialog
timeout 0.5
expect-text 1001 nope
EOF
expect_error 'wrong-text.txt:3: expected control 1001 text "nope", got "initial"'
drive wrong-absent 1 <<'EOF'
absent Target Dialog 2
EOF
expect_error 'wrong-absent.txt:1: expected no window "Target Dialog" for 2 s, got one after'
drive bad-syntax 2 <<'EOF'
window Target Dialog
expect-icon purple
EOF
expect_error 'bad-syntax.txt:2: unknown icon "purple"'
drive escape 0 <<'EOF'
window Target Dialog
key ESCAPE
gone Target Dialog
EOF
finish_target 3 CANCEL

echo "== the close box acts as Cancel"
start_target
drive close 0 <<'EOF'
window Target Dialog
close
gone Target Dialog
absent Target Dialog 0.3
EOF
finish_target 3 CANCEL

echo "== every standard icon is told apart"
start_target icons
drive icons 0 <<'EOF'
box icons
expect-box-text hand
expect-icon hand
expect-buttons OK
press OK
box icons
expect-box-text question
expect-icon question
expect-buttons Yes,No
press Yes
box icons
expect-box-text asterisk
expect-icon asterisk
expect-buttons OK,Cancel
press Cancel
gone icons
EOF
finish_target 0 ICONS

echo "== cd, start, exit-code, dump-text; a failing script ends what it started"
mkdir -p "$work/sub"
cp "$work/target.exe" "$work/sub/target.exe"
sub_win=$(winpath "$work/sub")
# guidriver.exe's folder holds a target.exe too: start must run the one in the cd folder,
# with the command line exactly as written.
drive whoami 0 <<EOF
cd $sub_win
start target.exe whoami.txt whoami {SP}"quoted arg"{SP}
exit-code 5
EOF
got=$(cat "$work/sub/whoami.txt")
want="$sub_win\\target.exe|target.exe whoami.txt whoami  \"quoted arg\" |"
[[ ${got,,} == "${want,,}" ]] || fail "whoami wrote $(printf %q "$got"), expected $(printf %q "$want")"
# The program's files land in the cd folder, the driver's own in its working folder.
drive start 0 <<EOF
cd $sub_win
start target.exe out.txt
window Target Dialog
dump-text 1002 dump.txt
key ESCAPE
exit-code 3
EOF
[[ $(cat "$work/sub/out.txt") == CANCEL ]] || fail "started target did not write CANCEL"
[[ $(cat "$work/dump.txt") == $'Line one\r\nLine two' ]] || fail "dump.txt holds $(printf %q "$(cat "$work/dump.txt")")"
drive wrong-exit 1 <<EOF
cd $sub_win
start target.exe out.txt whoami
exit-code 0
EOF
expect_error "wrong-exit.txt:3: expected exit code 0, got 5"
drive left-running 1 <<EOF
timeout 0.5
cd $sub_win
start target.exe out.txt
window No Such Window
EOF
grep -qF "ended the program started at line 3" "$work/left-running.err" || fail "left-running: target not ended"
drive after-left-running 0 <<'EOF'
timeout 5
gone Target Dialog
EOF

echo "PASS: guidriver self-test ($((SECONDS - started)) s after the Wine environment was up)"
