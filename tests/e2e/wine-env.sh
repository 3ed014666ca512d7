# shellcheck shell=bash
# Helpers for end-to-end tests that run Windows programs under Wine on a private Xvfb.
# Source it (`source tests/e2e/wine-env.sh`), then call wine_env_start. Safe under `set -euo pipefail`.
# Each test gets its own prefix, display and wineserver, so tests can run in parallel.
# The prefix is a 64-bit Windows with its 32-bit subsystem (WoW64), as most users have: the
# 64-bit loader starts 32-bit programs through the 32-bit one (Debian's wine32:i386).
# WINE_TEMPLATE may name a prefix booted once by wine-template.sh; each test then starts on a
# copy of it instead of booting its own (about 20 s for a WoW64 prefix).

WINE=${WINE:-/usr/lib/wine/wine64}
# The server binary itself: the /usr/bin wrapper forces -p0, which would override our persistence.
WINESERVER=${WINESERVER:-/usr/lib/wine/wineserver64}

_wine_env_xvfb_pid=""
_wine_env_prefix=""
_wine_env_watchdog_pid=""

wine_env_log() { printf 'wine-env: %s\n' "$*" >&2; }

# reg_esc TEXT: TEXT as a string value of a REGEDIT4 file (backslashes and quotes escaped).
reg_esc() { local s=${1//\\/\\\\}; printf '%s' "${s//\"/\\\"}"; }

# wine_env_start: fresh prefix + Xvfb + persistent wineserver; cleaned up on exit. Under load a
# start has been seen to fail at once, rarely, for a boot and for a copy alike (the first program
# failing silently or with "Application could not be started"); a second start in a new folder,
# never the same prefix twice, takes its place.
wine_env_start() {
    _wine_env_start_once && return 0
    wine_env_log "starting again in a new folder"
    wine_env_stop
    _wine_env_start_once
}

_wine_env_start_once() {
    local base=${TMPDIR:-/tmp}
    _wine_env_prefix=$(mktemp -d "$base/wine-e2e.XXXXXX")
    export WINEPREFIX=$_wine_env_prefix
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    # Wine takes its Windows locale from the Unix one: a German host would get German button
    # captions and another code page. Pin US English unless the caller chose otherwise.
    export LC_ALL=${WINE_ENV_LOCALE:-C.UTF-8}
    export WINESERVER

    _wine_env_install_trap

    # -displayfd lets Xvfb pick a free display itself; it claims it through the /tmp/.X$n-lock
    # file with an atomic link, so parallel tests never race for a number.
    local fdfile="$_wine_env_prefix/.displayfd"
    : >"$fdfile"  # exists before Xvfb's redirection does, so the first read finds it
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fdfile" </dev/null >/dev/null 2>"$_wine_env_prefix/.xvfb.log" &
    _wine_env_xvfb_pid=$!
    local i n=""
    for ((i = 0; i < 200; i++)); do
        n=$(tr -dc '0-9' <"$fdfile" 2>/dev/null || true)
        # The number is written once the server accepts connections; a trailing newline marks it complete.
        if [[ -n $n ]] && [[ $(wc -l <"$fdfile") -ge 1 ]]; then break; fi
        if ! kill -0 "$_wine_env_xvfb_pid" 2>/dev/null; then
            wine_env_log "Xvfb died: $(cat "$_wine_env_prefix/.xvfb.log" 2>/dev/null)"
            return 1
        fi
        n=""
        sleep 0.05
    done
    if [[ -z $n ]]; then wine_env_log "Xvfb did not report a display"; return 1; fi
    export DISPLAY=:$n

    # A watchdog cleans up if this shell is killed without running its EXIT trap (e.g. a CTest timeout's
    # SIGKILL). Its output goes nowhere, so it never keeps a test runner's pipes open.
    local parent=$$ xpid=$_wine_env_xvfb_pid prefix=$_wine_env_prefix
    (
        while kill -0 "$parent" 2>/dev/null; do sleep 2; done
        WINEPREFIX=$prefix "$WINESERVER" -k 2>/dev/null || true
        kill "$xpid" 2>/dev/null || true
        case $prefix in */wine-e2e.*) rm -rf -- "$prefix" ;; esac
    ) </dev/null >/dev/null 2>&1 &
    _wine_env_watchdog_pid=$!

    local booted=""
    if [[ -n ${WINE_TEMPLATE:-} ]]; then
        wine_env_copy_prefix "$WINE_TEMPLATE" "$_wine_env_prefix" || return 1
        booted=1
    fi
    # Persistent server: each later program then starts in a fraction of the usual time.
    "$WINESERVER" -p </dev/null >/dev/null 2>&1
    # The first program creates and boots a new prefix (a copy is not booted again: its update
    # stamp matches). Booting a prefix twice would leave a second service manager, and RpcSs
    # (COM activation of local servers) would never start.
    local rc=0
    "$WINE" cmd.exe /c exit </dev/null >"$_wine_env_prefix/.start.log" 2>&1 || rc=$?
    if ((rc)); then
        wine_env_log "starting the prefix failed ($rc): $(grep -v 'could not open working directory' "$_wine_env_prefix/.start.log" | tail -n 5)"
        return 1
    fi
    [[ -n $booted ]] || wine_env_settle_windows || return 1

    # Keep one idle Windows process alive: once the last one exits, Wine winds down the desktop
    # process, and the next program to start stalls ~10 s while a new one fails to reach RpcSs.
    # cmd.exe waits forever on a FIFO it holds open both ways; wineserver -k ends it.
    local fifo="$_wine_env_prefix/.keeper"
    mkfifo "$fifo"
    "$WINE" cmd.exe <>"$fifo" >/dev/null 2>&1 &
}

# wine_query PROGRAM ARGS...: runs a Windows program that only reads (reg query, say) with
# standard input closed. Under load Wine has, rarely, failed such a read of a key that was there
# before and after it (or failed to start the program at all). A read that fails is made once
# more, so a key is never reported missing that was only not read; a key that is missing stays
# missing. A failure that the second read contradicts is noted at the end of the test.
wine_query() {
    local out err rc=0 first
    out=$(mktemp) err=$(mktemp)
    "$WINE" "$@" </dev/null >"$out" 2>"$err" || rc=$?
    if ((rc != 0)); then
        first="gave $rc: $(cat "$err" "$out" | tr -d '\r' | tail -n 2)"
        rc=0
        "$WINE" "$@" </dev/null >"$out" 2>"$err" || rc=$?
        ((rc != 0)) || printf 'wine-env: a read failed once, then not: %s %s\n' "$*" "$first" >>"$WINEPREFIX/.reads.log"
    fi
    cat "$out"
    cat "$err" >&2
    rm -f -- "$out" "$err"
    return "$rc"
}

# wine_env_settle_windows: settings every prefix gets once, after its boot.
wine_env_settle_windows() {
    # Without a window manager Wine waits ~2 s for every window change unless windows are unmanaged;
    # undecorated windows get Wine-drawn title bars, which screenshots then show.
    local v
    for v in Managed Decorated; do
        "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v "$v" /t REG_SZ /d N /f </dev/null >/dev/null 2>&1 ||
            { wine_env_log "reg add $v failed"; return 1; }
    done
    # Wine's own fonts (Debian's fonts-wine: MS Sans Serif for the dialogs, Tahoma, Marlett for
    # the caption buttons) lie in its data directory, which this Wine reaches as
    # /usr/lib/wine/../../share/wine: it reads its nls files from there but never opens the fonts
    # folder, and dialogs fall back to Liberation Sans, the close box to a letter "r". From the
    # Windows font folder, where Windows has them, they load.
    local fonts=/usr/share/wine/fonts
    if [[ -d $fonts ]]; then
        ln -sf "$fonts"/* "$WINEPREFIX/drive_c/windows/Fonts/" || { wine_env_log "linking Wine's fonts failed"; return 1; }
    fi
}

# wine_env_copy_prefix FROM TO: a copy of a booted prefix. The system directories (1.2 GB of
# Wine's own DLLs, which nothing rewrites in place) are hard links; everything else is copied.
wine_env_copy_prefix() {
    local from=$1 to=$2 e
    [[ -f $from/system.reg && -f $from/.update-timestamp ]] || { wine_env_log "no booted prefix in $from"; return 1; }
    mkdir -p "$to/drive_c/windows" || return 1
    for e in "$from"/.update-timestamp "$from"/*; do
        [[ ${e##*/} != drive_c ]] || continue
        cp -a "$e" "$to/" || return 1
    done
    for e in "$from"/drive_c/*; do
        [[ ${e##*/} != windows ]] || continue
        cp -a "$e" "$to/drive_c/" || return 1
    done
    for e in "$from"/drive_c/windows/*; do
        case ${e##*/} in
        system32 | syswow64 | winsxs) cp -al "$e" "$to/drive_c/windows/" ;;
        *) cp -a "$e" "$to/drive_c/windows/" ;;
        esac || return 1
    done
}

