#!/usr/bin/env bash
# The installer benchmark under Wine. Usage: bench/install.sh BUILD_DIR [N] [ROUNDS]
set -euo pipefail
export LC_ALL=C
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
source "$ROOT/tests/e2e/wine-env.sh"
BIN=$(cd "${1:?usage: $0 BUILD_DIR [N] [ROUNDS]}" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench.XXXXXX")
trap 'rm -rf -- "$WORK"' EXIT
wine_env_start
echo "Installer benchmark: ${2:-200} listed files of 64 KiB (Wine $("$WINE" --version))"
"$WINE" "$BIN/install_bench.exe" "$(winpath "$WORK")" "${2:-200}" "${3:-5}" </dev/null | tr -d '\r'
