#!/usr/bin/env bash
# dorvik's Windows tests: the associations of dorvik_assoc.reg and real_assoc.reg are imported
# into a throw-away prefix with Wine's regedit, then the tests read them through the real registry.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
BIN=$(cd "${1:?usage: $0 BUILD_DIR}" && pwd)
FIXTURE=$(cd "$(dirname "${BASH_SOURCE[0]}")/../win" && pwd)/dorvik_assoc.reg
source "$(dirname "${BASH_SOURCE[0]}")/real-assoc-env.sh"
wine_env_start
real_assoc_install "$BIN"
"$WINE" regedit /s "$(winpath "$FIXTURE")" </dev/null
wine_query reg query 'HKCR\.dvkplain' /ve >/dev/null || { echo "FAIL: the fixture was not imported" >&2; exit 1; }
"$WINE" "$BIN/dorvik_win_tests.exe"
