# shellcheck shell=bash
# Shared steps of the installer's end-to-end scenarios: a Wine environment, scratch
# folders, the GUI driver, and checks that name the failing line.
set -euo pipefail
export LC_ALL=C
E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$E2E_DIR/wine-env.sh"

BIN=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
INSTALL_EXE=$BIN/install.exe
UNINSTALL_EXE=$BIN/uninstall.exe
STANDIN_EXE=$BIN/standin.exe
GUIDRIVER=$BIN/guidriver.exe
FIXTURES=$BIN/fixtures
SCRATCH=$(mktemp -d "${TMPDIR:-/tmp}/velmora-e2e.XXXXXX")
FAILURES=0
trap 'rm -rf -- "$SCRATCH"' EXIT
wine_env_start
wine_env_arch "$INSTALL_EXE"
DRIVE_C=$WINEPREFIX/drive_c

# fail MESSAGE: records a failure with the caller's line and goes on.
fail() {
    echo "FAIL (${BASH_SOURCE[1]##*/}:${BASH_LINENO[0]}): $*" >&2
    FAILURES=$((FAILURES + 1))
}

# expect_eq ACTUAL EXPECTED WHAT
expect_eq() {
    [[ $1 == "$2" ]] || { echo "FAIL (${BASH_SOURCE[1]##*/}:${BASH_LINENO[0]}): $3: got '$1', expected '$2'" >&2; FAILURES=$((FAILURES + 1)); }
}

# expect_missing PATH / expect_file PATH
expect_missing() { [[ ! -e $1 ]] || { echo "FAIL (${BASH_SOURCE[1]##*/}:${BASH_LINENO[0]}): $1 exists" >&2; FAILURES=$((FAILURES + 1)); }; }
expect_file() { [[ -f $1 ]] || { echo "FAIL (${BASH_SOURCE[1]##*/}:${BASH_LINENO[0]}): $1 missing" >&2; FAILURES=$((FAILURES + 1)); }; }

# drive NAME: runs the GUI driver on the step script read from standard input.
drive() {
    local script=$SCRATCH/$1.steps
    cat >"$script"
    echo "--- $1"
    if ! (cd "$SCRATCH" && "$WINE" "$GUIDRIVER" "$(winpath "$script")"); then
        echo "FAIL (${BASH_SOURCE[1]##*/}:${BASH_LINENO[0]}): scenario $1" >&2
        FAILURES=$((FAILURES + 1))
    fi
}

# medium NAME: a fresh installation medium folder holding install.exe and the uninstall.exe it
# ships with; prints its path.
medium() {
    local dir=$SCRATCH/$1
    mkdir -p "$dir"
    cp "$INSTALL_EXE" "$dir/install.exe"
    cp "$UNINSTALL_EXE" "$dir/uninstall.exe"
    printf '%s\n' "$dir"
}

# standin PATH [EXITCODE]: places the stand-in program at PATH (e.g. .../dorvik.exe).
standin() {
    cp "$STANDIN_EXE" "$1"
    rm -f "$1.log"
    if [[ -n ${2:-} ]]; then printf '%s' "$2" >"$1.exitcode"; fi
}

# The three licence texts as the dialog shows them, for comparing with License.txt.
LICENSE_STEPS='dump-text 1008 notice.txt
dump-text 1009 terms.txt
dump-text 1010 copyright.txt'

# The fatal box for a License.txt that cannot be created, answered with OK.
LICENSE_OPEN_FAILED_STEPS='box install
expect-box-text The following System Error occurred:{LF} Unable to Open License file Fatal Error Occurred. Exit Installation
expect-buttons OK
expect-icon exclamation
press OK'

# wait_for_file PATH [SECONDS]: for what a program started without waiting writes.
wait_for_file() {
    local i
    for ((i = 0; i < ${2:-5} * 10; i++)); do
        [[ -s $1 ]] && return 0
        sleep 0.1
    done
    return 1
}

# typelib_path LIBID VERSION: the path a registered type library is recorded under, or nothing.
typelib_path() {
    wine_query reg query "HKCR\\TypeLib\\$1\\$2\\0\\$TYPELIB_SUBKEY" /ve 2>/dev/null |
        sed -n 's/^ *(Default) *REG_SZ *//p' | tr -d '\r'
}

# The first stage up to the installation directory dialog, started in DIR.
first_stage_steps() {
    printf '%s\n' "cd $(winpath "$1")" "start install.exe" "window Velmora License Agreement" "press OK" \
        "window Install Velmora"
}

# A message box of the installer's with exactly TEXT and an OK button, answered.
ok_box_steps() {
    printf '%s\n' "box install" "expect-box-text $1" "expect-buttons OK" "expect-icon exclamation" "press OK"
}

# The system-error message of a CError as the installer shows it.
error_text() {
    local prompt
    case $1 in
    0) prompt="Do you want to Continue Installation" ;;
    2) prompt="Do you want to continue installing this File" ;;
    *) prompt="Fatal Error Occurred. Exit Installation" ;;
    esac
    printf 'The following System Error occurred:{LF} %s %s' "$2" "$prompt"
}

# install_into MEDIUM DIR: the first stage with its defaults, into DIR.
install_into() {
    drive "install-${2//[^A-Za-z]/}" <<STEPS
$(first_stage_steps "$1")
set 1001 $2
press OK
window Velmora Default Setup
press OK
box install
press OK
exit-code 0
STEPS
}

# import_reg NAME: imports the REGEDIT4 text read from standard input with Wine's regedit.
import_reg() {
    cat >"$SCRATCH/$1.reg"
    "$WINE" regedit /s "$(winpath "$SCRATCH/$1.reg")" </dev/null || fail "regedit import of $1.reg"
}

# viewer_server: dorvik.exe registered from $SCRATCH/server, and .dvkview documents opened by a
# stand-in viewer without DDE ("viewer.exe" "%1"). Sets SERVER_DIR, VIEWER_DIR and VIEWER.
viewer_server() {
    SERVER_DIR=$SCRATCH/server
    VIEWER_DIR=$SCRATCH/viewer
    mkdir -p "$SERVER_DIR" "$VIEWER_DIR"
    cp "$BIN/dorvik.exe" "$SERVER_DIR/"
    cp "$STANDIN_EXE" "$VIEWER_DIR/viewer.exe"
    VIEWER=$(winpath "$VIEWER_DIR/viewer.exe")
    (cd "$SERVER_DIR" && "$WINE" dorvik.exe </dev/null) || fail "registration run"
    import_reg view <<REG
REGEDIT4

[HKEY_CLASSES_ROOT\\.dvkview]
@="dvk.view"
[HKEY_CLASSES_ROOT\\dvk.view\\shell\\open\\command]
@="$(reg_esc "\"$VIEWER\" \"%1\"")"
REG
}

finish() {
    if ((FAILURES)); then
        echo "$FAILURES check(s) failed" >&2
        exit 1
    fi
    echo "all checks passed"
}
