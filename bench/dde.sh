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
