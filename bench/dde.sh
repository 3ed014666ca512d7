#!/usr/bin/env bash
# The DDE benchmark under Wine: registers dorvik.exe, gives a document type a ddeexec verb
# served by the DDE test application, starts it, and opens N documents three ways.
# Usage: bench/dde.sh BUILD_DIR [N]
set -euo pipefail
export LC_ALL=C
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tests/e2e/wine-env.sh"
BIN=$(cd "${1:?usage: $0 BUILD_DIR [N]}" && pwd)
N=${2:-200}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench.XXXXXX")
trap 'rm -rf -- "$WORK"' EXIT
wine_env_start

mkdir -p "$WORK/server" "$WORK/app" "$WORK/docs"
cp "$BIN/dorvik.exe" "$WORK/server/"
cp "$BIN/ddeapp.exe" "$WORK/app/"
(cd "$WORK/server" && "$WINE" dorvik.exe </dev/null)
APP=$(winpath "$WORK/app/ddeapp.exe")
cat >"$WORK/bench.reg" <<REG
REGEDIT4

[HKEY_CLASSES_ROOT\\.vbench]
@="velmora.bench"
[HKEY_CLASSES_ROOT\\velmora.bench\\shell\\open\\command]
@="$(reg_esc "\"$APP\" /service:VelBench %1")"
[HKEY_CLASSES_ROOT\\velmora.bench\\shell\\open\\ddeexec]
@="[open(%1)]"
[HKEY_CLASSES_ROOT\\velmora.bench\\shell\\open\\ddeexec\\Application]
@="VelBench"
[HKEY_CLASSES_ROOT\\velmora.bench\\shell\\open\\ddeexec\\Topic]
@="System"
REG
"$WINE" regedit /s "$(winpath "$WORK/bench.reg")" </dev/null
"$WINE" "$WORK/app/ddeapp.exe" /service:VelBench </dev/null >/dev/null 2>&1 &
for ((i = 0; i < 100; i++)); do grep -q '^serving' "$WORK/app/ddeapp.exe.log" 2>/dev/null && break; sleep 0.1; done
echo "DDE benchmark: $N documents of one type, DDE test application already running (Wine $("$WINE" --version))"
"$WINE" "$BIN/dde_bench.exe" .vbench VelBench "$(winpath "$WORK/app/ddeapp.exe.log")" "$(winpath "$WORK/docs")" "$N" </dev/null | tr -d '\r'

# Load: several clients at once, each with its own object, against the one application. The
# server from above has ended (its last object went), so the clients also start it.
CLIENTS=4
PER=${LOAD_DOCUMENTS:-100}
CLIENT=$BIN/dorvik_client.exe
"$WINE" "$CLIENT" gone 60 </dev/null >/dev/null 2>&1 || true
echo
echo "Load: $CLIENTS clients x $PER documents at once, one DDE application, no server running at the start"
start=$(date +%s%N)
pids=()
for ((c = 1; c <= CLIENTS; c++)); do
    "$WINE" "$CLIENT" open .vbench open "C:\\load\\c$c-" "$PER" </dev/null >"$WORK/load$c.out" 2>&1 &
    pids+=($!)
done
for pid in "${pids[@]}"; do wait "$pid" || true; done
end=$(date +%s%N)
failed=0
for ((c = 1; c <= CLIENTS; c++)); do
    n=$(tr -d '\r' <"$WORK/load$c.out" | sed -n 's/.* open: [0-9]* document(s), \([0-9]*\) failed.*/\1/p')
    failed=$((failed + ${n:-$PER}))  # a client that never got its object failed every call
done
sent=$(grep -c '^execute|\[open(C:\\load\\' "$WORK/app/ddeapp.exe.log" || true)
once=$(grep '^execute|\[open(C:\\load\\' "$WORK/app/ddeapp.exe.log" | sort | uniq -c | awk '$1 == 1' | wc -l)
secs=$(awk -v ns=$((end - start)) 'BEGIN { printf "%.2f", ns / 1e9 }')
printf '%-44s %10s\n' "wall time, client starts included (s)" "$secs"
printf '%-44s %10s\n' "documents per second" "$(awk -v s="$secs" -v n=$((CLIENTS * PER)) 'BEGIN { printf "%.0f", n / s }')"
printf '%-44s %10s\n' "documents delivered (of $((CLIENTS * PER)))" "$sent"
printf '%-44s %10s\n' "delivered exactly once" "$once"
printf '%-44s %10s\n' "failed calls" "$failed"
left=0
"$WINE" "$CLIENT" gone 60 </dev/null >"$WORK/gone.out" 2>&1 ||
    left=$(tr -d '\r' <"$WORK/gone.out" | sed -n 's/.*(got 0x0*\([0-9A-F]*\)).*/\1/p')
printf '%-44s %10s\n' "servers left 60 s after the last client" "${left:-?}"
