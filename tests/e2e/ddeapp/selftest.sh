#!/usr/bin/env bash
# The DDE test application against a bare DDEML client: it logs what it saw, refuses on
# request, and quits on command.
source "$(dirname "${BASH_SOURCE[0]}")/../e2e-lib.sh"

APP=$SCRATCH/app/ddeapp.exe
mkdir -p "$SCRATCH/app"
cp "$BIN/ddeapp.exe" "$APP"
LOG=$APP.log

wine_run_app() { "$WINE" "$APP" "$@" </dev/null >/dev/null 2>&1 & }
client() { "$WINE" "$BIN/ddeclient.exe" "$@" </dev/null | tr -d '\r' || true; }
wait_for_line() {  # LINE: until the log holds it
    local i
    for ((i = 0; i < 100; i++)); do grep -qxF -- "$1" "$LOG" 2>/dev/null && return 0; sleep 0.1; done
    return 1
}

wine_run_app /service:Viewer /topic:Docs "C:\\a b.txt"
wait_for_line 'start|/service:Viewer /topic:Docs "C:\a b.txt"' || fail "start not logged"
wait_for_line serving || fail "serving not logged"
out=$(client Viewer Docs '[open("x")]' '[print("x")]')
expect_eq "$out" $'ok\nok' "client's view"
wait_for_line disconnect || fail "no disconnect"
# Topics match without regard to case (string handles are shared atoms: the log shows the first spelling).
out=$(client Viewer docs '[quit]')
expect_eq "$out" "ok" "quit"
wait_for_line exit || fail "no exit after [quit]"
# Whether the client's disconnect reaches the application before [quit] ends it is a race
# between the two processes: a disconnect just before the exit is allowed.
expect_eq "$(sed '/^disconnect$/{N;s/^disconnect\nexit$/exit/}' "$LOG")" 'start|/service:Viewer /topic:Docs "C:\a b.txt"
serving
connect|Docs
execute|[open("x")]
execute|[print("x")]
disconnect
connect|Docs
execute|[quit]
exit' "log"

rm -f "$LOG"
wine_run_app /service:Viewer /refuse /life:3000
wait_for_line serving || fail "serving not logged"
out=$(client Viewer System '[open]')
expect_eq "$out" "failed 0x4009" "refused execute (DMLERR_NOTPROCESSED)"
wait_for_line exit || fail "no exit after /life"

rm -f "$LOG"
wine_run_app /service:Viewer /mute /life:1500
wait_for_line 'start|/service:Viewer /mute /life:1500'
out=$(client Viewer System '[open]')
expect_eq "$out" "connect failed 0x400A" "a mute application never answers"
wait_for_line exit || fail "no exit after /life"

finish