# wine_env_boot_template DIR: boots a prefix in DIR (which must not exist) for wine_env_copy_prefix,
# settles it and shuts its server down so that everything is saved.
wine_env_boot_template() {
    local dir=$1
    [[ ! -e $dir ]] || { wine_env_log "$dir exists"; return 1; }
    WINE_TEMPLATE="" wine_env_start || return 1
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    rm -f -- "$_wine_env_prefix"/.keeper "$_wine_env_prefix"/.displayfd "$_wine_env_prefix"/.xvfb.log "$_wine_env_prefix"/.start.log
    mv -- "$_wine_env_prefix" "$dir"
    _wine_env_prefix=""
    wine_env_stop
}

# Chains in front of any EXIT trap already set instead of replacing it.
_wine_env_install_trap() {
    local old parts
    old=$(trap -p EXIT)
    if [[ $old == *wine_env_stop* ]]; then return 0; fi
    if [[ -n $old ]]; then
        eval "parts=($old)"       # trap -- 'CMD' EXIT
        # shellcheck disable=SC2064
        trap "wine_env_stop; ${parts[2]}" EXIT
    else
        trap wine_env_stop EXIT
    fi
    # Turn signals into a normal exit so the EXIT trap runs (unless the caller handles them).
    [[ -n $(trap -p INT) ]] || trap 'exit 130' INT
    [[ -n $(trap -p TERM) ]] || trap 'exit 143' TERM
}

