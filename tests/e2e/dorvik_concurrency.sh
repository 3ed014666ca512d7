#!/usr/bin/env bash
# Clients of one dorvik.exe at once: client A's document goes to an application that takes 3 s
# over each execute; client B, started a second later, opens a plain document meanwhile and
# must not wait for A, whether A's server was already running or is still starting. Then a
# second holder of A's object calls it during such an execute.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
CLIENT=$BIN/dorvik_client.exe
APP_DIR=$SCRATCH/app
mkdir -p "$APP_DIR"
cp "$BIN/ddeapp.exe" "$APP_DIR/"
APP=$(winpath "$APP_DIR/ddeapp.exe")
APPLOG=$APP_DIR/ddeapp.exe.log
viewer_server
import_reg slow <<REG
REGEDIT4

[HKEY_CLASSES_ROOT\\.dvkslow]
@="dvk.slow"
[HKEY_CLASSES_ROOT\\dvk.slow\\shell\\open\\command]
@="$(reg_esc "\"$APP\" /service:VelSlow /slow:3000")"
[HKEY_CLASSES_ROOT\\dvk.slow\\shell\\open\\ddeexec]
@="[open(%1)]"
[HKEY_CLASSES_ROOT\\dvk.slow\\shell\\open\\ddeexec\\Application]
@="VelSlow"
REG
"$WINE" "$APP_DIR/ddeapp.exe" /service:VelSlow /slow:3000 </dev/null >/dev/null 2>&1 &
for ((i = 0; i < 100; i++)); do grep -q '^serving' "$APPLOG" 2>/dev/null && break; sleep 0.1; done

# elapsed_ms FILE: the time a client's "open" line reports.
elapsed_ms() { tr -d '\r' <"$1" | sed -n 's/.* in \([0-9]*\) ms$/\1/p' | tail -1; }

# a_and_b NAME WAIT_FOR: A opens NAME-a.txt in the slow application; B starts once WAIT_FOR
# ("execute": A's execute is under way; "1s": a second after A) and opens a plain document.
a_and_b() {
    local name=$1 a_pid rc_a=0 rc_b=0 b_ms a_ms
    echo "--- $name"
    "$WINE" "$CLIENT" open .dvkslow open "$name-a.txt" </dev/null >"$SCRATCH/$name-a.out" 2>&1 &
    a_pid=$!
    if [[ $2 == execute ]]; then
        for ((i = 0; i < 100; i++)); do grep -qF "execute|[open($name-a.txt)]" "$APPLOG" && break; sleep 0.1; done
    else
        sleep 1
    fi
    "$WINE" "$CLIENT" open .dvkview open "C:\\$name-b.txt" </dev/null >"$SCRATCH/$name-b.out" 2>&1 || rc_b=$?
    kill -0 "$a_pid" 2>/dev/null || fail "$name: A had finished before B did: nothing overlapped"
    wait "$a_pid" || rc_a=$?
    tr -d '\r' <"$SCRATCH/$name-a.out"
    tr -d '\r' <"$SCRATCH/$name-b.out"
    expect_eq "$rc_a/$rc_b" 0/0 "$name: both clients succeed"
    a_ms=$(elapsed_ms "$SCRATCH/$name-a.out")
    b_ms=$(elapsed_ms "$SCRATCH/$name-b.out")
    ((${a_ms:-0} >= 3000)) || fail "$name: A took ${a_ms:-?} ms, less than its application's 3 s"
    # Creation (about 1.1 s while Wine starts the server) and the call, never A's 3 s.
    ((${b_ms:-99999} < 2000)) || fail "$name: B took ${b_ms:-?} ms"
    "$WINE" "$CLIENT" gone 15 </dev/null >/dev/null 2>&1 || fail "$name: the server did not end after its clients"
}

a_and_b starting 1s
a_and_b running execute
for name in running starting; do
    expect_eq "$(grep -cF "execute|[open($name-a.txt)]" "$APPLOG")" 1 "$name: A's document arrived once"
    wait_for_file "$VIEWER_DIR/viewer.exe.log" || true
    grep -qF "ran|C:\\$name-b.txt" "$VIEWER_DIR/viewer.exe.log" || fail "$name: B's document did not reach the viewer"
done

echo "--- second holder of the same object"
rc=0
"$WINE" "$CLIENT" share .dvkslow open shared.txt </dev/null >"$SCRATCH/share.out" 2>&1 || rc=$?
tr -d '\r' <"$SCRATCH/share.out"
expect_eq "$rc" 0 "share: exit code"
expect_eq "$(grep -cF "execute|[open(shared.txt)]" "$APPLOG")" 1 "share: the document arrived once"
expect_eq "$(grep -cF "execute|[open(shared.txt.again)]" "$APPLOG")" 1 "share: and the next one too"

finish
