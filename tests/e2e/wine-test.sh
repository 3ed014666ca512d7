#!/usr/bin/env bash
# Runs one Windows test program under Wine in a throw-away prefix and display.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
wine_env_start
"$WINE" "$@"