# wine_env_stop: idempotent teardown of what wine_env_start made.
wine_env_stop() {
    if [[ -n $_wine_env_prefix ]]; then
        cat -- "$_wine_env_prefix/.reads.log" >&2 2>/dev/null || true
        WINEPREFIX=$_wine_env_prefix "$WINESERVER" -k >/dev/null 2>&1 || true
    fi
    if [[ -n $_wine_env_xvfb_pid ]]; then
        kill "$_wine_env_xvfb_pid" 2>/dev/null || true
        wait "$_wine_env_xvfb_pid" 2>/dev/null || true
        _wine_env_xvfb_pid=""
    fi
    if [[ -n $_wine_env_watchdog_pid ]]; then
        kill "$_wine_env_watchdog_pid" 2>/dev/null || true
        wait "$_wine_env_watchdog_pid" 2>/dev/null || true
        _wine_env_watchdog_pid=""
    fi
    if [[ -n $_wine_env_prefix ]]; then
        rm -rf -- "$_wine_env_prefix"
        _wine_env_prefix=""
    fi
    return 0
}

# wine_run_bg VAR PROGRAM [ARGS...]: start a Windows program in the background; its pid goes into VAR.
# Call it in the test's own shell (not in $(...)), so wine_wait can collect the exit status.
wine_run_bg() {
    local __var=$1
    shift
    "$WINE" "$@" </dev/null &
    printf -v "$__var" '%s' "$!"
}

# wine_wait PID SECONDS: wait for a program from wine_run_bg; returns its exit status,
# or 124 after killing it when it outlives SECONDS.
wine_wait() {
    local pid=$1 secs=$2 ticks rc=0
    ticks=$(awk -v s="$secs" 'BEGIN { printf "%d", s * 20 }')
    while kill -0 "$pid" 2>/dev/null; do
        if ((ticks-- <= 0)); then
            wine_env_log "process $pid still running after ${secs}s; killing it"
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
            return 124
        fi
        sleep 0.05
    done
    wait "$pid" || rc=$?
    return "$rc"
}

# wine_env_arch EXE: what a program of EXE's bitness sees in the prefix (after wine_env_start).
#   ARCH, OTHER_ARCH  win32 or win64 (the build), and the other one
#   PROGRAM_SYSDIR    the Unix folder behind the program's system32 (syswow64 for a 32-bit one)
#   TYPELIB_SUBKEY    the TypeLib platform subkey its RegisterTypeLib writes
#   REG_VIEW          the registry view it writes, for reg.exe's /reg: switch
#   REG_EXE           the reg.exe of its bitness: it sees the registry as the program does. (Wine's
#                     64-bit reg.exe with /reg:32 misses the keys that the two views share, such
#                     as a ProgID under HKCR; Windows' does not.)
wine_env_arch() {
    if [[ $(file -b "$1") == PE32+* ]]; then
        ARCH=win64 OTHER_ARCH=win32 PROGRAM_SYSDIR=$WINEPREFIX/drive_c/windows/system32 REG_VIEW=/reg:64
        REG_EXE=reg
    else
        ARCH=win32 OTHER_ARCH=win64 PROGRAM_SYSDIR=$WINEPREFIX/drive_c/windows/syswow64 REG_VIEW=/reg:32
        REG_EXE='C:\windows\syswow64\reg.exe'
    fi
    TYPELIB_SUBKEY=$ARCH
}

# winpath UNIXPATH: the Windows spelling of a Unix path (Wine maps Z: to /).
winpath() {
    local p=$1
    [[ $p == /* ]] || p=$PWD/$p
    p=Z:$p
    printf '%s\n' "${p//\//\\}"
}

# bmp_to_png IN OUT
bmp_to_png() {
    convert "$1" "$2"
}
