#!/usr/bin/env bash
# Boots the prefix that every Wine test of one build copies (WINE_TEMPLATE): one boot per run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
dir=${1:?usage: $0 DIR}
rm -rf -- "$dir"
mkdir -p "$(dirname "$dir")"
wine_env_boot_template "$dir"
echo "booted $dir"
