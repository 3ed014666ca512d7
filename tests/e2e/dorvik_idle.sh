#!/usr/bin/env bash
# Servers started for nothing end by themselves: four clients activating at once (Wine may
# start a server for each, and those that get no object must not run on), and a server
# started with -Embedding that no client ever reaches.
source "$(dirname "${BASH_SOURCE[0]}")/e2e-lib.sh"
CLIENT=$BIN/dorvik_client.exe
viewer_server

echo "--- four clients at once"
pids=()
for c in 1 2 3 4; do
    "$WINE" "$CLIENT" open .dvkview open "C:\\c$c-" 5 </dev/null >"$SCRATCH/c$c.out" 2>&1 &
    pids+=($!)
done
for c in 1 2 3 4; do
    rc=0
    wait "${pids[c - 1]}" || rc=$?
    tr -d '\r' <"$SCRATCH/c$c.out" | grep -E 'open:|FAIL'
    expect_eq "$rc" 0 "client $c"
done
"$WINE" "$CLIENT" gone 60 </dev/null >"$SCRATCH/gone.out" 2>&1 || fail "a dorvik.exe still runs 60 s after the last client"
tr -d '\r' <"$SCRATCH/gone.out"
for ((i = 0; i < 50; i++)); do [[ $(wc -l <"$VIEWER_DIR/viewer.exe.log" 2>/dev/null || echo 0) -ge 20 ]] && break; sleep 0.1; done
expect_eq "$(tr -d '\r' <"$VIEWER_DIR/viewer.exe.log" | sort | uniq -c | awk '$1 == 1' | wc -l)" 20 "each of the 20 documents arrived exactly once"

echo "--- -Embedding without a client"
start=$(date +%s)
wine_run_bg server "$SERVER_DIR/dorvik.exe" -Embedding
rc=0
wine_wait "$server" 40 || rc=$?
took=$(($(date +%s) - start))
echo "ended after ${took}s with exit code $rc"
expect_eq "$rc" 0 "-Embedding without a client ends by itself within 40 s"
((took >= 25)) || fail "it ended after ${took}s: it must give a client time to come"

finish
